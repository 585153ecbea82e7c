#include "ui/UMain.h"

#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "resources/ProgramBitmaps.h"
#include "sprites/wlojmajmp.h"
#include "ui/EquipListBox.h"
#include "ui/PeltoApplication.h"
#include "ui/QtBitmaps.h"
#include "ui/Wardrobe.h"
#include "ui/Widgets.h"
#include "ui/Zoom.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStatusBar>
#include <QTimer>

#include <algorithm>

namespace pelto {
namespace {

constexpr int ClientWidth = 402;
constexpr int ClientHeight = 296;
constexpr QColor WindowColor(228, 238, 250);
constexpr int AnimationInterval = 167; // milliseconds

QFont GothicFont(int PixelSize) {
    // The game's Windows fonts do not exist here; these Japanese-capable ones stand in.
    QFont Font;
    Font.setFamilies(
        {"MS UI Gothic", "IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "DejaVu Sans"});
    Font.setPixelSize(PixelSize);
    return Font;
}

QFont FixedFont(int PixelSize) {
    QFont Font;
    Font.setFamilies({"Lucida Console", "IPAGothic", "DejaVu Sans Mono", "Monospace"});
    Font.setStyleHint(QFont::TypeWriter);
    Font.setPixelSize(PixelSize);
    return Font;
}

template <typename T>
T* Place(T* Control, const QString& Name, int Left, int Top, int Width, int Height) {
    Control->setObjectName(Name);
    Control->setGeometry(Left, Top, Width, Height);
    return Control;
}

TLabel* Caption(QWidget* Parent, const QString& Text, int Left, int Top, QColor Color = Qt::black) {
    auto* Label = new TLabel(Text, Parent);
    QPalette Palette = Label->palette();
    Palette.setColor(QPalette::WindowText, Color);
    Label->setPalette(Palette);
    Label->move(Left, Top);
    Label->adjustSize();
    return Label;
}

} // namespace

TfrmPelto::TfrmPelto(TStartupOptions Options, QWidget* Parent)
    : QMainWindow(Parent), FOptions(std::move(Options)) {
    setWindowTitle(ApplicationTitle);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setFont(GothicFont(12));
    setWindowIcon(QPixmap::fromImage(ToQImage(ProgramIcon(64))));
    CreateControls();
    CreatePicker();
    CreateDialogs();
    CreateMenus();
    CreateStatusLine();
    SetToolTips();
    CreateShortcuts();
    RememberClassicPlaces();
    FormCreate();
}

TfrmPelto::~TfrmPelto() {
    if (timeAnimation)
        timeAnimation->stop();
    if (FSettingsRead)
        WriteSettings(true);
    ZoomApplication(1); // the dialogs of whatever comes after are not this window's
    // The controls go first, while everything their handlers might touch still exists.
    delete takeCentralWidget();
}

void TfrmPelto::CreateControls() {
    auto* Client = new QWidget(this);
    Client->setFixedSize(ClientWidth, ClientHeight);
    Client->setAutoFillBackground(true);
    QPalette Palette = Client->palette();
    Palette.setColor(QPalette::Window, WindowColor);
    Client->setPalette(Palette);
    setCentralWidget(Client);

    pnDraw = Place(new QFrame(Client), "pnDraw", 6, 6, 130, 130);
    pnDraw->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pnDraw->setLineWidth(1);
    pnDraw->setFocusPolicy(Qt::ClickFocus);
    pbDraw = Place(new TPaintBox(pnDraw), "pbDraw", 1, 1, 128, 128);
    pbDraw->OnPaint = [this](QPainter& Painter) {
        if (!FSession) {
            Painter.fillRect(pbDraw->rect(), Qt::white);
            return;
        }
        const TBitmap& Canvas = FSession->Canvas();
        // Drawn at its size in logical pixels: on a scaled display every pixel grows sharp.
        const QImage View(Canvas.ScanLine(0), Canvas.Width(), Canvas.Height(),
                          static_cast<qsizetype>(Canvas.Stride()), QImage::Format_BGR888);
        Painter.drawImage(pbDraw->rect(), View);
        DrawCellHint(Painter);
        DrawFirstStartHint(Painter);
    };
    connect(pbDraw, &TPaintBox::MouseDown, this, Command(this, &TfrmPelto::pbDrawMouseDown));

    cbChara = Place(new QComboBox(Client), "cbChara", 6, 138, 130, 20);
    cbChara->setMaxVisibleItems(16);
    connect(cbChara, &QComboBox::activated, this, Command(this, &TfrmPelto::cbCharaChange));

    const auto AnimationButton = [&](const QString& Name, int Left) {
        auto* Button = Place(new TSimpleButton(Client), Name, Left, 14, 25, 25);
        Button->SetTransparent(true);
        Button->setCursor(Qt::PointingHandCursor);
        return Button;
    };
    sbPrev = AnimationButton("sbPrev", 140);
    sbStartStop = AnimationButton("sbStartStop", 165);
    sbNext = AnimationButton("sbNext", 190);
    connect(sbPrev, &TSimpleButton::Click, this, Command([this] { StepFrame(false); }));
    connect(sbNext, &TSimpleButton::Click, this, Command([this] { StepFrame(true); }));
    connect(sbStartStop, &TSimpleButton::Click, this, Command(this, &TfrmPelto::sbStartStopClick));

    auto* Status = Caption(Client, tr("status"), 140, 44);
    Status->setFont(GothicFont(15));
    Status->adjustSize();
    txtEquip = Place(new TMemo(Client), "txtEquip", 140, 60, 85, 97);
    txtEquip->setFont(FixedFont(15));
    txtEquip->setFrameStyle(QFrame::NoFrame);
    txtEquip->viewport()->setAutoFillBackground(false);
    txtEquip->setStyleSheet("background: transparent;");

    // Colour editing: position icons, then per channel its letter, minus, bar and plus.
    constexpr int ColorRows[3] = {0, 28, 56};
    for (int Position = 0; Position < 4; ++Position) {
        auto* Image = Place(new TImage(Client), QString("imgColor%1").arg(Position), 6,
                            160 + 26 * Position, 38, 25);
        Image->SetTransparent(true);
        Image->SetCenter(true);
        Image->setCursor(Qt::PointingHandCursor);
        connect(Image, &TImage::Clicked, this,
                Command([this, Position] { PosButtonClick(Position); }));
        FColorImages[static_cast<std::size_t>(Position)] = Image;
    }
    for (int Channel = 0; Channel < 3; ++Channel) {
        const int Top = 160 + ColorRows[Channel];
        auto* Letter =
            Place(new TImage(Client), QString("imgLetter%1").arg(Channel), 48, Top + 3, 16, 16);
        Letter->SetPicture(ToQImage(ChannelLetterPicture(Channel)));
        Letter->SetTransparent(true);

        const auto StepButton = [&](bool Right, int Left) {
            const QString Name = QString(Right ? "sbPlus%1" : "sbMinus%1").arg(Channel);
            auto* Button = Place(new TSimpleButton(Client), Name, Left, Top + 2, 18, 18);
            Button->SetAutoSize(true);
            Button->SetTransparent(true);
            Button->SetNormalPicture(ToQImage(StepButtonPicture(Right, TButtonState::Normal)));
            Button->SetHoverPicture(ToQImage(StepButtonPicture(Right, TButtonState::Hover)));
            Button->SetDownPicture(ToQImage(StepButtonPicture(Right, TButtonState::Down)));
            Button->setCursor(Qt::PointingHandCursor);
            connect(Button, &TSimpleButton::Click, this, Command([this, Channel, Right] {
                        FSession->StepColor(FColorPos, Channel, Right ? 1 : -1);
                    }));
        };
        StepButton(false, 72);
        StepButton(true, 206);

        auto* Bar =
            Place(new TImage(Client), QString("imgBar%1").arg(Channel), 92, Top + 4, 112, 13);
        Bar->setCursor(Qt::PointingHandCursor);
        connect(Bar, &TImage::MouseDown, this, Command([this, Channel](Qt::MouseButton, QPoint At) {
                    ColorBarClick(Channel, At.x());
                }));
        FColorBars[static_cast<std::size_t>(Channel)] = Bar;
    }
    sbDefault = Place(new TSimpleButton(Client), "sbDefault", 120, 240, 56, 20);
    sbDefault->SetTransparent(true);
    sbDefault->setCursor(Qt::PointingHandCursor);
    connect(sbDefault, &TSimpleButton::Click, this, Command(this, &TfrmPelto::sbDefaultClick));

    // Equipment slots: picture, item name and the slot's caption.
    constexpr const char* SlotCaptions[6] = {QT_TR_NOOP("h e a d"),   QT_TR_NOOP("b o d y"),
                                             QT_TR_NOOP("h a n d"),   QT_TR_NOOP("a r m"),
                                             QT_TR_NOOP("s h o e s"), QT_TR_NOOP("s p e c i a l")};
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const int Top = 4 + 40 * (Slot - 1);
        auto* Image = Place(new TImage(Client), QString("imgEquip%1").arg(Slot), 232, Top, 32, 32);
        Image->setCursor(Qt::PointingHandCursor);
        auto* Label = Caption(Client, "", 270, Top + 10);
        Label->setObjectName(QString("lblEquip%1").arg(Slot));
        Label->setCursor(Qt::PointingHandCursor);
        Label->resize(ClientWidth - 270, 13);
        Caption(Client, tr(SlotCaptions[Slot - 1]), 274, Top + 22, QColor(177, 192, 237));
        FEquipImages[static_cast<std::size_t>(Slot)] = Image;
        FEquipLabels[static_cast<std::size_t>(Slot)] = Label;
        connect(Image, &TImage::Clicked, this,
                Command([this, Slot, Image] { EquipButtonClick(Slot, Image); }));
        connect(Label, &TLabel::Clicked, this,
                Command([this, Slot, Label] { EquipButtonClick(Slot, Label); }));
        connect(Image, &TImage::ContextPopup, this,
                Command([this, Slot] { StripButtonClick(Slot); }));
        connect(Label, &TLabel::ContextPopup, this,
                Command([this, Slot] { StripButtonClick(Slot); }));
    }

    // A translated caption ends clear of the code box; the classic one keeps its place.
    auto* CodeCaption = Caption(Client, tr("Code:"), 76, 272);
    if (CodeCaption->text() != QLatin1String("Code:"))
        CodeCaption->move(std::min(76, 106 - CodeCaption->width()), 272);
    edCode = Place(new TCodeEdit(Client), "edCode", 108, 268, 245, 18);
    btnSetCode = Place(new QPushButton(tr("Set"), Client), "btnSetCode", 356, 268, 35, 20);
    connect(btnSetCode, &QPushButton::clicked, this, Command(this, &TfrmPelto::btnSetCodeClick));
    // Enter in the code box applies the code like the button, and goes no further.
    connect(edCode, &QLineEdit::returnPressed, this, Command(this, &TfrmPelto::btnSetCodeClick));

    timeAnimation = new QTimer(this);
    timeAnimation->setObjectName("timeAnimation");
    timeAnimation->setInterval(AnimationInterval);
    connect(timeAnimation, &QTimer::timeout, this, Command(this, &TfrmPelto::timeAnimationTimer));
}

void TfrmPelto::CreateMenus() {
    miFile = menuBar()->addMenu(tr("&File"));
    miFile->setObjectName("miFile");
    miSaveImage = miFile->addAction(tr("&Save Image As..."), this,
                                    Command(this, &TfrmPelto::miSaveImageClick));
    miSaveImage->setObjectName("miSaveImage");
    miCopyImage = miFile->addAction(tr("&Copy Image to Clipboard"), this,
                                    Command(this, &TfrmPelto::miCopyImageClick));
    miCopyImage->setObjectName("miCopyImage");
    miFile->addSeparator();
    miExit = miFile->addAction(tr("&Exit"), this, &QWidget::close);
    miExit->setObjectName("miExit");
    connect(miFile, &QMenu::aboutToShow, this, Command(this, &TfrmPelto::MenuClick));

    QMenu* View = menuBar()->addMenu(tr("&View"));
    View->addAction(tr("&Background Color"), this, Command(this, &TfrmPelto::miBGColorClick));
    miShadow = View->addAction(tr("&Shadow"));
    miShadow->setObjectName("miShadow");
    miShadow->setCheckable(true);
    miShadow->setChecked(true); // the design's state; the settings replace it at start
    connect(miShadow, &QAction::triggered, this,
            Command([this](bool Checked) { FSession->SetShadow(Checked); }));
    View->addSeparator();
    QMenu* Zoom = View->addMenu(tr("&Zoom"));
    Zoom->setToolTipsVisible(true); // why a zoom is not offered
    auto* Factors = new QActionGroup(this);
    for (int Factor = 1; Factor <= 4; ++Factor) {
        QAction* Action = Zoom->addAction(QString("&%1 %").arg(100 * Factor), this,
                                          Command([this, Factor] { SetZoom(Factor); }));
        Action->setObjectName(QString("miZoom%1").arg(100 * Factor));
        Action->setCheckable(true);
        Action->setActionGroup(Factors);
        FZoomActions[static_cast<std::size_t>(Factor - 1)] = Action;
    }
    Zoom->addSeparator();
    Zoom->addAction(tr("Zoom &In"), QKeySequence::ZoomIn, this, Command([this] { StepZoom(1); }));
    Zoom->addAction(tr("Zoom &Out"), QKeySequence::ZoomOut, this,
                    Command([this] { StepZoom(-1); }));
    Zoom->addAction(tr("&Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0), this,
                    Command([this] { SetZoom(1); }));

    miFavorites = menuBar()->addMenu(tr("F&avorites"));
    miFavorites->setObjectName("miFavorites");
    miSaveFavorite = miFavorites->addMenu(tr("&Save"));
    miSaveFavorite->setObjectName("miSaveFavorite");
    miLoadFavorite = miFavorites->addMenu(tr("&Load"));
    miLoadFavorite->setObjectName("miLoadFavorite");
    miLoadFavorite->setToolTipsVisible(true); // a damaged favourite's says why
    miFavorites->addSeparator();
    miFavorites
        ->addAction(tr("&Manage..."), this, Command(this, &TfrmPelto::miManageFavoritesClick))
        ->setObjectName("miManageFavorites");
    connect(miFavorites, &QMenu::aboutToShow, this, Command(this, &TfrmPelto::MenuClick));

    QMenu* Help = menuBar()->addMenu(tr("&Help"));
    Help->addAction(tr("&Visit Homepage"), this, Command(this, &TfrmPelto::miVisitHomepageClick));
    Help->addAction(tr("&About..."), this, Command(this, &TfrmPelto::miAboutClick));

    QMenu* Export = menuBar()->addMenu(tr("E&xport"));
    Export->setObjectName("miExportMenu");
    miExport = Export->addAction(tr("&Export..."), QKeySequence(Qt::CTRL | Qt::Key_E), this,
                                 Command(this, &TfrmPelto::miExportClick));
    miExport->setObjectName("miExport");

    QMenu* Options = menuBar()->addMenu(tr("&Options"));
    Options->setObjectName("miOptions");
    Options
        ->addAction(tr("Change &Game Folder..."), this,
                    Command(this, &TfrmPelto::miChangeGameFolderClick))
        ->setObjectName("miChangeGameFolder");
    miReopenLast = Options->addAction(tr("&Reopen Last Character"));
    miReopenLast->setObjectName("miReopenLast");
    miReopenLast->setCheckable(true);
    connect(miReopenLast, &QAction::toggled, this,
            [this](bool Checked) { FSettings.ReopenLast = Checked; });
    Options->addSeparator();
    Options
        ->addAction(tr("Copy &Code"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C), this,
                    Command(this, &TfrmPelto::CopyCode))
        ->setObjectName("miCopyCode");
    Options
        ->addAction(tr("&Paste Code"), QKeySequence(Qt::CTRL | Qt::Key_V), this,
                    Command(this, &TfrmPelto::PasteCode))
        ->setObjectName("miPasteCode");
    Options
        ->addAction(tr("&Find Item..."), QKeySequence(Qt::CTRL | Qt::Key_F), this,
                    Command(this, &TfrmPelto::miFindItemClick))
        ->setObjectName("miFindItem");
    Options->addSeparator();
    Options
        ->addAction(tr("How to &Use"), QKeySequence(Qt::Key_F1), this,
                    Command(this, &TfrmPelto::ShowHowToUse))
        ->setObjectName("miHowToUse");
    CreateDropTarget(*Options);
    // The client area keeps its size under the menu bar; the frame cannot be resized.
    adjustSize();
    setFixedSize(sizeHint());
}

void TfrmPelto::FormCreate() {
    TIniFile Ini(FOptions.SettingsFile);
    LoadSettings(Ini, FSettings);
    BuildFavoriteMenus();
    if (FSettings.X && FSettings.Y) {
        // The saved place, when some screen still shows it.
        const QPoint Saved(*FSettings.X, *FSettings.Y);
        for (const QScreen* Screen : QGuiApplication::screens())
            if (Screen->availableGeometry().contains(Saved))
                move(Saved);
    }
    miShadow->setChecked(FSettings.Shadow);
    miReopenLast->setChecked(FSettings.ReopenLast);
    ChooseFirstZoom();

    const std::string Saved = FSettings.WloPath;
    if (FOptions.GameFolder)
        FKeptWloPath = Saved;
    if (!SettleGameFolder()) {
        FStartupFailed = true;
        FNoGameFolderChosen = true;
        return;
    }
    FSettingsRead = true;

    for (const TCharaData& Chara : CharaData)
        cbChara->addItem(
            QString::fromUtf8(Chara.Name.data(), static_cast<qsizetype>(Chara.Name.size())));
    cbChara->setCurrentIndex(-1);

    FItemBack = ToQImage(ItemBackBitmap());
    FGraph = ToQImage(GraphBitmap());
    FPlaying = true; // once start-up is through
    auto Game = LoadGame(FSettings.WloPath);
    if (!Game) {
        FSettings.WloPath = Saved; // a folder that failed is never kept
        FStartupFailed = true;
        return;
    }
    auto Session = std::make_unique<TDressingSession>(*Game);
    ShowGame(std::move(Game), std::move(Session));
    FSession->SetShadow(miShadow->isChecked());
    if (FSettings.ReopenLast)
        ReopenLastCharacter();

    FColorPos = 0;
    PosButtonClick(0);
    timeAnimation->start();
}

void TfrmPelto::ReopenLastCharacter() {
    if (FSettings.LastCode.empty())
        return;
    try {
        FSession->ApplyCode(FSettings.LastCode);
        FSession->SetMotion(static_cast<std::uint8_t>(
            std::clamp<int>(FSettings.LastMotion, 0, MotionActions.size() - 1)));
        FSession->SetDirection(static_cast<std::uint8_t>(FSettings.LastDirection & 7));
    } catch (const std::exception&) {
        // Another game's items, or an edited file: the classic empty start, and a word on why.
        statusBar()->showMessage(tr("The last character could not be reopened"));
    }
}

std::optional<QImage> TfrmPelto::LoadSkinPicture(const std::string& Name) const {
    const std::string Path = ResolvePath(FGame->Path(SkinFolderName) + Name);
    if (!FileExists(Path))
        return std::nullopt;
    QImageReader Reader(QString::fromStdString(Path));
    QImage Image = Reader.read();
    if (Image.isNull())
        return std::nullopt; // an unreadable skin picture is as good as a missing one
    return Image.convertToFormat(QImage::Format_RGB888);
}

void TfrmPelto::SetStripPictures(TSimpleButton& Button, const QImage& Strip) {
    const int Width = Strip.width();
    const int Height = Strip.height() / 3;
    Button.SetNormalPicture(Strip.copy(0, 0, Width, Height));
    Button.SetHoverPicture(Strip.copy(0, Height, Width, Height));
    Button.SetDownPicture(Strip.copy(0, 2 * Height, Width, Height));
}

void TfrmPelto::LoadSkin() {
    for (int Position = 0; Position < 4; ++Position)
        BuildColorIcon(
            Position, LoadSkinPicture(Format("Icon_Part_%d.bmp", Position + 1)).value_or(QImage()));
    if (const auto Strip = LoadSkinPicture("btn_default.bmp"))
        SetStripPictures(*sbDefault, *Strip);
    if (const auto Strip = LoadSkinPicture("btn_m_prev.bmp"))
        SetStripPictures(*sbPrev, *Strip);
    if (const auto Strip = LoadSkinPicture("btn_m_next.bmp"))
        SetStripPictures(*sbNext, *Strip);
    if (const auto Play = LoadSkinPicture("btn_m_Play.bmp"))
        FPlayBitmap = *Play;
    if (const auto Stop = LoadSkinPicture("btn_m_Stop.bmp")) {
        FStopBitmap = *Stop;
        SetStripPictures(*sbStartStop, FStopBitmap); // the animation starts running
    }
}

void TfrmPelto::SessionChanged(TSessionChange What) {
    if (What == TSessionChange::Look)
        ShowLook();
    else
        UpdateView();
    UpdateStatusLine();
}

void TfrmPelto::ShowLook() {
    cbChara->setCurrentIndex(FSession->CharaIndex());
    if (frmWardrobe)
        frmWardrobe->Follow();
    MenuClick(); // the commands that need a character follow it, shortcuts included
    UpdateStatus();
    UpdateColorBars();
    UpdateView();
}

void TfrmPelto::miFindItemClick() {
    if (!frmWardrobe) {
        frmWardrobe = new TWardrobe([this] { return FSession.get(); },
                                    [this](const TWLOItemData& Item) {
                                        QImage Icon;
                                        return LoadItemIcon(&Item, Icon) ? Icon : QImage();
                                    },
                                    this);
        frmWardrobe->SetZoom(FZoom);
        frmWardrobe->Reload();
    }
    frmWardrobe->show();
    frmWardrobe->raise();
    frmWardrobe->activateWindow();
}

void TfrmPelto::UpdateView() {
    pbDraw->update();
}

void TfrmPelto::pbDrawMouseDown(Qt::MouseButton Button, QPoint Position) {
    if (!FSession || FSession->CharaIndex() < 0)
        return;
    pnDraw->setFocus();
    const int Column = static_cast<int>(Position.x() / (pbDraw->width() / 3.0));
    const int Row = static_cast<int>(Position.y() / (pbDraw->height() / 3.0));
    if (Column < 0 || Column > 2 || Row < 0 || Row > 2)
        return;
    const int Value = ViewDirectionGrid[Row][Column];
    if (Value == ViewCentreCell) {
        if (Button == Qt::LeftButton)
            FSession->NextMotion();
        else if (Button == Qt::RightButton)
            FSession->PrevMotion();
    } else {
        FSession->SetDirection(static_cast<std::uint8_t>(Value));
    }
}

void TfrmPelto::cbCharaChange(int Index) {
    const int Before = FSession->CharaIndex();
    try {
        FSession->SetChara(Index);
    } catch (...) {
        // The choice box moved on its own; it shows the character the session kept.
        cbChara->setCurrentIndex(FSession->CharaIndex());
        throw;
    }
    ReportMissingSprites(Before);
}

void TfrmPelto::ReportMissingSprites(int CharaBefore) {
    // Said once when the character is chosen, not with every frame drawn without them.
    if (FSession->CharaIndex() == CharaBefore)
        return;
    QStringList Lines;
    for (const std::string& Name : FSession->MissingSprites())
        Lines << tr("Sprite not found: %1").arg(QString::fromStdString(Name));
    if (!Lines.isEmpty())
        ShowError(Lines.join('\n'));
}

void TfrmPelto::timeAnimationTimer() {
    FSession->NextFrame();
}

void TfrmPelto::sbStartStopClick() {
    FPlaying = !FPlaying;
    if (FPlaying)
        timeAnimation->start();
    else
        timeAnimation->stop();
    SetStripPictures(*sbStartStop, FPlaying ? FStopBitmap : FPlayBitmap);
}

void TfrmPelto::StepFrame(bool Next) {
    // Stepping by hand always stops the animation first.
    if (FPlaying)
        SetStripPictures(*sbStartStop, FPlayBitmap);
    FPlaying = false;
    timeAnimation->stop();
    if (Next)
        FSession->NextFrame();
    else
        FSession->PrevFrame();
}

} // namespace pelto
