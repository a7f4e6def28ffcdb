// Drag and drop with other programs, and animated GIFs in the viewer.
#include <QDir>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QPointer>
#include <QSignalSpy>
#include <QTreeView>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/DragDrop.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/FolderModel.h"
#include "browser/FolderTreeview.h"
#include "browser/Openers.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "fileops/FileCommands.h"
#include "kit/Forms.h"
#include "kit/PictureService.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "platform/FileOperation.h"
#include "platform/GifFrames.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "viewer/GifPlayer.h"
#include "viewer/ZoomSurface.h"
#include "viewer/frmScroll.h"

#include <sys/stat.h>

using namespace FileOp;

namespace {
// Answers every question of the engine with yes; counts its errors.
struct YesDialogs : FileOpDialogs {
    int* errors;
    explicit YesDialogs(int* e) : errors(e) {}
    ReplaceAnswer AskReplace(const QByteArray&, bool, bool) override { return ReplaceAnswer::Yes; }
    bool AskDelete(const std::vector<QByteArray>&, bool) override { return true; }
    bool AskCreateFolder(const QByteArray&) override { return true; }
    bool AskDeleteForGood(const QByteArray&) override { return true; }
    void BeginProgress(int, qint64, qint64) override {}
    bool Progress(qint64, qint64, const QByteArray&) override { return true; }
    void EndProgress() override {}
    ErrorAnswer ShowError(const QString& text, bool) override {
        qInfo() << text;
        ++*errors;
        return ErrorAnswer::Skip;
    }
};

bool exists(const QByteArray& path) {
    struct stat st;
    return stat(path.constData(), &st) == 0;
}

const QByteArray kLatin1Name("caf\xE9.bmp");  // not UTF-8

QImage filled(QColor c) {
    QImage image(24, 16, QImage::Format_RGB32);
    image.fill(c);
    return image;
}
}  // namespace

class TestDragDrop : public QObject {
    Q_OBJECT
    QByteArray root_, photos_, dest_;
    frmMain* f_ = nullptr;
    QList<SHFILEOPSTRUCT> calls_;
    int errors_ = 0;

    // The main window on root/photos: a.bmp, b.bmp, 100%.bmp and a name
    // that is not UTF-8; an empty folder root/dest beside it.
    void open() {
        root_ = QFile::encodeName(UseFreshSettings()) + "root/";
        photos_ = root_ + "photos/";
        dest_ = root_ + "dest/";
        QDir().mkpath(QFile::decodeName(dest_));
        QDir().mkpath(QFile::decodeName(photos_));
        for (const QByteArray& n :
             {QByteArray("a.bmp"), QByteArray("b.bmp"), QByteArray("100%.bmp"), kLatin1Name}) {
            QFile out;
            const QByteArray bytes = encoded(halves({8, 8}), "bmp");
            FILE* file = fopen((photos_ + n).constData(), "wb");
            QVERIFY(file && out.open(file, QIODevice::WriteOnly));
            QCOMPARE(out.write(bytes), bytes.size());
            out.close();
            fclose(file);
        }
        UseFakeSystem(QFile::decodeName(root_));
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->CurrentFolder = PathText(photos_);
        f_->ListFiles();
        f_->show();
        QVERIFY(QTest::qWaitForWindowExposed(f_));
    }

    QStringList listed() const {
        QStringList names;
        for (int r = 0; r < f_->ListView1->Model()->Count(); ++r)
            names << f_->ListView1->Model()->Item(r).Text();
        return names;
    }

    // Selects the items shown under these names.
    void select(const QStringList& names) {
        const FileListModel* m = f_->ListView1->Model();
        std::vector<int> rows;
        for (int r = 0; r < m->Count(); ++r)
            if (names.contains(m->Item(r).Text())) rows.push_back(r);
        f_->ListView1->SelectOnly(rows);
    }

