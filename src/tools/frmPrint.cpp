#include "tools/frmPrint.h"

#include <QCloseEvent>
#include <QFile>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

#include "kit/Forms.h"
#include "kit/PictureService.h"
#include "kit/Twips.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/Printers.h"
#include "platform/ScreenMetrics.h"

frmPrint::frmPrint() {
    setObjectName("frmPrint");
    setWindowTitle("Print");
    auto* layout = new QVBoxLayout(this);
    Frame1 = new QGroupBox("Printer", this);
    auto* fl = new QVBoxLayout(Frame1);
    // Shown as it is when no printer can be read.
    Label2 = new QLabel("No printer is installed.", Frame1);
    Label2->setObjectName("Label2");
    Label2->setMinimumWidth(280);
    Label2->setTextInteractionFlags(Qt::TextSelectableByMouse);
    fl->addWidget(Label2);
    layout->addWidget(Frame1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"&OK", "&Cancel"};
    for (int i = 0; i < 2; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    Command1[0]->setDefault(true);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

void frmPrint::Form_Load() {
    adjustSize();
    CentreOnScreen(*this);
    // Each line whose value cannot be read is left out.
    const Printers& printer = Platform::printers();
    QString text = Label2->text();
    if (std::optional<QString> name = printer.DeviceName()) text = "Printer: " + *name + "\r\n";
    if (std::optional<QString> port = printer.Port()) text += "Port: " + *port + "\r\n";
    if (std::optional<qint16> dpi = printer.PrintQuality())
        text += "Resolution: " + QString::number(*dpi) + " dpi";
    Label2->setText(text);
}

void frmPrint::Loadimage(const QString& strfilename, const QByteArray& rawPath) {
    const QByteArray path = rawPath.isEmpty() ? PathBytes(strfilename) : rawPath;
    Picture1.Clear();
    // Printed at its natural size from the page's top left, no more of the
    // picture than its top left part can land on the page: that part, at
    // the picture's own pixels, is all that is held. Without a printer
    // nothing is printed, so nothing is held.
    const std::optional<QSizeF> area = Platform::printers().PrintableArea();
    if (!area) return;
    const ScreenMetrics& s = Platform::screen();
    const QSize page(int(std::ceil(area->width() / s.TwipsPerPixelX())),
                     int(std::ceil(area->height() / s.TwipsPerPixelY())));
    std::optional<Picture> p =
        PictureService::Instance().LoadNow(path, PictureSizing::TopLeftPart(page)).picture;
    if (!p) return;
    const QSize whole = p->info.pixels;
    const QSize kept = page.boundedTo(whole);
    Picture1.Take(path, std::move(*p));
    // The part's own size at the picture's natural size.
    Picture1.twips = QSizeF(Picture1.twips.width() * kept.width() / whole.width(),
                            Picture1.twips.height() * kept.height() / whole.height());
    Picture1.pixels = kept;
}

void frmPrint::PrintedPainted() {
    Platform::printers().PrintPicture(Picture1.image, Picture1.twips);
}

void frmPrint::Command1_Click(int Index) {
    if (Index == 0) PrintedPainted();
    close();
}

void frmPrint::Form_Unload() {
    Forms::Release<frmPrint>();
}

void frmPrint::closeEvent(QCloseEvent* e) {
    Form_Unload();
    QDialog::closeEvent(e);
}

void frmPrint::reject() {
    if (isVisible()) QDialog::reject();
    Form_Unload();
}
