// The viewer's and the slideshow's keys, the viewer's wheel, dragging and
// fit in window, each against the command it stands for, with its switch
// on and off.
#include <QDir>
#include <QTimer>
#include <QtTest>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "browser/FileListModel.h"
#include "browser/FileListView.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/PictureService.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/StatusBar.h"
#include "kit/Toolbar.h"
#include "slideshow/frmshow.h"
#include "viewer/ScrollBar.h"
#include "viewer/ZoomSurface.h"
#include "viewer/frmScroll.h"

class TestViewerKeys : public QObject {
    Q_OBJECT

    QString pics_;
    frmMain* f_ = nullptr;
    frmScroll* v_ = nullptr;
    QPointer<frmshow> s_;

    // The main window on a folder of four pictures a to d of `size`.
    void list(QSize size = {40, 30}, bool descending = false) {
        pics_ = UseFreshSettings() + "pics/";
        QDir().mkpath(pics_);
        UseFakeSystem(pics_);
        for (const char* n : {"a", "b", "c", "d"})
            writeDated(pics_ + n + ".bmp", encoded(halves(size), "bmp"));
        f_ = frmMain::Instance();
        f_->Form_Load();
        f_->CurrentFolder = pics_;
        f_->ListFiles();
        if (descending) f_->ListView1_ColumnClick(1);
    }
    // The viewer on the list's 1-based row `row`.
    void view(int row) {
        f_->ListView1->SetSelectedRow(row - 1);
        v_ = Forms::Get<frmScroll>();
        v_->Form_Load();
        QCoreApplication::processEvents();
        settle();
    }
    static void settle() { PictureService::Instance().Settle(); }
    static void setSwitch(const Schema::Key& key, bool on) {
        WriteSetting(key, QString(on ? "True" : "False"));
    }
    QString enabled(int first, int second) {
        return QString::number(v_->mnuviewa()(first)->isEnabled()) +
               QString::number(v_->mnuviewa()(second)->isEnabled());
    }
    // A turn over the picture, as the viewport gets it from the surface.
    void wheel(QPoint angle, Qt::KeyboardModifiers modifiers = {}) {
        const QPointF at(10, 10);
        QWheelEvent e(at, v_->OuterPict->mapToGlobal(at), QPoint(), angle, Qt::NoButton, modifiers,
                      Qt::NoScrollPhase, false);
        QApplication::sendEvent(v_->OuterPict, &e);
    }

private slots:
    void init() { ShowBMP = true; }
    void cleanup() {
        if (Forms::Loaded<frmScroll>()) Forms::Close<frmScroll>();
        if (s_) s_->close();
        QTRY_VERIFY(s_.isNull());
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // Rows are 1-based list indexes, ".." first (last when descending);
    // `before`: + zoom in and - zoom out from the menu, F fit in window.
    void viewerKeys_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<bool>("descending");
        QTest::addColumn<int>("from");
        QTest::addColumn<QString>("before");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("to");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("prevNext");  // enabled afterwards
        QTest::addColumn<bool>("open");
        const int L = Qt::Key_Left, R = Qt::Key_Right;
        QTest::newRow("right steps on") << true << false << 3 << "" << R << 4 << 3 << "11" << true;
        QTest::newRow("space steps on")
            << true << false << 3 << "" << int(Qt::Key_Space) << 4 << 3 << "11" << true;
        QTest::newRow("page down steps on")
            << true << false << 4 << "" << int(Qt::Key_PageDown) << 5 << 3 << "10" << true;
        QTest::newRow("left onto the first file")
            << true << false << 3 << "" << L << 2 << 3 << "01" << true;
        QTest::newRow("backspace steps back")
            << true << false << 4 << "" << int(Qt::Key_Backspace) << 3 << 3 << "11" << true;
        QTest::newRow("page up steps back")
            << true << true << 3 << "" << int(Qt::Key_PageUp) << 2 << 3 << "11" << true;
        QTest::newRow("disabled next: right does nothing")
            << true << false << 5 << "" << R << 5 << 3 << "10" << true;
        QTest::newRow("disabled previous: left does nothing")
            << true << true << 1 << "" << L << 1 << 3 << "01" << true;
        QTest::newRow("a step resets the zoom")
            << true << false << 3 << "++" << R << 4 << 3 << "11" << true;
        QTest::newRow("home to the first file")
            << true << false << 5 << "" << int(Qt::Key_Home) << 2 << 3 << "01" << true;
        QTest::newRow("end to the last file")
            << true << false << 2 << "" << int(Qt::Key_End) << 5 << 3 << "10" << true;
        QTest::newRow("descending: home skips nothing")
            << true << true << 3 << "" << int(Qt::Key_Home) << 1 << 3 << "01" << true;
        QTest::newRow("descending: end stops before ..")
            << true << true << 1 << "" << int(Qt::Key_End) << 4 << 3 << "10" << true;
        QTest::newRow("home at the first file does nothing")
            << true << false << 2 << "" << int(Qt::Key_Home) << 2 << 3 << "01" << true;
        QTest::newRow("plus zooms in")
            << true << false << 3 << "" << int(Qt::Key_Plus) << 3 << 4 << "11" << true;
        QTest::newRow("equals zooms in")
            << true << false << 3 << "" << int(Qt::Key_Equal) << 3 << 4 << "11" << true;
        QTest::newRow("minus zooms out")
            << true << false << 3 << "" << int(Qt::Key_Minus) << 3 << 2 << "11" << true;
        QTest::newRow("disabled zoom in: plus does nothing")
            << true << false << 3 << "+++" << int(Qt::Key_Plus) << 3 << 6 << "11" << true;
        QTest::newRow("disabled zoom out: minus does nothing")
            << true << false << 3 << "---" << int(Qt::Key_Minus) << 3 << 0 << "11" << true;
        QTest::newRow("zero: actual size")
            << true << false << 3 << "+++" << int(Qt::Key_0) << 3 << 3 << "11" << true;
        QTest::newRow("zero from fitted: actual size")
            << true << false << 3 << "F" << int(Qt::Key_0) << 3 << 3 << "11" << true;
        QTest::newRow("escape closes")
            << true << false << 3 << "" << int(Qt::Key_Escape) << 3 << 3 << "11" << false;
        QTest::newRow("off: right") << false << false << 3 << "" << R << 3 << 3 << "11" << true;
        QTest::newRow("off: end") << false << false << 3 << "" << int(Qt::Key_End) << 3 << 3 << "11"
                                  << true;
        QTest::newRow("off: plus")
            << false << false << 3 << "" << int(Qt::Key_Plus) << 3 << 3 << "11" << true;
        QTest::newRow("off: escape")
            << false << false << 3 << "" << int(Qt::Key_Escape) << 3 << 3 << "11" << true;
    }

