#include "kit/SteadyStyle.h"

#include <QApplication>
#include <QPointer>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QStyleOption>
#include <QWidget>
#include <optional>

#include "kit/LazyIcon.h"

namespace {
class SteadyStyle : public QProxyStyle {
public:
    explicit SteadyStyle(QStyle* base) : QProxyStyle(base) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Widget_Animation_Duration || hint == SH_Widget_Animate) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
    // The style reads its pictures from image files, which first loads every
    // image format plugin: a picture is read when it is first shown.
    QIcon standardIcon(StandardPixmap sp, const QStyleOption* option,
                       const QWidget* widget) const override {
        // An option of a kind of its own would be cut down by the copy.
        if (option && option->type != QStyleOption::SO_Default)
            return QProxyStyle::standardIcon(sp, option, widget);
        std::optional<QStyleOption> copy;
        if (option) copy = *option;
        return LazyIcon([sp, copy, base = QPointer<QStyle>(baseStyle()),
                         owner = QPointer<QWidget>(const_cast<QWidget*>(widget))] {
            return base ? base->standardIcon(sp, copy ? &*copy : nullptr, owner.data()) : QIcon();
        });
    }
};
}  // namespace

void UseSteadyLayouts() {
    if (!qApp || dynamic_cast<SteadyStyle*>(QApplication::style())) return;
    QApplication::setStyle(new SteadyStyle(QStyleFactory::create(QApplication::style()->name())));
}
