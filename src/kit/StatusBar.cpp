#include "kit/StatusBar.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>

namespace {
// Screen readers look for a window's status bar by its role; a plain widget
// of labels would be just a panel to them.
QAccessibleInterface* statusBarAccessible(const QString& className, QObject* object) {
    if (className == QLatin1String("StatusBar") && object && object->isWidgetType())
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::StatusBar);
    return nullptr;
}
}  // namespace

StatusBar::StatusBar(int panels, QWidget* parent) : QWidget(parent) {
    static const bool registered = [] {
        QAccessible::installFactory(statusBarAccessible);
        return true;
    }();
    Q_UNUSED(registered);
    setAccessibleName(tr("Status"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(2, 2, 2, 2);
    layout->setSpacing(2);
    panels_.resize(panels);
    for (int i = 0; i < panels; ++i) {
        auto* l = new QLabel(this);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setTextFormat(Qt::PlainText);
        l->setMinimumWidth(40);
        l->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
        layout->addWidget(l, i == 0 ? 3 : 2);
        panels_[i].label = l;
    }
}

QString StatusBar::Panel::Text() const {
    return label->text();
}
void StatusBar::Panel::SetText(const QString& text) {
    label->setText(text);
}
bool StatusBar::Panel::Visible() const {
    return !label->isHidden();
}
void StatusBar::Panel::SetVisible(bool visible) {
    label->setHidden(!visible);
}

int StatusBar::PreferredHeight() const {
    return fontMetrics().height() + 10;
}
