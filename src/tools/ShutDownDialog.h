#pragma once

#include <QDialog>

class QRadioButton;
class QPushButton;

// Shut down, restart or log out, asked of the login manager.
class ShutDownDialog : public QDialog {
    Q_OBJECT
public:
    ShutDownDialog();
    void Start();
    // Sends the chosen request and closes.
    void Confirm();

    QRadioButton* Option[3];  // shut down, restart, log out
    QPushButton* OK;
    QPushButton* Cancel;
};
