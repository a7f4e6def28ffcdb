// Picture loading at preview size: our probe + decode against Qt's image
// reader doing the same decode directly, on pictures generated in a temporary
// folder. Figures are medians of several runs after a warm-up.
//
// With KVO_BENCH_METAFILES naming a folder of WMF and EMF files, it also
// measures what each of them costs the metafile helper at preview size, in
// processor time and from start to answer, against the helper drawing a
// two-shape WMF in the same run: what the preview's limits must allow.
//
// The metafile helper is kept warm: a WMF drawn through it is timed against
// the same drawing in-process (the helper's own WMF player linked here).
//
// An AVIF photo's preview, through the warm decoding helper (probe, decode,
// scaling and the pixels' way back included), is timed against libavif
// decoding it in-process to RGB with as many threads.

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QRandomGenerator>
#include <QSvgRenderer>
#include <QTemporaryDir>
#include <QtEndian>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include <avif/avif.h>

#include "ModernFiles.h"
#include "WmfCanvas.h"
#include "platform/HelperProcess.h"
#include "platform/MetafileRenderer.h"
#include "platform/PictureLoader.h"

#include "BenchUtil.h"
#include "PictureFiles.h"

namespace {

constexpr int kRuns = 7;
const QSize kPreview(800, 600);

// Median times of two pieces of work, run in turns after a warm-up (page
// cache, plugins), so a busy machine slows both alike.
std::pair<double, double> compare(const std::function<void()>& ours,
                                  const std::function<void()>& baseline) {
    ours();
    baseline();
    std::vector<double> a, b;
    for (int i = 0; i < kRuns; ++i) {
        a.push_back(timeMs(ours));
        b.push_back(timeMs(baseline));
    }
    return {median(a), median(b)};
}

void report(const char* what, std::pair<double, double> times, const char* baselineName) {
    std::printf("%-30s ours %7.1f ms   %-26s %7.1f ms   ratio %.2f\n", what, times.first,
                baselineName, times.second, times.first / times.second);
}

// Smooth colour, some circles and a little grain: about as many bytes a pixel
// as a camera photo, so the JPEG costs to decode what a photo costs.
QImage photo(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator noise(1);
    for (int y = 0; y < size.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < size.width(); ++x) {
            const int grain = int(noise.bounded(16));
            line[x] = qRgb((x * 255 / size.width() + grain) & 255,
                           (y * 255 / size.height() + grain) & 255, ((x + y) / 32 + grain) & 255);
        }
    }
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (int i = 0; i < 400; ++i) {
        painter.setBrush(QColor::fromRgb(noise.generate() | 0xFF000000));
        const int r = 20 + int(noise.bounded(200));
        painter.drawEllipse(
            QPoint(int(noise.bounded(size.width())), int(noise.bounded(size.height()))), r, r);
    }
    return image;
}

// libavif's own decode of a whole AVIF to 8-bit RGBA, with the helper's threads.
bool libavifDecode(const QByteArray& data) {
    avifDecoder* decoder = avifDecoderCreate();
    decoder->maxThreads = 2;
    bool ok = avifDecoderSetIOMemory(decoder, reinterpret_cast<const uint8_t*>(data.constData()),
                                     size_t(data.size())) == AVIF_RESULT_OK &&
              avifDecoderParse(decoder) == AVIF_RESULT_OK &&
              avifDecoderNextImage(decoder) == AVIF_RESULT_OK;
    if (ok) {
        avifRGBImage rgb;
        avifRGBImageSetDefaults(&rgb, decoder->image);
        rgb.depth = 8;
        avifRGBImageAllocatePixels(&rgb);
        ok = avifImageYUVToRGB(decoder->image, &rgb) == AVIF_RESULT_OK;
        avifRGBImageFreePixels(&rgb);
    }
    avifDecoderDestroy(decoder);
    return ok;
}

bool save(const QImage& image, const QString& path, const char* format) {
    QImageWriter writer(path, format);
    writer.setQuality(85);
    return writer.write(image);
}

