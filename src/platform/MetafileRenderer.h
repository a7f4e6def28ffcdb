#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

#include <atomic>
#include <optional>
#include <utility>

#include "platform/PictureFormat.h"

// Draws a WMF or EMF into a bitmap in the helper program kvoview-metafile.
// The metafile libraries have a long record of crashing on hostile files, so
// they never run in our process: the helper works under memory and CPU
// limits, and is killed when it takes longer than the timeout. Whatever goes
// wrong in it, the caller just gets no picture.
//
// Starting the helper costs far more than most drawings, so helpers are kept
// warm between requests, in a pool shared by every renderer and thread: each
// request takes an idle helper of the same program (or starts one) and gives
// it back when it answered. A helper that failed, ran out of time, was
// cancelled or died is killed and never used again; the next request starts
// a fresh one. Renderers may be used from several threads at once.
class MetafileRenderer {
public:
    // The helper beside the running program, else in $KVO_BUILD_DIR, else on
    // PATH; empty when there is none.
    static QString FindHelper();

    // The helper is killed after timeoutMs, and stops itself after cpuMs of
    // processor time (at most kMaxCpuMs, its own limit), which on a busy
    // machine comes later.
    explicit MetafileRenderer(QString helper = FindHelper(), int timeoutMs = 10000,
                              int cpuMs = kMaxCpuMs)
        : helper_(std::move(helper)), timeoutMs_(timeoutMs), cpuMs_(cpuMs) {}

    // While *cancel is true the helper is killed and nothing is returned: a
    // request that nobody waits for any more stops costing processor time.
    void SetCancel(const std::atomic<bool>* cancel) { cancel_ = cancel; }

    // The metafile drawn to fill exactly size, on a transparent background.
    std::optional<QImage> Render(const QByteArray& data, PictureType type, QSize size) const;

    // The natural size in twips of a WMF whose headers give none: the extent
    // of what it draws, as the helper's player works it out.
    std::optional<QSizeF> MeasureWmf(const QByteArray& data) const;

    // Test hooks: how many helpers were ever started, the process ids of the
    // idle ones, and stopping the idle ones.
    static int HelpersStarted();
    static QList<qint64> IdleHelpers();
    static void StopIdleHelpers();

    // The helper refuses larger input and output, and the renderer does not ask.
    static constexpr qint64 kMaxInputBytes = 256 * 1024 * 1024;
    static constexpr qint64 kMaxPixels = 32 * 1024 * 1024;
    static constexpr int kMaxCpuMs = 5000;

private:
    // Sends one request to a warm helper and collects its answer, at most
    // capacity bytes: the count received when it answered in full and in time.
    std::optional<qint64> run(quint32 kind, QSize size, const QByteArray& data, char* out,
                              qint64 capacity) const;

    QString helper_;
    int timeoutMs_;
    int cpuMs_;
    const std::atomic<bool>* cancel_ = nullptr;
};
