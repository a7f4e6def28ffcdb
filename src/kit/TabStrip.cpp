#include "kit/TabStrip.h"

#include <QAccessibleWidget>
#include <QHash>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPointer>
#include <QStyleOptionTab>
#include <QStylePainter>
#include <QTabBar>

namespace {
// One tab as a screen reader sees it: a page tab with its caption, drawn
// where tabRect says, selected when it is the current one, and pressed by
// its action.
class TabAccessible : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    TabAccessible(TabStrip* strip, int index) : strip_(strip), index_(index) {}

    int index() const { return index_; }
    bool isValid() const override { return strip_ && index_ < strip_->count(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return strip_ ? strip_->window()->windowHandle() : nullptr; }
    QAccessible::Role role() const override { return QAccessible::PageTab; }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        s.selected = strip_->currentIndex() == index_;
        s.focused = s.selected && strip_->hasFocus();
        s.disabled = !strip_->isEnabled();
        // Only a tab actually drawn is on show.
        s.invisible = !strip_->isVisible() || strip_->tabRect(index_).isEmpty();
        s.offscreen = s.invisible;
        return s;
    }
    QRect rect() const override {
        if (!isValid()) return {};
        const QRect r = strip_->tabRect(index_);
        return r.isEmpty() ? QRect() : QRect(strip_->mapToGlobal(r.topLeft()), r.size());
    }
    QString text(QAccessible::Text t) const override {
        return t == QAccessible::Name && isValid() ? strip_->tabText(index_) : QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessibleInterface* parent() const override {
        return strip_ ? QAccessible::queryAccessibleInterface(strip_) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                 : nullptr;
    }

    QStringList actionNames() const override { return {pressAction()}; }
    void doAction(const QString& name) override {
        if (name == pressAction() && isValid()) strip_->setCurrentIndex(index_);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QPointer<TabStrip> strip_;
    int index_;
};

// The strip: a page tab list whose children are its tabs.
class TabStripAccessible : public QAccessibleWidget {
public:
    explicit TabStripAccessible(QWidget* w) : QAccessibleWidget(w, QAccessible::PageTabList) {}
    ~TabStripAccessible() override {
        for (QAccessible::Id id : std::as_const(tabs_)) QAccessible::deleteAccessibleInterface(id);
    }

    int childCount() const override { return strip()->count(); }
    QAccessibleInterface* child(int index) const override {
        if (index < 0 || index >= strip()->count()) return nullptr;
        if (const auto it = tabs_.constFind(index); it != tabs_.cend())
            return QAccessible::accessibleInterface(*it);
        auto* tab = new TabAccessible(strip(), index);
        tabs_.insert(index, QAccessible::registerAccessibleInterface(tab));
        return tab;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* tab = dynamic_cast<const TabAccessible*>(child);
        return tab && tabs_.value(tab->index()) ==
                           QAccessible::uniqueId(const_cast<QAccessibleInterface*>(child))
                   ? tab->index()
                   : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        return child(strip()->tabAt(strip()->mapFromGlobal(QPoint(x, y))));
    }

private:
    TabStrip* strip() const { return static_cast<TabStrip*>(widget()); }
    mutable QHash<int, QAccessible::Id> tabs_;
};

QAccessibleInterface* tabStripAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("TabStrip") && object && object->isWidgetType())
        return new TabStripAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void tellScreenReaders(TabStrip* strip, QAccessible::Event type, int index) {
    if (!QAccessible::isActive()) return;
    QAccessibleEvent e(strip, type);
    e.setChild(index);
    QAccessible::updateAccessibility(&e);
}
}  // namespace

