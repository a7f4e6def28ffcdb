#include "tools/ShutDownDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QStyle>
#include <QVBoxLayout>

#include "kit/Forms.h"
#include "kit/Twips.h"
#include "platform/Launchers.h"
#include "platform/Platform.h"

ShutDownDialog::ShutDownDialog() {
    setObjectName("ShutDownDialog");
    setWindowTitle("Shut Down");
    auto* top = new QHBoxLayout(this);
    auto* icon = new QLabel(this);
    icon->setPixmap(style()->standardIcon(QStyle::SP_ComputerIcon).pixmap(32, 32));
    top->addWidget(icon, 0, Qt::AlignTop);
    auto* col = new QVBoxLayout;
    col->addWidget(new QLabel("What do you want the computer to do?", this));
    const char* captions[] = {"&Shut down", "&Restart", "&Log out"};
    for (int i = 0; i < 3; ++i) {
        Option[i] = new QRadioButton(captions[i], this);
        col->addWidget(Option[i]);
    }
    Option[0]->setChecked(true);
    OK = new QPushButton("OK", this);
    Cancel = new QPushButton("Cancel", this);
    OK->setDefault(true);
    col->addLayout(ButtonRow({OK, Cancel}));
    top->addLayout(col);
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    connect(OK, &QPushButton::clicked, this, &ShutDownDialog::Confirm);
    connect(Cancel, &QPushButton::clicked, this, &QWidget::close);
}

void ShutDownDialog::Start() {
    adjustSize();
    CentreOnScreen(*this);
    show();
    raise();
    activateWindow();
}

void ShutDownDialog::Confirm() {
    using P = Launchers::Power;
    const P what = Option[1]->isChecked()   ? P::Reboot
                   : Option[2]->isChecked() ? P::LogOut
                                            : P::PowerOff;
    Platform::launchers().RequestPower(what);
    close();
}
