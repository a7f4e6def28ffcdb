// Median cost of one ReadSetting and one WriteSetting call, each beside a
// baseline measured in the same run on the same machine:
//   read:  a QHash lookup, and QSettings(IniFormat)::value on the same keys;
//   write: the same bytes written with QFile and renamed into place (no lock,
//          no fsync), and with QSaveFile (fdatasync + rename, no lock).
// Targets: read <= 20 us, atomic write <= 1 ms.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QSaveFile>
#include <QSettings>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

#include "kit/Settings.h"
#include "platform/Platform.h"
#include "platform/SettingsBackend.h"

namespace {

struct Key {
    QString section, key, value;
};

// Six sections of ten keys, like the program's own settings.
std::vector<Key> RealisticKeys() {
    const QStringList sections = {"Display", "Slide Show", "Folders", "Print", "Window", "Formats"};
    std::vector<Key> keys;
    for (const QString& section : sections) {
        for (int i = 0; i < 10; ++i) {
            QString value =
                i % 3 == 0   ? QStringLiteral("/home/user/Pictures/Holiday 2023/IMG_%1.jpg").arg(i)
                : i % 3 == 1 ? QString::number(i * 37)
                             : QStringLiteral("true");
            keys.push_back({section, QStringLiteral("Option %1").arg(i), value});
        }
    }
    return keys;
}

// Median over rounds of the time per call, a round being `calls` calls.
double MedianMicros(int rounds, int calls, const std::function<void(int)>& call) {
    std::vector<double> perCall;
    int n = 0;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer timer;
        timer.start();
        for (int c = 0; c < calls; ++c) call(n++);
        perCall.push_back(timer.nsecsElapsed() / 1000.0 / calls);
    }
    std::nth_element(perCall.begin(), perCall.begin() + rounds / 2, perCall.end());
    return perCall[rounds / 2];
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    if (!dir.isValid()) return 1;
    const std::vector<Key> keys = RealisticKeys();
    const int count = int(keys.size());

    const QString storePath = dir.path() + "/Kvo View/settings.ini";
    Platform::SetSettings(std::make_unique<IniSettingsBackend>(storePath));
    QSettings qsettings(dir.path() + "/qsettings.ini", QSettings::IniFormat);
    QHash<QString, QString> hash;
    for (const Key& k : keys) {
        WriteSetting(k.section, k.key, k.value);
        qsettings.setValue(k.section + '/' + k.key, k.value);
        hash.insert(k.section + '/' + k.key, k.value);
    }
    qsettings.sync();
    QStringList paths;
    for (const Key& k : keys) paths << k.section + '/' + k.key;

    qsizetype sink = 0;  // keeps the reads from being optimised away
    const double read = MedianMicros(101, 1000, [&](int i) {
        const Key& k = keys[i % count];
        sink += ReadSetting(k.section, k.key, QString()).size();
    });
    const double readHash =
        MedianMicros(101, 1000, [&](int i) { sink += hash.value(paths[i % count]).size(); });
    const double readQSettings = MedianMicros(
        101, 1000, [&](int i) { sink += qsettings.value(paths[i % count]).toString().size(); });

    const double write = MedianMicros(301, 1, [&](int i) {
        const Key& k = keys[i % count];
        // Each visit of a key changes its value, so every call really writes.
        WriteSetting(k.section, k.key, k.value + QString::number((i / count) % 2));
    });
    QFile written(storePath);
    written.open(QIODevice::ReadOnly);
    const QByteArray bytes = written.readAll();
    const QString plainPath = dir.path() + "/plain.ini";
    const QByteArray plainName = QFile::encodeName(plainPath), tempName = plainName + ".tmp";
    const double writePlain = MedianMicros(301, 1, [&](int) {
        QFile f(QFile::decodeName(tempName));
        f.open(QIODevice::WriteOnly | QIODevice::Truncate);
        f.write(bytes);
        f.close();
        std::rename(tempName.constData(), plainName.constData());
    });
    const double writeSaveFile = MedianMicros(301, 1, [&](int) {
        QSaveFile f(plainPath);
        f.open(QIODevice::WriteOnly);
        f.write(bytes);
        f.commit();
    });
    std::printf("file: %d keys in 6 sections, %lld bytes\n", count,
                static_cast<long long>(bytes.size()));
    std::printf("read: median %.2f us (baseline QHash %.2f us, QSettings %.2f us)\n", read,
                readHash, readQSettings);
    std::printf("write: median %.0f us (baseline QFile write+rename %.0f us, QSaveFile %.0f us)\n",
                write, writePlain, writeSaveFile);
    return sink == 42 ? 2 : 0;
}
