// kvoview-decode: decodes AVIF, HEIF and JPEG XL pictures for Kvo View.
//
//   kvoview-decode --serve  < requests  > answers
//
// Answers framed requests (HelperProtocol.h) one after another until stdin
// ends: a picture's size (two 32-bit numbers, width and height), or the
// picture scaled to exactly the size asked, as premultiplied ARGB32 (rows
// top to bottom, 4 bytes a pixel, no padding). The decoding libraries are
// not trusted with the program's own process: this one limits its memory,
// descriptors and file writes before it reads a byte, and the processor time
// of each request; it exits after any request it cannot answer, so a
// hostile file can at worst make it fail.

#include <QImage>

#include <cstdio>
#include <cstring>

#include "Decoders.h"
#include "HelperServe.h"
#include "platform/HelperProtocol.h"

namespace {

// The largest pictures (100 million pixels) need about 400 MB decoded and as
// much again for the libraries' planes; threads reserve address space too.
constexpr rlim_t kMemoryBytes = rlim_t(2) << 30;
// stdin, stdout, stderr, and what the libraries open for themselves.
constexpr rlim_t kOpenFiles = 16;
constexpr long kMaxCpuMs = 5000;
constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
constexpr qint64 kMaxSide = 30000;
constexpr qint64 kMaxAnswerPixels = 32 * 1024 * 1024;  // PictureDecoder never asks for more
constexpr qint64 kMaxSourcePixels = 100'000'000;

struct Job {
    Decoders::Format format;
    bool decoding;
};

std::optional<Job> jobOf(std::uint32_t kind) {
    using namespace HelperProtocol;
    using F = Decoders::Format;
    switch (kind) {
        case MeasureAvif:
            return Job{F::Avif, false};
        case MeasureHeif:
            return Job{F::Heif, false};
        case MeasureJxl:
            return Job{F::Jxl, false};
        case DecodeAvif:
            return Job{F::Avif, true};
        case DecodeHeif:
            return Job{F::Heif, true};
        case DecodeJxl:
            return Job{F::Jxl, true};
        default:
            return {};
    }
}

bool accept(const HelperProtocol::Request& r) {
    const auto job = jobOf(r.kind);
    if (!job) return false;
    if (!job->decoding) return true;
    return r.width >= 1 && r.width <= kMaxSide && r.height >= 1 && r.height <= kMaxSide &&
           qint64(r.width) * r.height <= kMaxAnswerPixels;
}

bool handle(const HelperProtocol::Request& r, QByteArray& data, const HelperServe::Reply& reply) {
    const Job job = *jobOf(r.kind);
    if (!job.decoding) {
        const auto size = Decoders::Measure(job.format, data);
        if (!size || size->isEmpty()) return false;
        const std::uint32_t answer[2] = {std::uint32_t(size->width()),
                                         std::uint32_t(size->height())};
        return reply(reinterpret_cast<const char*>(answer), sizeof answer);
    }
    auto image = Decoders::Decode(job.format, data, kMaxSourcePixels);
    data = QByteArray();  // the file is no longer needed while scaling
    if (!image) return false;
    const QImage scaled = Decoders::ScaleTo(std::move(*image), QSize(int(r.width), int(r.height)));
    if (scaled.size() != QSize(int(r.width), int(r.height)) ||
        scaled.bytesPerLine() != scaled.width() * 4)
        return false;
    return reply(reinterpret_cast<const char*>(scaled.constBits()), scaled.sizeInBytes());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || std::strcmp(argv[1], "--serve") != 0) {
        std::fprintf(stderr, "usage: %s --serve < requests > answers\n", argv[0]);
        return 2;
    }
    if (!HelperServe::KeepStdoutForAnswer() ||
        !HelperServe::LimitProcess(kMemoryBytes, kMaxAnswerPixels * 4, kOpenFiles))
        return 3;
    return HelperServe::Serve(kMaxInputBytes, kMaxCpuMs, accept, handle);
}
