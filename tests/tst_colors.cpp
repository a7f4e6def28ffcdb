// The hex colour editor: splitting colour values, the three texts, keeping
// the last colour, picking from the palette and the colour dialog.
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QSlider>
#include <QtTest>
#include <functional>

#include "TestEnv.h"
#include "kit/Forms.h"
#include "kit/Settings.h"
#include "tools/ColorSwatch.h"
#include "tools/frmColors.h"

class TestColors : public QObject {
    Q_OBJECT
    frmColors* f_ = nullptr;

    frmColors* open() {
        f_ = Forms::Get<frmColors>();
        f_->Form_Load();
        return f_;
    }
    QString texts() const {
        return f_->Label1->text() + " " + f_->Label2->text() + " " + f_->Label3->text();
    }

private slots:
    void init() { UseFreshSettings(); }
    void cleanup() {
        frmColors::chooseColor = nullptr;
        if (Forms::Loaded<frmColors>()) Forms::Close<frmColors>();
        QTRY_VERIFY(!Forms::Loaded<frmColors>());
    }

    void split_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("r");
        QTest::addColumn<double>("g");
        QTest::addColumn<double>("b");
        QTest::newRow("grey") << "8421504" << 128. << 128. << 128.;
        QTest::newRow("orange") << "33023" << 255. << 128. << 0.;
        QTest::newRow("minus one") << "-1" << -1. << 0. << 0.;
        QTest::newRow("minus 257") << "-257" << -1. << -1. << 0.;
        QTest::newRow("minus 65536") << "-65536" << 0. << 0. << -1.;
        QTest::newRow("blue past 255") << "16777216" << 0. << 0. << 256.;
        QTest::newRow("fraction rounds red only") << "8421504.6" << 129. << 128. << 128.;
        QTest::newRow("number then letters") << "12abc" << 12. << 0. << 0.;
        QTest::newRow("empty") << "" << 0. << 0. << 0.;
        QTest::newRow("not a number") << "red" << 0. << 0. << 0.;
    }
    void split() {
        QFETCH(QString, text);
        const ColorParts p = SplitColorValue(text);
        QFETCH(double, r);
        QFETCH(double, g);
        QFETCH(double, b);
        QCOMPARE(p.R, r);
        QCOMPARE(p.G, g);
        QCOMPARE(p.B, b);
    }

    // Starting from the stored colour, the value given to GetRGBColor; a
    // channel out of range keeps its slider.
    void display_data() {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("shown");
        QTest::newRow("first opening") << ""
                                       << ""
                                       << "808080 128,128,128 8421504";
        QTest::newRow("blue 10 alone") << "0"
                                       << "655360"
                                       << "00000A 0,0,10 655360";
        QTest::newRow("orange") << ""
                                << "33023"
                                << "FF8000 255,128,0 33023";
        QTest::newRow("negative keeps red") << ""
                                            << "-1"
                                            << "800000 128,0,0 128";
        QTest::newRow("too large keeps blue") << ""
                                              << "16777216"
                                              << "000080 0,0,128 8388608";
        QTest::newRow("stored negative") << "-65536"
                                         << ""
                                         << "000000 0,0,0 0";
    }
    void display() {
        QFETCH(QString, stored);
        QFETCH(QString, given);
        QFETCH(QString, shown);
        if (!stored.isEmpty()) WriteSetting("General Options", "Last Color", stored);
        open();
        if (!given.isEmpty()) f_->GetRGBColor(given);
        QCOMPARE(texts(), shown);
    }

    void sliderShowsItsChannelAlone() {
        open();
        f_->Slider1[1]->setValue(200);
        QCOMPARE(f_->Picture2[1]->BackColor(), QColor(0, 200, 0));
        QCOMPARE(f_->Picture2[0]->BackColor(), QColor(128, 0, 0));
        QCOMPARE(f_->Picture3->BackColor(), QColor(128, 200, 128));
    }

    void closingKeepsTheColour() {
        open()->GetRGBColor("33023");
        f_->Command1_Click(1);
        QCOMPARE(ReadSetting("General Options", "Last Color"), QString("33023"));
        QTRY_VERIFY(!Forms::Loaded<frmColors>());
        open();
        QCOMPARE(f_->Label1->text(), QString("FF8000"));
    }

    void copyPutsOnlyTheDigits() {
        open()->GetRGBColor("655360");
        f_->Command1_Click(0);
        QCOMPARE(QApplication::clipboard()->text(), QString("00000A"));
    }

    // The palette chart: a hover shows the pixel, a release of any button takes it.
    void paletteBothButtons_data() {
        QTest::addColumn<int>("button");
        QTest::newRow("left") << int(Qt::LeftButton);
        QTest::newRow("right") << int(Qt::RightButton);
    }
    void paletteBothButtons() {
        QFETCH(int, button);
        open()->show();
        QCOMPARE(frmColors::PaletteChart().size(), QSize(100, 151));
        const QPoint at(37, 60);
        const QColor under = frmColors::PaletteChart().pixelColor(at);
        const QPoint inside = at + f_->Picture1->contentsRect().topLeft();
        QMouseEvent move(QEvent::MouseMove, inside, f_->Picture1->mapToGlobal(inside), Qt::NoButton,
                         Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f_->Picture1, &move);
        QCOMPARE(f_->Picture4->BackColor(), under);
        QMouseEvent up(QEvent::MouseButtonRelease, inside, f_->Picture1->mapToGlobal(inside),
                       Qt::MouseButton(button), Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(f_->Picture1, &up);
        QCOMPARE(f_->Picture3->BackColor(), under);
    }

    void colourDialog() {
        open();
        frmColors::chooseColor = [](QWidget*) { return std::optional<QColor>(); };
        f_->Command2_Click();
        QCOMPARE(f_->Label1->text(), QString("808080"));
        frmColors::chooseColor = [](QWidget*) { return std::optional<QColor>(QColor(1, 2, 3)); };
        f_->Command2_Click();
        QCOMPARE(texts(), QString("010203 1,2,3 197121"));
    }

    // A screen reader finds each value by its name and reads what it shows.
    void valuesReadByName() {
        open()->GetRGBColor("33023");
        QMap<QString, QString> read;
        std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
            if (!node) return;
            const QString name = node->text(QAccessible::Name);
            if (QAccessibleTextInterface* t = node->textInterface())
                read[name] = t->text(0, t->characterCount());
            for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
        };
        walk(QAccessible::queryAccessibleInterface(f_));
        QCOMPARE(read.value("Hexadecimal"), QString("FF8000"));
        QCOMPARE(read.value("Red, green, blue"), QString("255,128,0"));
        QCOMPARE(read.value("Color value"), QString("33023"));
    }
};

KVO_TEST_MAIN(TestColors)
#include "tst_colors.moc"
