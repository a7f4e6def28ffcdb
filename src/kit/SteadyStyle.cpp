#include "kit/SteadyStyle.h"

#include <QApplication>
#include <QProxyStyle>
#include <QStyleFactory>

namespace {
class SteadyStyle : public QProxyStyle {
public:
    explicit SteadyStyle(QStyle* base) : QProxyStyle(base) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* returnData) const override {
        if (hint == SH_Widget_Animation_Duration || hint == SH_Widget_Animate) return 0;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};
}  // namespace

void UseSteadyLayouts() {
    if (!qApp || dynamic_cast<SteadyStyle*>(QApplication::style())) return;
    QApplication::setStyle(new SteadyStyle(QStyleFactory::create(QApplication::style()->name())));
}
