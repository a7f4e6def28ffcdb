#include "kit/InputBox.h"

#include <QApplication>
#include <QInputDialog>
#include <QLabel>

#include "kit/Version.h"

namespace {
InputBoxHandler& handler() {
    static InputBoxHandler h;
    return h;
}
}  // namespace

void SetInputBoxHandler(InputBoxHandler h) {
    handler() = std::move(h);
}

QString InputBox(const QString& prompt, const QString& title, const QString& defaultText) {
    if (handler()) return handler()(prompt, title, defaultText);
    QInputDialog box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? kAppName : title);
    // The prompt's line breaks are CR LF; a label wants LF.
    box.setLabelText(QString(prompt).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box.setTextValue(defaultText);
    box.setMinimumWidth(380);
    // Long prompts wrap rather than stretch the dialog across the screen.
    for (QLabel* l : box.findChildren<QLabel*>()) l->setWordWrap(true);
    return box.exec() == QDialog::Accepted ? box.textValue() : QString();
}
