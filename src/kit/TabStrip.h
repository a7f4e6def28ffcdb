#pragma once

#include <QHash>
#include <QRect>
#include <QString>
#include <QWidget>
#include <vector>

// A tab strip whose tabs wrap onto more rows when one row is too narrow for
// them, so every tab is always on show and can be clicked where it is drawn
// (a one-row strip would hide some behind scroll arrows). Rows keep their
// order when a tab is chosen; with more than one row each row is spread over
// the whole width. The arrow keys, Home and End move between the tabs. Screen
// readers see a page tab list whose tabs report where they are drawn.
class TabStrip : public QWidget {
    Q_OBJECT
public:
    explicit TabStrip(QWidget* parent = nullptr);

    int addTab(const QString& text);
    int count() const { return int(tabs_.size()); }
    QString tabText(int index) const;
    void setTabText(int index, const QString& text);
    int currentIndex() const { return current_; }
    void setCurrentIndex(int index);

    // Where a tab is drawn, in the strip's coordinates; empty when the
    // strip is too low to show it.
    QRect tabRect(int index) const;
    int tabAt(const QPoint& pos) const;
    // Rows the tabs take at a width, and the height they need there.
    int rowCount() const;
    bool hasHeightForWidth() const override { return true; }
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void currentChanged(int index);
    // The height the tabs need at the present width has changed.
    void rowsChanged();

protected:
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool event(QEvent* e) override;

private:
    struct Tab {
        QString text;
        QSize size;  // as the style draws the caption, kept until it changes
        QRect rect;
        int row = 0;
    };
    QSize measure(const QString& text) const;
    QSize tabSize(int index) const { return tabs_[size_t(index)].size; }
    int rowHeight() const;
    // Places the tabs for a width; returns the number of rows.
    int layoutTabs(int width, std::vector<Tab>* tabs) const;
    void relayout();

    std::vector<Tab> tabs_;
    // Captions measured so far: a search puts the same ones back each time.
    mutable QHash<QString, QSize> measured_;
    int current_ = -1;
    int rows_ = 0;
    int hover_ = -1;
};
