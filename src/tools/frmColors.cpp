#include "tools/frmColors.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QColorDialog>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QSlider>
#include <algorithm>
#include <cmath>

#include "browser/frmMain.h"
#include "kit/Forms.h"
#include "kit/MouseCodes.h"
#include "kit/Schema.h"
#include "kit/Settings.h"
#include "kit/Twips.h"
#include "tools/ColorSwatch.h"

namespace {
// The number a text starts with, as far as it reads as one.
double leadingNumber(const QString& text) {
    static const QRegularExpression number(R"(^\s*[+-]?(\d+\.?\d*|\.\d+)([eE][+-]?\d+)?)");
    const QRegularExpressionMatch m = number.match(text);
    if (!m.hasMatch()) return 0;
    const double v = m.captured(0).trimmed().toDouble();
    return std::isfinite(v) ? v : 0;
}

bool isChannel(double v) {
    return v >= 0 && v <= 255;
}

// A value the window shows, in read-only text drawn like a label.
QLineEdit* valueField(const QString& text, const QString& name, QWidget* parent) {
    auto* e = new QLineEdit(text, parent);
    e->setReadOnly(true);
    e->setFrame(false);
    e->setAccessibleName(name);
    QPalette p = e->palette();
    p.setColor(QPalette::Base, Qt::transparent);
    e->setPalette(p);
    return e;
}

// Wide enough for n of the widest of these characters.
void fitWidth(QLineEdit* e, QStringView characters, int n) {
    const QFontMetrics m = e->fontMetrics();
    int widest = 0;
    for (QChar c : characters) widest = std::max(widest, m.horizontalAdvance(c));
    e->setFixedWidth(n * widest + 2 * m.averageCharWidth());
}

// "0" and the channel's upper-case hex digits, the last two of them.
QString twoHexDigits(int channel) {
    const QString digits = "0" + QString::number(channel, 16).toUpper();
    return digits.right(2);
}
}  // namespace

ColorParts SplitColorValue(const QString& text) {
    const double v = leadingNumber(text);
    ColorParts p;
    p.B = std::trunc(v / 65536);
    p.G = std::fmod(std::trunc(v / 256), 256.0) + 0.0;  // + 0.0 makes -0 plain 0
    p.R = std::fmod(std::nearbyint(v), 256.0) + 0.0;
    return p;
}

qint64 ColorValue(const QColor& c) {
    return c.red() + 256 * c.green() + 65536 * qint64(c.blue());
}

QImage frmColors::PaletteChart() {
    QImage chart(100, 151, QImage::Format_RGB888);
    // Hues across, from white at the top through the full colour to black;
    // a grey scale along the bottom.
    for (int y = 0; y < 141; ++y)
        for (int x = 0; x < 100; ++x)
            chart.setPixelColor(x, y, QColor::fromHslF(x / 100.0f, 1.0f, 1.0f - y / 140.0f));
    for (int y = 141; y < 151; ++y)
        for (int x = 0; x < 100; ++x) {
            const int grey = 255 - x * 255 / 99;
            chart.setPixelColor(x, y, QColor(grey, grey, grey));
        }
    return chart;
}

