#pragma once

#include <QScrollBar>

// A scroll bar whose limits and steps are 16-bit values and whose maximum
// may lie below its minimum: the viewer's bars run from 0 at their start to
// a negative value at their end. Change is raised whenever the value
// changes, Scroll while the thumb is dragged.
class ScrollBar : public QWidget {
    Q_OBJECT
public:
    ScrollBar(Qt::Orientation orientation, QWidget* parent = nullptr);

    qint16 Min() const { return min_; }
    qint16 Max() const { return max_; }
    qint16 Value() const { return value_; }
    qint16 LargeChange() const { return large_; }
    qint16 SmallChange() const { return small_; }
    void SetMin(qint16 v);
    void SetMax(qint16 v);
    void SetValue(qint16 v);
    // Steps below 1 are refused, as they always were.
    bool SetLargeChange(qint16 v);
    bool SetSmallChange(qint16 v);

    // Size in twips.
    float Width() const;
    float Height() const;
    // Places the bar, in twips.
    void Move(float left, float top, float width, float height);

    QScrollBar* bar() const { return bar_; }

signals:
    void Change();
    void Scroll();

protected:
    void resizeEvent(QResizeEvent* e) override;
    QSize sizeHint() const override { return bar_->sizeHint(); }

private:
    // The QScrollBar counts from 0 at the start; the value runs from Min
    // towards Max.
    void applyRange();
    int toBar(int value) const { return max_ >= min_ ? value - min_ : min_ - value; }
    qint16 min_ = 0, max_ = 32767, value_ = 0, large_ = 1, small_ = 1;
    QScrollBar* bar_;
};
