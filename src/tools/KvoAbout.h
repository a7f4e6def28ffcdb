#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// The about box: version, how many pictures the program has shown, thanks,
// and the web site address, which opens in the browser when clicked.
class KvoAbout : public QDialog {
    Q_OBJECT
public:
    KvoAbout();

    void Form_Load();
    void Label1_Click(int Index);
    void Command1_Click();

    // "Kvo View 1.0.53 has been used to view 12,345 images since you
    // installed the program." for a stored counter text.
    static QString UsageLine(const QString& counter);

    QLabel* Image2 = nullptr;
    QLabel* Label1[3] = {};
    QLabel* Label2[4] = {};
    QPushButton* Command1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
};
