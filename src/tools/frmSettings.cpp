#include "tools/frmSettings.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStackedWidget>
#include <QTabBar>
#include <QVBoxLayout>

#include "browser/FolderTreeview.h"
#include "browser/Options.h"
#include "browser/Switches.h"
#include "browser/frmMain.h"
#include "kit/Extras.h"
#include "kit/Forms.h"
#include "kit/PictureTypes.h"
#include "kit/Schema.h"
#include "kit/Settings.h"

namespace {
// One check box of the Browser tab: its index, its key, and the main-window
// switch that follows it (null when none does).
struct BrowserBox {
    int index;
    const Schema::Key* key;
    bool* flag;
};

// In the order they are written back: these, the picture types' boxes in
// their order, then the last ones.
const BrowserBox kBoxesBeforeTypes[] = {
    {0, &Keys::ToolbarVisible, &ToolbarVisible},
    {2, &Keys::StatusBarVisible, &StatusBarVisible},
    {14, &Keys::UsePreviousFolder, &UsePreviousFolder},
    {15, &Keys::PathInTitlebar, &PathInTitlebar},
    {1, &Keys::DoubleClick, nullptr},
    {16, &Keys::SaveWindowPosition, nullptr},
    {17, &Keys::SaveWindowSize, nullptr},
    {18, &Keys::SaveWindowState, nullptr},
};
const BrowserBox kBoxesAfterTypes[] = {
    {20, &Keys::ShowHiddenFiles, &ShowHidden},
    {19, &Keys::FullRowSelect, nullptr},
    {13, &Keys::GridLines, nullptr},
};

// Every box of the Browser tab, in the order they are written back.
const std::vector<BrowserBox>& browserBoxes() {
    static const std::vector<const PictureTypes::Row*> types = PictureTypes::InSettingsOrder();
    static const std::vector<Schema::Key> typeKeys = [] {
        std::vector<Schema::Key> keys;
        for (const PictureTypes::Row* t : types) keys.push_back(PictureTypes::SettingKey(*t));
        return keys;
    }();
    static const std::vector<BrowserBox> boxes = [] {
        std::vector<BrowserBox> all(std::begin(kBoxesBeforeTypes), std::end(kBoxesBeforeTypes));
        for (size_t i = 0; i < types.size(); ++i)
            all.push_back({types[i]->settingsCheck, &typeKeys[i], &PictureTypes::Shown(*types[i])});
        all.insert(all.end(), std::begin(kBoxesAfterTypes), std::end(kBoxesAfterTypes));
        return all;
    }();
    return boxes;
}

struct FileOpsBox {
    int index;
    const Schema::Key* key;
};
const FileOpsBox kFileOpsBoxes[] = {
    {0, &Keys::ConfirmFolderCreation}, {2, &Keys::ShowConfirmDialog}, {3, &Keys::ShowProgress}};

const Schema::Key* const kSlideshowChecks[] = {&Keys::Looping, &Keys::ShowFilename,
                                               &Keys::ShowDetails, &Keys::AlwaysOnTop};

// A stored true/false that is false unticks the box; anything else leaves it.
void untickWhenFalse(QCheckBox* box, const Schema::Key& key) {
    if (box && ToBool(ReadSetting(key)) == false) box->setChecked(false);
}

// A check box's value: "0" unticked, "1" ticked, "2" grayed.
QString checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
        case Qt::Unchecked:
            return "0";
        case Qt::PartiallyChecked:
            return "2";
        default:
            return "1";
    }
}

// "True" for a box that is not unticked.
QString checkText(const QCheckBox* box) {
    return box->checkState() != Qt::Unchecked ? "True" : "False";
}

QGroupBox* frame(const QString& title, const QList<QWidget*>& controls) {
    auto* g = new QGroupBox(title);
    auto* l = new QVBoxLayout(g);
    for (QWidget* w : controls) l->addWidget(w);
    return g;
}
}  // namespace

