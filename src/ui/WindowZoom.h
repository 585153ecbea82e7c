#pragma once

#include <QObject>
#include <QPointer>
#include <QRect>
#include <QSize>

#include <array>
#include <functional>
#include <initializer_list>
#include <optional>
#include <vector>

class QAction;
class QFont;
class QMainWindow;
class QMenu;

namespace pelto {

struct TZoomedSize;

/// The window at a whole multiple of its classic size: every control at that multiple of its
/// classic place and font size, the menu and status bars too, on screens it fits whole. Only
/// the zooms that fit the window's screen are offered; moved to a smaller screen the window
/// takes the largest that fits, and back on a larger one the zoom the user chose again.
class TWindowZoom : public QObject {
    Q_OBJECT
public:
    struct THooks {
        /// The zoom the user chose, in percent, as the settings keep it; none until one is.
        std::function<std::optional<int>()> Chosen;
        /// Keeps Percent as the user's choice; none forgets it.
        std::function<void(std::optional<int> Percent)> Choose;
        /// The parts that zoom in ways of their own follow Factor, once every control has its
        /// place.
        std::function<void(int Factor)> ZoomParts;
    };

    TWindowZoom(QMainWindow& Window, THooks Hooks);

    /// The factors' entries, at the start of Zoom.
    void AddFactors(QMenu& Zoom);
    /// Remembers the classic place and font of the children of each of Parents and the place of
    /// Popup, a window of its own that keeps its place and only grows; and the bars' heights.
    void RememberClassicPlaces(std::initializer_list<QWidget*> Parents, QWidget& Popup);
    /// The zoom at start: the user's choice as far as the screen allows, else twice the classic
    /// size on a screen tall enough for four classic windows.
    void ChooseFirst();

    int Factor() const { return FFactor; }
    /// Zooms to Factor, 1..4, or to the largest below it that fits the window's screen.
    void Set(int Factor);
    void Step(int Step);

private:
    struct TClassicPlace {
        QPointer<QWidget> Control;
        QRect Place;
        int FontPixels; // 0: the window's font
    };

    TZoomedSize ZoomedSize() const;
    QRect AvailableGeometry() const;
    bool Fits(int Factor) const;
    /// The menu bar in the window's font, or the largest smaller one at which all its titles
    /// show: longer ones than the classic English would hide the last menus.
    void FitMenuTitles(QFont Font);
    void KeepOnScreen();
    void UpdateChoices();
    void ScreenChanged();

    QMainWindow& FWindow;
    THooks FHooks;
    int FFactor = 1;
    std::vector<TClassicPlace> FClassicPlaces;
    QPointer<QWidget> FPopup;
    QSize FClassicClient; // the client area's
    std::array<QAction*, 4> FFactorActions{};
    int FClassicMenuHeight = 0;
    int FClassicStatusHeight = 0;
};

} // namespace pelto
