// Colour editing: the position icons, the three level bars and their buttons.
#include "ui/UMain.h"

#include "controls/SimpleBtn.h"
#include "model/DressingSession.h"
#include "ui/Widgets.h"

#include <QPainter>

namespace pelto {
namespace {

constexpr QSize IconSize(38, 25);
constexpr int BarWidth = 112;
constexpr int BarHeight = 13;
constexpr int PixelsPerLevel = 12;

// Stand-ins for missing skin icons, so that all four positions stay selectable.
constexpr QColor FallbackColors[4] = {QColor(120, 70, 40), QColor(255, 214, 186),
                                      QColor(90, 120, 200), QColor(220, 180, 60)};

// A rectangle outline with exclusive right and bottom edges.
void FrameRect(QImage& Image, int Left, int Top, int Right, int Bottom, QColor Color) {
    QPainter Painter(&Image);
    Painter.setPen(Color);
    Painter.drawRect(Left, Top, Right - Left - 1, Bottom - Top - 1);
}

} // namespace

void TfrmPelto::BuildColorIcon(int Position, const QImage& Skin) {
    QImage Icon(IconSize, QImage::Format_RGB888);
    // The window's colour behind a missing icon, left out when drawn as the transparent one.
    Icon.fill(Skin.isNull() ? QColor(228, 238, 250) : Skin.pixelColor(0, 0));
    QPainter Painter(&Icon);
    if (Skin.isNull()) {
        Painter.setPen(QColor(90, 90, 110));
        Painter.setBrush(FallbackColors[Position]);
        Painter.drawRoundedRect(8, 5, 21, 14, 3, 3);
    } else {
        Painter.drawImage((IconSize.width() - Skin.width()) / 2,
                          (IconSize.height() - Skin.height()) / 2, Skin);
    }
    Painter.end();
    FColorIcons[static_cast<std::size_t>(Position)] = Icon;
}

void TfrmPelto::PosButtonClick(int Position) {
    FColorPos = Position;
    for (int I = 0; I < 4; ++I) {
        QImage Picture = FColorIcons[static_cast<std::size_t>(I)].copy();
        if (I == FColorPos) {
            // Three nested frames stopping two rows above the bottom, so the bottom-left
            // pixel, the transparent colour, stays the icon's own.
            const int W = Picture.width(), H = Picture.height();
            FrameRect(Picture, 0, 0, W, H - 2, QColor(237, 121, 73));
            FrameRect(Picture, 1, 1, W - 1, H - 3, QColor(255, 255, 0));
            FrameRect(Picture, 2, 2, W - 2, H - 4, QColor(255, 164, 73));
        }
        FColorImages[static_cast<std::size_t>(I)]->SetPicture(Picture);
    }
    UpdateColorBars();
}

void TfrmPelto::UpdateColorBar(int Channel) {
    if (Channel < 0 || Channel > 2)
        return;
    QImage Bar(BarWidth, BarHeight, QImage::Format_RGB888);
    Bar.fill(Qt::white);
    QPainter Painter(&Bar);
    Painter.setPen(QColor(192, 192, 192));
    Painter.drawRect(0, 0, BarWidth - 1, BarHeight - 1);
    Painter.fillRect(2, 2, 108, 9, QColor(77, 77, 74));
    const int Level = FSession ? FSession->Color(FColorPos, Channel) : NeutralLevel;
    if (Level > 0)
        Painter.drawImage(QPoint(2, 2), FGraph, QRect(0, 9 * Channel, PixelsPerLevel * Level, 9));
    Painter.end();
    FColorBars[static_cast<std::size_t>(Channel)]->SetPicture(Bar);
    UpdateColorBarTip(Channel, Level);
}

void TfrmPelto::UpdateColorBars() {
    for (int Channel = 0; Channel < 3; ++Channel)
        UpdateColorBar(Channel);
}

void TfrmPelto::ColorBarClick(int Channel, int X) {
    const int Level = std::clamp((X / FZoom - 2 + 9) / PixelsPerLevel, 0, 9);
    FSession->SetColor(FColorPos, Channel, static_cast<std::uint8_t>(Level));
}

void TfrmPelto::sbDefaultClick() {
    FSession->ResetColors();
}

} // namespace pelto
