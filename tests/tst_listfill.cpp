// Listing a folder from one read of it, the sizes (and the kinds of unsure
// entries) filled in afterwards: once filled, the list is the one a full
// status call per entry gives, whatever happened meanwhile.
#include <QDir>
#include <QFile>
#include <QTreeView>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Helpers.h"
#include "kit/PictureTypes.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "platform/FileSystem.h"
#include "platform/PathText.h"
#include "platform/Platform.h"

namespace {
// More files than a listing settles while it lists, so the fill has work.
constexpr int kPadding = 300;

// The real file system with seams: every entry can be reported as unsure
// (as some network and user-space mounts do), one entry can be removed just
// before its status is asked, and the worker can be held at one entry until
// released, or (releaseOnUiAsk) until the user-interface thread asks
// something itself.
class SeamFiles : public PosixFileSystem {
public:
    bool allUnsure = false;
    QByteArray removeBeforeAsking;  // a path
    QByteArray holdWorkerAt;        // a path
    std::atomic<bool> releaseOnUiAsk = false;

    bool ReadNames(const QByteArray& dir, FolderNames* out) const override {
        const bool read = PosixFileSystem::ReadNames(dir, out);
        if (allUnsure)
            for (FolderNames::Entry& e : out->entries) e.kind = FolderNames::Unsure;
        return read;
    }

    // Every status call goes through EntryStatus.
    std::unique_ptr<FolderProbe> OpenProbe(const QByteArray& dir) const override {
        return FileSystem::OpenProbe(dir);
    }

    std::optional<EntryFacts> EntryStatus(const QByteArray& path) const override {
        if (QThread::currentThread() == qApp->thread()) {
            if (releaseOnUiAsk) release();
        } else if (path == holdWorkerAt) {
            std::unique_lock<std::mutex> hold(lock_);
            held_ = true;
            wake_.notify_all();
            wake_.wait(hold, [this] { return released_; });
        }
        if (path == removeBeforeAsking) ::unlink(path.constData());
        return PosixFileSystem::EntryStatus(path);
    }

    // Waits until the worker is held.
    bool WaitHeld() const {
        std::unique_lock<std::mutex> hold(lock_);
        return wake_.wait_for(hold, std::chrono::seconds(20), [this] { return held_; });
    }
    void release() const {
        std::lock_guard<std::mutex> hold(lock_);
        released_ = true;
        wake_.notify_all();
    }

private:
    mutable std::mutex lock_;
    mutable std::condition_variable wake_;
    mutable bool held_ = false;
    mutable bool released_ = false;
};

// One row of the list as a person and a command see it.
struct Row {
    QString text, key, size;
    QByteArray raw;
    int image = 0;
    bool operator==(const Row& o) const {
        return text == o.text && key == o.key && size == o.size && raw == o.raw && image == o.image;
    }
};

char* toString(const Row& r) {
    return qstrdup(
        qPrintable(QStringLiteral("%1 | %2 | %3 | %4").arg(r.text, r.key, r.size).arg(r.image)));
}

// The folder listed the old way: a status call for every entry while
// reading, ".." and then each type's matches in the types' order, then
// (byName) a stable sort of the texts without regard to case.
QVector<Row> oldListing(const QString& folder, bool showHidden, bool descending,
                        bool byName = true) {
    std::vector<DirEntry> entries;
    PosixFileSystem().ListDirectory(PathBytes(folder), &entries);
    const quint32 m = showHidden ? 35 : 33;
    QVector<Row> rows{{"..", {}, {}, {}, 9}};
    for (const PictureTypes::Row* t : PictureTypes::InListOrder()) {
        if (!PictureTypes::Shown(*t)) continue;
        const QString suffix = PictureTypes::Pattern(*t).mid(1);
        for (const DirEntry& e : entries) {
            if (!(e.name.size() > suffix.size() && e.name.endsWith(suffix, Qt::CaseInsensitive)))
                continue;
            if (!PassesAttributeMask(e.attributes, m) || !(e.attributes & m)) continue;
            rows.push_back({e.name.left(e.name.size() - int(t->extension.size()) - 1),
                            ShownPath(folder) + e.name, FormatFileSize(e.size),
                            JoinRawPath(PathBytes(folder), e.rawName), t->listImage});
        }
    }
    if (!byName) return rows;
    std::stable_sort(rows.begin(), rows.end(), [descending](const Row& a, const Row& b) {
        const int c = QString::compare(a.text.toCaseFolded(), b.text.toCaseFolded());
        return descending ? c > 0 : c < 0;
    });
    return rows;
}

// The same, then sorted by the size texts (a stable sort of the rows above).
QVector<Row> sortedBySize(QVector<Row> rows, bool descending) {
    std::stable_sort(rows.begin(), rows.end(), [descending](const Row& a, const Row& b) {
        const int c = QString::compare(a.size.toCaseFolded(), b.size.toCaseFolded());
        return descending ? c > 0 : c < 0;
    });
    return rows;
}

QVector<Row> listed(const FileListModel& model) {
    QVector<Row> rows;
    for (int r = 0; r < model.Count(); ++r) {
        const ListItem& it = model.Item(r);
        rows.push_back({it.Text(), it.Key(), it.SubItem(1), it.RawKey(), it.Image()});
    }
    return rows;
}

void write(const QByteArray& path, int bytes) {
    QFile f(QFile::decodeName(path));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(bytes, 'x'));
}
}  // namespace

