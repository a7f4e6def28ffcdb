#pragma once

#include <QColor>
#include <QFrame>

// A sunken box filled with one colour, its background colour.
class ColorSwatch : public QFrame {
    Q_OBJECT
public:
    explicit ColorSwatch(QWidget* parent = nullptr);
    QColor BackColor() const { return color_; }
    void SetBackColor(const QColor& c);

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QColor color_ = Qt::black;
};
