#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <future>
#include <memory>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "TestEnv.h"
#include "platform/SettingsBackend.h"

namespace {

using Entries = std::vector<std::pair<QString, QString>>;

QStringList Flat(const Entries& entries) {
    QStringList out;
    for (const auto& [key, value] : entries) out << key + u'=' + value;
    return out;
}

QString Get(IniSettingsBackend& s, const QString& section, const QString& key) {
    return s.Value(section, key).value_or(QStringLiteral("<missing>"));
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

bool WriteFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size();
}

QString ChildPath() {
    return QCoreApplication::applicationDirPath() + QStringLiteral("/settings_child");
}

// Must match LoopValue in settings_child.cpp.
QString LoopValue(int n) {
    return QString::number(n) + u'|' + QString(n % 97, u'x') + QStringLiteral(" a=b\n\\[;#\t ") +
           QChar(0xD800) + QStringLiteral("é ");
}

}  // namespace

class TestSettings : public QObject {
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> dir_;
    QString file_;  // not created yet, nor its folder

private slots:
    void init() {
        dir_ = std::make_unique<QTemporaryDir>();
        QVERIFY(dir_->isValid());
        file_ = dir_->path() + QStringLiteral("/Kvo View/settings.ini");
        // Every warning a test expects is declared with ignoreMessage.
        QTest::failOnWarning(QRegularExpression(QStringLiteral(".*")));
    }
    void cleanup() {
        // A test that failed half way may have left a folder read-only.
        QFile::setPermissions(dir_->path() + "/config",
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }

    void roundTrip_data() {
        QTest::addColumn<QString>("section");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("value");
        auto row = [](const char* name, const QString& s, const QString& k, const QString& v) {
            QTest::newRow(name) << s << k << v;
        };
        auto value = [&](const char* name, const QString& v) { row(name, "S", "K", v); };
        auto key = [&](const char* name, const QString& k) { row(name, "S", k, "v"); };
        auto section = [&](const char* name, const QString& s) { row(name, s, "K", "v"); };
        const QChar high(0xD83D), low(0xDE00);
        value("empty", "");
        value("line breaks", "a\nb\r\nc\rd\n");
        value("comment-like", ";x #y");
        value("backslashes", "C:\\dir\\ \\n \\x41 \\");
        value("control characters", QString::fromUtf16(u"\0\x01\x1F\x7F"
                                                       "a",
                                                       5));
        value("non-ASCII", QStringLiteral("Grüße 日本 ") + high + low + u'\u00A0');
        value("lone high surrogate", "/pics/a" + QString(high) + ".jpg");
        key("key with =", "a=b");
        key("key starting [", "[x]");
        key("key starting ;", ";x");
        key("key ending in backslash", "k\\");
        key("empty key", "");
        section("section with ]", "a]b");
        section("empty section", "");
    }
    void roundTrip() {
        QFETCH(QString, section);
        QFETCH(QString, key);
        QFETCH(QString, value);
        {
            IniSettingsBackend writer(file_);
            QVERIFY(writer.SetValue(section, key, value));
        }
        IniSettingsBackend reader(file_);
        QVERIFY(reader.BrokenFileKeptAs().isEmpty());
        QCOMPARE(Get(reader, section, key), value);
        QCOMPARE(Flat(reader.Section(section)), QStringList{key + u'=' + value});
        // The comment line, a blank, one header and one setting, whatever the texts hold.
        QCOMPARE(ReadFile(file_).count('\n'), 4);
    }

    void handWrittenFile_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");  // of [A] key; null when the file is unparseable
        auto row = [](const char* name, const char* text, const QString& key, const QString& v) {
            QTest::newRow(name) << QByteArray(text) << key << v;
        };
        auto broken = [&](const char* name, const char* text) { row(name, text, "k", QString()); };
        row("comments and blank lines", "; a\n# b\n\n[A]\n  ; c\n\nk=v\n", "k", "v");
        row("CRLF line ends", "[A]\r\nk=v\r\n", "k", "v");
        row("byte order mark", "\xEF\xBB\xBF[A]\nk=v\n", "k", "v");
        row("later header and key win", "[A]\nk=1\n[B]\ny=2\n[a]\nK=3\n", "k", "3");
        row("escaped equals in key", "[A]\nk\\x3dx=v\n", "k=x", "v");
        broken("neither header nor setting", "[A]\nk=v\njust words\n");
        broken("setting before any header", "k=v\n[A]\n");
        broken("unknown escape", "[A]\nk=a\\qb\n");
        broken("backslash at line end", "[A]\nk=abc\\\n");
        broken("invalid UTF-8 byte", "[A]\nk=\xFF\n");
    }
    // An unparseable file is kept aside, never written over, and the settings start empty.
    void handWrittenFile() {
        QFETCH(QByteArray, text);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(WriteFile(file_, text));
        if (!expected.isNull()) {
            IniSettingsBackend s(file_);
            QVERIFY(s.BrokenFileKeptAs().isEmpty());
            QCOMPARE(Get(s, "A", key), expected);
            return;
        }
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("kept as .*settings\\.ini\\.broken-"));
        IniSettingsBackend s(file_);
        const QString kept = s.BrokenFileKeptAs();
        QVERIFY(kept.startsWith(file_ + ".broken-"));
        QCOMPARE(ReadFile(kept), text);
        QVERIFY(!QFile::exists(file_));
        QVERIFY(s.Section("A").empty());
        QVERIFY(s.SetValue("A", "new", "1"));
        QCOMPARE(Flat(IniSettingsBackend(file_).Section("A")), QStringList{"new=1"});