frmSettings::frmSettings() {
    int checks = 21;
    for (const PictureTypes::Row& t : PictureTypes::kRows)
        checks = std::max(checks, t.settingsCheck + 1);
    Check1.assign(checks, nullptr);
    setObjectName("frmSettings");
    setWindowTitle("Settings");
    setModal(true);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);

    TabStrip1 = new QTabBar(this);
    TabStrip1->setObjectName("TabStrip1");
    TabStrip1->setAccessibleName("Settings pages");
    for (const char* t : {"Browser", "Slideshow", "Miscellaneous", "Extras"}) TabStrip1->addTab(t);
    Picture1 = new QStackedWidget(this);
    Picture1->setObjectName("Picture1");
    Picture1->addWidget(browserTab());
    Picture1->addWidget(slideshowTab());
    Picture1->addWidget(miscTab());
    Picture1->addWidget(extrasTab());

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"&OK", "&Apply", "&Cancel"};
    for (int i = 0; i < 3; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        Command1[i]->setAutoDefault(false);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
        buttons->addWidget(Command1[i]);
    }
    Command1[0]->setDefault(true);

    auto* l = new QVBoxLayout(this);
    l->addWidget(TabStrip1);
    l->addWidget(Picture1, 1);
    l->addLayout(buttons);

    connect(TabStrip1, &QTabBar::currentChanged, this, [this] { TabStrip1_Click(); });
    connect(Slider1, &QSlider::valueChanged, this, [this] { Slider1_Click(); });
    Slider1_Click();
}

QCheckBox* frmSettings::check(QCheckBox** array, int index, const QString& caption) {
    auto* box = new QCheckBox(caption);
    box->setChecked(true);
    array[index] = box;
    return box;
}

QWidget* frmSettings::browserTab() {
    auto* page = new QWidget;
    page->setObjectName("Picture1_0");
    Option1[0] = new QRadioButton("Right");
    Option1[1] = new QRadioButton("Bottom");
    Option1[0]->setChecked(true);

    auto* left = new QVBoxLayout;
    left->addWidget(
        frame("Double Clicking",
              {check(Check1.data(), 1,
                     "Use the KvoSee internal viewer to view the image when double clicking")}));
    auto* row = new QHBoxLayout;
    row->addWidget(frame("Preview", {Option1[0], Option1[1]}));
    row->addWidget(
        frame("View", {check(Check1.data(), 0, "Toolbar"), check(Check1.data(), 2, "Status Bar")}));
    left->addLayout(row);
    left->addWidget(frame("Folders", {check(Check1.data(), 14, "Start in previous folder"),
                                      check(Check1.data(), 15, "Display path in titlebar")}));
    left->addWidget(frame("Window", {check(Check1.data(), 16, "Save window position"),
                                     check(Check1.data(), 17, "Save window size"),
                                     check(Check1.data(), 18, "Save window state")}));
    left->addWidget(frame("File Listing", {check(Check1.data(), 20, "Show hidden files"),
                                           check(Check1.data(), 13, "Show grid lines"),
                                           check(Check1.data(), 19, "Full row selection")}));
    left->addStretch();

    // The nine classic types in their frame, the newer ones in a frame beside it.
    QList<QWidget*> typeBoxes, newerBoxes;
    for (const PictureTypes::Row* t : PictureTypes::InSettingsOrder())
        (t->classic ? typeBoxes : newerBoxes)
            << check(Check1.data(), t->settingsCheck, t->settingsCaption);
    auto* right = new QVBoxLayout;
    right->addWidget(frame("File Types", typeBoxes));
    right->addStretch();
    auto* newer = new QVBoxLayout;
    if (!newerBoxes.isEmpty()) newer->addWidget(frame("More File Types", newerBoxes));
    newer->addStretch();

    auto* l = new QHBoxLayout(page);
    l->addLayout(left, 1);
    l->addLayout(right);
    l->addLayout(newer);
    return page;
}

