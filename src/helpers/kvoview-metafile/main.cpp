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
// With --serve it stays up and answers framed requests (MetafileProtocol.h)
// one after another until stdin ends, so the program pays for starting it
// once. Memory and file limits then hold for the whole process, the processor
// time budget for each request; it exits after any request it cannot answer.

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
#include <cstring>
#include <ctime>
#include <limits>
#include <optional>

#include <emf2svg.h>

#include "WmfCanvas.h"
#include "platform/MetafileProtocol.h"

namespace {

constexpr rlim_t kMemoryBytes = rlim_t(1) << 30;
constexpr long kMaxCpuMs = 5000;
constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
constexpr long kMaxSide = 30000;
constexpr qint64 kMaxPixels = 32 * 1024 * 1024;  // MetafileRenderer never asks for more

// Files may grow no larger than the pixels we write: stdout is usually a
// pipe, which this limit does not cover, and nothing else is ever written.
// A refused write fails with EFBIG instead of killing the process.
bool limitProcess(qint64 outputBytes) {
    const rlimit memory{kMemoryBytes, kMemoryBytes};
    const rlimit noCore{0, 0};
    const rlimit files{rlim_t(outputBytes), rlim_t(outputBytes)};
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPROF, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
    return setrlimit(RLIMIT_AS, &memory) == 0 && setrlimit(RLIMIT_CORE, &noCore) == 0 &&
           setrlimit(RLIMIT_FSIZE, &files) == 0;
}

double cpuSecondsUsed() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + used.tv_nsec / 1e9;
}

// Processor time from now on is capped to the millisecond by a profiling
// timer, whose signal ends the process, and in whole seconds by RLIMIT_CPU
// behind it (which counts from the process's start, and never goes up again
// past its hard limit).
bool limitCpu(long cpuMs) {
    rlimit cpu{};
    if (getrlimit(RLIMIT_CPU, &cpu) != 0) return false;
    const rlim_t soft = rlim_t(cpuSecondsUsed()) + rlim_t((cpuMs + 999) / 1000) + 1;
    cpu.rlim_cur = cpu.rlim_max == RLIM_INFINITY ? soft : std::min(soft, cpu.rlim_max);
    itimerval cpuTimer{};
    cpuTimer.it_value.tv_sec = cpuMs / 1000;
    cpuTimer.it_value.tv_usec = cpuMs % 1000 * 1000;
    return setrlimit(RLIMIT_CPU, &cpu) == 0 && setitimer(ITIMER_PROF, &cpuTimer, nullptr) == 0;
}

bool stopCpuTimer() {
    const itimerval off{};
    return setitimer(ITIMER_PROF, &off, nullptr) == 0;
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

// False at the end of input, or when it ends inside the bytes.
bool readExactly(char* bytes, qint64 length) {
    while (length > 0) {
        const ssize_t n = ::read(STDIN_FILENO, bytes, size_t(std::min<qint64>(length, 1 << 20)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= n;
    }
    return true;
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
    return writeAll(reinterpret_cast<const char*>(image->constBits()), image->sizeInBytes()) ? 0
                                                                                             : 1;
}

int measureAndWrite(const QByteArray& data) {
    const auto answer = measure(data);
    return answer && writeAll(answer->constData(), answer->size()) ? 0 : 1;
}

bool writeAnswer(MetafileProtocol::Status status, const char* bytes, qint64 length) {
    MetafileProtocol::Answer answer;
    answer.status = status;
    answer.length = std::uint64_t(length);
    return writeAll(reinterpret_cast<const char*>(&answer), sizeof answer) &&
           writeAll(bytes, length);
}

// Answers requests until stdin ends: 0 then, else 1 after the first one it
// cannot answer, 2 on a malformed request.
int serve(char* argv0) {
    using namespace MetafileProtocol;
    constexpr qint64 kMaxAnswerBytes = kMaxPixels * 4;
    if (!keepStdoutForAnswer() || !limitProcess(kMaxAnswerBytes)) return 3;
    const GuiApplication gui(argv0);
    for (;;) {
        Request request;
        if (!readExactly(reinterpret_cast<char*>(&request), sizeof request)) return 0;
        const Request valid;
        const bool drawing = request.kind == DrawWmf || request.kind == DrawEmf;
        if (std::memcmp(request.magic, valid.magic, sizeof valid.magic) != 0 ||
            (!drawing && request.kind != MeasureWmf) || request.length > kMaxInputBytes ||
            request.cpuMs < 1 ||
            (drawing &&
             (request.width < 1 || request.width > kMaxSide || request.height < 1 ||
              request.height > kMaxSide || qint64(request.width) * request.height > kMaxPixels)))
            return 2;
        QByteArray data(qsizetype(request.length), Qt::Uninitialized);
        if (!readExactly(data.data(), data.size())) return 1;
        if (!limitCpu(std::min<long>(request.cpuMs, kMaxCpuMs))) return 3;
        bool answered = false;
        if (drawing) {
            const QSize size(int(request.width), int(request.height));
            if (const auto image = drawPicture(request.kind == DrawWmf, data, size)) {
                answered = stopCpuTimer() &&
                           writeAnswer(Done, reinterpret_cast<const char*>(image->constBits()),
                                       image->sizeInBytes());
            }
        } else if (const auto extent = measure(data)) {
            answered = stopCpuTimer() && writeAnswer(Done, extent->constData(), extent->size());
        }
        if (!answered) {
            writeAnswer(Refused, nullptr, 0);
            return 1;
        }
    }
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
    if (!keepStdoutForAnswer() || !limitProcess(outputBytes) || !limitCpu(cpuMs)) return 3;
    auto data = readInput();
    if (!data) return 1;
    return measuring ? measureAndWrite(*data) : drawAndWrite(argv[1], *data, size, argv0);
}
