#pragma once

#include <QByteArray>
#include <QDialog>
#include <QList>
#include <QMap>

class QLabel;
class QFrame;
class QTimer;

// The start-up window: product art, the user's name and organisation and
// the version. It brings up the main window and closes itself after four
// seconds.
class frmspash : public QWidget {
    Q_OBJECT
public:
    frmspash();

    static frmspash* Instance();

    void Form_Load();
    void Timer1_Timer();
    void Form_Unload();
    // A local-machine registry value; empty when it cannot be read.
    static QVariant ReadMachineRegValue(const QString& keyPath, const QString& valueName);

    // The folders and pictures named on the command line, set before
    // Form_Load; relative ones are taken from the working folder.
    QList<QByteArray> StartPaths;

    QLabel* Label1(int index) const { return label1_.value(index); }
    QLabel* Label3;
    QFrame* Shape1;
    QTimer* Timer1;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QMap<int, QLabel*> label1_;
    // The paths that could not be opened, said once the splash has gone.
    QString startMessage_;
};