frmColors::frmColors() : palette_(PaletteChart()) {
    setObjectName("frmColors");
    setWindowTitle("Hex Color Editor");
    auto* grid = new QGridLayout(this);

    auto* channels = new QGroupBox(this);
    auto* cg = new QGridLayout(channels);
    const char* names[] = {"Red", "Green", "Blue"};
    for (int i = 0; i < 3; ++i) {
        Slider1[i] = new QSlider(Qt::Horizontal, channels);
        Slider1[i]->setObjectName(QString("Slider1_%1").arg(i));
        Slider1[i]->setRange(0, 255);
        Slider1[i]->setPageStep(16);
        Slider1[i]->setMinimumWidth(180);
        Slider1[i]->setAccessibleName(names[i]);
        Picture2[i] = new ColorSwatch(channels);
        Picture2[i]->setFixedSize(32, 24);
        Picture2[i]->setAccessibleName(QString(names[i]) + " alone");
        cg->addWidget(Picture2[i], i, 0);
        cg->addWidget(Slider1[i], i, 1);
        connect(Slider1[i], &QSlider::valueChanged, this, [this, i] { Slider1_Change(i); });
    }
    grid->addWidget(channels, 0, 0);

    auto* pick = new QWidget(this);
    auto* pl = new QHBoxLayout(pick);
    pl->setContentsMargins(0, 0, 0, 0);
    Picture1 = new QLabel(pick);
    Picture1->setObjectName("Picture1");
    Picture1->setPixmap(QPixmap::fromImage(palette_));
    Picture1->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Picture1->setLineWidth(1);
    Picture1->setFixedSize(palette_.size() + QSize(2, 2));
    Picture1->setMouseTracking(true);
    Picture1->setAccessibleName("Palette");
    Picture1->installEventFilter(this);
    Picture4 = new ColorSwatch(pick);
    Picture4->setFixedSize(32, 32);
    Picture4->setAccessibleName("Color under the mouse");
    pl->addWidget(Picture1, 0, Qt::AlignTop);
    pl->addWidget(Picture4, 0, Qt::AlignTop);
    grid->addWidget(pick, 0, 1, 2, 1);

    auto* selected = new QGroupBox("Selected Color", this);
    auto* sl = new QGridLayout(selected);
    Picture3 = new ColorSwatch(selected);
    Picture3->setObjectName("Picture3");
    Picture3->setFixedSize(64, 48);
    Picture3->setFocusPolicy(Qt::StrongFocus);
    Picture3->setAccessibleName("Selected Color");
    Label1 = valueField("FFFFFF", "Hexadecimal", selected);
    Label2 = valueField("###", "Red, green, blue", selected);
    Label3 = valueField("####", "Color value", selected);
    QFont big = Label1->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.4);
    Label1->setFont(big);
    fitWidth(Label1, u"0123456789ABCDEF", 6);
    fitWidth(Label2, u"0123456789,", 11);
    fitWidth(Label3, u"0123456789", 8);
    Command2 = new QPushButton(selected);
    Command2->setIcon(QIcon(QPixmap::fromImage(palette_.scaled(20, 24))));
    Command2->setIconSize(QSize(20, 24));
    Command2->setToolTip("More Colors...");
    Command2->setAccessibleName("More Colors...");
    sl->addWidget(Picture3, 0, 0, 3, 1);
    sl->addWidget(Label1, 0, 1);
    sl->addWidget(Label2, 1, 1);
    sl->addWidget(Label3, 2, 1);
    sl->addWidget(Command2, 0, 2, 3, 1, Qt::AlignVCenter);
    grid->addWidget(selected, 1, 0);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    const char* captions[] = {"&Copy", "&Close"};
    for (int i = 0; i < 2; ++i) {
        Command1[i] = new QPushButton(captions[i], this);
        buttons->addWidget(Command1[i]);
        connect(Command1[i], &QPushButton::clicked, this, [this, i] { Command1_Click(i); });
    }
    grid->addLayout(buttons, 2, 0, 1, 2);
    connect(Command2, &QPushButton::clicked, this, [this] { Command2_Click(); });
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void frmColors::Form_Load() {
    GetRGBColor(ReadSetting(Keys::LastColor));
    adjustSize();
    CentreOnScreen(*this);
    Slider1_Change(0);
    if (frmMain::Exists()) KeepAbove(*this, frmMain::Instance());
}

