#include "tools/OpenWithDialog.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStandardItemModel>
#include <QVBoxLayout>

#include "kit/Forms.h"
#include "kit/Twips.h"
#include "platform/PathText.h"
#include "platform/Platform.h"

OpenWithDialog::OpenWithDialog() : model_(new QStandardItemModel(this)) {
    setObjectName("OpenWithDialog");
    setWindowTitle("Open With");
    auto* col = new QVBoxLayout(this);
    Prompt = new QLabel(this);
    Prompt->setWordWrap(true);
    col->addWidget(Prompt);
    Apps = new QListView(this);
    Apps->setModel(model_);
    Apps->setEditTriggers(QAbstractItemView::NoEditTriggers);
    Apps->setAccessibleName("Programs");
    Apps->setMinimumSize(320, 200);
    col->addWidget(Apps);
    OK = new QPushButton("OK", this);
    Cancel = new QPushButton("Cancel", this);
    OK->setDefault(true);
    col->addLayout(ButtonRow({OK, Cancel}));
    connect(OK, &QPushButton::clicked, this, &OpenWithDialog::Confirm);
    connect(Cancel, &QPushButton::clicked, this, &QWidget::close);
    connect(Apps, &QListView::doubleClicked, this, &OpenWithDialog::Confirm);
}

void OpenWithDialog::Choose(const QByteArray& path) {
    auto* d = Forms::Get<OpenWithDialog>();
    d->fill(path);
    d->adjustSize();
    CentreOnScreen(*d);
    d->show();
    d->raise();
    d->activateWindow();
}

void OpenWithDialog::fill(const QByteArray& path) {
    path_ = path;
    apps_ = Platform::launchers().ApplicationsFor(path);
    model_->clear();
    for (const DesktopApp& a : apps_) model_->appendRow(new QStandardItem(a.name));
    if (!apps_.isEmpty()) Apps->setCurrentIndex(model_->index(0, 0));
    OK->setEnabled(!apps_.isEmpty());
    Prompt->setText(apps_.isEmpty()
                        ? "No program on this computer is registered to open this type of file."
                        : "Choose the program you want to use to open this file:");
    setWindowTitle("Open With - " + ShownText(path));
}

void OpenWithDialog::Confirm() {
    const int row = Apps->currentIndex().row();
    if (row >= 0 && row < apps_.size()) Platform::launchers().OpenWith(apps_[row], path_);
    close();
}
