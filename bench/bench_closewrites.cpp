// Closing the main window saves its options: the real SaveOptions on a real
// window, with the store's writes counted, against one atomic write
// (QSaveFile: temporary file, fdatasync, rename) of the same file measured in
// the same run. Each of the store's writes is one such atomic write, so the
// write count is also the count of fsyncs. Shown beside it: the same keys
// written one WriteSetting at a time, as the window did before it batched.

#include <QApplication>
#include <QFile>
#include <QSaveFile>
#include <QTemporaryDir>
#include <cstdio>
#include <vector>

#include "browser/FileListView.h"
#include "browser/Options.h"
#include "browser/frmMain.h"
#include "kit/Settings.h"
#include "platform/SettingsBackend.h"

#include "BenchUtil.h"
#include "BenchWindow.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    InstallBenchPlatform(dir.path());
    auto* store = static_cast<IniSettingsBackend*>(&Platform::settings());
    frmMain* f = frmMain::Instance();
    f->show();
    app.processEvents();

    constexpr int kRuns = 51;
    // Every run moves and sizes the window by a pixel so the four geometry
    // keys really change (a key written with its stored text is not written).
    int step = 0;
    auto nudge = [&] {
        const int d = ++step % 2;
        f->setGeometry(100 + d, 100 + d, 900 + d, 700 + d);
    };
    const int before = store->WriteCount();
    std::vector<double> batched, single, atomic;
    for (int i = 0; i < kRuns; ++i) {
        nudge();
        batched.push_back(timeMs([&] { SaveOptions(*f); }));
    }
    const double writesPerClose = double(store->WriteCount() - before) / kRuns;

    const int beforeSingle = store->WriteCount();
    for (int i = 0; i < kRuns; ++i) {
        nudge();
        single.push_back(timeMs([&] {
            const QString s = "Browser Options";
            WriteSetting(s, "Previous Folder", f->CurrentFolder);
            WriteSetting(s, "Left", f->Left());
            WriteSetting(s, "Top", f->Top());
            WriteSetting(s, "Width", f->Width());
            WriteSetting(s, "Height", f->Height());
            WriteSetting(s, "WindowState", f->WindowState());
            WriteSetting(s, "Listview View", f->ListView1->View());
        }));
    }
    const double writesSingle = double(store->WriteCount() - beforeSingle) / kRuns;

    QFile file(store->FilePath());
    file.open(QIODevice::ReadOnly);
    const QByteArray bytes = file.readAll();
    const QString plain = dir.path() + "/plain.ini";
    for (int i = 0; i < kRuns; ++i) {
        atomic.push_back(timeMs([&] {
            QSaveFile out(plain);
            out.open(QIODevice::WriteOnly);
            out.write(bytes);
            out.commit();
        }));
    }
    std::printf("settings file %lld bytes\n", static_cast<long long>(bytes.size()));
    std::printf("close (SaveOptions): median %.3f ms, %.1f writes+fsyncs per close\n",
                median(batched), writesPerClose);
    std::printf("  baseline one atomic write of the file: median %.3f ms, 1 write+fsync\n",
                median(atomic));
    std::printf("  the same keys one write each: median %.3f ms, %.1f writes+fsyncs\n",
                median(single), writesSingle);
    std::printf("  ratio close / one write: %.2f\n", median(batched) / median(atomic));
    return 0;
}
