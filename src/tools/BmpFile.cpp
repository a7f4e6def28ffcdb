#include "tools/BmpFile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageWriter>
#include <QPainter>
#include <QTemporaryFile>

#include <sys/stat.h>
#include <cstdio>

QImage FlattenForBmp(const QImage& picture) {
    if (!picture.hasAlphaChannel()) return picture;
    QImage out(picture.size(), QImage::Format_RGB32);
    out.setDotsPerMeterX(picture.dotsPerMeterX());
    out.setDotsPerMeterY(picture.dotsPerMeterY());
    out.fill(Qt::white);
    QPainter p(&out);
    p.drawImage(0, 0, picture);
    return out;
}

namespace {
// The permissions a new file gets: rw for all, less the process's umask.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}
}  // namespace

bool SaveBmpAtomically(const QImage& picture, const QString& path) {
    if (picture.isNull() || path.isEmpty()) return false;
    const QFileInfo target(path);
    // Hidden, beside the target: the rename stays on one file system.
    QTemporaryFile temp(target.absolutePath() + "/." + target.fileName() + ".XXXXXX");
    if (!temp.open()) return false;
    QImageWriter writer(&temp, "bmp");
    if (!writer.write(FlattenForBmp(picture)) || !temp.flush()) return false;

    const QByteArray to = QFile::encodeName(target.absoluteFilePath());
    struct stat st;
    const mode_t mode = ::stat(to.constData(), &st) == 0 ? (st.st_mode & 07777) : newFileMode();
    ::fchmod(temp.handle(), mode);
    // The temporary file is not synced to disk first: a BMP is rewritten on
    // request and easily made again, and the rename alone keeps a reader from
    // ever seeing a half-written file.
    if (std::rename(QFile::encodeName(temp.fileName()).constData(), to.constData()) != 0)
        return false;
    temp.setAutoRemove(false);
    return true;
}
