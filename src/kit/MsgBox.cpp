#include "kit/MsgBox.h"

#include <QApplication>
#include <QMessageBox>

#include "kit/Version.h"

namespace {
MsgBoxHandler& handler() {
    static MsgBoxHandler h;
    return h;
}
}  // namespace

void SetMsgBoxHandler(MsgBoxHandler h) {
    handler() = std::move(h);
}

int MsgBox(const QString& prompt, int buttons, const QString& title) {
    if (handler()) return handler()(prompt, buttons, title);
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(title.isEmpty() ? kAppName : title);
    box.setText(prompt);
    switch (buttons & 0x70) {
        case 16:
            box.setIcon(QMessageBox::Critical);
            break;
        case 32:
            box.setIcon(QMessageBox::Question);
            break;
        case 48:
            box.setIcon(QMessageBox::Warning);
            break;
        case 64:
            box.setIcon(QMessageBox::Information);
            break;
        default:
            break;
    }
    if ((buttons & 7) == vbYesNo) {
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        return box.exec() == QMessageBox::Yes ? vbYes : vbNo;
    }
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
    return vbOK;
}
