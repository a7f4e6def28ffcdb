#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

// The Run dialog: a command, a folder, a document or an address, typed.
class RunDialog : public QDialog {
    Q_OBJECT
public:
    RunDialog();
    // Shows the dialog with its title and prompt, modal to its owner, and
    // returns when it closes.
    void Start(QWidget* owner, const QString& title, const QString& prompt);
    // An existing path or an address opens with its default application;
    // anything else runs as a command line. Empty text does nothing.
    static void RunTyped(const QString& text);

    QLabel* Prompt;
    QLineEdit* Command;
    QPushButton* OK;
    QPushButton* Cancel;
    QPushButton* Browse;
};
