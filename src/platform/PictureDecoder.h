#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QString>

#include <atomic>
#include <optional>
#include <utility>

#include "platform/PictureFormat.h"

// Decodes AVIF, HEIF and JPEG XL pictures in the helper program
// kvoview-decode, a warm helper of HelperProcess's pool. Their libraries
// parse complex containers and codecs from files nobody vouches for, so they
// never run in our process: the helper limits its own memory, processor time,
// descriptors and file writes. Whatever goes wrong in it, the caller just
// gets no picture. Decoders may be used from several threads at once.
class PictureDecoder {
public:
    // The helper beside the running program, else where HelperProcess::Find looks.
    static QString FindHelper();

    // The helper is killed after timeoutMs, and stops itself after cpuMs of
    // processor time (at most kMaxCpuMs, its own limit).
    explicit PictureDecoder(QString helper = FindHelper(), int timeoutMs = 10000,
                            int cpuMs = kMaxCpuMs)
        : helper_(std::move(helper)), timeoutMs_(timeoutMs), cpuMs_(cpuMs) {}

    // While *cancel is true the helper is killed and nothing is returned.
    void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }

    // Whether type is one of the types this decoder handles.
    static bool Handles(PictureType type);

    // The picture's size as shown (orientation applied), from its headers.
    std::optional<QSize> Measure(const QByteArray& data, PictureType type) const;

    // The picture scaled to exactly size: premultiplied ARGB32. The helper
    // decodes at the size asked where the library can, else whole and scales.
    std::optional<QImage> Decode(const QByteArray& data, PictureType type, QSize size) const;

    // The helper refuses larger input, larger answers and larger pictures.
    static constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
    static constexpr qint64 kMaxPixels = 32 * 1024 * 1024;   // of an answer
    static constexpr qint64 kMaxSourcePixels = 100'000'000;  // of the decoded picture
    static constexpr int kMaxCpuMs = 5000;

private:
    std::optional<qint64> run(quint32 kind, QSize size, const QByteArray& data, char* out,
                              qint64 capacity) const;

    QString helper_;
    int timeoutMs_;
    int cpuMs_;
    const std::atomic<bool>* cancel_ = nullptr;
};
