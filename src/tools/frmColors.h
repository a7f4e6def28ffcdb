#pragma once

#include <QColor>
#include <QDialog>
#include <QImage>
#include <functional>
#include <optional>

class ColorSwatch;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

// A colour value (red + 256 * green + 65536 * blue) split into channels as
// numbers, before any check of their range: the blue part is not reduced,
// and a negative value gives negative remainders.
struct ColorParts {
    double R = 0, G = 0, B = 0;
};
// From the number at the start of text; an empty or non-numeric text is 0.
ColorParts SplitColorValue(const QString& text);
// The decimal colour value of a colour.
qint64 ColorValue(const QColor& c);

// The hex colour editor: three channel sliders, a palette to pick from and
// the system colour dialog; shows the colour as RRGGBB, as r,g,b and as its
// decimal colour value.
class frmColors : public QDialog {
    Q_OBJECT
public:
    frmColors();

    void Form_Load();
    void Form_QueryUnload();
    void Form_Unload();
    void Slider1_Change(int Index);
    void Slider1_Scroll(int Index);
    void gethex(QString& text);
    void GetRGBColor(const QString& text);
    void GetColor();
    void Command1_Click(int Index);
    void Command2_Click();
    // x, y in twips from the palette's top left.
    void Picture1_MouseMove(int Button, int Shift, float x, float y);
    void Picture1_MouseUp(int Button, int Shift, float x, float y);

    // The system colour dialog; tests put their own here. Empty: cancelled.
    static inline std::function<std::optional<QColor>(QWidget* owner)> chooseColor;
    // The 100 x 151 colour chart the palette shows.
    static QImage PaletteChart();

    QSlider* Slider1[3];
    ColorSwatch* Picture2[3];
    ColorSwatch* Picture3;
    ColorSwatch* Picture4;
    QLabel* Picture1;
    // The hexadecimal code, "r,g,b" and the colour value: read-only text
    // fields drawn as labels, so a screen reader finds each by its name and
    // reads its current text.
    QLineEdit* Label1;
    QLineEdit* Label2;
    QLineEdit* Label3;
    QPushButton* Command1[2];
    QPushButton* Command2;

protected:
    void closeEvent(QCloseEvent* e) override;
    void reject() override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    QImage palette_;
};
