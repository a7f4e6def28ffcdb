#pragma once

#include <QString>
#include <functional>

// The input box: a prompt, an edit field with a default text, OK and Cancel.
// Returns the text typed, or an empty text on Cancel.
QString InputBox(const QString& prompt, const QString& title = QString(),
                 const QString& defaultText = QString());

// Tests answer input boxes here instead of a person; null restores the real
// dialog.
using InputBoxHandler =
    std::function<QString(const QString& prompt, const QString& title, const QString& defaultText)>;
void SetInputBoxHandler(InputBoxHandler handler);