    void viewerKeys() {
        QFETCH(bool, on);
        QFETCH(bool, descending);
        QFETCH(int, from);
        QFETCH(QString, before);
        QFETCH(int, key);
        QFETCH(int, to);
        QFETCH(int, level);
        QFETCH(QString, prevNext);
        QFETCH(bool, open);
        list({40, 30}, descending);
        setSwitch(Keys::ViewerKeys, on);
        view(from);
        for (QChar c : before) v_->mnuviewa_Click(c == '+' ? 3 : c == '-' ? 4 : 8);
        QTest::keyClick(v_, Qt::Key(key));
        settle();
        if (!open) {
            QTRY_VERIFY(!Forms::Loaded<frmScroll>());
            QVERIFY(f_->isVisible());
            return;
        }
        QVERIFY(Forms::Loaded<frmScroll>());
        QCOMPARE(f_->ListView1->SelectedRow() + 1, to);
        QCOMPARE(int(ZoomLevel), level);
        QVERIFY(!v_->Fitted());
        QCOMPARE(enabled(0, 1), prevNext);
        QCOMPARE(QString::number(v_->Toolbar1->Buttons(6).action->isEnabled()) +
                     QString::number(v_->Toolbar1->Buttons(7).action->isEnabled()),
                 prevNext);
        // The viewer shows the selected file, and after a step so does the
        // main window's preview.
        const QString key1 = f_->ListView1->Model()->Item(to - 1).Key();
        QCOMPARE(v_->windowTitle(), "Kvo View Viewer - " + key1);
        if (to != from) QCOMPARE(f_->StatusBar1->Panels(3).Text(), GetFileName(key1));
        QCOMPARE(v_->InnerPict->Width, float(40 * 15 * ZoomFactor(level)));
    }

