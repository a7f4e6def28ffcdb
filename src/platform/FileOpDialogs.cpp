#include "platform/FileOpDialogs.h"

#include "platform/FileSystem.h"

#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>

namespace {
QString nameOf(const QByteArray& path) {
    return DisplayPath(RawFileName(path));
}

QString folderOf(const QByteArray& path) {
    return DisplayPath(RawParentPath(path));
}

int ask(QMessageBox::Icon icon, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons, QMessageBox::StandardButton preset) {
    QMessageBox box(icon, title, text, buttons, QApplication::activeWindow());
    box.setDefaultButton(preset);
    return box.exec();
}
}  // namespace

RealFileOpDialogs::~RealFileOpDialogs() {
    delete dialog_;
}

ReplaceAnswer RealFileOpDialogs::AskReplace(const QByteArray& target, bool folder,
                                            bool moreToCome) {
    const QString text = folder
                             ? QStringLiteral(
                                   "The folder \"%1\" already contains a folder named \"%2\".\n\n"
                                   "Files in it with the same names as the ones being copied will "
                                   "be replaced. Do you want to go on?")
                             : QStringLiteral(
                                   "The folder \"%1\" already contains a file named \"%2\".\n\n"
                                   "Do you want to replace the existing file with this one?");
    QMessageBox::StandardButtons buttons = QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    if (moreToCome) buttons |= QMessageBox::YesToAll;
    switch (ask(QMessageBox::Question, QStringLiteral("Confirm Replace"),
                text.arg(folderOf(target), nameOf(target)), buttons, QMessageBox::No)) {
        case QMessageBox::Yes:
            return ReplaceAnswer::Yes;
        case QMessageBox::YesToAll:
            return ReplaceAnswer::YesToAll;
        case QMessageBox::No:
            return ReplaceAnswer::No;
        default:
            return ReplaceAnswer::Cancel;
    }
}

bool RealFileOpDialogs::AskDelete(const std::vector<QByteArray>& items, bool toTrash) {
    const QString what = items.size() == 1 ? QStringLiteral("\"%1\"").arg(nameOf(items.front()))
                                           : QStringLiteral("these %1 items").arg(items.size());
    const QString text = toTrash ? QStringLiteral("Do you want to move %1 to the Trash?").arg(what)
                                 : QStringLiteral(
                                       "Do you want to delete %1 for good?\n\n"
                                       "They cannot be restored.")
                                       .arg(what);
    return ask(toTrash ? QMessageBox::Question : QMessageBox::Warning,
               toTrash ? QStringLiteral("Move to Trash") : QStringLiteral("Confirm Delete"), text,
               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool RealFileOpDialogs::AskCreateFolder(const QByteArray& folder) {
    return ask(QMessageBox::Question, QStringLiteral("Confirm Folder Create"),
               QStringLiteral("The folder \"%1\" does not exist.\n\nDo you want to create it?")
                   .arg(DisplayPath(folder)),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes) == QMessageBox::Yes;
}

bool RealFileOpDialogs::AskDeleteForGood(const QByteArray& item) {
    return ask(QMessageBox::Warning, QStringLiteral("Confirm Delete"),
               QStringLiteral("\"%1\" cannot be moved to the Trash: its drive has none.\n\n"
                              "Do you want to delete it for good?")
                   .arg(nameOf(item)),
               QMessageBox::Yes | QMessageBox::No, QMessageBox::No) == QMessageBox::Yes;
}

void RealFileOpDialogs::BeginProgress(int wFunc, qint64 totalBytes, qint64 totalItems) {
    delete dialog_;
    action_ = wFunc == FileOp::FO_COPY   ? QStringLiteral("Copying")
              : wFunc == FileOp::FO_MOVE ? QStringLiteral("Moving")
                                         : QStringLiteral("Deleting");
    totalBytes_ = totalBytes;
    totalItems_ = totalItems;
    sinceBegin_.start();
    sinceUpdate_.start();
}

// The dialog is made only once the work has taken half a second, so quick
// operations never flash it and it never opens over a question.
bool RealFileOpDialogs::Progress(qint64 doneBytes, qint64 doneItems, const QByteArray& current) {
    if (!sinceBegin_.isValid() || sinceBegin_.elapsed() < 500) return true;
    if (dialog_ && sinceUpdate_.elapsed() < 50) return !dialog_->wasCanceled();
    if (!dialog_) {
        dialog_ = new QProgressDialog(QString(), QStringLiteral("Cancel"), 0, 1000,
                                      QApplication::activeWindow());
        dialog_->setWindowTitle(action_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        dialog_->setMinimumWidth(420);
    }
    sinceUpdate_.restart();
    const double part = totalBytes_ > 0   ? double(doneBytes) / double(totalBytes_)
                        : totalItems_ > 0 ? double(doneItems) / double(totalItems_)
                                          : 0.0;
    dialog_->setLabelText(
        action_ + QStringLiteral(" \"%1\"\nfrom %2").arg(nameOf(current), folderOf(current)));
    dialog_->setValue(qBound(0, int(part * 1000), 999));  // runs the events of the dialog
    return !dialog_->wasCanceled();
}

void RealFileOpDialogs::EndProgress() {
    delete dialog_;
    sinceBegin_.invalidate();
}

ErrorAnswer RealFileOpDialogs::ShowError(const QString& text, bool moreToCome) {
    QMessageBox box(QMessageBox::Critical, QStringLiteral("Error"), text, QMessageBox::NoButton,
                    QApplication::activeWindow());
    if (!moreToCome) {
        box.addButton(QMessageBox::Ok);
        box.exec();
        return ErrorAnswer::Skip;
    }
    QPushButton* skip = box.addButton(QStringLiteral("&Skip"), QMessageBox::AcceptRole);
    box.addButton(QMessageBox::Cancel);
    box.setDefaultButton(skip);
    box.exec();
    return box.clickedButton() == skip ? ErrorAnswer::Skip : ErrorAnswer::Cancel;
}
