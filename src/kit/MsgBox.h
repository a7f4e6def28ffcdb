#pragma once

#include <QString>
#include <functional>

// Message boxes with the old style word: 0 OK only, 4 Yes and No; 16
// critical, 32 question, 48 exclamation, 64 information icons. Returns 1 for
// OK, 6 for Yes, 7 for No.
inline constexpr int vbOKOnly = 0;
inline constexpr int vbYesNo = 4;
inline constexpr int vbQuestion = 32;
inline constexpr int vbInformation = 64;
inline constexpr int vbOK = 1;
inline constexpr int vbYes = 6;
inline constexpr int vbNo = 7;
int MsgBox(const QString& prompt, int buttons = vbOKOnly, const QString& title = QString());

// Tests answer message boxes here instead of a person; null restores the
// real dialog.
using MsgBoxHandler = std::function<int(const QString& prompt, int buttons, const QString& title)>;
void SetMsgBoxHandler(MsgBoxHandler handler);