    void stepBeyond_data() {
        QTest::addColumn<double>("factor");
        QTest::addColumn<int>("in");
        QTest::addColumn<int>("out");
        QTest::newRow("below the smallest") << 0.2 << 0 << -1;
        QTest::newRow("between two") << 0.35 << 1 << 0;
        QTest::newRow("on a step") << 1.0 << 4 << 2;
        QTest::newRow("just off a step") << 1.0000001 << 4 << 2;
        QTest::newRow("the largest") << 3.0 << -1 << 5;
        QTest::newRow("above the largest") << 7.5 << -1 << 6;
    }
    void stepBeyond() {
        QFETCH(double, factor);
        QFETCH(int, in);
        QFETCH(int, out);
        QCOMPARE(StepBeyond(factor, true), in);
        QCOMPARE(StepBeyond(factor, false), out);
    }

    // Fitted, then zoomed: `steps` + in, - out, A actual size, N next.
    void fit_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("fitted");
        QTest::addColumn<int>("level");
        QTest::addColumn<QString>("inOut");  // Zoom In and Out enabled afterwards
        QTest::newRow("large: fitted") << QSize(2400, 1800) << "" << true << 3 << "11";
        QTest::newRow("large: in to the next step")
            << QSize(2400, 1800) << "+" << false << 1 << "11";
        QTest::newRow("large: out to the smallest step")
            << QSize(2400, 1800) << "-" << false << 0 << "10";
        QTest::newRow("small: fitted, no step above") << QSize(40, 30) << "" << true << 3 << "01";
        QTest::newRow("small: out to the largest step")
            << QSize(40, 30) << "-" << false << 6 << "01";
        QTest::newRow("actual size leaves the fit")
            << QSize(2400, 1800) << "A" << false << 3 << "11";
        QTest::newRow("a new picture leaves the fit")
            << QSize(2400, 1800) << "N" << false << 3 << "11";
    }
    void fit() {
        QFETCH(QSize, size);
        QFETCH(QString, steps);
        QFETCH(bool, fitted);
        QFETCH(int, level);
        QFETCH(QString, inOut);
        list(size);
        view(2);
        v_->mnuviewa_Click(8);
        for (QChar c : steps) {
            v_->mnuviewa_Click(c == '+' ? 3 : c == '-' ? 4 : c == 'A' ? 5 : 1);
            settle();
        }
        QCOMPARE(v_->Fitted(), fitted);
        QCOMPARE(enabled(3, 4), inOut);
        if (!fitted) {
            QCOMPARE(int(ZoomLevel), level);
            QCOMPARE(v_->InnerPict->Width, float(size.width() * 15 * ZoomFactor(level)));
            return;
        }
        // The whole picture, as large as the room lets it be, and no bars.
        QVERIFY(v_->HBar->isHidden() && v_->VBar->isHidden());
        const float w = v_->InnerPict->Width, h = v_->InnerPict->Height;
        QVERIFY(w <= v_->OuterPict->Width() && h <= v_->OuterPict->Height());
        QVERIFY(v_->OuterPict->Width() - w < 15 || v_->OuterPict->Height() - h < 15);
        QVERIFY(qAbs(w / h - float(size.width()) / size.height()) < 0.01f);
        // It follows the window.
        v_->resize(v_->width() / 2, v_->height());
        QTRY_VERIFY(v_->InnerPict->Width <= v_->OuterPict->Width());
        QVERIFY(v_->InnerPict->Width < w);
    }

    void fitMenuFollowsItsSwitch_data() {
        QTest::addColumn<bool>("on");
        QTest::newRow("on") << true;
        QTest::newRow("off") << false;
    }
    void fitMenuFollowsItsSwitch() {
        QFETCH(bool, on);
        list({2400, 1800});
        setSwitch(Keys::ViewerFit, on);
        view(2);
        QCOMPARE(v_->mnuviewa()(8)->isVisible(), on);
        QCOMPARE(v_->mnuviewa()(8)->shortcut(), QKeySequence("F"));
        v_->mnuviewa_Click(8);
        QCOMPARE(v_->Fitted(), on);
        QTest::keyClick(v_, Qt::Key_F11);
        QCOMPARE(v_->isFullScreen(), on);
        QTest::keyClick(v_, Qt::Key_F11);
        QVERIFY(!v_->isFullScreen());
    }

    // The wheel over the picture: rows of turns (eighths of a degree) and
    // what they move.
    void wheel_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<QList<int>>("turns");
        QTest::addColumn<int>("vNotches");  // small steps of the vertical bar
        QTest::addColumn<int>("hNotches");
        QTest::addColumn<int>("level");
        QTest::newRow("down") << true << 0 << QList<int>{-120, -120} << -2 << 0 << 3;
        QTest::newRow("down and up") << true << 0 << QList<int>{-120, 120} << 0 << 0 << 3;
        QTest::newRow("not above the top") << true << 0 << QList<int>{120} << 0 << 0 << 3;
        QTest::newRow("shift: sideways")
            << true << int(Qt::ShiftModifier) << QList<int>{-120} << 0 << -1 << 3;
        QTest::newRow("ctrl: zoom in")
            << true << int(Qt::ControlModifier) << QList<int>{120} << 0 << 0 << 4;
        QTest::newRow("ctrl: halves add up")
            << true << int(Qt::ControlModifier) << QList<int>{-60, -60, -60} << 0 << 0 << 2;
        QTest::newRow("ctrl: stops at the last step")
            << true << int(Qt::ControlModifier) << QList<int>{-120, -120, -120, -120} << 0 << 0
            << 0;
        QTest::newRow("off") << false << 0 << QList<int>{-120} << 0 << 0 << 3;
        QTest::newRow("off: ctrl")
            << false << int(Qt::ControlModifier) << QList<int>{120} << 0 << 0 << 3;
    }
    void wheel() {
        QFETCH(bool, on);
        QFETCH(int, modifiers);
        QFETCH(QList<int>, turns);
        QFETCH(int, vNotches);
        QFETCH(int, hNotches);
        QFETCH(int, level);
        list({2400, 1800});
        setSwitch(Keys::ViewerKeys, on);
        view(2);
        QVERIFY(!v_->HBar->isHidden() && !v_->VBar->isHidden());
        for (int t : turns) wheel(QPoint(0, t), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(int(ZoomLevel), level);
        QCOMPARE(int(v_->VBar->Value()), vNotches * v_->VBar->SmallChange());
        QCOMPARE(int(v_->HBar->Value()), hNotches * v_->HBar->SmallChange());
        QCOMPARE(v_->InnerPict->Top, float(v_->VBar->Value()));
    }

    void dragPans_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QPoint>("by");  // pixels
        QTest::addColumn<QPoint>("values");
        QTest::newRow("up and left") << true << QPoint(-40, -20) << QPoint(-600, -300);
        QTest::newRow("not past the corner") << true << QPoint(40, 20) << QPoint(0, 0);
        QTest::newRow("off") << false << QPoint(-40, -20) << QPoint(0, 0);
    }
    void dragPans() {
        QFETCH(bool, on);
        QFETCH(QPoint, by);
        QFETCH(QPoint, values);
        list({2400, 1800});
        setSwitch(Keys::ViewerKeys, on);
        view(2);
        const QPoint at(100, 100);
        QTest::mousePress(v_->OuterPict, Qt::LeftButton, {}, at);
        QTest::mouseMove(v_->OuterPict, at + by / 2);
        QTest::mouseMove(v_->OuterPict, at + by);
        QTest::mouseRelease(v_->OuterPict, Qt::LeftButton, {}, at + by);
        QCOMPARE(QPoint(v_->HBar->Value(), v_->VBar->Value()), values);
        QCOMPARE(QPointF(v_->InnerPict->Left, v_->InnerPict->Top), QPointF(values));
        // Moves without the button do not pan.
        QTest::mouseMove(v_->OuterPict, at + by * 2);
        QCOMPARE(QPoint(v_->HBar->Value(), v_->VBar->Value()), values);
    }

    // The slideshow of a, b and c forwards: `keys` S space, R right, L left.
    void slideshowKeys_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("looping");
        QTest::addColumn<QString>("keys");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("finished");
        QTest::newRow("right") << true << 1 << "R"
                               << "c" << true << false;
        QTest::newRow("left") << true << 1 << "L"
                              << "a" << true << false;
        QTest::newRow("right loops") << true << 1 << "RR"
                                     << "a" << true << false;
        QTest::newRow("left loops") << true << 1 << "LL"
                                    << "c" << true << false;
        QTest::newRow("space pauses") << true << 1 << "S"
                                      << "b" << false << false;
        QTest::newRow("space resumes") << true << 1 << "SS"
                                       << "b" << true << false;
        QTest::newRow("paused steps stay paused") << true << 1 << "SR"
                                                  << "c" << false << false;
        QTest::newRow("once: right past the end") << true << 0 << "RR"
                                                  << "c" << true << true;
        QTest::newRow("once: back from the end") << true << 0 << "RRL"
                                                 << "b" << true << false;
        QTest::newRow("off: right") << false << 1 << "R"
                                    << "b" << true << false;
        QTest::newRow("off: space") << false << 1 << "S"
                                    << "b" << true << false;
    }
    void slideshowKeys() {
        QFETCH(bool, on);
        QFETCH(int, looping);
        QFETCH(QString, keys);
        QFETCH(QString, shown);
        QFETCH(bool, running);
        QFETCH(bool, finished);
        list();
        FileListView* l = f_->ListView1;
        for (int row = 0; row < l->Model()->Count(); ++row)
            l->SetSelected(row, QString("abc").contains(l->Model()->Item(row).Text()));
        setSwitch(Keys::SlideshowKeys, on);
        WriteSetting(Keys::Looping, QString::number(looping));
        s_ = Forms::Get<frmshow>();
        s_->Form_Load();
        settle();
        for (QChar c : keys) {
            QTest::keyClick(s_, c == 'S' ? Qt::Key_Space : c == 'R' ? Qt::Key_Right : Qt::Key_Left);
            settle();
        }
        QVERIFY(!s_.isNull() && s_->isVisible());
        QCOMPARE(GetFileName(s_->List1.entries.value(s_->List1.ListIndex)), shown + ".bmp");
        QCOMPARE(s_->Picture1.path, s_->List1.raw.value(s_->List1.ListIndex));
        QCOMPARE(s_->Timer1->isActive(), running);
        QCOMPARE(s_->Paused(), on && !running);
        QCOMPARE(s_->finished, finished);
        if (s_->Label1->text().isEmpty() == false)
            QVERIFY(s_->Label1->text().endsWith(shown + ".bmp"));
    }
};

KVO_TEST_MAIN(TestViewerKeys)
#include "tst_viewer_keys.moc"