class TestListFill : public QObject {
    Q_OBJECT
    QString root_;
    SeamFiles* files_ = nullptr;
    frmMain* f_ = nullptr;

    // Every kind of entry a folder holds; names as bytes, some not UTF-8.
    QString makeFolder(const QString& name, int padding) {
        const QByteArray dir = QFile::encodeName(root_ + name) + '/';
        QDir().mkpath(root_ + name + "/sub");
        QDir().mkpath(root_ + name + "/folder.jpg");
        for (const char* file : {"cat.jpg", "Dog.JPEG", "logo.gif", "same.gif", "same.jpg",
                                 "notes.txt", ".hidden.jpg", "\xC3\x84rger.bmp", "\xC3\xA4rger.ico",
                                 "caf\xE9.jpg", "\xE9.gif", "\xE8.gif", "aaa.jpg", "zzz.jpg"})
            write(dir + file, int(qstrlen(file)) * 37);
        for (int i = 0; i < padding; ++i)
            write(dir + QByteArray("pad") + QByteArray::number(i).rightJustified(3, '0') + ".emf",
                  i * 1031 % 70000);
        bool linked = ::symlink("cat.jpg", (dir + "link.jpg").constData()) == 0 &&
                      ::symlink("sub", (dir + "linkdir.gif").constData()) == 0 &&
                      ::symlink("nowhere", (dir + "dangling.bmp").constData()) == 0;
        if (!linked) qWarning("cannot make the links");
        return root_ + name + '/';
    }

    // The main window, shown, its start folder listed.
    void open(const QString& folder, bool hidden = false, bool descending = false) {
        UseFakeSystem(root_);
        WriteSetting("Browser Options", "Previous Folder", folder);
        WriteSetting("Browser Options", "Show Hidden Files", hidden ? "True" : "False");
        f_ = frmMain::Instance();
        if (descending) f_->ListView1_ColumnClick(1);
        f_->resize(800, 600);
        f_->show();
        f_->Form_Load();
        QCOMPARE(f_->CurrentFolder, folder);
    }

    void list(const QString& folder) {
        f_->CurrentFolder = folder;
        f_->ListFiles();
    }

    bool waitForFill() {
        return QTest::qWaitFor([this] { return !f_->ListView1->Model()->Filling(); }, 20000);
    }

    QString total() const { return f_->StatusBar1->Panels(2).Text(); }

private slots:
    void init() {
        root_ = UseFreshSettings() + "root/";
        QDir().mkpath(root_);
        auto files = std::make_unique<SeamFiles>();
        files_ = files.get();
        Platform::SetFiles(std::move(files));
    }

    void cleanup() {
        if (frmMain::Exists()) frmMain::Instance()->close();
        QTRY_VERIFY(!frmMain::Exists());
        files_ = nullptr;
        Platform::SetFiles(std::make_unique<PosixFileSystem>());
    }

    void filledListEqualsTheOldListing_data() {
        QTest::addColumn<bool>("allUnsure");
        QTest::addColumn<bool>("hidden");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("padding");
        QTest::newRow("kinds told") << false << false << false << kPadding;
        QTest::newRow("kinds told, hidden shown") << false << true << false << kPadding;
        QTest::newRow("kinds told, descending") << false << false << true << kPadding;
        QTest::newRow("all unsure, few") << true << false << false << 0;
        QTest::newRow("all unsure, many") << true << false << false << kPadding;
        QTest::newRow("all unsure, many, hidden") << true << true << false << kPadding;
        QTest::newRow("all unsure, many, descending") << true << false << true << kPadding;
    }

    void filledListEqualsTheOldListing() {
        QFETCH(bool, allUnsure);
        QFETCH(bool, hidden);
        QFETCH(bool, descending);
        QFETCH(int, padding);
        const QString folder = makeFolder("all", padding);
        files_->allUnsure = allUnsure;
        open(folder, hidden, descending);

        // The first screen: every row in view has its size at once.
        const FileListModel* model = f_->ListView1->Model();
        const QTreeView* v = f_->ListView1->DetailsView();
        const int below = v->indexAt(QPoint(0, v->viewport()->height() - 1)).row();
        const int lastInView = below < 0 ? model->Count() - 1 : below;
        QVERIFY(lastInView > 3);
        for (int row = 0; row <= lastInView; ++row) QVERIFY(!model->Item(row).Pending());

        QVERIFY(waitForFill());
        const QVector<Row> expected = oldListing(folder, hidden, descending);
        QCOMPARE(listed(*model), expected);
        QCOMPARE(total(), QStringLiteral("Total %1 Item(s)").arg(expected.size() - 1));
        QCOMPARE(f_->ListView1->SelectedRow(), 0);
    }

