#pragma once

#include <QString>
#include <functional>

// Message boxes with the old style word: 0 OK only; 16 critical, 32
// question, 48 exclamation, 64 information icons. Returns 1 for OK.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbInformation = 64;
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// Tests answer message boxes here instead of a person; null restores the
// real dialog.
using MsgBoxHandler = std::function<int(const QString& prompt, int buttons, const QString& title)>;
void SetMsgBoxHandler(MsgBoxHandler handler);