    // Where a folder of the main tree shows, in its viewport, once opened.
    QPoint folderPoint(const QByteArray& folder) {
        FolderTreeview* tree = f_->FolderTreeview1;
        const QModelIndex i = tree->FileModel()->IndexOf(CleanRawPath(folder));
        if (!i.isValid()) return {};
        for (QModelIndex up = i.parent(); up.isValid(); up = up.parent()) tree->expand(up);
        tree->scrollTo(i);
        QCoreApplication::processEvents();
        return tree->visualRect(i).center();
    }

    TreeDrop* treeDrop() const { return f_->FolderTreeview1->findChild<TreeDrop*>(); }

    // Drags files carried as uris over the tree to the folder, then drops them.
    void dropOn(const QByteArray& folder, const QByteArray& uris, Qt::KeyboardModifiers keys) {
        QMimeData data;
        data.setData("text/uri-list", uris);
        QWidget* viewport = f_->FolderTreeview1->viewport();
        const QPoint at = folderPoint(folder);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(viewport, &enter);
        QDropEvent drop(at, actions, &data, Qt::LeftButton, keys);
        QCoreApplication::sendEvent(viewport, &drop);
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        calls_.clear();
        errors_ = 0;
        // The engine itself runs, with our answers; each call is seen.
        SetFileOperationRecorder([this](SHFILEOPSTRUCT& op) {
            calls_ << op;
            YesDialogs ui(&errors_);
            return RunFileOperation(op, ui);
        });
        Openers::Table().DropFiles = Openers().DropFiles;
    }
    void cleanup() {
        SetFileOperationRecorder(nullptr);
        if (Forms::Loaded<frmScroll>()) Forms::Close<frmScroll>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // A drag carries the selected items' addresses with their bytes encoded;
    // the parent entry never goes.
    void dragData_data() {
        QTest::addColumn<QStringList>("selected");
        QTest::addColumn<QByteArrayList>("tails");
        QTest::newRow("one") << QStringList{"a"} << QByteArrayList{"a.bmp"};
        QTest::newRow("percent and not UTF-8") << QStringList{"100%", ShownText("caf\xE9")}
                                               << QByteArrayList{"100%25.bmp", "caf%E9.bmp"};
        QTest::newRow("parent entry left out") << QStringList{"..", "b"} << QByteArrayList{"b.bmp"};
        QTest::newRow("parent entry alone") << QStringList{".."} << QByteArrayList{};
    }
    void dragData() {
        QFETCH(QStringList, selected);
        QFETCH(QByteArrayList, tails);
        open();
        select(selected);
        const std::vector<QByteArray> files = SelectedFiles(f_->ListView1);
        std::unique_ptr<QMimeData> data(FileDragData(files));
        QByteArray expected;
        for (const QByteArray& tail : tails) expected += "file://" + photos_ + tail + "\r\n";
        QCOMPARE(data->data("text/uri-list"), expected);
        // What another program reads back names the very same files.
        QCOMPARE(DraggedFiles(data.get()), files);
        QCOMPARE(int(files.size()), int(tails.size()));
        for (const QByteArray& f : files) QVERIFY(exists(f));
    }

    // A press on a selected item and a move start a drag of all selected
    // files; switched off, the move sweeps a selection as it always did.
    void listDragStarts_data() {
        QTest::addColumn<bool>("switchOn");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void listDragStarts() {
        QFETCH(bool, switchOn);
        open();
        WriteSetting(Keys::DragAndDrop, switchOn);
        select({"a", "b"});
        QTreeView* view = f_->ListView1->DetailsView();
        QWidget* viewport = view->viewport();
        const FileListModel* m = f_->ListView1->Model();
        int rowA = 0;
        while (m->Item(rowA).Text() != "a") ++rowA;
        const QPoint from = view->visualRect(m->index(rowA, 0)).center();
        QByteArray carried;
        // Runs inside the drag's own loop, and ends it.
        QTimer::singleShot(0, this, [&] {
            if (QDrag* drag = viewport->findChild<QDrag*>())
                carried = drag->mimeData()->data("text/uri-list");
            QTest::mouseRelease(viewport, Qt::LeftButton, {}, from + QPoint(0, 40));
        });
        QTest::mousePress(viewport, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, from + QPoint(0, 40), viewport->mapToGlobal(from),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(viewport, &move);
        QCoreApplication::processEvents();
        if (switchOn) {
            QCOMPARE(carried, FileUriList({photos_ + "a.bmp", photos_ + "b.bmp"}));
        } else {
            QCOMPARE(carried, QByteArray());
        }
    }

    // Addresses from other programs: local files only, their bytes decoded.
    void uriLists_data() {
        QTest::addColumn<QByteArray>("uris");
        QTest::addColumn<QByteArrayList>("paths");
        QTest::newRow("two, CRLF") << QByteArray("file:///a/b.gif\r\nfile:///c%20d.jpg\r\n")
                                   << QByteArrayList{"/a/b.gif", "/c d.jpg"};
        QTest::newRow("not UTF-8")
            << QByteArray("file:///x/caf%E9.bmp") << QByteArrayList{"/x/caf\xE9.bmp"};
        QTest::newRow("localhost and one slash")
            << QByteArray("file://localhost/p/q\nfile:/r/s\n") << QByteArrayList{"/p/q", "/r/s"};
        QTest::newRow("others left out")
            << QByteArray(
                   "# a comment\r\nhttp://host/x.gif\r\nfile://elsewhere/y\r\n"
                   "file:///z%00.gif\r\nfile:///ok\r\n")
            << QByteArrayList{"/ok"};
    }
    void uriLists() {
        QFETCH(QByteArray, uris);
        QFETCH(QByteArrayList, paths);
        const std::vector<QByteArray> got = PathsOfUriList(uris);
        QCOMPARE(QByteArrayList(got.begin(), got.end()), paths);
    }

    // A drop on a folder copies there, Shift moves, through the engine; the
    // list is read again. On the files' own folder nothing happens.
    void dropOnFolder_data() {
        QTest::addColumn<QByteArrayList>("dragged");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<bool>("toOwnFolder");
        QTest::addColumn<bool>("switchOn");
        QTest::newRow("copy one") << QByteArrayList{"a.bmp"} << false << false << true;
        QTest::newRow("move two with Shift")
            << QByteArrayList{"a.bmp", "b.bmp"} << true << false << true;
        QTest::newRow("copy odd names")
            << QByteArrayList{"100%.bmp", kLatin1Name} << false << false << true;
        QTest::newRow("own folder") << QByteArrayList{"a.bmp"} << true << true << true;
        QTest::newRow("switch off") << QByteArrayList{"a.bmp"} << false << false << false;
    }
    void dropOnFolder() {
        QFETCH(QByteArrayList, dragged);
        QFETCH(bool, shift);
        QFETCH(bool, toOwnFolder);
        QFETCH(bool, switchOn);
        open();
        WriteSetting(Keys::DragAndDrop, switchOn);
        Openers::Table().DropFiles = DropFiles;  // as wired at start-up
        std::vector<QByteArray> files;
        for (const QByteArray& n : dragged) files.push_back(photos_ + n);
        const QByteArray target = toOwnFolder ? photos_ : dest_;
        // The folder is marked while the files are over it.
        QMimeData data;
        data.setData("text/uri-list", FileUriList(files));
        QDragMoveEvent move(folderPoint(target), Qt::CopyAction | Qt::MoveAction, &data,
                            Qt::LeftButton, Qt::NoModifier);
        QDragEnterEvent enter(move.position().toPoint(), move.possibleActions(), &data,
                              Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(f_->FolderTreeview1->viewport(), &enter);
        QCoreApplication::sendEvent(f_->FolderTreeview1->viewport(), &move);
        const bool takes = switchOn && !toOwnFolder;
        QCOMPARE(treeDrop()->Marked(), takes ? CleanRawPath(target) : QByteArray());
        QCOMPARE(move.isAccepted(), takes);

        dropOn(target, FileUriList(files), shift ? Qt::ShiftModifier : Qt::NoModifier);
        QCOMPARE(treeDrop()->Marked(), QByteArray());
        QCOMPARE(errors_, 0);
        if (!takes) {
            QCOMPARE(calls_.size(), 0);
            for (const QByteArray& f : files) QVERIFY(exists(f));
            return;
        }
        QCOMPARE(calls_.size(), 1);
        QCOMPARE(calls_[0].wFunc, shift ? FO_MOVE : FO_COPY);
        for (const QByteArray& f : files) {
            QVERIFY(exists(dest_ + RawFileName(f)));
            QCOMPARE(exists(f), !shift);
        }
        // The list was read again: moved files are gone from it.
        QCOMPARE(listed().contains("a"), !(shift && dragged.contains("a.bmp")));
    }

    // Files from a file manager: their addresses decoded to the raw names.
    void dropFromOutside() {
        open();
        Openers::Table().DropFiles = DropFiles;
        const QByteArray outside = root_ + "outside/";
        QVERIFY(QDir().mkpath(QFile::decodeName(outside)));
        const QByteArray name("n\xF6tutf8.gif");
        FILE* file = fopen((outside + name).constData(), "wb");
        QVERIFY(file);
        const QByteArray gif = gifFile(filled(kGreen));
        QCOMPARE(fwrite(gif.constData(), 1, gif.size(), file), size_t(gif.size()));
        fclose(file);
        // As a file manager writes it: the bytes percent-encoded.
        dropOn(photos_, "file://" + outside.toPercentEncoding("/") + "n%F6tutf8.gif\r\n",
               Qt::NoModifier);
        QCOMPARE(calls_.size(), 1);
        QVERIFY(exists(photos_ + name));
        QVERIFY(exists(outside + name));
        QVERIFY(listed().contains(ShownText("n\xF6tutf8")));
    }

    // Frames of an animated GIF, within the limits or not at all.
    void decodeFrames_data() {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("maxFrames");
        QTest::addColumn<qint64>("maxBytes");
        QTest::addColumn<int>("frames");  // 0: nothing
        QTest::addColumn<int>("delay");
        const QList<QImage> three{filled(kRed), filled(kGreen), filled(kBlue)};
        const qint64 frame = 24 * 16 * 4;
        const QByteArray gif = animatedGifFile(three, 5);
        QTest::newRow("three") << gif << 1000 << qint64(0) << 3 << 50;
        QTest::newRow("too short a delay")
            << animatedGifFile(three, 1) << 1000 << qint64(0) << 3 << kGifShortDelayMs;
        QTest::newRow("one frame is a still")
            << gifFile(filled(kRed)) << 1000 << qint64(0) << 0 << 0;
        QTest::newRow("more frames than allowed") << gif << 2 << qint64(0) << 0 << 0;
        QTest::newRow("more memory than allowed") << gif << 1000 << 3 * frame - 1 << 0 << 0;
        QTest::newRow("not a GIF") << encoded(filled(kRed), "bmp") << 1000 << qint64(0) << 0 << 0;
    }
    void decodeFrames() {
        QFETCH(QByteArray, file);
        QFETCH(int, maxFrames);
        QFETCH(qint64, maxBytes);
        QFETCH(int, frames);
        QFETCH(int, delay);
        const QString path = UseFreshSettings() + "anim.gif";
        writeDated(path, file);
        AnimationLimits limits;
        limits.maxFrames = maxFrames;
        if (maxBytes > 0) limits.maxBytes = maxBytes;
        const auto a = DecodeGifAnimation(QFile::encodeName(path), {}, limits);
        QCOMPARE(a ? int(a->frames.size()) : 0, frames);
        if (!a) return;
        QCOMPARE(a->delaysMs[1], delay);
        const QColor colours[] = {kRed, kGreen, kBlue};
        for (int i = 0; i < frames; ++i) QCOMPARE(a->frames[i].pixelColor(12, 8), colours[i]);
        // Scaled as asked, and stopped when asked to.
        QCOMPARE(DecodeGifAnimation(QFile::encodeName(path), {48, 32})->frames[2].size(),
                 QSize(48, 32));
        const std::atomic<bool> stop{true};
        QVERIFY(!DecodeGifAnimation(QFile::encodeName(path), {}, {}, &stop));
    }

    // A GIF played a set number of rounds ends on its last frame.
    void playerEndsAfterItsRounds() {
        const QString path = UseFreshSettings() + "twice.gif";
        writeDated(path, animatedGifFile({filled(kRed), filled(kGreen), filled(kBlue)}, 2, 1));
        GifPlayer player;
        QList<QColor> shown;
        player.Play(QFile::encodeName(path), {},
                    [&](const QImage& f) { shown << f.pixelColor(0, 0); });
        QTRY_VERIFY(player.FrameCount() == 3);
        QTRY_VERIFY(!player.Playing());
        QCOMPARE(shown, (QList<QColor>{kGreen, kBlue, kRed, kGreen, kBlue}));
        QCOMPARE(player.Current().pixelColor(0, 0), kBlue);
    }

    // In the viewer the frames follow each other at the zoom of the still;
    // a new picture or closing stops them. Switched off, the still stays.
    void viewerPlays_data() {
        QTest::addColumn<bool>("switchOn");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void viewerPlays() {
        QFETCH(bool, switchOn);
        const QString pics = UseFreshSettings() + "pics/";
        QDir().mkpath(pics);
        UseFakeSystem(pics);
        WriteSetting(Keys::AnimatedGifs, switchOn);
        writeDated(pics + "a.gif",
                   animatedGifFile({filled(kRed), filled(kGreen), filled(kBlue)}, 3));
        writeDated(pics + "b.bmp", encoded(filled(Qt::white), "bmp"));
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->CurrentFolder = pics;
        f_->ListFiles();
        f_->ListView1->SetSelectedRow(1);
        QCOMPARE(f_->ListView1->Model()->Item(1).Text(), QString("a"));
        frmScroll* v = Forms::Get<frmScroll>();
        v->Form_Load();
        PictureService::Instance().Settle();
        QCoreApplication::processEvents();
        auto colour = [v] { return v->InnerPict->Picture().pixelColor(12, 8); };
        QCOMPARE(colour(), kRed);
        v->DoZoom(true);
        const QString status = v->StatusBar1->Panels(4).Text();
        const float width = v->InnerPict->Width;
        QPointer<GifPlayer> player = v->Animation();
        if (!switchOn) {
            QTest::qWait(150);
            QVERIFY(!player->Playing());
            QCOMPARE(colour(), kRed);
            return;
        }
        QTRY_COMPARE(colour(), kGreen);
        QTRY_COMPARE(colour(), kBlue);
        QTRY_COMPARE(colour(), kRed);
        // Drawn at the zoom step like the still, nothing else changed.
        QCOMPARE(int(ZoomLevel), 4);
        QCOMPARE(v->InnerPict->Width, width);
        QCOMPARE(v->InnerPict->Picture().size(), v->Picture1.image.size());
        QCOMPARE(v->StatusBar1->Panels(4).Text(), status);
        QCOMPARE(v->Picture1.image.pixelColor(12, 8), kRed);

        v->ShowNext();
        QVERIFY(!player->Playing());
        PictureService::Instance().Settle();
        QCoreApplication::processEvents();
        QCOMPARE(colour(), QColor(Qt::white));
        v->ShowPrevious();
        PictureService::Instance().Settle();
        QTRY_VERIFY(player->Playing());
        Forms::Close<frmScroll>();
        QVERIFY(!player || !player->Playing());
    }
};

KVO_TEST_MAIN(TestDragDrop)
#include "tst_dnd.moc"
