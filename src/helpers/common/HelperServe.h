#pragma once

#include <QByteArray>

#include <sys/resource.h>

#include <functional>

#include "platform/HelperProtocol.h"

// What every helper program does around its own work: it limits itself
// before it reads a byte, answers on a copy of stdout that no library can
// print into, and with --serve answers framed requests one after another.
namespace HelperServe {

// Points stdout at stderr and keeps a copy of it for the answers.
bool KeepStdoutForAnswer();
// Memory (address space), no core files, and files may grow no larger than
// outputBytes: stdout is usually a socket or pipe, which this limit does not
// cover, and nothing else is ever written. A refused write fails with EFBIG
// instead of killing the process. Descriptors: at most openFiles, when given.
bool LimitProcess(rlim_t memoryBytes, qint64 outputBytes, rlim_t openFiles = 0);
// Processor time from now on is capped to the millisecond by a profiling
// timer, whose signal ends the process, and in whole seconds by RLIMIT_CPU
// behind it.
bool LimitCpu(long cpuMs);
bool StopCpuTimer();

// False at the end of input, or when it ends inside the bytes.
bool ReadExactly(char* bytes, qint64 length);
// On the kept copy of stdout.
bool WriteAll(const char* bytes, qint64 length);
bool WriteAnswer(HelperProtocol::Status status, const char* bytes, qint64 length);

// Sends a request's answer: the processor timer stops first.
using Reply = std::function<bool(const char* bytes, qint64 length)>;
// Answers one request whose header `accept` took; true once it replied.
using Handler = std::function<bool(const HelperProtocol::Request&, QByteArray& data, const Reply&)>;

// Answers requests until stdin ends: 0 then, else 1 after the first one it
// cannot answer, 2 on a malformed request (or one `accept` refuses), 3 when
// the limits cannot be set. Each request gets at most its own cpuMs, never
// more than maxCpuMs.
int Serve(qint64 maxInputBytes, long maxCpuMs,
          const std::function<bool(const HelperProtocol::Request&)>& accept, const Handler& handle);

}  // namespace HelperServe
