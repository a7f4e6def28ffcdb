// The file-operation engine against cp and mv on the same data, in the same
// run: a copy of 1,000 small files, a copy of one large file (with and
// without the flush before the rename), and a move of 10,000 files within one
// volume. Works in a temporary folder under the current directory (a disk,
// not a RAM drive, or the flush costs nothing). Usage: bench_platform_fileops [MB]
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>

#include "BenchUtil.h"
#include "platform/FileOperation.h"

#include <unistd.h>

using namespace FileOp;

namespace {
struct Silent : FileOpDialogs {
    ReplaceAnswer AskReplace(const QByteArray&, bool, bool) override { return ReplaceAnswer::Yes; }
    bool AskDelete(const std::vector<QByteArray>&, bool) override { return true; }
    bool AskCreateFolder(const QByteArray&) override { return true; }
    bool AskDeleteForGood(const QByteArray&) override { return false; }
    void BeginProgress(int, qint64, qint64) override {}
    bool Progress(qint64, qint64, const QByteArray&) override { return true; }
    void EndProgress() override {}
    ErrorAnswer ShowError(const QString& text, bool) override {
        std::fprintf(stderr, "error: %s\n", qPrintable(text));
        return ErrorAnswer::Skip;
    }
};

void run(const QString& program, const QStringList& args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
}

void removeAll(const QString& path) {
    run("rm", {"-rf", path});
}

int engine(int func, const std::vector<QByteArray>& from, const QByteArray& to, bool flush) {
    Silent ui;
    SHFILEOPSTRUCT op{0, func, MakePathList(from), MakePathList({to}),
                      FOF_SILENT | FOF_NOCONFIRMATION};
    FileOpOptions o;
    o.flush = flush;
    return RunFileOperation(op, ui, o);
}

// Median of three runs; the dirty data of the run before is written out
// first, so no run pays for another.
double timed(const std::function<void()>& prepare, const std::function<void()>& work) {
    std::vector<double> t;
    for (int i = 0; i < 3; ++i) {
        prepare();
        sync();
        t.push_back(timeMs(work));
    }
    return median(t);
}

void report(const char* what, double ours, double base, const char* baseName) {
    std::printf("%-44s ours %9.1f ms   %-8s %9.1f ms   ratio %.2f\n", what, ours, baseName, base,
                ours / base);
}
}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const qint64 bigMb = argc > 1 ? QByteArray(argv[1]).toLongLong() : 1024;
    QTemporaryDir work(QDir::currentPath() + "/bench-fileops-XXXXXX");
    const QString w = work.path();
    const QByteArray W = QFile::encodeName(w);

    // 1,000 files of 1-16 KB in 10 folders.
    QDir().mkpath(w + "/small");
    QByteArray bytes(16384, 'x');
    for (int d = 0; d < 10; ++d) {
        QDir().mkpath(w + QString("/small/d%1").arg(d));
        for (int i = 0; i < 100; ++i) {
            QFile f(w + QString("/small/d%1/f%2.jpg").arg(d).arg(i));
            f.open(QIODevice::WriteOnly);
            f.write(bytes.left(1024 * (1 + (i % 16))));
        }
    }
    auto clear = [&] { removeAll(w + "/out"); };
    const double cpSmall = timed(clear, [&] { run("cp", {"-r", w + "/small", w + "/out"}); });
    const double ourSmall =
        timed(clear, [&] { engine(FileOp::FO_COPY, {W + "/small"}, W + "/out", true); });
    const double ourSmallNoFlush =
        timed(clear, [&] { engine(FileOp::FO_COPY, {W + "/small"}, W + "/out", false); });
    report("copy 1,000 small files", ourSmall, cpSmall, "cp -r");
    report("  the same without the flush", ourSmallNoFlush, cpSmall, "cp -r");

    // One large file.
    {
        QFile f(w + "/big.bin");
        f.open(QIODevice::WriteOnly);
        QByteArray chunk(1 << 20, Qt::Uninitialized);
        for (int i = 0; i < chunk.size(); ++i) chunk[i] = char(i * 7);
        for (qint64 i = 0; i < bigMb; ++i) f.write(chunk);
    }
    auto clearBig = [&] { QFile::remove(w + "/big.out"); };
    const double cpBig = timed(clearBig, [&] {
        run("cp", {"-r", w + "/big.bin", w + "/big.out"});
    });
    const double ourBig =
        timed(clearBig, [&] { engine(FileOp::FO_COPY, {W + "/big.bin"}, W + "/big.out", true); });
    const double ourBigNoFlush =
        timed(clearBig, [&] { engine(FileOp::FO_COPY, {W + "/big.bin"}, W + "/big.out", false); });
    const double cpBigSync = timed(clearBig, [&] {
        run("cp", {"-r", w + "/big.bin", w + "/big.out"});
        sync();
    });
    const QByteArray label = "copy one file of " + QByteArray::number(bigMb) + " MB";
    report(label.constData(), ourBig, cpBig, "cp -r");
    report("  the same without the flush", ourBigNoFlush, cpBig, "cp -r");
    report("  against cp followed by sync", ourBig, cpBigSync, "cp+sync");
    QFile::remove(w + "/big.bin");
    clearBig();

    // 10,000 files moved into another folder of the same volume.
    QDir().mkpath(w + "/many");
    QDir().mkpath(w + "/dest");
    std::vector<QByteArray> names;
    QStringList mvArgs;
    for (int i = 0; i < 10000; ++i) {
        const QString n = QString("/many/p%1.jpg").arg(i);
        QFile f(w + n);
        f.open(QIODevice::WriteOnly);
        f.write("x");
        names.push_back(W + QFile::encodeName(n));
        mvArgs << w + n;
    }
    mvArgs << w + "/dest/";
    auto back = [&] {
        QDir dest(w + "/dest");
        for (const QString& n : dest.entryList(QDir::Files))
            QFile::rename(dest.filePath(n), w + "/many/" + n);
    };
    const double mv = timed(back, [&] { run("mv", mvArgs); });
    const double ourMove = timed(back, [&] { engine(FileOp::FO_MOVE, names, W + "/dest", true); });
    report("move 10,000 files within a volume", ourMove, mv, "mv");
    return 0;
}