TabStrip::TabStrip(QWidget* parent) : QWidget(parent) {
    static const bool registered = [] {
        QAccessible::installFactory(tabStripAccessible);
        return true;
    }();
    Q_UNUSED(registered);
    setFocusPolicy(Qt::TabFocus);
    setAttribute(Qt::WA_Hover);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

int TabStrip::addTab(const QString& text) {
    tabs_.push_back({text, measure(text), {}, 0});
    const int index = count() - 1;
    if (current_ < 0) current_ = index;
    relayout();
    return index;
}

QString TabStrip::tabText(int index) const {
    return index >= 0 && index < count() ? tabs_[size_t(index)].text : QString();
}

void TabStrip::setTabText(int index, const QString& text) {
    if (index < 0 || index >= count() || tabs_[size_t(index)].text == text) return;
    tabs_[size_t(index)].text = text;
    tabs_[size_t(index)].size = measure(text);
    relayout();
    tellScreenReaders(this, QAccessible::NameChanged, index);
}

void TabStrip::setCurrentIndex(int index) {
    if (index < 0 || index >= count() || index == current_) return;
    current_ = index;
    update();
    if (hasFocus()) tellScreenReaders(this, QAccessible::Focus, index);
    tellScreenReaders(this, QAccessible::Selection, index);
    emit currentChanged(index);
}

QRect TabStrip::tabRect(int index) const {
    if (index < 0 || index >= count()) return {};
    return tabs_[size_t(index)].rect & rect();
}

int TabStrip::tabAt(const QPoint& pos) const {
    for (int i = 0; i < count(); ++i)
        if (tabRect(i).contains(pos)) return i;
    return -1;
}

int TabStrip::rowCount() const {
    return rows_;
}

int TabStrip::heightForWidth(int width) const {
    std::vector<Tab> tabs = tabs_;
    return layoutTabs(width, &tabs) * rowHeight();
}

QSize TabStrip::sizeHint() const {
    int width = 0;
    for (int i = 0; i < count(); ++i) width += tabSize(i).width();
    return {width, rowHeight()};
}

QSize TabStrip::minimumSizeHint() const {
    int width = 0;
    for (int i = 0; i < count(); ++i) width = qMax(width, tabSize(i).width());
    return {width, rowHeight()};
}

QSize TabStrip::measure(const QString& text) const {
    if (const auto it = measured_.constFind(text); it != measured_.cend()) return *it;
    if (measured_.size() > 256) measured_.clear();  // counts of many searches
    QStyleOptionTab opt;
    opt.initFrom(this);
    opt.shape = QTabBar::RoundedNorth;
    opt.text = text;
    const int hframe = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &opt, this);
    const int vframe = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &opt, this);
    const QSize contents(fontMetrics().horizontalAdvance(opt.text) + hframe,
                         fontMetrics().height() + vframe);
    return *measured_.insert(text,
                             style()->sizeFromContents(QStyle::CT_TabBarTab, &opt, contents, this));
}

int TabStrip::rowHeight() const {
    int height = 0;
    for (int i = 0; i < count(); ++i) height = qMax(height, tabSize(i).height());
    return height;
}

int TabStrip::layoutTabs(int width, std::vector<Tab>* tabs) const {
    // Fill rows in order; a tab that does not fit starts the next row.
    std::vector<std::vector<int>> rows(1);
    int used = 0;
    std::vector<int> widths;
    for (int i = 0; i < count(); ++i) {
        widths.push_back(tabSize(i).width());
        if (!rows.back().empty() && used + widths.back() > width) {
            rows.emplace_back();
            used = 0;
        }
        rows.back().push_back(i);
        used += widths.back();
    }
    // As many rows, with the tabs shared out evenly, where they fit so: no
    // tab is left alone on a last row.
    if (rows.size() > 1) {
        const size_t per = (size_t(count()) + rows.size() - 1) / rows.size();
        std::vector<std::vector<int>> even(rows.size());
        bool fits = true;
        for (int i = 0; i < count(); ++i) even[size_t(i) / per].push_back(i);
        for (const std::vector<int>& row : even) {
            int w = 0;
            for (int i : row) w += widths[size_t(i)];
            fits = fits && w <= width;
        }
        if (fits) {
            while (even.back().empty()) even.pop_back();
            rows = std::move(even);
        }
    }
    const int h = rowHeight();
    // Wrapped rows are spread over the whole width, so they line up.
    const bool spread = rows.size() > 1;
    for (size_t r = 0; r < rows.size(); ++r) {
        const std::vector<int>& row = rows[r];
        int natural = 0;
        for (int i : row) natural += widths[size_t(i)];
        const int extra = spread ? qMax(0, width - natural) : 0;
        const int n = int(row.size());
        int x = 0;
        for (int k = 0; k < n; ++k) {
            const int i = row[size_t(k)];
            const int w = widths[size_t(i)] + extra * (k + 1) / n - extra * k / n;
            (*tabs)[size_t(i)].rect = QRect(x, int(r) * h, w, h);
            (*tabs)[size_t(i)].row = int(r);
            x += w;
        }
    }
    return count() > 0 ? int(rows.size()) : 0;
}

