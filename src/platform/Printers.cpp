#include "platform/Printers.h"

#include <cups/cups.h>

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace {
QList<ListedPrinter> systemPrinters() {
    QList<ListedPrinter> listed;
    for (const QPrinterInfo& p : QPrinterInfo::availablePrinters())
        listed.push_back({p.printerName(), p.isDefault()});
    return listed;
}
}  // namespace

SystemPrinters::SystemPrinters(Lister lister)
    : lister_(lister ? std::move(lister) : Lister(systemPrinters)) {}

QString SystemPrinters::chosen() const {
    for (const ListedPrinter& p : lister_())
        if (p.isDefault) return p.name;
    return QString();
}

bool PrintPictureOn(QPrinter& printer, const QImage& picture, QSizeF twips) {
    printer.setFullPage(false);
    QPainter p;
    if (!p.begin(&printer)) return false;
    // An empty line of text is what starts the job and its first page.
    p.drawText(QPointF(0, p.fontMetrics().ascent()), QString());
    if (!picture.isNull() && twips.isValid()) {
        const QRectF where(0, 0, twips.width() / 1440.0 * printer.logicalDpiX(),
                           twips.height() / 1440.0 * printer.logicalDpiY());
        p.setClipRect(QRectF(QPointF(0, 0), printer.pageRect(QPrinter::DevicePixel).size()));
        p.drawImage(where, picture);
    }
    return p.end();
}

QSizeF PrintableTwips(const QPrinter& printer) {
    return printer.pageRect(QPrinter::Inch).size() * 1440;
}

std::optional<QString> SystemPrinters::DeviceName() const {
    const QString name = chosen();
    if (name.isEmpty()) return std::nullopt;
    return name;
}

std::optional<QString> SystemPrinters::Port() const {
    const QString name = chosen();
    if (name.isEmpty()) return std::nullopt;
    // CUPS keeps the printer's connection as its device address.
    cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, name.toUtf8().constData(), nullptr);
    if (!dest) return std::nullopt;
    std::optional<QString> port;
    if (const char* uri = cupsGetOption("device-uri", dest->num_options, dest->options))
        port = QString::fromUtf8(uri);
    cupsFreeDests(1, dest);
    return port;
}

std::optional<qint16> SystemPrinters::PrintQuality() const {
    const QPrinterInfo p = QPrinterInfo::printerInfo(chosen());
    if (p.isNull()) return std::nullopt;
    QPrinter printer(p, QPrinter::HighResolution);
    const int dpi = printer.resolution();
    if (dpi <= 0 || dpi > 32767) return std::nullopt;
    return qint16(dpi);
}

std::optional<QSizeF> SystemPrinters::PrintableArea() const {
    const QPrinterInfo p = QPrinterInfo::printerInfo(chosen());
    if (p.isNull()) return std::nullopt;
    QPrinter printer(p, QPrinter::HighResolution);
    printer.setFullPage(false);
    return PrintableTwips(printer);
}

bool SystemPrinters::PrintPicture(const QImage& picture, QSizeF twips) {
    const QPrinterInfo p = QPrinterInfo::printerInfo(chosen());
    if (p.isNull()) return false;
    QPrinter printer(p, QPrinter::HighResolution);
    // Never the PDF file Qt would quietly put in a printer's place.
    if (printer.outputFormat() != QPrinter::NativeFormat) return false;
    return PrintPictureOn(printer, picture, twips);
}

namespace {
void setUpPdf(QPrinter& printer, const QString& file, qint16 dpi) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setResolution(dpi);
}
}  // namespace

std::optional<QSizeF> PdfPrinters::PrintableArea() const {
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, file_, dpi_);
    printer.setFullPage(false);
    return PrintableTwips(printer);
}

bool PdfPrinters::PrintPicture(const QImage& picture, QSizeF twips) {
    QPrinter printer(QPrinter::HighResolution);
    setUpPdf(printer, file_, dpi_);
    ++jobs;
    return PrintPictureOn(printer, picture, twips);
}
