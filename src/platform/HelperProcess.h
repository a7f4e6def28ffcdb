#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <atomic>
#include <optional>

#include "platform/HelperProtocol.h"

// The helper programs that run the libraries we do not trust with our own
// process (the metafile players, the newer picture decoders). Each works
// under memory and CPU limits and is killed when it takes longer than the
// timeout; whatever goes wrong in it, the caller just gets no answer.
//
// Starting a helper costs far more than most requests, so helpers are kept
// warm between requests, in a pool shared by every caller and thread: each
// request takes an idle helper of the same program (or starts one) and gives
// it back when it answered. A helper that failed, ran out of time, was
// cancelled or died is killed and never used again; the next request starts
// a fresh one.
namespace HelperProcess {

// The program `name` beside the running program, else in the helpers'
// folder of the installed program, else in $KVO_BUILD_DIR, else on PATH;
// empty when there is none.
QString Find(const char* name);

// Sends one request and its data to a warm helper of `program` and collects
// its answer, at most capacity bytes: the count received when it answered in
// full within timeoutMs. While *cancel is true the helper is killed and
// nothing is returned.
std::optional<qint64> Run(const QString& program, const HelperProtocol::Request& request,
                          const QByteArray& data, char* out, qint64 capacity, int timeoutMs,
                          const std::atomic<bool>* cancel);

// Test hooks: how many helpers were ever started, the process ids of the
// idle ones, and stopping the idle ones.
int Started();
QList<qint64> Idle();
void StopIdle();

}  // namespace HelperProcess
