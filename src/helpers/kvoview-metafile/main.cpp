// kvoview-metafile: draws one WMF or EMF picture for Kvo View.
//
//   kvoview-metafile [--cpu-ms MS] wmf|emf WIDTH HEIGHT  < metafile  > pixels
//   kvoview-metafile [--cpu-ms MS] wmf extent            < metafile  > "WIDTH HEIGHT\n"
//   kvoview-metafile --serve                     < requests  > answers
//
// Reads the metafile on stdin. Drawing, it writes WIDTH x HEIGHT pixels on
// stdout as premultiplied ARGB32 (QImage::Format_ARGB32_Premultiplied: rows
// top to bottom, 4 bytes a pixel, no padding), on a transparent background.
// Measuring, it writes the natural size in twips of a WMF that has no size
// in its headers: the extent of what it draws. Exit status 0 means the
// answer is complete; nothing else is ever written on stdout, whatever the
// libraries print. The metafile libraries are not trusted with our main
// process: this one limits its own memory, CPU time and file writes before
// it reads a byte, so a hostile file can at worst make it fail. A caller
// that must not wait long (a preview) asks for less processor time than the
// helper's own limit with --cpu-ms; it never gets more.
//
// With --serve it stays up and answers framed requests (HelperProtocol.h)
// one after another until stdin ends, so the program pays for starting it
// once. Memory and file limits then hold for the whole process, the processor
// time budget for each request; it exits after any request it cannot answer.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <optional>

#include <emf2svg.h>

#include "HelperServe.h"
#include "WmfCanvas.h"
#include "platform/HelperProtocol.h"

namespace {

constexpr rlim_t kMemoryBytes = rlim_t(1) << 30;
constexpr long kMaxCpuMs = 5000;
constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
constexpr long kMaxSide = 30000;
constexpr qint64 kMaxPixels = 32 * 1024 * 1024;  // MetafileRenderer never asks for more

std::optional<long> parseNumber(const char* text, long max) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > max) return {};
    return value;
}

std::optional<QByteArray> readInput() {
    QByteArray data;
    char chunk[65536];
    for (;;) {
        const ssize_t n = ::read(STDIN_FILENO, chunk, sizeof chunk);
        if (n == 0) return data;
        if (n < 0) {
            if (errno == EINTR) continue;
            return {};
        }
        if (data.size() + n > kMaxInputBytes) return {};
        data.append(chunk, n);
    }
}

std::optional<QByteArray> emfToSvg(QByteArray& data, QSize size) {
    static char noNamespace[] = "";
    generatorOptions options{};
    options.nameSpace = noNamespace;
    options.svgDelimiter = true;
    options.emfplus = false;  // EMF+ files carry plain EMF records for readers like this one
    options.imgWidth = size.width();
    options.imgHeight = size.height();
    char* text = nullptr;
    size_t length = 0;
    const int ok = emf2svg(data.data(), size_t(data.size()), &text, &length, &options);
    std::optional<QByteArray> svg;
    if (ok && text && length > 0) svg = QByteArray(text, qsizetype(length));
    std::free(text);
    return svg;
}

// EMF pictures go through libemf2svg and QtSvg.
std::optional<QImage> draw(const QByteArray& svg, QSize size) {
    QSvgRenderer renderer(svg);
    if (!renderer.isValid()) return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) return {};
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image;
}