        // Broken again by hand while we run, within the same second: a copy of its own.
        QVERIFY(WriteFile(file_, text + "again"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("kept as "));
        QVERIFY(!s.Value("A", "k").has_value());
        QVERIFY(s.BrokenFileKeptAs() != kept);
        QCOMPARE(ReadFile(kept), text);
        QCOMPARE(ReadFile(s.BrokenFileKeptAs()), text + "again");
    }

    void notARegularFile_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO, whose open would wait for a writer") << "fifo";
        QTest::newRow("link to a FIFO") << "link";
        QTest::newRow("folder") << "folder";
    }
    // Kept aside like an unparseable file, without ever being opened for reading.
    void notARegularFile() {
        QFETCH(QString, kind);
        QVERIFY(QDir().mkpath(QFileInfo(file_).path()));
        const QByteArray fifo = QFile::encodeName(dir_->path() + "/fifo");
        const QByteArray file = QFile::encodeName(file_);
        if (kind == "folder") {
            QVERIFY(QDir().mkdir(file_));
        } else {
            QCOMPARE(::mkfifo(kind == "fifo" ? file.constData() : fifo.constData(), 0600), 0);
            if (kind == "link") QCOMPARE(::symlink(fifo.constData(), file.constData()), 0);
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("kept as "));
        auto opened = std::async(std::launch::async,
                                 [&] { return std::make_unique<IniSettingsBackend>(file_); });
        if (opened.wait_for(std::chrono::seconds(20)) != std::future_status::ready) {
            // A writer that comes and goes lets the blocked open return and
            // its read see the end, so the test can end.
            ::close(::open(kind == "fifo" ? file.constData() : fifo.constData(),
                           O_WRONLY | O_NONBLOCK));
            opened.wait();
            QFAIL("opening the settings waited on the FIFO");
        }
        const auto s = opened.get();
        const QString kept = s->BrokenFileKeptAs();
        QVERIFY(kept.startsWith(file_ + ".broken-"));
        struct stat st;
        QCOMPARE(::lstat(QFile::encodeName(kept).constData(), &st), 0);
        QVERIFY(kind == "fifo"   ? S_ISFIFO(st.st_mode)
                : kind == "link" ? S_ISLNK(st.st_mode)
                                 : S_ISDIR(st.st_mode));
        QVERIFY(s->SetValue("A", "k", "v"));
        QCOMPARE(Get(*s, "A", "k"), "v");
        QCOMPARE(Flat(IniSettingsBackend(file_).Section("A")), QStringList{"k=v"});
    }

    // A writer killed between making its temporary and renaming it leaves the
    // temporary; the next start removes those, and nothing else.
    void staleTemporariesRemovedAtStart() {
        const QString dir = QFileInfo(file_).path();
        QVERIFY(WriteFile(file_, "[A]\nk=v\n"));
        const QStringList stale = {"settings.ini.writing-aB3dE9", "settings.ini.writing-ZZZZZZ"};
        const QStringList others = {"settings.ini.backup",
                                    "settings.ini.AbCdEf",
                                    "settings.ini.writing-aB3dE",
                                    "settings.ini.writing-aB3dE9x",
                                    "settings.ini.writing-aB-dE9",
                                    "other.ini.writing-aB3dE9",
                                    "settings.ini.lock"};
        for (const QString& name : stale + others) QVERIFY(WriteFile(dir + '/' + name, "[A]\n"));
        QVERIFY(QDir(dir).mkdir("settings.ini.writing-Folder"));
        const QStringList kept = QStringList(others) << "settings.ini"
                                                     << "settings.ini.writing-Folder";
        auto files = [&] {
            QStringList names = QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
            names.sort();
            return names;
        };

        // While another instance holds the lock, its temporary may be live.
        const int other = ::open(QFile::encodeName(file_ + ".lock").constData(), O_RDWR);
        QVERIFY(other >= 0);
        QCOMPARE(::flock(other, LOCK_EX), 0);
        QCOMPARE(Get(*std::make_unique<IniSettingsBackend>(file_), "A", "k"), "v");
        QCOMPARE(files(), [&] {
            QStringList all = kept + stale;
            all.sort();
            return all;
        }());
        ::close(other);

        QCOMPARE(Get(*std::make_unique<IniSettingsBackend>(file_), "A", "k"), "v");
        QStringList expected = kept;
        expected.sort();
        QCOMPARE(files(), expected);
    }

    void unwritableFolder_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("folder under a file") << false;
    }
    // Changes are kept in memory, and saved with the next write once the folder works.
    void unwritableFolder() {
        QFETCH(bool, readOnlyFolder);
        const QString dir = dir_->path() + "/config";
        QVERIFY(QDir().mkpath(dir));
        const QString file =
            dir + (readOnlyFolder ? "/settings.ini" : "/blocker/Kvo View/settings.ini");
        if (readOnlyFolder) {
            QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
            if (QFile probe(dir + "/probe"); probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                QSKIP("this user writes into read-only folders (root)");
            }
        } else {
            QVERIFY(WriteFile(dir + "/blocker", "a file"));
        }
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot save settings"));
        IniSettingsBackend a(file);
        QVERIFY(!a.SetValue("A", "k1", "1"));
        QVERIFY(!a.SetValue("A", "k2", "2"));
        QVERIFY(!a.SetValue("a", "K1", "one"));
        QVERIFY(!a.SetValue("Gone", "x", "y"));
        QVERIFY(!a.DeleteSection("gone"));
        QCOMPARE(Get(a, "a", "K2"), "2");
        QVERIFY(!QFile::exists(file));

        QVERIFY(readOnlyFolder ? QFile::setPermissions(
                                     dir, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner)
                               : QFile::remove(dir + "/blocker"));
        QVERIFY(IniSettingsBackend(file).SetValue("B", "other", "yes"));
        // Another instance's file appearing does not wipe what we could not save.
        QCOMPARE(Flat(a.Section("A")), (QStringList{"k1=one", "k2=2"}));
        QCOMPARE(Get(a, "B", "other"), "yes");
        QVERIFY(a.SetValue("A", "k3", "3"));
        IniSettingsBackend c(file);
        QCOMPARE(Flat(c.Section("A")), (QStringList{"k1=one", "k2=2", "k3=3"}));
        QVERIFY(c.Section("Gone").empty());
    }

    // Inside a batch reads see the changes at once and the disk sees them
    // together at the end, merged with what another instance wrote meanwhile.
    void batchWritesOnceAtTheEnd() {
        IniSettingsBackend s(file_);
        QVERIFY(s.SetValue("A", "before", "1"));
        const QByteArray before = ReadFile(file_);
        s.BeginBatch();
        s.BeginBatch();
        QVERIFY(s.SetValue("A", "x", "1"));
        QVERIFY(s.SetValue("A", "x", "2"));
        QVERIFY(s.DeleteSection("Gone"));
        QVERIFY(s.EndBatch());
        QVERIFY(s.SetValue("B", "y", "3"));
        QCOMPARE(Get(s, "A", "x"), QString("2"));
        QCOMPARE(ReadFile(file_), before);
        QVERIFY(IniSettingsBackend(file_).SetValue("Other", "z", "4"));
        QVERIFY(s.EndBatch());
        QCOMPARE(s.WriteCount(), 2);
        IniSettingsBackend check(file_);
        QCOMPARE(Flat(check.Section("A")), QStringList({"before=1", "x=2"}));
        QCOMPARE(Get(check, "B", "y"), QString("3"));
        QCOMPARE(Get(check, "Other", "z"), QString("4"));
        QVERIFY(s.EndBatch());  // an unmatched end changes nothing
        QCOMPARE(s.WriteCount(), 2);
    }

    void survivesKillDuringWrites_data() {
        QTest::addColumn<int>("batch");
        QTest::newRow("single writes") << 1;
        QTest::newRow("batches") << 7;
    }

    // A child rewrites the file nonstop; each kill -9 leaves some complete
    // write on disk, and a batch is there whole or not at all.
    void survivesKillDuringWrites() {
        QFETCH(int, batch);
        QRandomGenerator random(20240607);
        int previousLast = -1;
        for (int round = 0; round < 30; ++round) {
            QProcess child;
            child.start(ChildPath(), {"loop", file_, QString::number(batch)});
            QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
            QVERIFY2(child.waitForReadyRead(10000), child.readAllStandardError().constData());
            QThread::usleep(random.bounded(15000));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            IniSettingsBackend check(file_);
            QVERIFY(check.BrokenFileKeptAs().isEmpty());
            QCOMPARE(QDir(QFileInfo(file_).path()).entryList(QDir::Files | QDir::Hidden),
                     QStringList({"settings.ini", "settings.ini.lock"}));
            const Entries loop = check.Section("Loop");
            int last = -1;
            for (const auto& [key, value] : loop)
                last = std::max(last, value.section(u'|', 0, 0).toInt());
            QVERIFY2(last > previousLast, "the write reported before the kill is on disk");
            QCOMPARE((last + 1) % batch, 0);
            QCOMPARE(int(loop.size()), std::min(last + 1, 40));
            for (int j = 0; j < int(loop.size()); ++j) {
                QCOMPARE(loop[j].first, QStringLiteral("key%1").arg(j));
                QCOMPARE(loop[j].second, LoopValue(last - (last - j) % 40));
            }
            previousLast = last;
        }
        QVERIFY(QDir(QFileInfo(file_).path()).entryList({"*.broken-*"}).isEmpty());
    }

    void twoProcessesLoseNoKeys_data() { survivesKillDuringWrites_data(); }

    void twoProcessesLoseNoKeys() {
        QFETCH(int, batch);
        const int count = 200;
        QProcess a, b;
        a.start(ChildPath(), {"keys", file_, "a", QString::number(count), QString::number(batch)});
        b.start(ChildPath(), {"keys", file_, "b", QString::number(count), QString::number(batch)});
        for (QProcess* p : {&a, &b})
            QVERIFY(p->waitForStarted(10000) && p->waitForReadyRead(10000));
        // Both go at once: a QProcess only sends what was written once waited on.
        for (QProcess* p : {&a, &b}) p->write("go\n");
        for (QProcess* p : {&a, &b}) QVERIFY(p->waitForBytesWritten(10000));
        for (QProcess* p : {&a, &b}) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitStatus(), QProcess::NormalExit);
            QCOMPARE(p->exitCode(), 0);
        }
        QStringList expected;
        for (int i = 0; i < count; ++i)
            expected << QString("a%1=v%1").arg(i) << QString("b%1=v%1").arg(i);
        QStringList found = Flat(IniSettingsBackend(file_).Section("Both"));
        found.sort();
        expected.sort();
        QCOMPARE(found, expected);
    }
};

KVO_TEST_MAIN_CORE(TestSettings)
#include "tst_platform_settings.moc"
