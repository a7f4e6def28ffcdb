#include "tools/RunDialog.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStyle>

#include "kit/Forms.h"
#include "kit/Twips.h"
#include "platform/Launchers.h"
#include "platform/PathText.h"
#include "platform/Platform.h"
#include "platform/Shell.h"

RunDialog::RunDialog() {
    setObjectName("RunDialog");
    auto* grid = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    Prompt = new QLabel(this);
    Prompt->setWordWrap(true);
    Prompt->setMinimumWidth(320);
    auto* label = new QLabel("&Open:", this);
    Command = new QLineEdit(this);
    Command->setAccessibleName("Open");
    label->setBuddy(Command);
    grid->addWidget(icon, 0, 0, Qt::AlignTop);
    grid->addWidget(Prompt, 0, 1, 1, 2);
    grid->addWidget(label, 1, 0);
    grid->addWidget(Command, 1, 1, 1, 2);
    OK = new QPushButton("OK", this);
    Cancel = new QPushButton("Cancel", this);
    Browse = new QPushButton("&Browse...", this);
    OK->setDefault(true);
    grid->addLayout(ButtonRow({OK, Cancel, Browse}), 2, 0, 1, 3);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(OK, &QPushButton::clicked, this, [this] {
        RunTyped(Command->text());
        close();
    });
    connect(Cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(Browse, &QPushButton::clicked, this, [this] {
        const QString file = QFileDialog::getOpenFileName(this, "Browse", QDir::homePath());
        if (!file.isEmpty()) Command->setText(file);
    });
    connect(Command, &QLineEdit::textChanged, this,
            [this](const QString& t) { OK->setEnabled(!t.trimmed().isEmpty()); });
}

void RunDialog::Start(QWidget* owner, const QString& title, const QString& prompt) {
    setWindowTitle(title);
    Prompt->setText(prompt);
    OK->setEnabled(!Command->text().trimmed().isEmpty());
    adjustSize();
    CentreOnScreen(*this);
    KeepAbove(*this, owner);
    setWindowModality(owner ? Qt::WindowModal : Qt::ApplicationModal);
    Command->setFocus();
    exec();
}

void RunDialog::RunTyped(const QString& typed) {
    const QString text = typed.trimmed();
    if (text.isEmpty()) return;
    Launchers& l = Platform::launchers();
    QString path = text;
    if (path == "~" || path.startsWith("~/")) path = QDir::homePath() + path.mid(1);
    static const QRegularExpression address(R"(^[A-Za-z][A-Za-z0-9+.-]*:(//)?\S+$)");
    if (path.startsWith('/') && QFileInfo::exists(path))
        l.OpenDefault(FileUrl(PathBytes(path)));
    else if (address.match(text).hasMatch() && !text.contains(' '))
        l.OpenDefault(QUrl(text));
    else
        l.RunCommand(text);
}
