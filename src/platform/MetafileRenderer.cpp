#include "platform/MetafileRenderer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace {

constexpr char kHelperName[] = "kvoview-metafile";

bool isExecutable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished(1000);
}

}  // namespace

QString MetafileRenderer::findHelper() {
    QStringList candidates;
    if (QCoreApplication::instance())
        candidates << QCoreApplication::applicationDirPath() + '/' + kHelperName;
    const QString buildDir = qEnvironmentVariable("KVO_BUILD_DIR");
    if (!buildDir.isEmpty()) candidates << buildDir + '/' + kHelperName;
    for (const QString& path : candidates)
        if (isExecutable(path)) return path;
    return QStandardPaths::findExecutable(kHelperName);
}

std::optional<QImage> MetafileRenderer::render(const QByteArray& data, PictureType type,
                                               QSize size) const {
    if (helper_.isEmpty() || size.isEmpty() || qint64(size.width()) * size.height() > kMaxPixels ||
        data.size() > kMaxInputBytes)
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};

    // The helper reads the metafile on stdin and answers with the raw pixels
    // of exactly this image on stdout; anything else is a failure.
    QProcess process;
    process.setProgram(helper_);
    process.setArguments(
        {PictureFormat::name(type), QString::number(size.width()), QString::number(size.height())});
    process.setStandardErrorFile(QProcess::nullDevice());
    const QDeadlineTimer deadline(timeoutMs_);
    process.start();
    if (!process.waitForStarted(int(deadline.remainingTime()))) {
        stop(process);
        return {};
    }
    process.write(data);
    process.closeWriteChannel();

    char* pixels = reinterpret_cast<char*>(image.bits());
    const qint64 expected = image.sizeInBytes();
    qint64 received = 0;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        if (process.bytesAvailable() > 0) {
            if (received == expected) {  // more than it should send
                stop(process);
                return {};
            }
            const qint64 n = process.read(pixels + received, expected - received);
            if (n <= 0) {
                stop(process);
                return {};
            }
            received += n;
            continue;
        }
        if (deadline.hasExpired()) {
            stop(process);
            return {};
        }
        process.waitForReadyRead(int(deadline.remainingTime()));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0 ||
        received != expected)
        return {};
    return image;
}