void TabStrip::relayout() {
    const int rows = layoutTabs(width(), &tabs_);
    updateGeometry();
    update();
    if (rows != rows_) {
        rows_ = rows;
        emit rowsChanged();
    }
}

void TabStrip::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    relayout();
}

void TabStrip::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    if (count() == 0) return;
    // The base line the last row stands on.
    QStyleOptionTabBarBase base;
    base.initFrom(this);
    base.shape = QTabBar::RoundedNorth;
    const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
    const int bottom = rows_ * rowHeight();
    base.rect = QRect(0, bottom - overlap, width(), overlap);
    base.tabBarRect = QRect(0, 0, width(), bottom);
    if (current_ >= 0) base.selectedTabRect = tabRect(current_);
    p.drawPrimitive(QStyle::PE_FrameTabBarBase, base);

    auto draw = [&](int i) {
        const Tab& tab = tabs_[size_t(i)];
        QStyleOptionTab opt;
        opt.initFrom(this);
        opt.state &= ~(QStyle::State_HasFocus | QStyle::State_MouseOver);
        opt.rect = tab.rect;
        opt.row = tab.row;
        opt.shape = QTabBar::RoundedNorth;
        opt.text = tab.text;
        if (i == current_) {
            opt.state |= QStyle::State_Selected;
            if (hasFocus()) opt.state |= QStyle::State_HasFocus;
        }
        if (i == hover_) opt.state |= QStyle::State_MouseOver;
        const bool first = i == 0 || tabs_[size_t(i - 1)].row != tab.row;
        const bool last = i == count() - 1 || tabs_[size_t(i + 1)].row != tab.row;
        opt.position = first && last ? QStyleOptionTab::OnlyOneTab
                       : first       ? QStyleOptionTab::Beginning
                       : last        ? QStyleOptionTab::End
                                     : QStyleOptionTab::Middle;
        if (!first && i - 1 == current_)
            opt.selectedPosition = QStyleOptionTab::PreviousIsSelected;
        else if (!last && i + 1 == current_)
            opt.selectedPosition = QStyleOptionTab::NextIsSelected;
        // A style draws the chosen tab reaching down into the page below
        // it; here that is the next row of tabs, which it must not cover.
        p.setClipRect(QRect(0, tab.rect.top(), width(), tab.rect.height()));
        p.drawControl(QStyle::CE_TabBarTab, opt);
    };
    // The chosen tab last, over its neighbours' edges.
    for (int i = 0; i < count(); ++i)
        if (i != current_) draw(i);
    if (current_ >= 0) draw(current_);
}

void TabStrip::mousePressEvent(QMouseEvent* e) {
    const int i = tabAt(e->position().toPoint());
    if (e->button() == Qt::LeftButton && i >= 0) {
        setCurrentIndex(i);
        e->accept();
        return;
    }
    QWidget::mousePressEvent(e);
}

void TabStrip::keyPressEvent(QKeyEvent* e) {
    int next = -1;
    switch (e->key()) {
        case Qt::Key_Left:
            next = current_ - 1;
            break;
        case Qt::Key_Right:
            next = current_ + 1;
            break;
        case Qt::Key_Home:
            next = 0;
            break;
        case Qt::Key_End:
            next = count() - 1;
            break;
        case Qt::Key_Up:
        case Qt::Key_Down: {
            // To the tab above or below the middle of the current one.
            const QRect at = tabRect(current_);
            const QPoint to(at.center().x(),
                            e->key() == Qt::Key_Up ? at.top() - 1 : at.bottom() + 1);
            next = tabAt(to);
            break;
        }
        default:
            QWidget::keyPressEvent(e);
            return;
    }
    if (next >= 0 && next < count()) setCurrentIndex(next);
    e->accept();
}

bool TabStrip::event(QEvent* e) {
    switch (e->type()) {
        case QEvent::HoverMove:
        case QEvent::HoverEnter:
        case QEvent::HoverLeave: {
            const int over = e->type() == QEvent::HoverLeave
                                 ? -1
                                 : tabAt(static_cast<QHoverEvent*>(e)->position().toPoint());
            if (over != hover_) {
                hover_ = over;
                update();
            }
            break;
        }
        case QEvent::FontChange:
        case QEvent::StyleChange:
            measured_.clear();
            for (Tab& tab : tabs_) tab.size = measure(tab.text);
            relayout();
            break;
        default:
            break;
    }
    return QWidget::event(e);
}