    void removedBeforeItsStatus_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("allUnsure");
        QTest::newRow("in view") << "aaa.jpg" << false;
        QTest::newRow("out of view") << "zzz.jpg" << false;
        QTest::newRow("out of view, unsure") << "zzz.jpg" << true;
    }

    // A file removed between the folder's read and its status call is not
    // listed, as the old listing would not have listed it.
    void removedBeforeItsStatus() {
        QFETCH(QString, name);
        QFETCH(bool, allUnsure);
        const QString folder = makeFolder("gone", kPadding);
        files_->allUnsure = allUnsure;
        files_->removeBeforeAsking = QFile::encodeName(folder + name);
        open(folder);
        QVERIFY(waitForFill());
        QVERIFY(!QFile::exists(folder + name));
        const QVector<Row> expected = oldListing(folder, false, false);
        QCOMPARE(listed(*f_->ListView1->Model()), expected);
        QCOMPARE(total(), QStringLiteral("Total %1 Item(s)").arg(expected.size() - 1));
    }

    // The user selected a row whose file turns out to be gone: the row
    // leaves, the other selected rows stay, and the preview follows the
    // current row.
    void selectedRowGoneMeanwhile() {
        const QString folder = makeFolder("sel", kPadding);
        const QString gone = folder + "zzz.jpg";
        files_->removeBeforeAsking = QFile::encodeName(gone);
        files_->holdWorkerAt = files_->removeBeforeAsking;
        open(folder);
        QVERIFY(files_->WaitHeld());
        FileListModel* model = f_->ListView1->Model();
        QVERIFY(model->FindKey(gone) > 0);
        f_->ListView1->SetSelectedRow(model->FindKey(gone));
        f_->ListView1->SetSelected(model->FindKey(folder + "cat.jpg"), true);
        files_->release();
        QVERIFY(waitForFill());
        QCOMPARE(model->FindKey(gone), -1);
        QCOMPARE(listed(*model), oldListing(folder, false, false));
        const int current = f_->ListView1->SelectedRow();
        QVERIFY(current >= 0 && current < model->Count());
        QCOMPARE(f_->ListView1->SelectedRows(),
                 std::vector<int>{model->FindKey(folder + "cat.jpg")});
        QCOMPARE(total(), QStringLiteral("Total %1 Item(s)").arg(model->Count() - 1));
    }

    void sortBeforeTheSizesAreIn_data() {
        QTest::addColumn<bool>("allUnsure");
        QTest::newRow("kinds told") << false;
        QTest::newRow("all unsure") << true;
    }

    // A column click while sizes are still coming waits for all of them,
    // then sorts exactly as with every size in.
    void sortBeforeTheSizesAreIn() {
        QFETCH(bool, allUnsure);
        const QString folder = makeFolder("sort", kPadding);
        files_->allUnsure = allUnsure;
        files_->holdWorkerAt = QFile::encodeName(folder + "pad150.emf");
        open(folder);
        QVERIFY(files_->WaitHeld());
        QVERIFY(f_->ListView1->Model()->Filling());
        files_->releaseOnUiAsk = true;
        f_->ListView1_ColumnClick(2);  // Size, descending
        QVERIFY(!f_->ListView1->Model()->Filling());
        QCOMPARE(listed(*f_->ListView1->Model()),
                 sortedBySize(oldListing(folder, false, false), true));
        // Listed again while sorted by size, the list waits for the sizes
        // and sorts the items in the order they were added.
        list(folder);
        QVERIFY(!f_->ListView1->Model()->Filling());
        QCOMPARE(listed(*f_->ListView1->Model()),
                 sortedBySize(oldListing(folder, false, false, false), true));
    }

    void folderChangedWhileFilling_data() {
        QTest::addColumn<bool>("held");
        QTest::newRow("worker held at an entry") << true;
        QTest::newRow("answers waiting") << false;
    }

    // Nothing the fill of the folder before finds lands in the new list.
    void folderChangedWhileFilling() {
        QFETCH(bool, held);
        const QString first = makeFolder("first", kPadding);
        const QString second = makeFolder("second", 20);
        if (held) files_->holdWorkerAt = QFile::encodeName(first + "pad100.emf");
        // The same names, other sizes: an answer of the first folder's fill
        // would show.
        write(QFile::encodeName(second + "zzz.jpg"), 5);
        open(first);
        if (held) {
            QVERIFY(files_->WaitHeld());
            files_->release();
        }
        list(second);
        QVERIFY(waitForFill());
        // Whatever the old fill had posted runs now.
        for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
        QCOMPARE(listed(*f_->ListView1->Model()), oldListing(second, false, false));
        QCOMPARE(
            total(),
            QStringLiteral("Total %1 Item(s)").arg(oldListing(second, false, false).size() - 1));
    }
};

KVO_TEST_MAIN(TestListFill)
#include "tst_listfill.moc"
