#pragma once

#include <unistd.h>
#include <QApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <cstdio>
#include <cstdlib>
#include <ctime>

// For the start-up benchmark, and inert without it: with KVO_BENCH_FIRST_FRAME
// naming a file, the program writes there the monotonic clock's reading in
// nanoseconds once the top-level window named `windowName` has painted for
// the first time and the event loop has come round again, and ends at once.
class FirstFrameWatch : public QObject {
public:
    static void Install(const char* windowName) {
        const char* file = std::getenv("KVO_BENCH_FIRST_FRAME");
        if (!file || !*file) return;
        qApp->installEventFilter(new FirstFrameWatch(windowName, file));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override {
        if (e->type() != QEvent::Paint || done_ || !watched->isWidgetType()) return false;
        if (static_cast<QWidget*>(watched)->window()->objectName() != name_) return false;
        done_ = true;
        QTimer::singleShot(0, [file = file_] {
            timespec now{};
            clock_gettime(CLOCK_MONOTONIC, &now);
            if (FILE* f = std::fopen(file, "w")) {
                std::fprintf(f, "%lld\n", now.tv_sec * 1000000000LL + now.tv_nsec);
                std::fclose(f);
            }
            _exit(0);
        });
        return false;
    }

private:
    FirstFrameWatch(const char* name, const char* file)
        : QObject(qApp), name_(QString::fromLatin1(name)), file_(file) {}
    QString name_;
    const char* file_;
    bool done_ = false;
};
