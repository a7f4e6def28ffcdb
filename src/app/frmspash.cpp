#include "app/frmspash.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QLabel>
#include <QTimer>
#include <utility>

#include "browser/Icons.h"
#include "browser/StartPaths.h"
#include "browser/frmMain.h"
#include "kit/DoEvents.h"
#include "kit/Forms.h"
#include "kit/Helpers.h"
#include "kit/MsgBox.h"
#include "kit/Twips.h"
#include "kit/Version.h"
#include "platform/PathText.h"
#include "platform/Registry.h"

namespace {
// Shows the message once the event loop runs again, so that start-up
// (and the splash's closing) is not held up by it.
void tell(const QString& message) {
    if (message.isEmpty()) return;
    QTimer::singleShot(0, qApp, [message] {
        constexpr int exclamation = 48;
        MsgBox(message, exclamation, kAppName);
    });
}
}  // namespace

frmspash::frmspash() : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("frmspash");
    setFixedSize(441, 200);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(236, 233, 216));
    setPalette(pal);

    auto* art = new QLabel(this);
    art->setPixmap(Icons::SplashArt());
    art->setGeometry(2, 2, 437, 87);

    Label3 = new QLabel(kAppName, this);
    QFont title("Arial");
    title.setBold(true);
    title.setPointSize(14);
    Label3->setFont(title);
    Label3->setGeometry(16, 94, 300, 26);

    auto makeLabel = [this](int index, const QString& text, const QRect& r) {
        auto* l = new QLabel(text, this);
        l->setGeometry(r);
        l->setTextFormat(Qt::PlainText);
        label1_[index] = l;
        return l;
    };
    makeLabel(1, "###", QRect(16, 122, 300, 18));
    makeLabel(4, "###", QRect(16, 140, 300, 18));
    makeLabel(2, "This program is free to use and share. No warranty of any kind.",
              QRect(16, 170, 420, 18))
        ->setStyleSheet("color: #555;");
    makeLabel(3, "###", QRect(320, 122, 105, 18))->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QLabel* init = makeLabel(5, " Initializing setup...", QRect(0, 0, PxX(3075), PxY(240)));
    init->setStyleSheet("color: white;");

    Shape1 = new QFrame(this);
    Shape1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Shape1->setAttribute(Qt::WA_TransparentForMouseEvents);

    Timer1 = new QTimer(this);
    Timer1->setInterval(4000);
    connect(Timer1, &QTimer::timeout, this, &frmspash::Timer1_Timer);
    Timer1->start();
}

frmspash* frmspash::Instance() {
    return Forms::Get<frmspash>();
}

QVariant frmspash::ReadMachineRegValue(const QString& keyPath, const QString& valueName) {
    Registry& reg = Platform::registry();
    HKEY key = 0;
    QVariant result;
    if (reg.RegOpenKeyEx(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_ALL_ACCESS, &key) != ERROR_SUCCESS)
        return result;
    ReadRegValue(key, valueName, result);
    reg.RegCloseKey(key);
    return result;
}

void frmspash::Form_Load() {
    const float w = TwX(width()), h = TwY(height());
    move(PxX(Platform::screen().ScreenWidth() / 2 - w / 2),
         PxY(Platform::screen().ScreenHeight() / 2 - h / 2));
    setCursor(Qt::WaitCursor);
    // The rectangle is placed 10 twips in from the top-left corner.
    Shape1->setGeometry(PxX(10), PxY(10), width() - PxX(10), height() - PxY(10));

    const QString key = "Software\\Microsoft\\Windows\\CurrentVersion";
    Label1(1)->setText(ReadMachineRegValue(key, "RegisteredOwner").toString());
    Label1(4)->setText(ReadMachineRegValue(key, "RegisteredOrganization").toString());
    Label1(3)->setText("v." + VersionText());

    show();
    raise();
    DoEvents();
    const StartRequest request = ReadStartPaths(StartPaths, WorkingFolder());
    frmMain* main = frmMain::Instance();
    main->StartFolder = PathText(request.folder);
    main->Form_Load();
    const QString message = StartFailureText(OpenStartRequest(*main, request));
    // Said over the windows, not under the splash; the splash may have gone
    // already when the main window took long to load.
    if (isVisible())
        startMessage_ = message;
    else
        tell(message);
}

void frmspash::Timer1_Timer() {
    close();
}

void frmspash::Form_Unload() {
    unsetCursor();
    tell(std::exchange(startMessage_, QString()));
    Forms::Release<frmspash>();
}

void frmspash::closeEvent(QCloseEvent* e) {
    Timer1->stop();
    Form_Unload();
    e->accept();
}
