#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>

#include "platform/Launchers.h"

class QLabel;
class QListView;
class QPushButton;
class QStandardItemModel;

// Our own chooser of the applications registered for a file's type, for
// desktops without the portal's.
class OpenWithDialog : public QDialog {
    Q_OBJECT
public:
    OpenWithDialog();
    // Shows the chooser for the file.
    static void Choose(const QByteArray& path);
    // Opens the file with the chosen application and closes.
    void Confirm();

    QLabel* Prompt;
    QListView* Apps;
    QPushButton* OK;
    QPushButton* Cancel;

private:
    void fill(const QByteArray& path);
    QStandardItemModel* model_;
    QList<DesktopApp> apps_;
    QByteArray path_;
};
