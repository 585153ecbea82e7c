// Colour editing: the position icons, the three level bars and their buttons.
#include "ui/ColorsPart.h"

#include "controls/QtBitmaps.h"
#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "model/DressingSession.h"
#include "resources/ProgramBitmaps.h"
#include "ui/PeltoApplication.h"
#include "ui/TryOnHover.h"
#include "ui/UMain.h"
#include "ui/ViewPart.h"

#include <QMenu>
#include <QPainter>

namespace pelto {
namespace {

constexpr QSize IconSize(38, 25);
constexpr int BarWidth = 112;
constexpr int BarHeight = 13;
constexpr int PixelsPerLevel = 12;
constexpr int ColorRows[3] = {0, 28, 56};

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

QString PositionName(int Position) {
    const std::array<QString, 4> Positions{TfrmPelto::tr("head"), TfrmPelto::tr("body"),
                                           TfrmPelto::tr("body and body item"),
                                           TfrmPelto::tr("body and special item")};
    return Positions[static_cast<std::size_t>(Position)];
}

QString PositionCaption(int Position) {
    return TfrmPelto::tr("Color position %1: %2").arg(Position + 1).arg(PositionName(Position));
}

TColorPanel::TColorPanel(QWidget& Client, std::function<TDressingSession*()> SessionOf)
    : QObject(&Client), FSessionOf(std::move(SessionOf)), FGraph(ToQImage(GraphBitmap())),
      FTryOn(new TTryOnHover(FSessionOf, this)) {
    for (int Position = 0; Position < 4; ++Position) {
        auto* Image = Place(new TImage(&Client), QString("imgColor%1").arg(Position), 6,
                            160 + 26 * Position, 38, 25);
        Image->SetTransparent(true);
        Image->SetCenter(true);
        Image->setCursor(Qt::PointingHandCursor);
        connect(Image, &TImage::Clicked, this,
                Command([this, Position] { SelectPosition(Position); }));
        FColorImages[static_cast<std::size_t>(Position)] = Image;
    }
    for (int Position = 0; Position < 4; ++Position) {
        // Over the icon's bottom-left corner, inside the selection frame; clicks go through.
        auto* Lock = Place(new TImage(&Client), QString("imgLockColor%1").arg(Position), 9,
                           160 + 26 * Position + 11, 7, 10);
        Lock->SetPicture(ToQImage(LockGlyphPicture()));
        Lock->SetTransparent(true);
        Lock->setAttribute(Qt::WA_TransparentForMouseEvents);
        Lock->hide();
        FLockMarks[static_cast<std::size_t>(Position)] = Lock;
    }
    for (int Channel = 0; Channel < 3; ++Channel) {
        const int Top = 160 + ColorRows[Channel];
        auto* Letter =
            Place(new TImage(&Client), QString("imgLetter%1").arg(Channel), 48, Top + 3, 16, 16);
        Letter->SetPicture(ToQImage(ChannelLetterPicture(Channel)));
        Letter->SetTransparent(true);

        const auto StepButton = [&](bool Right, int Left) {
            const QString Name = QString(Right ? "sbPlus%1" : "sbMinus%1").arg(Channel);
            auto* Button = Place(new TSimpleButton(&Client), Name, Left, Top + 2, 18, 18);
            Button->SetAutoSize(true);
            Button->SetTransparent(true);
            Button->SetNormalPicture(ToQImage(StepButtonPicture(Right, TButtonState::Normal)));
            Button->SetHoverPicture(ToQImage(StepButtonPicture(Right, TButtonState::Hover)));
            Button->SetDownPicture(ToQImage(StepButtonPicture(Right, TButtonState::Down)));
            Button->setCursor(Qt::PointingHandCursor);
            connect(Button, &TSimpleButton::Click, this, Command([this, Channel, Right] {
                        if (TDressingSession* Session = FSessionOf())
                            Session->StepColor(FPosition, Channel, Right ? 1 : -1);
                    }));
            return Button;
        };
        FMinus[static_cast<std::size_t>(Channel)] = StepButton(false, 72);
        FPlus[static_cast<std::size_t>(Channel)] = StepButton(true, 206);

        auto* Bar =
            Place(new TImage(&Client), QString("imgBar%1").arg(Channel), 92, Top + 4, 112, 13);
        Bar->setCursor(Qt::PointingHandCursor);
        connect(Bar, &TImage::MouseDown, this, Command([this, Channel](Qt::MouseButton, QPoint At) {
                    BarClick(Channel, At.x());
                }));
        Bar->setMouseTracking(true);
        connect(Bar, &TImage::MouseMoved, this, Command([this, Channel](QPoint At) {
                    FTryOn->Show(TLevelTryOn{FPosition, Channel, LevelAt(At.x())});
                }));
        connect(Bar, &TImage::MouseLeft, this, Command([this] { FTryOn->End(); }));
        FColorBars[static_cast<std::size_t>(Channel)] = Bar;
    }
    sbDefault = Place(new TSimpleButton(&Client), "sbDefault", 120, 240, 56, 20);
    sbDefault->SetTransparent(true);
    sbDefault->setCursor(Qt::PointingHandCursor);
    connect(sbDefault, &TSimpleButton::Click, this, Command([this] {
                if (TDressingSession* Session = FSessionOf())
                    Session->ResetColors();
            }));
}

void TColorPanel::SetSkin(const std::array<std::optional<QImage>, 4>& Icons,
                          const std::optional<QImage>& Default) {
    for (int Position = 0; Position < 4; ++Position)
        BuildIcon(Position, Icons[static_cast<std::size_t>(Position)].value_or(QImage()));
    if (Default)
        SetStripPictures(*sbDefault, *Default);
}

void TColorPanel::BuildIcon(int Position, const QImage& Skin) {
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
    FIcons[static_cast<std::size_t>(Position)] = Icon;
}

void TColorPanel::SelectPosition(int Position) {
    FPosition = Position;
    for (int I = 0; I < 4; ++I) {
        QImage Picture = FIcons[static_cast<std::size_t>(I)].copy();
        if (I == FPosition) {
            // Three nested frames stopping two rows above the bottom, so the bottom-left
            // pixel, the transparent colour, stays the icon's own.
            const int W = Picture.width(), H = Picture.height();
            FrameRect(Picture, 0, 0, W, H - 2, QColor(237, 121, 73));
            FrameRect(Picture, 1, 1, W - 1, H - 3, QColor(255, 255, 0));
            FrameRect(Picture, 2, 2, W - 2, H - 4, QColor(255, 164, 73));
        }
        FColorImages[static_cast<std::size_t>(I)]->SetPicture(Picture);
    }
    UpdateBars();
}

void TColorPanel::UpdateBar(int Channel) {
    QImage Bar(BarWidth, BarHeight, QImage::Format_RGB888);
    Bar.fill(Qt::white);
    QPainter Painter(&Bar);
    Painter.setPen(QColor(192, 192, 192));
    Painter.drawRect(0, 0, BarWidth - 1, BarHeight - 1);
    Painter.fillRect(2, 2, 108, 9, QColor(77, 77, 74));
    const TDressingSession* Session = FSessionOf();
    const int Level = Session ? Session->ShownColor(FPosition, Channel) : NeutralLevel;
    if (Level > 0)
        Painter.drawImage(QPoint(2, 2), FGraph, QRect(0, 9 * Channel, PixelsPerLevel * Level, 9));
    Painter.end();
    TImage* Control = FColorBars[static_cast<std::size_t>(Channel)];
    Control->SetPicture(Bar);
    const std::array<QString, 3> Channels{TfrmPelto::tr("Red"), TfrmPelto::tr("Green"),
                                          TfrmPelto::tr("Blue")};
    const QString Text = TfrmPelto::tr("%1: level %2 of 0..9 (4 is the default); click to set")
                             .arg(Channels[static_cast<std::size_t>(Channel)])
                             .arg(Level);
    Control->setToolTip(Text);
    Control->setStatusTip(Text);
}

void TColorPanel::UpdateLocks() {
    const TDressingSession* Session = FSessionOf();
    for (int Position = 0; Position < 4; ++Position) {
        const bool Locked = Session && Session->Locks().Position(Position);
        FLockMarks[static_cast<std::size_t>(Position)]->setVisible(Locked);
        QString Text = PositionCaption(Position);
        if (Locked)
            Text += "\n" + TfrmPelto::tr("Locked: random outfits leave it as it is");
        TImage* Icon = FColorImages[static_cast<std::size_t>(Position)];
        Icon->setToolTip(Text);
        Icon->setStatusTip(PositionCaption(Position));
    }
}

void TColorPanel::UpdateBars() {
    for (int Channel = 0; Channel < 3; ++Channel)
        UpdateBar(Channel);
}

std::uint8_t TColorPanel::LevelAt(int X) const {
    return static_cast<std::uint8_t>(std::clamp((X / FZoom - 2 + 9) / PixelsPerLevel, 0, 9));
}

void TColorPanel::BarClick(int Channel, int X) {
    FTryOn->End(); // no try-on still due may follow the level set
    if (TDressingSession* Session = FSessionOf())
        Session->SetColor(FPosition, Channel, LevelAt(X));
}

void TColorPanel::SetToolTips() {
    const auto Tip = [](QWidget* Control, const QString& Text) {
        Control->setToolTip(Text);
        Control->setStatusTip(Text);
    };
    Tip(sbDefault, TfrmPelto::tr("Put every color back to its default"));
    UpdateLocks();
    // Whole sentences per colour: languages differ in where the colour goes and how it bends.
    const std::array<QString, 3> Less{TfrmPelto::tr("Less red"), TfrmPelto::tr("Less green"),
                                      TfrmPelto::tr("Less blue")};
    const std::array<QString, 3> More{TfrmPelto::tr("More red"), TfrmPelto::tr("More green"),
                                      TfrmPelto::tr("More blue")};
    for (std::size_t Channel = 0; Channel < 3; ++Channel) {
        Tip(FMinus[Channel], Less[Channel]);
        Tip(FPlus[Channel], More[Channel]);
    }
}

void TColorPanel::OfferOnContextMenu(QAction* Action) {
    // Right-clicking a position's icon chooses it first, so the swatches are of that position.
    for (std::size_t Position = 0; Position < FColorImages.size(); ++Position) {
        TImage* Icon = FColorImages[Position];
        Icon->setContextMenuPolicy(Qt::CustomContextMenu);
        QObject::connect(Icon, &QWidget::customContextMenuRequested, Icon,
                         [this, Position, Action, Icon](const QPoint& At) {
                             SelectPosition(static_cast<int>(Position));
                             QMenu::exec({Action}, Icon->mapToGlobal(At), nullptr, Icon);
                         });
    }
    for (TImage* Bar : FColorBars) {
        Bar->setContextMenuPolicy(Qt::ActionsContextMenu);
        Bar->addAction(Action);
    }
}

} // namespace pelto
