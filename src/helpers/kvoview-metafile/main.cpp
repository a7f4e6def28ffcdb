// kvoview-metafile: draws one WMF or EMF picture for Kvo View.
//
//   kvoview-metafile [--cpu-ms MS] wmf|emf WIDTH HEIGHT  < metafile  > pixels
//   kvoview-metafile [--cpu-ms MS] wmf extent            < metafile  > "WIDTH HEIGHT\n"
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

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <sys/resource.h>
#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <optional>

#include <emf2svg.h>

#include "WmfCanvas.h"

namespace {

constexpr rlim_t kMemoryBytes = rlim_t(1) << 30;
constexpr long kMaxCpuMs = 5000;
constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
constexpr long kMaxSide = 30000;
constexpr qint64 kMaxPixels = 32 * 1024 * 1024;  // MetafileRenderer never asks for more

// Files may grow no larger than the pixels we write: stdout is usually a
// pipe, which this limit does not cover, and nothing else is ever written.
// A refused write fails with EFBIG instead of killing the process.
// Processor time is capped to the millisecond by a profiling timer, whose
// signal ends the process, and in whole seconds by RLIMIT_CPU behind it.
bool limitResources(qint64 outputBytes, long cpuMs) {
    const rlimit memory{kMemoryBytes, kMemoryBytes};
    const rlim_t cpuSeconds = rlim_t((cpuMs + 999) / 1000);
    const rlimit cpu{cpuSeconds, cpuSeconds + 1};
    const rlimit noCore{0, 0};
    const rlimit files{rlim_t(outputBytes), rlim_t(outputBytes)};
    itimerval cpuTimer{};
    cpuTimer.it_value.tv_sec = cpuMs / 1000;
    cpuTimer.it_value.tv_usec = cpuMs % 1000 * 1000;
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPROF, SIG_DFL);
    return setrlimit(RLIMIT_AS, &memory) == 0 && setrlimit(RLIMIT_CPU, &cpu) == 0 &&
           setrlimit(RLIMIT_CORE, &noCore) == 0 && setrlimit(RLIMIT_FSIZE, &files) == 0 &&
           setitimer(ITIMER_PROF, &cpuTimer, nullptr) == 0;
}

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

// The answer goes out on a copy of stdout; stdout itself is pointed at stderr
// before any library runs, so nothing they print can get mixed into it.
int answerFd = -1;

bool keepStdoutForAnswer() {
    answerFd = ::dup(STDOUT_FILENO);
    return answerFd >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) >= 0;
}

bool writeAll(const char* bytes, qint64 length) {
    while (length > 0) {
        const ssize_t n = ::write(answerFd, bytes, size_t(length));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= n;
    }
    return true;
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
int drawAndWrite(const QByteArray& kind, QByteArray& data, QSize size, char* argv0) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    char* qtArgv[] = {argv0, nullptr};
    QGuiApplication app(qtArgc, qtArgv);
    std::optional<QImage> image;
    if (kind == "wmf") {
        image = drawWmf(data, size);
    } else if (const auto svg = emfToSvg(data, size)) {
        image = draw(*svg, size);
    }
    if (!image) return 1;
    return writeAll(reinterpret_cast<const char*>(image->constBits()), image->sizeInBytes()) ? 0
                                                                                             : 1;
}

int measureAndWrite(const QByteArray& data) {
    const auto twips = wmfExtentTwips(data);
    if (!twips) return 1;
    const QByteArray answer = QByteArray::number(twips->width(), 'f', 3) + ' ' +
                              QByteArray::number(twips->height(), 'f', 3) + '\n';
    return writeAll(answer.constData(), answer.size()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    char* const argv0 = argv[0];
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
                     "       %s [--cpu-ms MS] wmf extent < metafile > twips\n",
                     argv0, argv0);
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
    if (!keepStdoutForAnswer() || !limitResources(outputBytes, cpuMs)) return 3;
    auto data = readInput();
    if (!data) return 1;
    return measuring ? measureAndWrite(*data) : drawAndWrite(argv[1], *data, size, argv0);
}