// 256 colours in squares of 8 pixels.
QImage indexedPattern(QSize size) {
    QImage image(size, QImage::Format_Indexed8);
    QList<QRgb> colours;
    for (int i = 0; i < 256; ++i) colours << qRgb(i, 255 - i, i / 2);
    image.setColorTable(colours);
    for (int y = 0; y < size.height(); ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < size.width(); ++x) line[x] = uchar(((x / 8) ^ (y / 8)) & 255);
    }
    return image;
}

// A placeable WMF of 400 x 300 pixels at 96 dpi: a red rectangle and a green
// ellipse.
QByteArray wmfFile() {
    QByteArray records;
    auto record = [&](int function, std::initializer_list<int> params) {
        const quint32 words = qToLittleEndian(3 + quint32(params.size()));
        records.append(reinterpret_cast<const char*>(&words), 4);
        records.append(char(function & 0xFF)).append(char(function >> 8));
        for (int p : params) records.append(char(p & 0xFF)).append(char((p >> 8) & 0xFF));
    };
    record(0x020B, {0, 0});
    record(0x020C, {300, 400});
    record(0x02FC, {0, 0x00FF, 0, 0});
    record(0x012D, {0});
    record(0x041B, {150, 200, 0, 0});
    record(0x02FC, {0, 0xFF00, 0, 0});
    record(0x012D, {1});
    record(0x0418, {300, 400, 150, 200});
    record(0, {});
    QByteArray wmf;
    auto u16 = [&](int v) { wmf.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF)); };
    for (int v : {0xCDD7, 0x9AC6, 0, 0, 0, 400, 300, 96, 0, 0}) u16(v);
    quint16 checksum = 0;
    for (int i = 0; i < 20; i += 2) checksum ^= qFromLittleEndian<quint16>(wmf.constData() + i);
    u16(checksum);
    const int words = (18 + int(records.size())) / 2;
    for (int v : {1, 9, 0x0300, words & 0xFFFF, words >> 16, 2, 8, 0, 0}) u16(v);
    return wmf + records;
}

const char kSvg[] =
    "<svg xmlns='http://www.w3.org/2000/svg' width='400' height='300'>"
    "<rect width='200' height='150' fill='red'/>"
    "<ellipse cx='300' cy='225' rx='100' ry='75' fill='lime'/></svg>";

// A GIF whose logical screen is 16000 x 16000 pixels, its one image 1 x 1:
// Qt's reader fills the whole screen before it draws the pixel.
QByteArray hugeScreenGif() {
    QByteArray gif("GIF89a\x80\x3E\x80\x3E\x80\x01\x00\xFF\x00\x00\x00\x00\xFF", 19);
    return gif.append(",\0\0\0\0\x01\0\x01\0\0\x02\x02\x44\x01\0;", 16);
}

double childCpuMs() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1e3 +
           (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e3;
}

struct HelperCost {
    double cpuMs = 0, wallMs = 0;
    bool loaded = false;
};

// One probe and preview load, with limits that stop nothing a real file needs.
HelperCost helperCost(const QString& path) {
    PictureLimits generous;
    generous.metafileTimeoutMs = 60000;
    const PictureLoader loader(15.0f, 15.0f, generous);
    HelperCost cost;
    const double cpu = childCpuMs();
    cost.wallMs = timeMs([&] {
        const auto info = loader.Probe(path);
        cost.loaded =
            info && loader.Load(QFile::encodeName(path),
                                PictureLoader::FitWithin(info->pixels, kPreview), nullptr, &*info);
    });
    // Only reaped processes count towards the children's processor time, so
    // the helper is stopped and each file starts its own.
    MetafileRenderer::StopIdleHelpers();
    cost.cpuMs = childCpuMs() - cpu;
    return cost;
}