QWidget* frmSettings::slideshowTab() {
    auto* page = new QWidget;
    page->setObjectName("Picture1_1");
    auto* l = new QVBoxLayout(page);
    l->addWidget(check(Check4, 0, "Loop continuously"));
    l->addWidget(check(Check4, 1, "Show filename in slideshow window"));
    l->addWidget(check(Check4, 2, "Show file information in slideshow window"));
    l->addWidget(check(Check4, 3, "Make the slideshow screen the topmost window"));
    Option2[0] = new QRadioButton("Show images in order");
    Option2[1] = new QRadioButton("Show images in reverse order");
    Option2[2] = new QRadioButton("Show images randomly (loop continously only)");
    Option2[0]->setChecked(true);
    l->addWidget(frame("Sequence", {Option2[0], Option2[1], Option2[2]}));

    Slider1 = new QSlider(Qt::Horizontal);
    Slider1->setObjectName("Slider1");
    Slider1->setAccessibleName("Delay");
    Slider1->setRange(1, 60);
    Slider1->setValue(5);
    Slider1->setTickPosition(QSlider::TicksBelow);
    Slider1->setTickInterval(5);
    Label2[0] = new QLabel("1");
    Label2[1] = new QLabel("60");
    Label2[2] = new QLabel;
    Label2[2]->setAlignment(Qt::AlignCenter);
    auto* delay = new QGroupBox("Delay");
    auto* dl = new QVBoxLayout(delay);
    auto* ends = new QHBoxLayout;
    ends->addWidget(Label2[0]);
    ends->addWidget(Slider1, 1);
    ends->addWidget(Label2[1]);
    dl->addLayout(ends);
    dl->addWidget(Label2[2]);
    l->addWidget(delay);
    l->addStretch();
    return page;
}

QWidget* frmSettings::miscTab() {
    auto* page = new QWidget;
    page->setObjectName("Picture1_2");
    auto* l = new QVBoxLayout(page);
    l->addWidget(
        frame("File Operations",
              {check(Check3, 0, "Always confirm folder creation"),
               check(Check3, 2,
                     "Always show confirmation dialog for deleting, moving or recycling files"),
               check(Check3, 3, "Always show progress dialog for file operations")}));
    l->addStretch();
    return page;
}

QWidget* frmSettings::extrasTab() {
    auto* page = new QWidget;
    page->setObjectName("Picture1_3");
    auto* l = new QVBoxLayout(page);
    // One frame per group, in the order the groups first appear.
    QHash<QString, QVBoxLayout*> groups;
    for (const Extras::Switch& s : Extras::Switches()) {
        QVBoxLayout*& group = groups[s.group];
        if (!group) {
            auto* box = new QGroupBox(s.group);
            group = new QVBoxLayout(box);
            l->addWidget(box);
        }
        auto* check = new QCheckBox(s.caption);
        check->setChecked(Schema::Default(*s.key).toBool());
        group->addWidget(check);
        extraChecks_.insert(s.key->name, check);
    }
    l->addStretch();
    return page;
}

void frmSettings::Form_Load() {
    adjustSize();
    CentreOnScreen(*this);
    GetFileOps();
    GetBrowser();
    GetSS();
    GetExtras();
}

void frmSettings::GetBrowser() {
    for (const BrowserBox& b : browserBoxes()) untickWhenFalse(Check1[b.index], *b.key);
    if (ReadSetting(Keys::PreviewPosition) == "Bottom") Option1[1]->setChecked(true);
}

void frmSettings::GetFileOps() {
    for (const FileOpsBox& b : kFileOpsBoxes) untickWhenFalse(Check3[b.index], *b.key);
}

