// Folders and pictures named on the command line: the real start-up (splash,
// main window, list) on generated folders, with the viewer and the message
// box caught.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <QDir>
#include <QtTest>
#include <cerrno>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "app/frmspash.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Openers.h"
#include "browser/StartPaths.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/MsgBox.h"
#include "kit/PictureService.h"
#include "kit/Settings.h"
#include "platform/FileSystem.h"
#include "platform/Platform.h"

namespace {
// The real file system, noting every folder listed.
class RecordingFileSystem : public PosixFileSystem {
public:
    bool ReadNames(const QByteArray& dir, FolderNames* out) const override {
        listed << dir;
        return PosixFileSystem::ReadNames(dir, out);
    }
    mutable QList<QByteArray> listed;
};

// Names are bytes here, so that names outside UTF-8 can be made.
void writeFile(const QByteArray& path, const QByteArray& data) {
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, data.constData(), data.size()), ssize_t(data.size()));
    ::close(fd);
}

QByteArray jpeg() {
    return encoded(halves(QSize(40, 30)), "jpeg");
}
}  // namespace

class TestStartPaths : public QObject {
    Q_OBJECT

    QByteArray base_;  // ends in '/'
    RecordingFileSystem* files_ = nullptr;
    QList<QByteArray> viewerOn_;  // the list's item when the viewer was asked for
    QStringList messages_;

    void makeFolders() {
        base_ = QFile::encodeName(UseFreshSettings()) + "base/";
        QVERIFY(QDir().mkpath(QFile::decodeName(base_)));
        for (const char* dir : {"pics", "other", "saved", ".hidden", "caf\xE9"})
            QVERIFY(::mkdir(base_ + dir, 0755) == 0 || errno == EEXIST);
        const QByteArray picture = jpeg();
        writeFile(base_ + "pics/a.jpg", picture);
        writeFile(base_ + "pics/b.bmp", encoded(halves(QSize(20, 10)), "bmp"));
        writeFile(base_ + "pics/c.gif", gifFile(halves(QSize(16, 8))));
        writeFile(base_ + "pics/caf\xE9.jpg", picture);
        writeFile(base_ + "pics/notes.jpg", "not a picture at all");
        writeFile(base_ + "pics/photo.data", picture);
        writeFile(base_ + "other/d.jpg", picture);
        writeFile(base_ + "saved/s.jpg", picture);
        writeFile(base_ + ".hidden/h.jpg", picture);
        writeFile(base_ + "caf\xE9/e.jpg", picture);
        UseFakeSystem(QFile::decodeName(base_));
        WriteSetting("Browser Options", "Previous Folder", QFile::decodeName(base_ + "saved"));
    }

    frmMain* start(const QList<QByteArray>& paths) {
        auto files = std::make_unique<RecordingFileSystem>();
        files_ = files.get();
        Platform::SetFiles(std::move(files));
        frmspash* splash = frmspash::Instance();
        splash->StartPaths = paths;
        splash->Form_Load();
        // The splash's time is up: any message follows its closing.
        splash->Timer1_Timer();
        PictureService::Instance().Settle();
        return frmMain::Instance();
    }

    QList<QByteArray> selectedKeys(const frmMain* f) const {
        QList<QByteArray> keys;
        const FileListModel* m = f->ListView1->Model();
        for (int row = 0; row < m->Count(); ++row)
            if (f->ListView1->IsSelected(row) && !m->Item(row).RawKey().isEmpty())
                keys << m->Item(row).RawKey();
        return keys;
    }

private slots:
    void init() {
        viewerOn_.clear();
        messages_.clear();
        Openers::Table().ShowViewer = [this] {
            const frmMain* f = frmMain::Instance();
            viewerOn_ << f->ListView1->Model()->Item(f->ListView1->SelectedRow()).RawKey();
        };
        SetMsgBoxHandler([this](const QString& text, int style, const QString& title) {
            messages_ << QString::number(style) + "|" + title + "|" + text;
            return vbOK;
        });
    }

    void cleanup() {
        if (frmMain::Exists()) frmMain::Instance()->close();
        QTRY_VERIFY(!frmMain::Exists() && !Forms::Loaded<frmspash>());
        // A message still on its way after a failed row goes to the handler.
        QCoreApplication::processEvents();
        SetMsgBoxHandler(nullptr);
        Openers::Table().ShowViewer = nullptr;
        Platform::SetFiles(std::make_unique<PosixFileSystem>());
        // Qt's removal of the temporary folder cannot name these.
        ::unlink(base_ + "pics/caf\xE9.jpg");
        ::unlink(base_ + "caf\xE9/e.jpg");
        ::rmdir(base_ + "caf\xE9");
    }

