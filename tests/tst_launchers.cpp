// The Shell menu: what each item asks of the desktop, through a recording
// stand-in, and our own Run, Shut Down and Open With dialogs.
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QWindow>
#include <QtTest>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "PictureFiles.h"
#include "TestEnv.h"
#include "app/Wiring.h"
#include "browser/FileListView.h"
#include "browser/Openers.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/MsgBox.h"
#include "platform/Launchers.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "tools/OpenWithDialog.h"
#include "tools/RunDialog.h"
#include "tools/ShutDownDialog.h"

class TestLaunchers : public QObject {
    Q_OBJECT
    QString pics_;
    FakeLaunchers* fake_ = nullptr;
    QStringList messages_;

    // The main window on a folder holding one picture (by default "my pics"
    // and "a b.bmp"), that row (0 "..", 1 the file) selected. pics_ is the
    // folder's PathText.
    frmMain* open(int row, const QByteArray& folder = "my pics",
                  const QByteArray& file = "a b.bmp") {
        const QByteArray dir = PathBytes(UseFreshSettings()) + folder + '/';
        pics_ = PathText(dir);
        ::mkdir(dir.constData(), 0777);
        UseFakeSystem(pics_);
        QFile out;
        const int fd = ::open((dir + file).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (!out.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) ||
            !out.write(encoded(halves({8, 8}), "bmp")))
            qFatal("cannot write");
        out.close();
        auto fake = std::make_unique<FakeLaunchers>();
        fake_ = fake.get();
        Platform::SetLaunchers(std::move(fake));
        SetMsgBoxHandler([this](const QString& text, int, const QString& title) {
            messages_ << title + ": " + text;
            return 1;
        });
        WireWindows();
        frmMain* f = frmMain::Instance();
        f->Form_Load();
        f->CurrentFolder = pics_;
        f->ListFiles();
        f->ListView1->SetSelectedRow(row);
        return f;
    }

private slots:
    void cleanup() {
        SetMsgBoxHandler(nullptr);
        messages_.clear();
        Openers::Table() = Openers();
        Forms::Close<RunDialog>();
        Forms::Close<ShutDownDialog>();
        Forms::Close<OpenWithDialog>();
        if (frmMain::Exists()) {
            frmMain::Instance()->close();
            QTRY_VERIFY(!frmMain::Exists());
        }
    }