void frmSettings::GetSS() {
    if (auto d = ToInt16(ReadSetting(Keys::Delay)); d && *d >= 1 && *d <= 60) Slider1->setValue(*d);
    // 0 unticked, 1 ticked, 2 grayed; a grayed box turns plain once clicked.
    auto setCheck = [&](int i) {
        const auto v = ToInt16(ReadSetting(*kSlideshowChecks[i]));
        if (v == 2) {
            Check4[i]->setCheckState(Qt::PartiallyChecked);
            connect(
                Check4[i], &QCheckBox::clicked, Check4[i],
                [box = Check4[i]] { box->setTristate(false); }, Qt::SingleShotConnection);
        } else if (v == 0 || v == 1) {
            Check4[i]->setChecked(*v == 1);
        }
    };
    for (int i = 0; i < 3; ++i) setCheck(i);
    if (auto q = ToInt16(ReadSetting(Keys::Sequence)); q && *q >= 0 && *q <= 2)
        Option2[*q]->setChecked(true);
    setCheck(3);
    Slider1_Click();
}

void frmSettings::Slider1_Click() {
    Label2[2]->setText(QString::number(Slider1->value()) + " second(s)");
}

void frmSettings::TabStrip1_Click() {
    Picture1->setCurrentIndex(TabStrip1->currentIndex());
}

void frmSettings::SaveBrowser() {
    {
        SettingsBatch batch;
        for (const BrowserBox& b : browserBoxes()) {
            const QString text = checkText(Check1[b.index]);
            WriteSetting(*b.key, text);
            if (b.flag) *b.flag = text == "True";
        }
        WriteSetting(Keys::PreviewPosition, Option1[0]->isChecked() ? "Right" : "Bottom");
    }
    if (!frmMain::Exists()) return;
    frmMain& main = *frmMain::Instance();
    DoFileTypes();
    DoGeneral();
    DoListview(main);
    GetOptions(main);
    main.Titleit();
    ShowHidden = ToBool(ReadSetting(Keys::ShowHiddenFiles)).value_or(true);
    if (QAction* item = main.mnuviewa()(7)) item->setChecked(ShowHidden);
    main.FolderTreeview1->SetShowHidden(ShowHidden);
}

void frmSettings::SaveFileOps() {
    SettingsBatch batch;
    for (const FileOpsBox& b : kFileOpsBoxes) WriteSetting(*b.key, checkText(Check3[b.index]));
}

void frmSettings::SaveSS() {
    SettingsBatch batch;
    WriteSetting(Keys::Delay, QString::number(Slider1->value()));
    for (int i = 0; i < 4; ++i) WriteSetting(*kSlideshowChecks[i], checkValue(Check4[i]));
    WriteSetting(Keys::Sequence, Option2[0]->isChecked()   ? "0"
                                 : Option2[1]->isChecked() ? "1"
                                                           : "2");
}

void frmSettings::GetExtras() {
    for (const Extras::Switch& s : Extras::Switches())
        extraChecks_.value(s.key->name)->setChecked(Extras::On(*s.key));
}

void frmSettings::SaveExtras() {
    SettingsBatch batch;
    for (const Extras::Switch& s : Extras::Switches())
        WriteSetting(*s.key, extraChecks_.value(s.key->name)->isChecked());
}

void frmSettings::Command1_Click(int Index) {
    if (Index == 0 || Index == 1) {
        SaveBrowser();
        SaveFileOps();
        SaveSS();
        SaveExtras();
    }
    if (Index == 0 || Index == 2) close();
}

void frmSettings::Form_Unload(qint16&) {
    if (frmMain::Exists()) frmMain::Instance()->SetUpSlitter();
}

// Escape closes the dialog the way its close box does.
void frmSettings::reject() {
    close();
}

void frmSettings::closeEvent(QCloseEvent* e) {
    if (!unloading_) {
        unloading_ = true;
        qint16 cancel = 0;
        Form_Unload(cancel);
    }
    // Not the dialog's own handler: it would reject, and rejecting closes.
    e->accept();
}