    // Paths below are relative to the base folder unless they start with
    // "./" (then relative to the working folder, base/pics); "=" lists.
    void opens_data() {
        QTest::addColumn<QByteArrayList>("args");
        QTest::addColumn<QByteArray>("listed");        // the one folder listed
        QTest::addColumn<QByteArrayList>("selected");  // the current item first
        QTest::addColumn<bool>("viewer");              // opened on the current item
        QTest::addColumn<QStringList>("failures");     // "path (reason)"
        QTest::addColumn<QString>("doubleClick");
        auto row = [](const char* name, QByteArrayList args, const char* listed,
                      QByteArrayList selected, bool viewer, QStringList failures,
                      const char* doubleClick = "True") {
            QTest::newRow(name) << args << QByteArray(listed) << selected << viewer << failures
                                << QString(doubleClick);
        };
        row("folder", {"pics"}, "pics/", {}, false, {});
        row("picture", {"pics/b.bmp"}, "pics/", {"pics/b.bmp"}, true, {});
        row("picture, double click off", {"pics/b.bmp"}, "pics/", {"pics/b.bmp"}, false, {},
            "False");
        row("several pictures", {"pics/c.gif", "pics/a.jpg", "other/d.jpg", "pics/c.gif"}, "pics/",
            {"pics/c.gif", "pics/a.jpg"}, true, {"other/d.jpg (in another folder than the first)"});
        row("folder, then its picture", {"pics", "pics/a.jpg"}, "pics/", {"pics/a.jpg"}, true, {});
        row("two folders", {"other", "pics"}, "other/", {}, false,
            {"pics (only one folder is opened)"});
        row("relative", {"./../pics/./a.jpg"}, "pics/", {"pics/a.jpg"}, true, {});
        row("missing", {"./gone.jpg"}, "saved/", {}, false, {"pics/gone.jpg (not found)"});
        row("not a picture", {"pics/notes.jpg"}, "saved/", {}, false,
            {"pics/notes.jpg (not a picture)"});
        row("missing and a picture", {"gone", "pics/a.jpg"}, "pics/", {"pics/a.jpg"}, true,
            {"gone (not found)"});
        row("picture by content, not by name", {"pics/photo.data"}, "pics/", {}, false,
            {"pics/photo.data (not among the listed picture files)"});
        row("name not UTF-8", {"pics/caf\xE9.jpg"}, "pics/", {"pics/caf\xE9.jpg"}, true, {});
        row("folder not UTF-8", {"caf\xE9/e.jpg"}, "caf\xE9/", {"caf\xE9/e.jpg"}, true, {});
    }

    void opens() {
        QFETCH(QByteArrayList, args);
        QFETCH(QByteArray, listed);
        QFETCH(QByteArrayList, selected);
        QFETCH(bool, viewer);
        QFETCH(QStringList, failures);
        QFETCH(QString, doubleClick);
        makeFolders();
        WriteSetting("Browser Options", "Double Click", doubleClick);
        const QByteArray workingDir = base_ + "pics";
        QVERIFY(::chdir(workingDir.constData()) == 0);
        QList<QByteArray> paths;
        for (const QByteArray& a : args) paths << (a.startsWith("./") ? a.mid(2) : base_ + a);
        for (QByteArray& s : selected) s.prepend(base_);

        frmMain* f = start(paths);
        // Only the folder asked for is listed, never the saved one first.
        QCOMPARE(files_->listed, QList<QByteArray>{base_ + listed});
        QCOMPARE(selectedKeys(f).size(), selected.size());
        for (const QByteArray& key : selected) QVERIFY(selectedKeys(f).contains(key));
        if (!selected.isEmpty()) {
            const ListItem& current = f->ListView1->Model()->Item(f->ListView1->SelectedRow());
            QCOMPARE(current.RawKey(), selected.first());
            QCOMPARE(f->picsrc.path, selected.first());
        }
        QCOMPARE(viewerOn_, viewer ? QList<QByteArray>{selected.first()} : QList<QByteArray>{});
        // The main window stands aside for the viewer, as after a double click.
        QCOMPARE(f->isVisible(), !viewer);
        QString text;
        if (!failures.isEmpty())
            text = QString("48|Kvo View|") + (failures.size() == 1 ? "This could" : "These could") +
                   " not be opened:\n";
        for (const QString& line : failures) text += "\n" + QFile::decodeName(base_) + line;
        QTRY_COMPARE(messages_, text.isEmpty() ? QStringList{} : QStringList{text});
    }

    // The message shows the path as people read it.
    void messageShowsReadableNames() {
        const QString text = StartFailureText({{"/tmp/caf\xE9.txt", "not found"}});
        QCOMPARE(text, QString("This could not be opened:\n\n/tmp/caf\uFFFD.txt (not found)"));
        QVERIFY(StartFailureText({}).isEmpty());
    }

    // Without paths nothing changes: the saved folder, no message.
    void noPaths() {
        makeFolders();
        frmMain* f = start({});
        QCOMPARE(files_->listed, QList<QByteArray>{base_ + "saved/"});
        QVERIFY(f->isVisible());
        QCoreApplication::processEvents();
        QVERIFY(messages_.isEmpty());
    }

    // A hidden folder while hidden files are not shown: the tree does not
    // take it, and the browser starts as usual and says so.
    void hiddenFolderNotShown() {
        makeFolders();
        WriteSetting("Browser Options", "Show Hidden Files", false);
        start({base_ + ".hidden/h.jpg"});
        QCOMPARE(files_->listed, QList<QByteArray>{base_ + "saved/"});
        QTRY_COMPARE(messages_.size(), 1);
        QVERIFY(messages_[0].endsWith(QFile::decodeName(base_) +
                                      ".hidden/h.jpg (its folder cannot be shown)"));
    }
};

KVO_TEST_MAIN(TestStartPaths)
#include "tst_startpaths.moc"
