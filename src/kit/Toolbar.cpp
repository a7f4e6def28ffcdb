#include "kit/Toolbar.h"

#include <QAction>
#include <QMouseEvent>
#include <QResizeEvent>
#include <QToolButton>

#include "kit/MouseCodes.h"
#include "kit/Twips.h"

ToolbarWindow32::ToolbarWindow32(QWidget* parent) : QToolBar(parent) {
    setObjectName("ToolbarWindow32");
    setMovable(false);
    setFloatable(false);
    setIconSize(QSize(16, 16));
    setToolButtonStyle(Qt::ToolButtonIconOnly);
    // The button that shows the buttons a narrow window cannot fit.
    if (auto* more = findChild<QToolButton*>("qt_toolbar_ext_button")) {
        more->setToolTip(tr("More Buttons"));
        more->setAccessibleName(more->toolTip());
    }
    applyStyle();
}

qintptr ToolbarWindow32::SendMessage(quint32 msg, quintptr, qintptr lParam) {
    switch (msg) {
        case TB_GETSTYLE:
            return style_;
        case TB_SETSTYLE:
            style_ = quint32(lParam);
            applyStyle();
            return 0;
        default:
            return 0;
    }
}

void ToolbarWindow32::applyStyle() {
    const bool flat = style_ & TBSTYLE_FLAT;
    for (QToolButton* b : findChildren<QToolButton*>()) b->setAutoRaise(flat);
    // Without the flat bit the buttons keep a raised frame, as classic bars did.
    setStyleSheet(
        flat ? QString()
             : "QToolButton { border: 1px outset palette(mid); margin: 1px; padding: 2px; }");
}

Toolbar::Toolbar(QWidget* parent) : QWidget(parent), bar_(new ToolbarWindow32(this)) {
    bar_->installEventFilter(this);
}

int Toolbar::AddButton(const QString& key, const QString& toolTip, const QIcon& image) {
    Button b;
    b.key = key;
    b.toolTip = toolTip;
    b.image = image;
    const int index = buttons_.size() + 1;
    b.action = bar_->addAction(image, QString());
    b.action->setToolTip(toolTip);
    b.action->setData(index);
    connect(b.action, &QAction::triggered, this, [this, index] { emit ButtonClick(index); });
    buttons_.push_back(b);
    if (QWidget* w = bar_->widgetForAction(b.action)) {
        w->installEventFilter(this);
        // The buttons show only images; their tool tips are what they are called.
        w->setAccessibleName(toolTip);
    }
    // New buttons take the bar's current look.
    bar_->SendMessage(TB_SETSTYLE, 0, bar_->Style());
    return index;
}

int Toolbar::AddSeparator() {
    Button b;
    b.separator = true;
    b.action = bar_->addSeparator();
    buttons_.push_back(b);
    return buttons_.size();
}

void Toolbar::Clear() {
    bar_->clear();
    buttons_.clear();
}

QRect Toolbar::ButtonRect(int index) const {
    if (index < 1 || index > buttons_.size()) return {};
    QWidget* w = bar_->widgetForAction(buttons_[index - 1].action);
    if (!w) return {};
    return QRect(w->mapTo(this, QPoint(0, 0)), w->size());
}

void Toolbar::SetButtonEnabled(int index, bool enabled) {
    if (index >= 1 && index <= buttons_.size() && buttons_[index - 1].action)
        buttons_[index - 1].action->setEnabled(enabled);
}

int Toolbar::PreferredHeight() const {
    return bar_->sizeHint().height();
}

void Toolbar::Refresh() {
    bar_->update();
}

void Toolbar::resizeEvent(QResizeEvent* e) {
    bar_->setGeometry(0, 0, e->size().width(), e->size().height());
}

bool Toolbar::eventFilter(QObject* watched, QEvent* e) {
    if (e->type() == QEvent::MouseButtonRelease) {
        auto* m = static_cast<QMouseEvent*>(e);
        const QPoint at = static_cast<QWidget*>(watched)->mapTo(this, m->position().toPoint());
        const int button = ButtonCode(m->button());
        emit MouseUp(button, ShiftCode(m->modifiers()), TwX(at.x()), TwY(at.y()));
    }
    return QWidget::eventFilter(watched, e);
}
