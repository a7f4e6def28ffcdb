#pragma once

#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>
#include <functional>
#include <optional>

class QPrinter;

// The system's default printer: what it is called, where it is connected and
// how finely it prints, and printing one page on it. Each value is missing
// when it cannot be read, all of them when no printer is installed.
class Printers {
public:
    virtual ~Printers() = default;
    virtual std::optional<QString> DeviceName() const = 0;
    virtual std::optional<QString> Port() const = 0;
    // Dots per inch.
    virtual std::optional<qint16> PrintQuality() const = 0;
    // The printable area of the page a job is printed on, in twips.
    virtual std::optional<QSizeF> PrintableArea() const = 0;
    // One page holding an empty line of text and the picture at the page's
    // origin at its natural size in twips, cut off where the printable area
    // ends. False when nothing was sent to a printer.
    virtual bool PrintPicture(const QImage& picture, QSizeF twips) = 0;
};

// Draws the page on a printer already set up: the picture's top left at the
// printable area's top left, twips / 1440 inches wide and high.
bool PrintPictureOn(QPrinter& printer, const QImage& picture, QSizeF twips);
// The printable area of the printer's page, in twips.
QSizeF PrintableTwips(const QPrinter& printer);

// A printer the system lists, and whether it is the default one.
struct ListedPrinter {
    QString name;
    bool isDefault = false;
};

// The default printer among those CUPS knows, through Qt. With printers
// installed but none of them the default there is no printer to use, as
// when none is installed (where Qt would print to a PDF file without a word).
class SystemPrinters : public Printers {
public:
    using Lister = std::function<QList<ListedPrinter>()>;
    // lister: the printers to choose from; the system's unless given.
    explicit SystemPrinters(Lister lister = {});
    std::optional<QString> DeviceName() const override;
    std::optional<QString> Port() const override;
    std::optional<qint16> PrintQuality() const override;
    std::optional<QSizeF> PrintableArea() const override;
    bool PrintPicture(const QImage& picture, QSizeF twips) override;

private:
    // The default printer's name; empty when there is none.
    QString chosen() const;
    Lister lister_;
};

// A printer that writes each job to a PDF file, for tests: the page is drawn
// exactly as a real printer's would be.
class PdfPrinters : public Printers {
public:
    explicit PdfPrinters(QString outputFile, qint16 dpi = 1200)
        : file_(std::move(outputFile)), dpi_(dpi) {}
    std::optional<QString> DeviceName() const override { return QString("PDF"); }
    std::optional<QString> Port() const override { return "file://" + file_; }
    std::optional<qint16> PrintQuality() const override { return dpi_; }
    std::optional<QSizeF> PrintableArea() const override;
    bool PrintPicture(const QImage& picture, QSizeF twips) override;
    int jobs = 0;

private:
    QString file_;
    qint16 dpi_;
};

// No printer at all, or one whose values are set by the test; records the
// pages it was asked to print.
class FakePrinters : public Printers {
public:
    std::optional<QString> name, port;
    std::optional<qint16> quality;
    QSizeF printable{8 * 1440, 10.5 * 1440};  // a letter page less its margins
    struct Page {
        QImage picture;
        QSizeF twips;
    };
    QList<Page> printed;
    std::optional<QString> DeviceName() const override { return name; }
    std::optional<QString> Port() const override { return port; }
    std::optional<qint16> PrintQuality() const override { return quality; }
    std::optional<QSizeF> PrintableArea() const override {
        return name ? std::optional(printable) : std::nullopt;
    }
    bool PrintPicture(const QImage& picture, QSizeF twips) override {
        if (!name) return false;
        printed.push_back({picture, twips});
        return true;
    }
};
