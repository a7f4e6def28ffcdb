// kvoview-metafile: draws one WMF or EMF picture for Kvo View.
//
//   kvoview-metafile wmf|emf WIDTH HEIGHT  < metafile  > pixels
//
// Reads the metafile on stdin and writes WIDTH x HEIGHT pixels on stdout as
// premultiplied ARGB32 (QImage::Format_ARGB32_Premultiplied: rows top to
// bottom, 4 bytes a pixel, no padding), on a transparent background. Exit
// status 0 means the pixels are complete. The metafile libraries are not
// trusted with our main process: this one limits its own memory, CPU time and
// file writes before it reads a byte, so a hostile file can at worst make it
// fail.

#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <sys/resource.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <optional>

extern "C" {
#include <libwmf/api.h>
#include <libwmf/svg.h>
}
#include <emf2svg.h>

namespace {

constexpr rlim_t kMemoryBytes = rlim_t(1) << 30;
constexpr rlim_t kCpuSeconds = 5;
constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
constexpr long kMaxSide = 30000;
constexpr qint64 kMaxPixels = 32 * 1024 * 1024;  // MetafileRenderer never asks for more

// Files may grow no larger than the pixels we write: stdout is usually a
// pipe, which this limit does not cover, and nothing else is ever written.
// A refused write fails with EFBIG instead of killing the process.
bool limitResources(qint64 outputBytes) {
    const rlimit memory{kMemoryBytes, kMemoryBytes};
    const rlimit cpu{kCpuSeconds, kCpuSeconds + 1};
    const rlimit noCore{0, 0};
    const rlimit files{rlim_t(outputBytes), rlim_t(outputBytes)};
    std::signal(SIGXFSZ, SIG_IGN);
    return setrlimit(RLIMIT_AS, &memory) == 0 && setrlimit(RLIMIT_CPU, &cpu) == 0 &&
           setrlimit(RLIMIT_CORE, &noCore) == 0 && setrlimit(RLIMIT_FSIZE, &files) == 0;
}

std::optional<long> parseSide(const char* text) {
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || value < 1 || value > kMaxSide) return {};
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

bool writeAll(const char* bytes, qint64 length) {
    while (length > 0) {
        const ssize_t n = ::write(STDOUT_FILENO, bytes, size_t(length));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= n;
    }
    return true;
}

// libwmf's SVG device, which maps the scanned bounding box onto the size asked.
std::optional<QByteArray> playWmf(wmfAPI* api, QByteArray& data, QSize size) {
    static char description[] = "Kvo View";
    wmfD_Rect bbox{};
    if (wmf_mem_open(api, reinterpret_cast<unsigned char*>(data.data()), long(data.size())) !=
            wmf_E_None ||
        wmf_scan(api, 0, &bbox) != wmf_E_None || !(bbox.BR.x > bbox.TL.x && bbox.BR.y > bbox.TL.y))
        return {};
    wmf_svg_t* device = WMF_SVG_GetData(api);
    device->out = wmf_stream_create(api, nullptr);  // into memory
    if (!device->out) return {};
    device->Description = description;
    device->bbox = bbox;
    device->width = unsigned(size.width());
    device->height = unsigned(size.height());
    device->flags |= WMF_SVG_INLINE_IMAGES;  // embedded bitmaps inline, never as files
    if (wmf_play(api, 0, &bbox) != wmf_E_None) return {};
    char* text = nullptr;
    unsigned long length = 0;
    wmf_stream_destroy(api, device->out, &text, &length);
    if (!text || length == 0) return {};
    return QByteArray(text, qsizetype(length));
}

std::optional<QByteArray> wmfToSvg(QByteArray& data, QSize size) {
    wmfAPI_Options options{};
    options.function = wmf_svg_function;
    wmfAPI* api = nullptr;
    const unsigned long flags = WMF_OPT_FUNCTION | WMF_OPT_IGNORE_NONFATAL;
    std::optional<QByteArray> svg;
    if (wmf_api_create(&api, flags, &options) == wmf_E_None) svg = playWmf(api, data, size);
    if (api) wmf_api_destroy(api);
    return svg;
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s wmf|emf WIDTH HEIGHT < metafile > pixels\n", argv[0]);
        return 2;
    }
    const QByteArray kind = argv[1];
    const auto width = parseSide(argv[2]), height = parseSide(argv[3]);
    if ((kind != "wmf" && kind != "emf") || !width || !height || *width * *height > kMaxPixels)
        return 2;
    const QSize size{int(*width), int(*height)};
    if (!limitResources(qint64(*width) * *height * 4)) return 3;
    auto data = readInput();
    if (!data) return 1;

    auto svg = kind == "wmf" ? wmfToSvg(*data, size) : emfToSvg(*data, size);
    if (!svg) return 1;
    // Text in the drawing goes through Qt's font database, which needs a GUI
    // application; the offscreen platform needs no display.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    int qtArgc = 1;
    QGuiApplication app(qtArgc, argv);
    const auto image = draw(*svg, size);
    if (!image) return 1;
    return writeAll(reinterpret_cast<const char*>(image->constBits()), image->sizeInBytes()) ? 0
                                                                                             : 1;
}