void measureMetafiles(const QString& folder, const QString& reference) {
    std::vector<HelperCost> start;
    for (int i = 0; i < kRuns; ++i) start.push_back(helperCost(reference));
    auto byCpu = [](const HelperCost& a, const HelperCost& b) { return a.cpuMs < b.cpuMs; };
    std::sort(start.begin(), start.end(), byCpu);
    const HelperCost baseline = start[start.size() / 2];
    std::printf(
        "\nmetafiles in %s at preview size; baseline, the helper drawing a two-shape WMF: "
        "%.0f ms processor, %.0f ms to its answer\n",
        qPrintable(folder), baseline.cpuMs, baseline.wallMs);
    std::vector<std::pair<HelperCost, QString>> costs;
    int failed = 0;
    const QDir dir(folder);
    for (const QString& name : dir.entryList({"*.wmf", "*.emf", "*.WMF", "*.EMF"}, QDir::Files)) {
        const HelperCost cost = helperCost(dir.filePath(name));
        if (cost.loaded)
            costs.emplace_back(cost, name);
        else
            ++failed;
    }
    if (costs.empty()) return;
    std::sort(costs.begin(), costs.end(),
              [&](const auto& a, const auto& b) { return byCpu(b.first, a.first); });
    for (size_t i = 0; i < costs.size() && i < 5; ++i)
        std::printf("  %-28s %6.0f ms processor (%4.1f x baseline), %6.0f ms to its answer\n",
                    qPrintable(costs[i].second), costs[i].first.cpuMs,
                    costs[i].first.cpuMs / baseline.cpuMs, costs[i].first.wallMs);
    const HelperCost& median = costs[costs.size() / 2].first;
    const PictureLimits preview = PictureLimits::Preview();
    std::printf(
        "  %zu drawn (%d refused); median %.0f ms processor, %.0f ms to its answer; "
        "preview limits %d ms processor, %d ms to the answer\n",
        costs.size(), failed, median.cpuMs, median.wallMs, preview.metafileCpuMs,
        preview.metafileTimeoutMs);
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    // The metafile helper sits in the build root, one folder up from here.
    if (qEnvironmentVariableIsEmpty("KVO_BUILD_DIR"))
        qputenv("KVO_BUILD_DIR", QFile::encodeName(QCoreApplication::applicationDirPath() + "/.."));
    QTemporaryDir dir;
    const QString jpeg = dir.filePath("photo.jpg"), gif = dir.filePath("big.gif"),
                  bmp = dir.filePath("big.bmp"), wmf = dir.filePath("drawing.wmf");
    if (!dir.isValid() || !save(photo({6000, 4000}), jpeg, "jpeg") ||
        !save(photo({4000, 3000}), bmp, "bmp") ||
        !writeFile(gif, gifFile(indexedPattern({4000, 3000}))) || !writeFile(wmf, wmfFile())) {
        std::fprintf(stderr, "cannot write the test pictures\n");
        return 1;
    }

    const PictureLoader loader(15.0f, 15.0f);
    bool ok = true;
    auto ours = [&](const QString& path, QSize maxSize) {
        return [&, path, maxSize] { ok = ok && loader.Probe(path) && loader.Load(path, maxSize); };
    };
    auto qtReader = [&](const QString& path, QSize scaled) {
        return [&, path, scaled] {
            QImageReader reader(path);
            if (scaled.isValid()) reader.setScaledSize(scaled);
            ok = ok && !reader.read().isNull();
        };
    };

    std::printf("preview decodes fit within %dx%d; median of %d runs; JPEG file %.1f MB\n",
                kPreview.width(), kPreview.height(), kRuns, QFileInfo(jpeg).size() / 1e6);
    const QSize jpegPreview = PictureLoader::FitWithin({6000, 4000}, kPreview);
    const auto preview = compare(ours(jpeg, kPreview), qtReader(jpeg, jpegPreview));
    report("JPEG 6000x4000, preview", preview, "Qt reader, setScaledSize");
    const auto full = compare(ours(jpeg, {}), qtReader(jpeg, {}));
    report("JPEG 6000x4000, full", full, "Qt reader, plain");
    std::printf("  our preview decode takes %.0f%% of our full decode\n",
                100 * preview.first / full.first);
    // libjpeg's own scaling: the Huffman decoding stays, the rest shrinks.
    for (int denominator : {2, 4, 8}) {
        const auto scaled =
            compare(qtReader(jpeg, QSize(6000, 4000) / denominator), qtReader(jpeg, {}));
        std::printf("  Qt reader at 1/%d: %6.1f ms, %3.0f%% of its full decode\n", denominator,
                    scaled.first, 100 * scaled.first / scaled.second);
    }
    report("GIF 4000x3000, preview", compare(ours(gif, kPreview), qtReader(gif, {})),
           "Qt reader, plain");
    report("BMP 4000x3000, preview", compare(ours(bmp, kPreview), qtReader(bmp, {})),
           "Qt reader, plain");

    // The metafile helper, kept warm between pictures, against the same
    // drawing in-process. The first request starts the helper.
    const QByteArray wmfBytes = wmfFile();
    const QSize wmfSize(400, 300);
    MetafileRenderer::StopIdleHelpers();
    const MetafileRenderer renderer;
    std::printf("WMF 400x300 via helper, first request (starts it): %.1f ms\n",
                timeMs([&] { ok = ok && renderer.Render(wmfBytes, PictureType::Wmf, wmfSize); }));
    const auto metafile =
        compare([&] { ok = ok && renderer.Render(wmfBytes, PictureType::Wmf, wmfSize); },
                [&] { ok = ok && drawWmf(wmfBytes, wmfSize); });
    report("WMF 400x300 via warm helper", metafile, "same drawing in-process");
    std::printf("  target ratio <= 2; helpers started: %d\n", MetafileRenderer::HelpersStarted());
    report("WMF 400x300 file, preview",
           compare(ours(wmf, {}),
                   [] {
                       QImage image(400, 300, QImage::Format_ARGB32_Premultiplied);
                       image.fill(Qt::transparent);
                       QPainter painter(&image);
                       QSvgRenderer(QByteArray(kSvg)).render(&painter);
                   }),
           "QSvgRenderer in-process");

    // An AVIF photo through the warm decoding helper.
    const QString avif = dir.filePath("photo.avif");
    const QByteArray avifBytes = avifFile(photo({4000, 3000}), 30);
    if (avifBytes.isEmpty() || !writeFile(avif, avifBytes)) {
        std::fprintf(stderr, "cannot write the AVIF picture\n");
        return 1;
    }
    HelperProcess::StopIdle();
    std::printf("AVIF file %.2f MB\n", avifBytes.size() / 1e6);
    report("AVIF 4000x3000, preview",
           compare(ours(avif, kPreview), [&] { ok = ok && libavifDecode(avifBytes); }),
           "libavif in-process decode");
    std::printf("  target ratio <= 1.3\n");

    // A hostile GIF is refused from its header; Qt's reader alone fills its
    // screen first (one run: it takes seconds).
    const QString hugeGif = dir.filePath("huge-screen.gif");
    const QString smallGif = dir.filePath("small.gif");
    if (!writeFile(hugeGif, hugeScreenGif()) ||
        !writeFile(smallGif, gifFile(indexedPattern({400, 300})))) {
        std::fprintf(stderr, "cannot write the test pictures\n");
        return 1;
    }
    const auto refused =
        compare([&] { ok = ok && loader.Probe(hugeGif) && !loader.Load(hugeGif, kPreview); },
                ours(smallGif, kPreview));
    report("GIF 16000x16000 screen, refused", refused, "ours, GIF 400x300 preview");
    std::printf("  Qt reader on that file, one run: %.0f ms\n",
                timeMs([&] { QImageReader(hugeGif).read(); }));

    if (const QString folder = qEnvironmentVariable("KVO_BENCH_METAFILES"); !folder.isEmpty())
        measureMetafiles(folder, wmf);

    if (!ok) {
        std::fprintf(stderr, "a decode failed\n");
        return 1;
    }
    return 0;
}
