#include "platform/MetafileRenderer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <cmath>

namespace {

constexpr char kHelperName[] = "kvoview-metafile";
constexpr int kCancelPollMs = 20;

bool isExecutable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

void stop(QProcess& process) {
    process.kill();
    process.waitForFinished(1000);
}

}  // namespace

QString MetafileRenderer::FindHelper() {
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString bin = QCoreApplication::applicationDirPath();
        candidates << bin + '/' + kHelperName;
#ifdef KVO_HELPER_FROM_BIN
        // Installed: the helper's folder under the same prefix as the program's.
        candidates << QDir::cleanPath(bin + '/' + KVO_HELPER_FROM_BIN + '/' + kHelperName);
#endif
    }
    const QString buildDir = qEnvironmentVariable("KVO_BUILD_DIR");
    if (!buildDir.isEmpty()) candidates << buildDir + '/' + kHelperName;
    for (const QString& path : candidates)
        if (isExecutable(path)) return path;
    return QStandardPaths::findExecutable(kHelperName);
}

std::optional<QImage> MetafileRenderer::Render(const QByteArray& data, PictureType type,
                                               QSize size) const {
    if (size.isEmpty() || qint64(size.width()) * size.height() > kMaxPixels) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    // The helper answers with the raw pixels of exactly this image.
    const auto received = run(
        {PictureFormat::name(type), QString::number(size.width()), QString::number(size.height())},
        data, reinterpret_cast<char*>(image.bits()), image.sizeInBytes());
    if (received != image.sizeInBytes()) return {};
    return image;
}

std::optional<QSizeF> MetafileRenderer::MeasureWmf(const QByteArray& data) const {
    // The helper answers with one line: width and height in twips.
    char answer[64];
    const auto received = run({"wmf", "extent"}, data, answer, sizeof answer - 1);
    if (!received) return {};
    answer[*received] = '\0';
    const QList<QByteArray> fields = QByteArray(answer).trimmed().split(' ');
    if (fields.size() != 2) return {};
    bool okW = false, okH = false;
    const double w = fields[0].toDouble(&okW), h = fields[1].toDouble(&okH);
    if (!okW || !okH || !(w > 0 && h > 0) || !std::isfinite(w) || !std::isfinite(h)) return {};
    return QSizeF(w, h);
}

std::optional<qint64> MetafileRenderer::run(const QStringList& args, const QByteArray& data,
                                            char* out, qint64 capacity) const {
    if (helper_.isEmpty() || data.size() > kMaxInputBytes) return {};
    // The helper reads the metafile on stdin and writes its answer on stdout;
    // a failure is any non-zero exit, and more output than asked for.
    QProcess process;
    process.setProgram(helper_);
    process.setArguments(QStringList{"--cpu-ms", QString::number(cpuMs_)} + args);
    process.setStandardErrorFile(QProcess::nullDevice());
    const QDeadlineTimer deadline(timeoutMs_);
    if (cancel_ && cancel_->load()) return {};
    process.start();
    if (!process.waitForStarted(int(deadline.remainingTime()))) {
        stop(process);
        return {};
    }
    process.write(data);
    process.closeWriteChannel();

    qint64 received = 0;
    while (process.state() != QProcess::NotRunning || process.bytesAvailable() > 0) {
        if (process.bytesAvailable() > 0) {
            if (received == capacity) {  // more than it should send
                stop(process);
                return {};
            }
            const qint64 n = process.read(out + received, capacity - received);
            if (n <= 0) {
                stop(process);
                return {};
            }
            received += n;
            continue;
        }
        if (deadline.hasExpired() || (cancel_ && cancel_->load())) {
            stop(process);
            return {};
        }
        // Short waits, so a cancel is seen within a few milliseconds.
        process.waitForReadyRead(int(qMin<qint64>(deadline.remainingTime(), kCancelPollMs)));
    }
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) return {};
    return received;
}