    // $ stands for the listed folder.
    void items_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<int>("index");
        QTest::addColumn<int>("row");
        QTest::addColumn<bool>("available");  // the portal, the disk utility
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("message");
        QTest::newRow("default open") << "mnulaunch" << 0 << 1 << false << "open:file://$a b.bmp"
                                      << "";
        QTest::newRow("default open of ..") << "mnulaunch" << 0 << 0 << false << "open:file://"
                                            << "";
        QTest::newRow("open with, unquoted path")
            << "mnulaunch" << 1 << 1 << true << "portal:$a b.bmp"
            << "";
        QTest::newRow("find in the listed folder") << "mnushell" << 3 << 1 << false << "find:$"
                                                   << "";
        QTest::newRow("copy disk") << "mnushell" << 5 << 1 << true << "disks:"
                                   << "";
        QTest::newRow("copy disk, no utility")
            << "mnushell" << 5 << 1 << false << "disks:"
            << "Copy Disk: Copying disks is not available here: no disk utility is installed.";
        QTest::newRow("format, no utility")
            << "mnushell" << 6 << 1 << false << "disks:"
            << "Format Disk: Formatting disks is not available here: no disk utility is installed.";
        for (int i : {0, 1, 4, 7, 9})
            QTest::addRow("shell %d does nothing", i) << "mnushell" << i << 1 << false << ""
                                                      << "";
    }
    void items() {
        QFETCH(QString, menu);
        QFETCH(int, index);
        QFETCH(int, row);
        QFETCH(bool, available);
        QFETCH(QString, calls);
        QFETCH(QString, message);
        frmMain* f = open(row);
        fake_->portal = fake_->diskUtility = available;
        if (menu == "mnulaunch")
            f->mnulaunch_Click(index);
        else
            f->mnushell_Click(index);
        QCOMPARE(fake_->calls.join('|'), QString(calls).replace("$", pics_));
        QCOMPARE(messages_.join('|'), message);
    }

    void openWithOurChooser() {
        open(1);
        fake_->apps = {{"viewer.desktop", "Viewer", "viewer %f"},
                       {"paint.desktop", "Paint", "paint %U"}};
        frmMain::Instance()->mnulaunch_Click(1);
        auto* d = Forms::Find<OpenWithDialog>();
        QVERIFY(d && d->isVisible());
        d->Apps->setCurrentIndex(d->Apps->model()->index(1, 0));
        d->Confirm();
        QCOMPARE(fake_->calls, QStringList({"portal:" + pics_ + "a b.bmp",
                                            "with:paint.desktop " + pics_ + "a b.bmp"}));
    }

    // A name from an old archive (Latin-1 bytes) reaches the chooser, the
    // application and the search tool byte for byte.
    void namesThatAreNotUtf8() {
        const QByteArray file = "\xE9t\xE9 1.bmp";
        frmMain* f = open(1, "caf\xE9", file);
        const QString raw = pics_ + PathText(file);
        fake_->apps = {{"viewer.desktop", "Viewer", "viewer %f"}};
        f->mnulaunch_Click(1);
        f->mnushell_Click(3);
        auto* d = Forms::Find<OpenWithDialog>();
        QVERIFY(d && d->isVisible());
        QCOMPARE(d->windowTitle(), "Open With - " + ShownPath(raw));
        d->Apps->setCurrentIndex(d->Apps->model()->index(0, 0));
        d->Confirm();
        QCOMPARE(fake_->calls,
                 QStringList({"portal:" + raw, "find:" + pics_, "with:viewer.desktop " + raw}));
    }

    void runDialog_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("call");
        QTest::newRow("command") << "xterm -e top"
                                 << "run:xterm -e top";
        QTest::newRow("folder") << "$"
                                << "open:file://$";
        QTest::newRow("address") << "https://example.org/"
                                 << "open:https://example.org/";
        QTest::newRow("nothing") << "  "
                                 << "";
    }
    // The dialog is modal to the main window, and the menu's call waits for it.
    void runDialog() {
        QFETCH(QString, typed);
        QFETCH(QString, call);
        frmMain* f = open(1);
        QPointer<RunDialog> d;
        bool modal = false;
        QString title, prompt;
        QObject steps;
        QTimer::singleShot(0, &steps, [&] {
            d = Forms::Find<RunDialog>();
            if (!d) return;
            modal = d->isVisible() && d->windowModality() == Qt::WindowModal &&
                    d->windowHandle()->transientParent() == f->windowHandle();
            title = d->windowTitle();
            prompt = d->Prompt->text();
            d->Command->setText(typed.replace("$", pics_));
            d->OK->click();
            if (d) d->Cancel->click();  // OK stays disabled on blank text
        });
        f->mnushell_Click(2);
        QVERIFY(modal);
        QVERIFY(!d);
        QCOMPARE(title, QString("Kvo View Run..."));
        QCOMPARE(prompt, QString("Type the name of a program, folder, document or Internet "
                                 "resource and Kvo View will open it for you..."));
        QCOMPARE(fake_->calls.join('|'), call.replace("$", pics_));
    }

    void shutDown_data() {
        QTest::addColumn<int>("option");
        QTest::addColumn<QString>("calls");
        QTest::newRow("power off") << 0 << "power:0";
        QTest::newRow("restart") << 1 << "power:1";
        QTest::newRow("log out") << 2 << "power:2";
        QTest::newRow("cancel") << -1 << "";
    }
    void shutDown() {
        QFETCH(int, option);
        QFETCH(QString, calls);
        open(1)->mnushell_Click(8);
        auto* d = Forms::Find<ShutDownDialog>();
        QVERIFY(d && d->isVisible());
        if (option < 0) {
            d->Cancel->click();
        } else {
            d->Option[option]->setChecked(true);
            d->OK->click();
        }
        QCOMPARE(fake_->calls.join('|'), calls);
    }

    void execArguments_data() {
        QTest::addColumn<QString>("exec");
        QTest::addColumn<QByteArray>("path");
        QTest::addColumn<QList<QByteArray>>("args");
        const QByteArray ab = "/p/a b.bmp", latin = "/p/\xE9t\xE9.bmp";
        QTest::newRow("file") << "viewer --new %f" << ab
                              << QList<QByteArray>{"viewer", "--new", ab};
        QTest::newRow("address") << "paint %U %i" << ab
                                 << QList<QByteArray>{"paint", "file:///p/a%20b.bmp"};
        QTest::newRow("no file code") << "tool" << ab << QList<QByteArray>{"tool", ab};
        QTest::newRow("percent") << "echo 100%% %F" << ab << QList<QByteArray>{"echo", "100%", ab};
        QTest::newRow("latin-1 file") << "viewer %f" << latin << QList<QByteArray>{"viewer", latin};
        QTest::newRow("latin-1 address")
            << "viewer %u" << latin << QList<QByteArray>{"viewer", "file:///p/%E9t%E9.bmp"};
    }
    void execArguments() {
        QFETCH(QString, exec);
        QFETCH(QByteArray, path);
        QFETCH(QList<QByteArray>, args);
        QCOMPARE(ExecArguments(exec, path), args);
    }
};

KVO_TEST_MAIN(TestLaunchers)
#include "tst_launchers.moc"
