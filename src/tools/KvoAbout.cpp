#include "tools/KvoAbout.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QUrl>

#include "browser/CommandTables.h"
#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/NumberFormat.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Twips.h"
#include "kit/Version.h"
#include "platform/Shell.h"

KvoAbout::KvoAbout() {
    setObjectName("KvoAbout");
    setWindowTitle("About...");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    Image2 = new QLabel(this);
    Image2->setObjectName("Image2");
    Image2->setAccessibleName(kAppName);
    Image2->setFixedSize(48, 48);
    Image2->setAlignment(Qt::AlignCenter);

    const QString texts[] = {"Kvo View is free to use and share. No warranty of any kind.", "###",
                             QString(kVendorWebSite)};
    for (int i = 0; i < 3; ++i) {
        Label1[i] = new QLabel(texts[i], this);
        Label1[i]->setTextFormat(Qt::PlainText);
        Label1[i]->installEventFilter(this);
    }
    QFont bold = Label1[1]->font();
    bold.setBold(true);
    Label1[1]->setFont(bold);
    QPalette link = Label1[2]->palette();
    link.setColor(QPalette::WindowText, link.color(QPalette::Link));
    Label1[2]->setPalette(link);
    QFont underlined = Label1[2]->font();
    underlined.setUnderline(true);
    Label1[2]->setFont(underlined);
    Label1[2]->setCursor(Qt::PointingHandCursor);
    Label1[2]->setAccessibleDescription("Opens the web site in the browser");

    const QString thanks[] = {
        "Thanks to the makers of the folder tree component used in the browser.",
        "Thanks to the makers of the icon menu component used for the menus.",
        "And thanks to everyone who sent ideas, bug reports and kind words.", "###"};
    for (int i = 0; i < 4; ++i) {
        Label2[i] = new QLabel(thanks[i], this);
        Label2[i]->setTextFormat(Qt::PlainText);
        Label2[i]->setWordWrap(true);
    }

    Command1 = new QPushButton("OK", this);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    auto* l = new QGridLayout(this);
    l->addWidget(Image2, 0, 0, 3, 1, Qt::AlignTop);
    for (int i = 0; i < 3; ++i) l->addWidget(Label1[i], i, 1);
    for (int i = 0; i < 4; ++i) l->addWidget(Label2[i], 3 + i, 1);
    l->addWidget(Command1, 7, 1, Qt::AlignRight);
    l->setColumnStretch(1, 1);
    setMinimumWidth(PxX(7800));
}

QString KvoAbout::UsageLine(const QString& counter) {
    bool ok = false;
    const double n = counter.trimmed().toDouble(&ok);
    // A counter that is no number stands in the line as it is.
    const QString number = ok ? FormatNumber(n, "###,###,###") : counter;
    return kAppName + " " + VersionText() + " has been used to view " + number +
           " images since you installed the program.";
}

void KvoAbout::Form_Load() {
    Label1[1]->setText("Kvo View v." + VersionText());
    if (frmMain::Exists())
        Image2->setPixmap(frmMain::Instance()->windowIcon().pixmap(Image2->size()));
    Label2[3]->setText(UsageLine(ReadSetting(Keys::Odometer)));
    // Sized for the wrapped lines at the window's width, then centred.
    adjustSize();
    resize(width(), qMax(height(), layout()->totalHeightForWidth(width())));
    CentreOnScreen(*this);
}

void KvoAbout::Label1_Click(int Index) {
    if (Index == 2) Platform::shell().OpenDefault(QUrl(Label1[2]->text()));
}

void KvoAbout::Command1_Click() {
    close();
}

bool KvoAbout::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton) {
        for (int i = 0; i < 3; ++i)
            if (watched == Label1[i]) Label1_Click(i);
    }
    return QDialog::eventFilter(watched, e);
}
