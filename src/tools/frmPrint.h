#pragma once

#include <QDialog>

#include "kit/PictureHolder.h"

class QGroupBox;
class QLabel;
class QPushButton;

// The print dialog: names the default printer, its port and resolution, and
// prints one picture on it at its natural size.
class frmPrint : public QDialog {
    Q_OBJECT
public:
    frmPrint();

    void Form_Load();
    void Form_Unload();
    // rawPath names the file by its bytes when strfilename cannot.
    void Loadimage(const QString& strfilename, const QByteArray& rawPath = {});
    void PrintedPainted();
    void Command1_Click(int Index);

    // The part of the picture a page can show, with that part's size.
    PictureHolder Picture1;
    QGroupBox* Frame1;
    QLabel* Label2;
    QPushButton* Command1[2];

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
};