// Text goes through Qt's font database, which needs a GUI application; the
// offscreen platform needs no display.
struct GuiApplication {
    explicit GuiApplication(char* argv0) : argv{argv0, nullptr} {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    int argc = 1;
    char* argv[2];
    QGuiApplication app{argc, argv};
};

std::optional<QImage> drawPicture(bool wmf, QByteArray& data, QSize size) {
    if (wmf) return drawWmf(data, size);
    if (const auto svg = emfToSvg(data, size)) return draw(*svg, size);
    return {};
}

std::optional<QByteArray> measure(const QByteArray& data) {
    const auto twips = wmfExtentTwips(data);
    if (!twips) return {};
    return QByteArray::number(twips->width(), 'f', 3) + ' ' +
           QByteArray::number(twips->height(), 'f', 3) + '\n';
}

int drawAndWrite(const QByteArray& kind, QByteArray& data, QSize size, char* argv0) {
    const GuiApplication gui(argv0);
    const auto image = drawPicture(kind == "wmf", data, size);
    if (!image) return 1;
    return HelperServe::WriteAll(reinterpret_cast<const char*>(image->constBits()),
                                 image->sizeInBytes())
               ? 0
               : 1;
}

int measureAndWrite(const QByteArray& data) {
    const auto answer = measure(data);
    return answer && HelperServe::WriteAll(answer->constData(), answer->size()) ? 0 : 1;
}

// Answers requests until stdin ends (see HelperServe::Serve).
int serve(char* argv0) {
    using namespace HelperProtocol;
    constexpr qint64 kMaxAnswerBytes = kMaxPixels * 4;
    if (!HelperServe::KeepStdoutForAnswer() ||
        !HelperServe::LimitProcess(kMemoryBytes, kMaxAnswerBytes))
        return 3;
    const GuiApplication gui(argv0);
    auto drawing = [](const Request& r) { return r.kind == DrawWmf || r.kind == DrawEmf; };
    return HelperServe::Serve(
        kMaxInputBytes, kMaxCpuMs,
        [&](const Request& r) {
            if (!drawing(r)) return r.kind == MeasureWmf;
            return r.width >= 1 && r.width <= kMaxSide && r.height >= 1 && r.height <= kMaxSide &&
                   qint64(r.width) * r.height <= kMaxPixels;
        },
        [&](const Request& r, QByteArray& data, const HelperServe::Reply& reply) {
            if (drawing(r)) {
                const QSize size(int(r.width), int(r.height));
                const auto image = drawPicture(r.kind == DrawWmf, data, size);
                return image && reply(reinterpret_cast<const char*>(image->constBits()),
                                      image->sizeInBytes());
            }
            const auto extent = measure(data);
            return extent && reply(extent->constData(), extent->size());
        });
}

}  // namespace

int main(int argc, char** argv) {
    char* const argv0 = argv[0];
    if (argc == 2 && qstrcmp(argv[1], "--serve") == 0) return serve(argv0);
    long cpuMs = kMaxCpuMs;
    if (argc >= 3 && qstrcmp(argv[1], "--cpu-ms") == 0) {
        const auto asked = parseNumber(argv[2], std::numeric_limits<long>::max());
        if (!asked) return 2;
        cpuMs = std::min(*asked, kMaxCpuMs);
        argc -= 2;
        argv += 2;
    }
    const bool measuring =
        argc == 3 && qstrcmp(argv[1], "wmf") == 0 && qstrcmp(argv[2], "extent") == 0;
    if (argc != 4 && !measuring) {
        std::fprintf(stderr,
                     "usage: %s [--cpu-ms MS] wmf|emf WIDTH HEIGHT < metafile > pixels\n"
                     "       %s [--cpu-ms MS] wmf extent < metafile > twips\n"
                     "       %s --serve < requests > answers\n",
                     argv0, argv0, argv0);
        return 2;
    }
    constexpr qint64 kAnswerBytes = 64;
    QSize size;
    if (!measuring) {
        const QByteArray kind = argv[1];
        const auto width = parseNumber(argv[2], kMaxSide), height = parseNumber(argv[3], kMaxSide);
        if ((kind != "wmf" && kind != "emf") || !width || !height || *width * *height > kMaxPixels)
            return 2;
        size = QSize(int(*width), int(*height));
    }
    const qint64 outputBytes = measuring ? kAnswerBytes : qint64(size.width()) * size.height() * 4;
    if (!HelperServe::KeepStdoutForAnswer() ||
        !HelperServe::LimitProcess(kMemoryBytes, outputBytes) || !HelperServe::LimitCpu(cpuMs))
        return 3;
    auto data = readInput();
    if (!data) return 1;
    return measuring ? measureAndWrite(*data) : drawAndWrite(argv[1], *data, size, argv0);
}
