// The metafile renderer's warm helpers: kept between requests, replaced after
// any failure, shared by threads.
#include <QtTest>

#include <signal.h>
#include <sys/wait.h>

#include <atomic>
#include <thread>
#include <vector>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "platform/MetafileRenderer.h"

namespace {

enum class Failure { Crash, Refusal, OutOfProcessorTime, Timeout, Cancel };

// Waits for a process to end without reaping it: the renderer still does.
void waitUntilDead(qint64 pid) {
    siginfo_t info{};
    waitid(P_PID, id_t(pid), &info, WEXITED | WNOWAIT);
}

bool exists(qint64 pid) {
    return ::kill(pid_t(pid), 0) == 0;
}

}  // namespace

Q_DECLARE_METATYPE(Failure)

class TestMetafile : public QObject {
    Q_OBJECT

    const QByteArray wmf_ = wmfFile(wmfDrawing());
    const QByteArray emf_ = emfFile(emfDrawing());
    QImage wmfReference_, emfReference_;

private slots:
    void initTestCase() {
        QVERIFY(!MetafileRenderer::FindHelper().isEmpty());
        const MetafileRenderer renderer;
        wmfReference_ = renderer.Render(wmf_, PictureType::Wmf, {80, 50}).value_or(QImage());
        emfReference_ = renderer.Render(emf_, PictureType::Emf, {80, 40}).value_or(QImage());
        QVERIFY(!wmfReference_.isNull() && !emfReference_.isNull());
        // The drawing's red quarter, so a blank answer does not pass for it.
        QCOMPARE(wmfReference_.pixelColor(20, 12), kRed);
    }

    void init() { MetafileRenderer::StopIdleHelpers(); }

    void servesRequestsInOneProcess() {
        const MetafileRenderer renderer;
        const int started = MetafileRenderer::HelpersStarted();
        QList<qint64> pids;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(renderer.Render(wmf_, PictureType::Wmf, {80, 50}).value_or(QImage()),
                     wmfReference_);
            QCOMPARE(renderer.Render(emf_, PictureType::Emf, {80, 40}).value_or(QImage()),
                     emfReference_);
            QVERIFY(renderer.MeasureWmf(wmfFile(wmfDrawing(), false)).has_value());
            pids << MetafileRenderer::IdleHelpers();
        }
        QCOMPARE(MetafileRenderer::HelpersStarted(), started + 1);
        QCOMPARE(pids.size(), 3);
        QCOMPARE(pids.count(pids[0]), 3);
    }

    void replacedAfterFailure_data() {
        QTest::addColumn<Failure>("failure");
        QTest::newRow("killed while idle") << Failure::Crash;
        QTest::newRow("file it refuses") << Failure::Refusal;
        QTest::newRow("out of processor time") << Failure::OutOfProcessorTime;
        QTest::newRow("out of time") << Failure::Timeout;
        QTest::newRow("cancelled while drawing") << Failure::Cancel;
    }

    void replacedAfterFailure() {
        QFETCH(Failure, failure);
        const MetafileRenderer renderer;
        QVERIFY(renderer.Render(wmf_, PictureType::Wmf, {80, 50}));
        const QList<qint64> warm = MetafileRenderer::IdleHelpers();
        QCOMPARE(warm.size(), 1);
        const int started = MetafileRenderer::HelpersStarted();

        // Far too much work for a millisecond: 100 MB of pixels.
        const QSize huge(5000, 5000);
        std::atomic<bool> cancel = false;
        switch (failure) {
            case Failure::Crash:
                ::kill(pid_t(warm[0]), SIGKILL);
                waitUntilDead(warm[0]);
                break;
            case Failure::Refusal:
                QVERIFY(!renderer.Render("not a metafile at all", PictureType::Wmf, {80, 50}));
                break;
            case Failure::OutOfProcessorTime:
                QVERIFY(!MetafileRenderer(MetafileRenderer::FindHelper(), 60000, 1)
                             .Render(wmf_, PictureType::Wmf, huge));
                break;
            case Failure::Timeout:
                QVERIFY(!MetafileRenderer(MetafileRenderer::FindHelper(), 1)
                             .Render(wmf_, PictureType::Wmf, huge));
                break;
            case Failure::Cancel: {
                MetafileRenderer cancelled;
                cancelled.SetCancel(&cancel);
                // Cancels once the request has taken the warm helper.
                std::thread canceller([&] {
                    while (!MetafileRenderer::IdleHelpers().isEmpty()) std::this_thread::yield();
                    cancel = true;
                });
                const bool drew = cancelled.Render(wmf_, PictureType::Wmf, huge).has_value();
                canceller.join();
                QVERIFY(!drew);
                break;
            }
        }
        QCOMPARE(renderer.Render(wmf_, PictureType::Wmf, {80, 50}).value_or(QImage()),
                 wmfReference_);
        QCOMPARE(MetafileRenderer::HelpersStarted(), started + 1);
        QCOMPARE(MetafileRenderer::IdleHelpers().size(), 1);
        QVERIFY(MetafileRenderer::IdleHelpers() != warm);
        QVERIFY(!exists(warm[0]));  // and reaped
    }

    // A request cancelled before it starts costs no helper.
    void cancelledBeforeStart() {
        QVERIFY(MetafileRenderer().Render(wmf_, PictureType::Wmf, {80, 50}));
        const QList<qint64> warm = MetafileRenderer::IdleHelpers();
        const std::atomic<bool> cancel = true;
        MetafileRenderer renderer;
        renderer.SetCancel(&cancel);
        QVERIFY(!renderer.Render(wmf_, PictureType::Wmf, {80, 50}));
        QCOMPARE(MetafileRenderer::IdleHelpers(), warm);
    }

    // Several threads at once each get their own helper, and every answer is
    // the one asked for.
    void concurrentRenders() {
        constexpr int kThreads = 4, kRequests = 6;
        const int started = MetafileRenderer::HelpersStarted();
        std::atomic<int> wrong = 0;
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                const MetafileRenderer renderer;
                for (int i = 0; i < kRequests; ++i) {
                    const bool emf = (t + i) % 2 == 1;
                    const auto image = emf ? renderer.Render(emf_, PictureType::Emf, {80, 40})
                                           : renderer.Render(wmf_, PictureType::Wmf, {80, 50});
                    if (image != (emf ? emfReference_ : wmfReference_)) ++wrong;
                }
            });
        }
        for (std::thread& thread : threads) thread.join();
        QCOMPARE(wrong.load(), 0);
        const int startedNow = MetafileRenderer::HelpersStarted() - started;
        QVERIFY2(startedNow >= 1 && startedNow <= kThreads,
                 qPrintable(QString::number(startedNow)));
        QCOMPARE(MetafileRenderer::IdleHelpers().size(), startedNow);
    }
};

KVO_TEST_MAIN_CORE(TestMetafile)
#include "tst_platform_metafile.moc"