void frmColors::Slider1_Change(int Index) {
    const int r = Slider1[0]->value(), g = Slider1[1]->value(), b = Slider1[2]->value();
    if (Index == 0) Picture2[0]->SetBackColor(QColor(r, 0, 0));
    if (Index == 1) Picture2[1]->SetBackColor(QColor(0, g, 0));
    if (Index == 2) Picture2[2]->SetBackColor(QColor(0, 0, b));
    Picture3->SetBackColor(QColor(r, g, b));
    QString text;
    gethex(text);
    Label3->setText(QString::number(ColorValue(Picture3->BackColor())));
}

void frmColors::Slider1_Scroll(int Index) {
    Slider1_Change(Index);
}

void frmColors::gethex(QString& text) {
    text = QString::number(ColorValue(Picture3->BackColor()));
    const ColorParts p = SplitColorValue(text);
    const int r = int(p.R), g = int(p.G), b = int(p.B);
    Label1->setText(twoHexDigits(r) + twoHexDigits(g) + twoHexDigits(b));
    Label2->setText(QString("%1,%2,%3").arg(r).arg(g).arg(b));
}

void frmColors::GetRGBColor(const QString& text) {
    const ColorParts p = SplitColorValue(text);
    // A channel out of range leaves its slider where it was.
    const double parts[] = {p.R, p.G, p.B};
    for (int i = 0; i < 3; ++i)
        if (isChannel(parts[i])) Slider1[i]->setValue(int(parts[i]));
}

void frmColors::GetColor() {
    std::optional<QColor> chosen;
    if (chooseColor) {
        chosen = chooseColor(this);
    } else {
        // A fresh dialog each time: white custom colours, no starting colour.
        for (int i = 0; i < QColorDialog::customCount(); ++i)
            QColorDialog::setCustomColor(i, Qt::white);
        const QColor c = QColorDialog::getColor(Qt::black, this);
        if (c.isValid()) chosen = c;
    }
    if (chosen) GetRGBColor(QString::number(ColorValue(*chosen)));
}

void frmColors::Command1_Click(int Index) {
    if (Index == 0) {
        QClipboard* clipboard = QApplication::clipboard();
        clipboard->clear();
        clipboard->setText(Label1->text());
    } else if (Index == 1) {
        close();
    }
}

void frmColors::Command2_Click() {
    GetColor();
    Picture3->setFocus();
}

void frmColors::Picture1_MouseMove(int, int, float x, float y) {
    const int px = PxX(x), py = PxY(y);
    if (palette_.valid(px, py)) Picture4->SetBackColor(palette_.pixelColor(px, py));
}

void frmColors::Picture1_MouseUp(int, int, float, float) {
    GetRGBColor(QString::number(ColorValue(Picture4->BackColor())));
}

void frmColors::Form_QueryUnload() {
    WriteSetting(Keys::LastColor, QString::number(ColorValue(Picture3->BackColor())));
}

void frmColors::Form_Unload() {
    Forms::Release<frmColors>();
}

void frmColors::closeEvent(QCloseEvent* e) {
    Form_QueryUnload();
    Form_Unload();
    e->accept();
}

void frmColors::reject() {
    close();  // Escape goes the same way as the close box
}

bool frmColors::eventFilter(QObject* watched, QEvent* e) {
    if (watched == Picture1 &&
        (e->type() == QEvent::MouseMove || e->type() == QEvent::MouseButtonRelease)) {
        auto* m = static_cast<QMouseEvent*>(e);
        // From the picture's own top left, inside the frame.
        const QPoint p = m->position().toPoint() - Picture1->contentsRect().topLeft();
        if (e->type() == QEvent::MouseMove)
            Picture1_MouseMove(
                m->buttons() == Qt::NoButton
                    ? 0
                    : ButtonCode(m->buttons() & Qt::LeftButton ? Qt::LeftButton : Qt::RightButton),
                ShiftCode(m->modifiers()), TwX(p.x()), TwY(p.y()));
        else
            Picture1_MouseUp(ButtonCode(m->button()), ShiftCode(m->modifiers()), TwX(p.x()),
                             TwY(p.y()));
    }
    return QDialog::eventFilter(watched, e);
}
