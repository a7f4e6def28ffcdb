#include "tools/BmpFile.h"

#include <QDir>
#include <QFile>
#include <QImageWriter>
#include <QPainter>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cstdio>
#include <cstdlib>

#include "platform/FileSystem.h"
#include "platform/PathText.h"

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
    // By its bytes: a folder or name that is not UTF-8 is written as it is.
    QByteArray to = PathBytes(path);
    if (!to.startsWith('/')) to = JoinRawPath(PathBytes(QDir::currentPath()), to);
    if (to.contains('\0')) return false;
    // Hidden, beside the target: the rename stays on one file system.
    QByteArray temp = JoinRawPath(RawParentPath(to), "." + RawFileName(to) + ".XXXXXX");
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    QFile file;
    bool written = file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle);
    if (written) {
        QImageWriter writer(&file, "bmp");
        written = writer.write(FlattenForBmp(picture)) && file.flush();
        struct stat st;
        const mode_t mode = ::stat(to.constData(), &st) == 0 ? (st.st_mode & 07777) : newFileMode();
        ::fchmod(fd, mode);
        file.close();
    } else {
        ::close(fd);
    }
    // The temporary file is not synced to disk first: a BMP is rewritten on
    // request and easily made again, and the rename alone keeps a reader from
    // ever seeing a half-written file.
    if (!written || std::rename(temp.constData(), to.constData()) != 0) {
        ::unlink(temp.constData());
        return false;
    }
    return true;
}
