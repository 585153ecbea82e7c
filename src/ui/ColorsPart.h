#pragma once

#include <QImage>
#include <QObject>

#include <array>
#include <functional>
#include <optional>

class QAction;

namespace pelto {

class TDressingSession;
class TImage;
class TSimpleButton;
class TTryOnHover;

/// What colour position 0..3 recolours, in the window's language ("head").
QString PositionName(int Position);
/// Colour position 0..3's caption in the window's language ("Color position 1: head").
QString PositionCaption(int Position);

/// The colour editor: the four position icons, per channel its letter, minus, bar and plus,
/// and the default button. It edits whatever session the window holds at the moment; the
/// position chosen is its own, the levels are the session's. The level under the pointer on a
/// bar is tried on; only a click sets it.
class TColorPanel : public QObject {
public:
    /// The controls go on Client; SessionOf gives the session edited, or nullptr while there is
    /// none.
    TColorPanel(QWidget& Client, std::function<TDressingSession*()> SessionOf);

    /// The colour position the bars edit: 0..3.
    int Position() const { return FPosition; }
    void SelectPosition(int Position);
    /// The skin's position icons (a missing one gets a stand-in) and default button strip.
    void SetSkin(const std::array<std::optional<QImage>, 4>& Icons,
                 const std::optional<QImage>& Default);
    void SetZoom(int Factor) { FZoom = Factor; }
    void SetToolTips();
    /// Shows the session's levels on the bars.
    void UpdateBars();
    /// Marks the positions random outfits leave alone, as the session locks them.
    void UpdateLocks();
    /// Offers Action on the context menu of the position icons and the bars.
    void OfferOnContextMenu(QAction* Action);

private:
    void BuildIcon(int Position, const QImage& Skin);
    void UpdateBar(int Channel);
    void BarClick(int Channel, int X);
    /// The level a point X pixels into a bar stands for.
    std::uint8_t LevelAt(int X) const;

    std::function<TDressingSession*()> FSessionOf;
    int FPosition = 0;
    int FZoom = 1;
    QImage FGraph;
    std::array<QImage, 4> FIcons;

    // Owned by the window's controls through Qt's parent ownership.
    std::array<TImage*, 4> FColorImages{};
    std::array<TImage*, 4> FLockMarks{};
    std::array<TImage*, 3> FColorBars{};
    std::array<TSimpleButton*, 3> FMinus{};
    std::array<TSimpleButton*, 3> FPlus{};
    TSimpleButton* sbDefault = nullptr;
    TTryOnHover* FTryOn = nullptr;
};

} // namespace pelto
