#include "platform/HelperProcess.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>
#include <utility>
#include <vector>

extern char** environ;

namespace {

constexpr int kCancelPollMs = 20;
// One warm helper of each program for each thread that uses it at the same
// time is plenty.
constexpr size_t kMaxIdleHelpers = 6;

bool isExecutable(const QString& path) {
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable();
}

// A helper started with --serve; fd is our end of the socket that is its
// stdin and stdout.
struct Helper {
    QByteArray program;
    pid_t pid = -1;
    int fd = -1;
};

void stop(Helper& helper) {
    if (helper.pid > 0) {
        ::kill(helper.pid, SIGKILL);
        while (::waitpid(helper.pid, nullptr, 0) < 0 && errno == EINTR) {
        }
    }
    if (helper.fd >= 0) ::close(helper.fd);
    helper.pid = helper.fd = -1;
}

// An idle helper has nothing to say: anything to read, or the socket's other
// end closed, means it died (and then it is reaped here).
bool stillAlive(Helper& helper) {
    pollfd poll{helper.fd, POLLIN, 0};
    if (::poll(&poll, 1, 0) != 0) return false;
    const pid_t exited = ::waitpid(helper.pid, nullptr, WNOHANG);
    if (exited == helper.pid) helper.pid = -1;
    return exited == 0;
}

std::optional<Helper> start(const QByteArray& program) {
    int fds[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, fds) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // Whatever this thread blocks or this program ignores, the helper starts clean.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t set;
    sigemptyset(&set);
    posix_spawnattr_setsigmask(&attributes, &set);
    for (const int signal : {SIGPIPE, SIGPROF, SIGXCPU, SIGXFSZ, SIGCHLD}) sigaddset(&set, signal);
    posix_spawnattr_setsigdefault(&attributes, &set);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    char serve[] = "--serve";
    QByteArray path = program;
    char* argv[] = {path.data(), serve, nullptr};
    Helper helper{program, -1, fds[0]};
    const int failed =
        posix_spawn(&helper.pid, program.constData(), &actions, &attributes, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    ::close(fds[1]);
    if (failed || ::fcntl(helper.fd, F_SETFL, O_NONBLOCK) != 0) {
        if (failed) helper.pid = -1;
        stop(helper);
        return {};
    }
    return helper;
}

// The idle helpers of every program, oldest first.
class Pool {
public:
    std::optional<Helper> Take(const QByteArray& program) {
        for (;;) {
            Helper helper;
            {
                const std::lock_guard lock(mutex_);
                auto it = std::find_if(idle_.rbegin(), idle_.rend(),
                                       [&](const Helper& h) { return h.program == program; });
                if (it == idle_.rend()) break;
                helper = *it;
                idle_.erase(std::next(it).base());
            }
            if (stillAlive(helper)) return helper;
            stop(helper);
        }
        auto helper = start(program);
        if (helper) ++started_;
        return helper;
    }

    void Give(Helper helper) {
        Helper oldest;
        {
            const std::lock_guard lock(mutex_);
            idle_.push_back(helper);
            if (idle_.size() <= kMaxIdleHelpers) return;
            oldest = idle_.front();
            idle_.erase(idle_.begin());
        }
        stop(oldest);
    }

    std::vector<Helper> TakeAll() {
        const std::lock_guard lock(mutex_);
        return std::exchange(idle_, {});
    }

    QList<qint64> Pids() {
        const std::lock_guard lock(mutex_);
        QList<qint64> pids;
        for (const Helper& helper : idle_) pids << helper.pid;
        return pids;
    }

    int Started() const { return started_; }

private:
    std::mutex mutex_;
    std::vector<Helper> idle_;
    std::atomic<int> started_ = 0;
};

// Never destroyed: idle helpers end themselves when the program's end of
// their socket closes.
Pool& pool() {
    static Pool* const pool = new Pool;
    return *pool;
}

}  // namespace

namespace HelperProcess {

QString Find(const char* name) {
    QStringList candidates;
    if (QCoreApplication::instance()) {
        const QString bin = QCoreApplication::applicationDirPath();
        candidates << bin + '/' + name;
#ifdef KVO_HELPER_FROM_BIN
        // Installed: the helper's folder under the same prefix as the program's.
        candidates << QDir::cleanPath(bin + '/' + KVO_HELPER_FROM_BIN + '/' + name);
#endif
    }
    const QString buildDir = qEnvironmentVariable("KVO_BUILD_DIR");
    if (!buildDir.isEmpty()) candidates << buildDir + '/' + name;
    for (const QString& path : candidates)
        if (isExecutable(path)) return path;
    return QStandardPaths::findExecutable(name);
}

int Started() {
    return pool().Started();
}

QList<qint64> Idle() {
    return pool().Pids();
}

void StopIdle() {
    for (Helper& helper : pool().TakeAll()) stop(helper);
}

std::optional<qint64> Run(const QString& program, const HelperProtocol::Request& request,
                          const QByteArray& data, char* out, qint64 capacity, int timeoutMs,
                          const std::atomic<bool>* cancel) {
    if (program.isEmpty() || quint64(data.size()) != request.length) return {};
    const QDeadlineTimer deadline(timeoutMs);
    auto cancelled = [&] { return cancel && cancel->load(); };
    if (cancelled()) return {};
    auto helper = pool().Take(QFile::encodeName(program));
    if (!helper) return {};

    // What is still to send: the request's header, then the metafile.
    struct Piece {
        const char* bytes;
        qint64 length;
    } pieces[] = {{reinterpret_cast<const char*>(&request), qint64(sizeof request)},
                  {data.constData(), data.size()}};
    int piece = 0;
    HelperProtocol::Answer answer;
    qint64 headerReceived = 0, received = 0;
    auto valid = [&] {
        return std::memcmp(answer.magic, HelperProtocol::Answer().magic, 4) == 0 &&
               answer.status == HelperProtocol::Done && answer.length <= quint64(capacity);
    };
    auto answered = [&] {
        return headerReceived == qint64(sizeof answer) && valid() &&
               received == qint64(answer.length);
    };

    // Both ways at once: a helper that answers or quits early is not left
    // waiting for us, nor we for it.
    while (!(piece == 2 && answered())) {
        if (deadline.hasExpired() || cancelled() || answered()) {
            stop(*helper);
            return {};
        }
        pollfd poll{helper->fd, short(POLLIN | (piece < 2 ? POLLOUT : 0)), 0};
        // Short waits, so a cancel is seen within a few milliseconds.
        const int waitMs = int(qMin<qint64>(deadline.remainingTime(), kCancelPollMs));
        if (::poll(&poll, 1, waitMs) < 0 && errno != EINTR) break;
        if (piece < 2 && (poll.revents & POLLOUT)) {
            const ssize_t n =
                ::send(helper->fd, pieces[piece].bytes, size_t(pieces[piece].length), MSG_NOSIGNAL);
            if (n < 0 && errno != EAGAIN && errno != EINTR) break;
            if (n > 0) {
                pieces[piece].bytes += n;
                pieces[piece].length -= n;
            }
            while (piece < 2 && pieces[piece].length == 0) ++piece;
        }
        if (!(poll.revents & (POLLIN | POLLHUP | POLLERR))) continue;
        ssize_t n;
        if (headerReceived < qint64(sizeof answer)) {
            n = ::recv(helper->fd, reinterpret_cast<char*>(&answer) + headerReceived,
                       sizeof answer - size_t(headerReceived), 0);
        } else {
            n = ::recv(helper->fd, out + received, size_t(qint64(answer.length) - received), 0);
        }
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR)) break;  // it died
        if (n < 0) continue;
        if (headerReceived < qint64(sizeof answer)) {
            headerReceived += n;
            // A refusal, or more than it should send, is the end of this helper.
            if (headerReceived == qint64(sizeof answer) && !valid()) break;
        } else {
            received += n;
        }
    }
    if (!(piece == 2 && answered())) {
        stop(*helper);
        return {};
    }
    pool().Give(*helper);
    return received;
}

}  // namespace HelperProcess
