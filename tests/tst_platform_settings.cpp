#include <QDir>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <memory>

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

QString Units(std::initializer_list<char16_t> units) {
    QString s;
    for (char16_t u : units) s += QChar(u);
    return s;
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

    void defaultPathFollowsXdgConfigHome() {
        QCOMPARE(IniSettingsBackend::DefaultPath(),
                 qEnvironmentVariable("XDG_CONFIG_HOME") + "/Kvo View/settings.ini");
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
        value("plain", "hello world");
        value("empty", "");
        value("line breaks", "a\nb\r\nc\rd\n");
        value("tabs", "\ta\tb\t");
        value("equals", "=a=b=");
        value("header-like", "[Other]");
        value("comment-like", ";x #y");
        value("backslashes", "C:\\dir\\");
        value("escape-like text", "\\n \\x41 \\u0041 \\");
        value("outer spaces", "  a b  ");
        value("one space", " ");
        value("control characters", Units({0, 1, 0x1F, 0x7F, u'a'}));
        value("non-ASCII", QStringLiteral("Grüße 日本 ") + high + low + u'\u00A0');
        value("noncharacters", Units({0xFFFE, 0xFFFF, 0xFEFF}));
        value("lone high surrogate", "/pics/a" + QString(high) + ".jpg");
        value("lone low surrogate", QString(low));
        value("surrogates reversed", QString(low) + high);
        value("high surrogate at end", "x" + QString(high));
        key("key with =", "a=b");
        key("key with ]", "a]");
        key("key starting [", "[x]");
        key("key starting ;", ";x");
        key("key starting #", "#x");
        key("key with outer spaces", " k ");
        key("key with newline", "k\n2");
        key("key ending in backslash", "k\\");
        key("empty key", "");
        key("key with lone surrogate", QString(low) + "k");
        section("section with ]", "a]b");
        section("section in brackets", "[x]");
        section("section ending in backslash", "s\\");
        section("section with outer spaces", " s ");
        section("section with newline", "s\nt");
        section("section starting ;", ";s");
        section("empty section", "");
        section("section with lone surrogate", QString(high));
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
        // One header line and one setting line, whatever the texts hold.
        const QList<QByteArray> lines = ReadFile(file_).split('\n');
        const auto used = std::count_if(lines.begin(), lines.end(), [](const QByteArray& l) {
            return !l.isEmpty() && !l.startsWith(';');
        });
        QCOMPARE(used, 2);
    }

    void readsHandWrittenFile_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("expected");
        auto row = [](const char* name, const char* text, const QString& key, const QString& v) {
            QTest::newRow(name) << QByteArray(text) << key << v;
        };
        row("comments and blank lines", "; a\n# b\n\n[A]\n  ; c\n\nk=v\n", "k", "v");
        row("blanks around", "  [ A ]  \n\t k \t=  v w \t\n", "k", "v w");
        row("CRLF line ends", "[A]\r\nk=v\r\n", "k", "v");
        row("byte order mark", "\xEF\xBB\xBF[A]\nk=v\n", "k", "v");
        row("no final line end", "[A]\nk=v", "k", "v");
        row("later duplicate wins", "[A]\nk=1\nK=2\n", "k", "2");
        row("repeated header", "[A]\nx=1\n[B]\ny=2\n[a]\nk=3\n", "k", "3");
        row("equals in value", "[A]\nk==a=b\n", "k", "=a=b");
        row("empty value", "[A]\nk=\n", "k", "");
        row("escaped equals in key", "[A]\nk\\x3dx=v\n", "k=x", "v");
        row("escaped space kept", "[A]\nk=\\x20v\\x20\n", "k", " v ");
        row("UTF-8 text", "[A]\nk=\xC3\xA9t\xC3\xA9\n", "k", "été");
    }
    void readsHandWrittenFile() {
        QFETCH(QByteArray, text);
        QFETCH(QString, key);
        QFETCH(QString, expected);
        QVERIFY(WriteFile(file_, text));
        IniSettingsBackend s(file_);
        QVERIFY(s.BrokenFileKeptAs().isEmpty());
        QCOMPARE(Get(s, QStringLiteral("A"), key), expected);
    }

    void fileIsReadableText() {
        IniSettingsBackend s(file_);
        QVERIFY(s.SetValue("Display", "Zoom", "100"));
        QVERIFY(s.SetValue("Folders", "Last folder", "/home/ü/Pictures"));
        const QString text = QString::fromUtf8(ReadFile(file_));
        QVERIFY2(text.contains("\n[Display]\nZoom=100\n"), qPrintable(text));
        QVERIFY2(text.contains("\n[Folders]\nLast folder=/home/ü/Pictures\n"), qPrintable(text));
    }

    void keepsFirstWrittenOrderAndSpelling() {
        {
            IniSettingsBackend s(file_);
            QVERIFY(s.SetValue("Display", "Zoom", "1"));
            QVERIFY(s.SetValue("Files", "Last", "x"));
            QVERIFY(s.SetValue("Display", "Width", "2"));
            QVERIFY(s.SetValue("DISPLAY", "zoom", "3"));
            QVERIFY(s.SetValue("Ärger", "Übel", "4"));
            QCOMPARE(Flat(s.Section("display")), (QStringList{"Zoom=3", "Width=2"}));
        }
        IniSettingsBackend s(file_);
        QCOMPARE(Flat(s.Section("dISPLAY")), (QStringList{"Zoom=3", "Width=2"}));
        QCOMPARE(Get(s, "display", "ZOOM"), "3");
        QCOMPARE(Get(s, "ärger", "üBEL"), "4");
        QVERIFY(!s.Value("Display", "Zoom ").has_value());
        QVERIFY(s.Section("Missing").empty());
        const QByteArray text = ReadFile(file_);
        QVERIFY(text.indexOf("[Display]") < text.indexOf("[Files]"));
        QVERIFY(text.indexOf("[Files]") < text.indexOf("[\xC3\x84rger]"));
    }

    void deletedSectionComesBackAtTheEnd() {
        {
            IniSettingsBackend s(file_);
            QVERIFY(s.SetValue("A", "a1", "1"));
            QVERIFY(s.SetValue("A", "a2", "2"));
            QVERIFY(s.SetValue("B", "b", "3"));
            QVERIFY(s.DeleteSection("a"));
            QVERIFY(s.Section("A").empty());
            QVERIFY(!s.Value("A", "a1").has_value());
            QVERIFY(s.DeleteSection("never written"));
            QVERIFY(s.SetValue("a", "x", "4"));
            QVERIFY(s.SetValue("A", "A2", "5"));
        }
        IniSettingsBackend s(file_);
        QCOMPARE(Flat(s.Section("A")), (QStringList{"x=4", "A2=5"}));
        QCOMPARE(Flat(s.Section("B")), QStringList{"b=3"});
        const QByteArray text = ReadFile(file_);
        QVERIFY(text.indexOf("[B]") < text.indexOf("[a]"));
        QVERIFY(!text.contains("[A]"));
    }

    void seesAndKeepsAnotherInstancesWrites() {
        IniSettingsBackend a(file_), b(file_);
        QVERIFY(a.SetValue("S", "fromA", "1"));
        QCOMPARE(Get(b, "S", "fromA"), "1");
        QVERIFY(b.SetValue("S", "fromB", "2"));
        QVERIFY(a.SetValue("S", "fromA2", "3"));
        QCOMPARE(Flat(IniSettingsBackend(file_).Section("S")),
                 (QStringList{"fromA=1", "fromB=2", "fromA2=3"}));
        QVERIFY(b.DeleteSection("S"));
        QVERIFY(a.Section("S").empty());
    }

    void unparseableFileIsKeptAside_data() {
        QTest::addColumn<QByteArray>("text");
        QTest::newRow("neither header nor setting") << QByteArray("[A]\nk=v\njust words\n");
        QTest::newRow("setting before any header") << QByteArray("k=v\n[A]\n");
        QTest::newRow("header without ]") << QByteArray("[A\nk=v\n");
        QTest::newRow("unknown escape") << QByteArray("[A]\nk=a\\qb\n");
        QTest::newRow("short hex escape") << QByteArray("[A]\nk=\\x4\n");
        QTest::newRow("bad hex digit") << QByteArray("[A]\nk=\\u12G4\n");
        QTest::newRow("backslash at line end") << QByteArray("[A]\nk=abc\\\n");
        QTest::newRow("invalid UTF-8 byte") << QByteArray("[A]\nk=\xFF\n");
        QTest::newRow("encoded surrogate") << QByteArray("[A]\nk=\xED\xA0\x80\n");
        QTest::newRow("overlong UTF-8") << QByteArray("[A]\nk=\xC0\xAF\n");
        QTest::newRow("truncated UTF-8") << QByteArray("[A]\nk=\xC3");
    }
    void unparseableFileIsKeptAside() {
        QFETCH(QByteArray, text);
        QVERIFY(WriteFile(file_, text));
        QTest::ignoreMessage(QtWarningMsg,
                             QRegularExpression("kept as .*settings\\.ini\\.broken-"));
        IniSettingsBackend s(file_);
        const QString kept = s.BrokenFileKeptAs();
        QVERIFY(kept.startsWith(file_ + ".broken-"));
        QCOMPARE(ReadFile(kept), text);
        QVERIFY(!QFile::exists(file_));
        QVERIFY(!s.Value("A", "k").has_value());
        QVERIFY(s.Section("A").empty());
        QVERIFY(s.SetValue("A", "new", "1"));
        QCOMPARE(ReadFile(kept), text);
        QCOMPARE(Flat(IniSettingsBackend(file_).Section("A")), QStringList{"new=1"});
    }

    // Broken files found within the same second get names of their own.
    void laterBrokenFilesDoNotReplaceEarlierCopies() {
        const QRegularExpression warning("kept as ");
        QVERIFY(WriteFile(file_, "first\n"));
        QTest::ignoreMessage(QtWarningMsg, warning);
        IniSettingsBackend s(file_);
        const QString first = s.BrokenFileKeptAs();

        QVERIFY(WriteFile(file_, "[A]\nsecond\n"));  // edited by hand while we run
        QTest::ignoreMessage(QtWarningMsg, warning);
        QVERIFY(!s.Value("A", "k").has_value());
        const QString second = s.BrokenFileKeptAs();

        QVERIFY(WriteFile(file_, "third\n"));
        QTest::ignoreMessage(QtWarningMsg, warning);
        const QString third = IniSettingsBackend(file_).BrokenFileKeptAs();

        QCOMPARE(QSet<QString>({first, second, third}).size(), 3);
        QCOMPARE(ReadFile(first), "first\n");
        QCOMPARE(ReadFile(second), "[A]\nsecond\n");
        QCOMPARE(ReadFile(third), "third\n");
    }

    void unwritableFolder_data() {
        QTest::addColumn<bool>("readOnlyFolder");
        QTest::newRow("read-only folder") << true;
        QTest::newRow("folder under a file") << false;
    }
    void unwritableFolder() {
        QFETCH(bool, readOnlyFolder);
        const QString dir = dir_->path() + "/config";
        QVERIFY(QDir().mkpath(dir));
        QString file = dir + "/blocker/Kvo View/settings.ini";
        if (readOnlyFolder) {
            file = dir + "/settings.ini";
            QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
            if (QFile probe(dir + "/probe"); probe.open(QIODevice::WriteOnly)) {
                probe.remove();
                QSKIP("this user writes into read-only folders (root)");
            }
        } else {
            QVERIFY(WriteFile(dir + "/blocker", "a file"));
        }
        {
            QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot save settings"));
            IniSettingsBackend s(file);
            QVERIFY(!s.SetValue("View", "Zoom", "200"));
            QVERIFY(!s.SetValue("View", "Fit", "1"));
            QVERIFY(!s.DeleteSection("Other"));
            QCOMPARE(Get(s, "view", "zoom"), "200");
            QCOMPARE(Flat(s.Section("View")), (QStringList{"Zoom=200", "Fit=1"}));
        }
        QVERIFY(!QFile::exists(file));
    }

    void unsavedChangesAreWrittenOnceTheFolderWorks() {
        const QString blocker = dir_->path() + "/blocker";
        const QString file = blocker + "/settings.ini";
        QVERIFY(WriteFile(blocker, "a file"));
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression("^Cannot save settings"));
        IniSettingsBackend a(file);
        QVERIFY(!a.SetValue("A", "k1", "1"));
        QVERIFY(!a.SetValue("A", "k2", "2"));
        QVERIFY(!a.SetValue("a", "K1", "one"));
        QVERIFY(!a.SetValue("Gone", "x", "y"));
        QVERIFY(!a.DeleteSection("gone"));

        QVERIFY(QFile::remove(blocker));
        QVERIFY(IniSettingsBackend(file).SetValue("B", "other", "yes"));
        // Another instance's file appearing does not wipe what we could not save.
        QCOMPARE(Get(a, "A", "k1"), "one");
        QCOMPARE(Get(a, "B", "other"), "yes");
        QVERIFY(a.SetValue("A", "k3", "3"));

        IniSettingsBackend c(file);
        QCOMPARE(Flat(c.Section("A")), (QStringList{"k1=one", "k2=2", "k3=3"}));
        QCOMPARE(Get(c, "B", "other"), "yes");
        QVERIFY(c.Section("Gone").empty());
    }

    // A child rewrites the file as fast as it can; every kill leaves the file
    // exactly as some complete write left it.
    void survivesKillDuringWrites() {
        QRandomGenerator random(20240607);
        int previousLast = -1;
        for (int round = 0; round < 30; ++round) {
            QProcess child;
            child.start(ChildPath(), {"loop", file_});
            QVERIFY2(child.waitForStarted(10000), qPrintable(child.errorString()));
            QVERIFY2(child.waitForReadyRead(10000), child.readAllStandardError().constData());
            QThread::usleep(random.bounded(15000));
            child.kill();
            QVERIFY(child.waitForFinished(10000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            IniSettingsBackend check(file_);
            QVERIFY(check.BrokenFileKeptAs().isEmpty());
            const Entries loop = check.Section("Loop");
            int last = -1;
            for (const auto& [key, value] : loop)
                last = std::max(last, value.section(u'|', 0, 0).toInt());
            QVERIFY2(last > previousLast, "the write reported before the kill is on disk");
            QCOMPARE(int(loop.size()), std::min(last + 1, 40));
            for (int j = 0; j < int(loop.size()); ++j) {
                QCOMPARE(loop[j].first, QStringLiteral("key%1").arg(j));
                QCOMPARE(loop[j].second, LoopValue(last - (last - j) % 40));
            }
            previousLast = last;
        }
        QVERIFY(QDir(QFileInfo(file_).path()).entryList({"*.broken-*"}).isEmpty());
    }

    void twoProcessesLoseNoKeys() {
        const int count = 200;
        QProcess a, b;
        a.start(ChildPath(), {"keys", file_, "a", QString::number(count)});
        b.start(ChildPath(), {"keys", file_, "b", QString::number(count)});
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
        IniSettingsBackend check(file_);
        QCOMPARE(int(check.Section("Both").size()), 2 * count);
        for (int i = 0; i < count; ++i) {
            QCOMPARE(Get(check, "Both", QStringLiteral("a%1").arg(i)),
                     QStringLiteral("v%1").arg(i));
            QCOMPARE(Get(check, "Both", QStringLiteral("b%1").arg(i)),
                     QStringLiteral("v%1").arg(i));
        }
    }
};

KVO_TEST_MAIN_CORE(TestSettings)
#include "tst_platform_settings.moc"
