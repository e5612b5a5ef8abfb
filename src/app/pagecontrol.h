#pragma once
// The main window's page control: a tab widget whose tabs all fit side by
// side at the window's smallest width, in either language, without scroll
// arrows. Where the style's room beside each caption would push the last tab
// off the bar, the room shrinks (down to MinCaptionSpace) until they fit.
#include <QTabBar>
#include <QTabWidget>

namespace corvane {

class FittingTabBar : public QTabBar {
    Q_OBJECT
public:
    // Room beside a caption, both sides together, in pixels.
    static constexpr int MinCaptionSpace = 8;
    // fitWidth: the width the tabs must fit into.
    FittingTabBar(int fitWidth, QWidget* parent = nullptr);
    // The room beside each caption for the captions shown now.
    int CaptionSpace(int styleSpace) const;

private:
    int fitWidth_;
};

class PageControl : public QTabWidget {
    Q_OBJECT
public:
    PageControl(int fitWidth, QWidget* parent = nullptr);
    FittingTabBar* Tabs() const { return tabs_; }

private:
    FittingTabBar* tabs_;
};

} // namespace corvane
