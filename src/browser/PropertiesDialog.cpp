#include "browser/PropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFile>
#include <QFormLayout>
#include <QLabel>
#include <QVBoxLayout>

#include "kit/Helpers.h"
#include "kit/ScreenPictures.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"

namespace {
QString typeName(PictureType t) {
    switch (t) {
        case PictureType::Bmp:
            return "BMP picture";
        case PictureType::Gif:
            return "GIF picture";
        case PictureType::Jpeg:
            return "JPEG picture";
        case PictureType::Ico:
            return "Icon";
        case PictureType::Cur:
            return "Cursor";
        case PictureType::Wmf:
            return "Windows metafile";
        case PictureType::Emf:
            return "Enhanced metafile";
        case PictureType::Png:
            return "PNG picture";
        case PictureType::Webp:
            return "WebP picture";
        case PictureType::Tiff:
            return "TIFF picture";
        case PictureType::Svg:
            return "SVG drawing";
        case PictureType::Tga:
            return "TGA picture";
        case PictureType::Avif:
            return "AVIF picture";
        case PictureType::Heif:
            return "HEIF picture";
        case PictureType::Jxl:
            return "JPEG XL picture";
        case PictureType::Unknown:
            break;
    }
    return "File";
}

QString octal(quint32 mode) {
    return QString::number(mode, 8).rightJustified(4, '0');
}
}  // namespace

PropertiesDialog::PropertiesDialog(const QByteArray& rawPath, QWidget* owner)
    : QDialog(owner), form_(new QFormLayout) {
    setAttribute(Qt::WA_DeleteOnClose);
    QByteArray path = rawPath;
    while (path.size() > 1 && path.endsWith('/')) path.chop(1);
    const qsizetype slash = path.lastIndexOf('/');
    const QString name = ShownText(slash >= 0 ? path.mid(slash + 1) : path);
    const QString location =
        ShownText(slash > 0 ? path.left(slash) : QByteArray(slash == 0 ? "/" : ""));
    setWindowTitle((name.isEmpty() ? ShownText(path) : name) + " Properties");

    addRow("Name", name.isEmpty() ? ShownText(path) : name);
    const std::optional<FileStatus> st = Platform::files().Status(path);
    if (!st) {
        addRow("Location", location);
        addRow("Status", "This item cannot be read.");
    } else {
        std::optional<PictureInfo> picture;
        if (!st->isDirectory) picture = ScreenPictureLoader().Probe(path);
        addRow("Type", st->isDirectory ? "Folder"
                                       : typeName(picture ? picture->type : PictureType::Unknown));
        addRow("Location", location);
        if (!st->isDirectory)
            addRow("Size",
                   FormatFileSize(st->size) + " (" + QLocale().toString(st->size) + " bytes)");
        if (picture)
            addRow("Dimensions", QString::number(picture->pixels.width()) + " x " +
                                     QString::number(picture->pixels.height()) + " pixels");
        addRow("Modified", FormatGeneralDate(st->modified));
        addRow("Accessed", FormatGeneralDate(st->accessed));
        addRow("Changed", FormatGeneralDate(st->changed));
        addRow("Owner", st->owner + ":" + st->group);
        addRow("Permissions", PermissionText(st->mode) + " (" + octal(st->mode) + ")");
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::close);
    auto* layout = new QVBoxLayout(this);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    layout->addLayout(form_);
    layout->addWidget(buttons);
}

void PropertiesDialog::addRow(const QString& label, const QString& value) {
    auto* l = new QLabel(value);
    l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->setObjectName(label);
    l->setAccessibleName(label);
    form_->addRow(label + ":", l);
}

QString PropertiesDialog::Value(const QString& label) const {
    auto* l = findChild<QLabel*>(label);
    return l ? l->text() : QString();
}
