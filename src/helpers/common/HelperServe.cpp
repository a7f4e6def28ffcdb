#include "HelperServe.h"

#include <sys/time.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <ctime>

namespace {

// The answer goes out on a copy of stdout; stdout itself is pointed at stderr
// before any library runs, so nothing they print can get mixed into it.
int answerFd = -1;

double cpuSecondsUsed() {
    timespec used{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &used);
    return double(used.tv_sec) + used.tv_nsec / 1e9;
}

}  // namespace

namespace HelperServe {

bool KeepStdoutForAnswer() {
    answerFd = ::dup(STDOUT_FILENO);
    return answerFd >= 0 && ::dup2(STDERR_FILENO, STDOUT_FILENO) >= 0;
}

bool LimitProcess(rlim_t memoryBytes, qint64 outputBytes, rlim_t openFiles) {
    const rlimit memory{memoryBytes, memoryBytes};
    const rlimit noCore{0, 0};
    const rlimit files{rlim_t(outputBytes), rlim_t(outputBytes)};
    const rlimit descriptors{openFiles, openFiles};
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGPROF, SIG_DFL);
    std::signal(SIGPIPE, SIG_DFL);
    return setrlimit(RLIMIT_AS, &memory) == 0 && setrlimit(RLIMIT_CORE, &noCore) == 0 &&
           setrlimit(RLIMIT_FSIZE, &files) == 0 &&
           (openFiles == 0 || setrlimit(RLIMIT_NOFILE, &descriptors) == 0);
}

// RLIMIT_CPU counts from the process's start, and never goes up again past
// its hard limit.
bool LimitCpu(long cpuMs) {
    rlimit cpu{};
    if (getrlimit(RLIMIT_CPU, &cpu) != 0) return false;
    const rlim_t soft = rlim_t(cpuSecondsUsed()) + rlim_t((cpuMs + 999) / 1000) + 1;
    cpu.rlim_cur = cpu.rlim_max == RLIM_INFINITY ? soft : std::min(soft, cpu.rlim_max);
    itimerval cpuTimer{};
    cpuTimer.it_value.tv_sec = cpuMs / 1000;
    cpuTimer.it_value.tv_usec = cpuMs % 1000 * 1000;
    return setrlimit(RLIMIT_CPU, &cpu) == 0 && setitimer(ITIMER_PROF, &cpuTimer, nullptr) == 0;
}

bool StopCpuTimer() {
    const itimerval off{};
    return setitimer(ITIMER_PROF, &off, nullptr) == 0;
}

bool ReadExactly(char* bytes, qint64 length) {
    while (length > 0) {
        const ssize_t n = ::read(STDIN_FILENO, bytes, size_t(std::min<qint64>(length, 1 << 20)));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= n;
    }
    return true;
}

bool WriteAll(const char* bytes, qint64 length) {
    while (length > 0) {
        const ssize_t n = ::write(answerFd, bytes, size_t(length));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        length -= n;
    }
    return true;
}

bool WriteAnswer(HelperProtocol::Status status, const char* bytes, qint64 length) {
    HelperProtocol::Answer answer;
    answer.status = status;
    answer.length = std::uint64_t(length);
    return WriteAll(reinterpret_cast<const char*>(&answer), sizeof answer) &&
           WriteAll(bytes, length);
}

int Serve(qint64 maxInputBytes, long maxCpuMs,
          const std::function<bool(const HelperProtocol::Request&)>& accept,
          const Handler& handle) {
    using namespace HelperProtocol;
    const Reply reply = [](const char* bytes, qint64 length) {
        return StopCpuTimer() && WriteAnswer(Done, bytes, length);
    };
    for (;;) {
        Request request;
        if (!ReadExactly(reinterpret_cast<char*>(&request), sizeof request)) return 0;
        const Request valid;
        if (std::memcmp(request.magic, valid.magic, sizeof valid.magic) != 0 ||
            request.length > quint64(maxInputBytes) || request.cpuMs < 1 || !accept(request))
            return 2;
        QByteArray data(qsizetype(request.length), Qt::Uninitialized);
        if (!ReadExactly(data.data(), data.size())) return 1;
        if (!LimitCpu(std::min<long>(request.cpuMs, maxCpuMs))) return 3;
        if (!handle(request, data, reply)) {
            WriteAnswer(Refused, nullptr, 0);
            return 1;
        }
    }
}

}  // namespace HelperServe
