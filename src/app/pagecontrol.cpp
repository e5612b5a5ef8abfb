#include "app/pagecontrol.h"

#include <QProxyStyle>

namespace corvane {
namespace {

// The application's style, except for the room beside the captions of a
// fitting tab bar, which the bar decides.
class FittingTabStyle : public QProxyStyle {
public:
    int pixelMetric(PixelMetric metric, const QStyleOption* option,
                    const QWidget* widget) const override {
        const int styled = QProxyStyle::pixelMetric(metric, option, widget);
        if (metric == PM_TabBarTabHSpace)
            if (const auto* bar = qobject_cast<const FittingTabBar*>(widget))
                return bar->CaptionSpace(styled);
        return styled;
    }
};

} // namespace

FittingTabBar::FittingTabBar(int fitWidth, QWidget* parent) : QTabBar(parent), fitWidth_(fitWidth) {
    auto* style = new FittingTabStyle;
    style->setParent(this);
    setStyle(style);
    setUsesScrollButtons(false);
    setElideMode(Qt::ElideNone);
}

int FittingTabBar::CaptionSpace(int styleSpace) const {
    if (count() == 0)
        return styleSpace;
    int captions = 0;
    for (int i = 0; i < count(); ++i)
        captions += fontMetrics().size(Qt::TextShowMnemonic, tabText(i)).width();
    return qBound(MinCaptionSpace, (fitWidth_ - captions) / count(), styleSpace);
}

PageControl::PageControl(int fitWidth, QWidget* parent)
    : QTabWidget(parent), tabs_(new FittingTabBar(fitWidth, this)) {
    setTabBar(tabs_);
}

} // namespace corvane
