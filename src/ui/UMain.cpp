#include "ui/UMain.h"

#include "controls/PopupPanel.h"
#include "controls/QtBitmaps.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/Paths.h"
#include "resources/ProgramBitmaps.h"
#include "sprites/wlojmajmp.h"
#include "ui/ColorsPart.h"
#include "ui/EditMenu.h"
#include "ui/FavoritesMenu.h"
#include "ui/PeltoApplication.h"
#include "ui/SlotsPart.h"
#include "ui/SwatchDialog.h"
#include "ui/ViewKeys.h"
#include "ui/ViewPart.h"
#include "ui/Wardrobe.h"
#include "ui/WindowZoom.h"
#include "ui/Zoom.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
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
constexpr int StatusPixelSize = 15; // the status box's font while its lines fit in it

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

// Where the code box's caption ends at the latest, a few pixels before the box.
constexpr int CodeCaptionEnd = 104;

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
    CreateDialogs();
    CreateZoom();
    CreateMenus();
    FColors->OfferOnContextMenu(findChild<QAction*>("miSwatches"));
    CreateStatusLine();
    SetToolTips();
    FKeys = new TViewKeys(*this, *FView, *edCode, [this] { return FSession.get(); });
    FZoom->RememberClassicPlaces({centralWidget(), FView->Frame(), FSlots->Picker()},
                                 *FSlots->Picker());
    FSettingsDue = new QTimer(this);
    FSettingsDue->setSingleShot(true);
    FSettingsDue->setInterval(250);
    connect(FSettingsDue, &QTimer::timeout, this,
            [this] { WriteSettings(TSettingsWrite::Changed); });
    FormCreate();
}

TfrmPelto::~TfrmPelto() {
    delete FKeys; // no key reaches a session on its way out
    if (FView)
        FView->Stop();
    if (FSettingsRead)
        WriteSettings(TSettingsWrite::Quitting);
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

    const auto SessionOf = [this] {
        return FSession.get();
    };
    FView = new TViewPanel(*Client, *this, SessionOf);
    cbChara = Place(new QComboBox(Client), "cbChara", 6, 138, 130, 20);
    cbChara->setMaxVisibleItems(16);
    connect(cbChara, &QComboBox::activated, this, Command(this, &TfrmPelto::cbCharaChange));

    auto* Status = Caption(Client, tr("status"), 140, 44);
    Status->setFont(GothicFont(15));
    Status->adjustSize();
    txtEquip = Place(new TMemo(Client), "txtEquip", 140, 60, 85, 97);
    txtEquip->setFont(FixedFont(15));
    txtEquip->setFrameStyle(QFrame::NoFrame);
    txtEquip->viewport()->setAutoFillBackground(false);
    txtEquip->setStyleSheet("background: transparent;");

    FColors = new TColorPanel(*Client, SessionOf);
    FSlots = new TSlotsPanel(*Client, *this, SessionOf, [this] { return FSettings.CloseOnClick; });

    // The caption keeps its classic place where it ends clear of the code box, in this font and
    // language; a wider one moves left.
    auto* CodeCaption = Caption(Client, tr("Code:"), 76, 272);
    CodeCaption->move(std::min(76, CodeCaptionEnd - CodeCaption->width()), 272);
    edCode = Place(new TCodeEdit(Client), "edCode", 108, 268, 245, 18);
    btnSetCode = Place(new QPushButton(tr("Set"), Client), "btnSetCode", 356, 268, 35, 20);
    connect(btnSetCode, &QPushButton::clicked, this, Command(this, &TfrmPelto::btnSetCodeClick));
    // Enter in the code box applies the code like the button, and goes no further.
    connect(edCode, &QLineEdit::returnPressed, this, Command(this, &TfrmPelto::btnSetCodeClick));
    // The code box would insert a dropped file's URL as text: the window takes its drops too.
    setAcceptDrops(true);
    edCode->setAcceptDrops(false);
}

void TfrmPelto::FormCreate() {
    TIniFile Ini(FOptions.SettingsFile);
    LoadSettings(Ini, FSettings);
    FFavorites->Update();
    if (FSettings.X && FSettings.Y) {
        // The saved place, when some screen still shows it.
        const QPoint Saved(*FSettings.X, *FSettings.Y);
        for (const QScreen* Screen : QGuiApplication::screens())
            if (Screen->availableGeometry().contains(Saved))
                move(Saved);
    }
    MenuAction("miReopenLast").setChecked(FSettings.ReopenLast);
    FZoom->ChooseFirst();

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

    auto Game = LoadGame(FSettings.WloPath);
    if (!Game) {
        FSettings.WloPath = Saved; // a folder that failed is never kept
        FStartupFailed = true;
        return;
    }
    auto Session = std::make_unique<TDressingSession>(*Game);
    Session->SetShadow(FSettings.Shadow);
    Session->SetLocks(FSettings.Locks);
    ShowGame(std::move(Game), std::move(Session));
    if (FSettings.ReopenLast)
        ReopenLastCharacter();

    FColors->SelectPosition(0);
    FView->Start();
    // What the file holds now, but for what it lacked: nothing to write until something changes.
    FSettingsWritten = SettingsToWrite(FSettings);
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

void TfrmPelto::miReopenLastClick(bool Checked) {
    FSettings.ReopenLast = Checked;
    SettingsChanged();
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

void TfrmPelto::LoadSkin() {
    std::array<std::optional<QImage>, 4> Icons;
    for (int Position = 0; Position < 4; ++Position)
        Icons[static_cast<std::size_t>(Position)] =
            LoadSkinPicture(Format("Icon_Part_%d.bmp", Position + 1));
    FColors->SetSkin(Icons, LoadSkinPicture("btn_default.bmp"));
    FView->SetSkin(LoadSkinPicture("btn_m_prev.bmp"), LoadSkinPicture("btn_m_next.bmp"),
                   LoadSkinPicture("btn_m_Play.bmp"), LoadSkinPicture("btn_m_Stop.bmp"));
}

void TfrmPelto::SessionChanged(TSessionChange What) {
    if (What == TSessionChange::Preview) {
        UpdateStatus(); // nothing kept changed: the settings stay as they are
        FColors->UpdateBars();
        UpdateView();
        return;
    }
    // The character, its pose and shadow are kept; the animation's frames are not, so playing
    // schedules no comparison of the settings.
    const bool Kept = !FSettingsWritten || What == TSessionChange::Look ||
                      FSession->Motion() != FSettingsWritten->LastMotion ||
                      FSession->Direction() != FSettingsWritten->LastDirection ||
                      FSession->Chara().Shadow() != FSettingsWritten->Shadow;
    if (Kept)
        SettingsChanged();
    if (What == TSessionChange::Look)
        ShowLook();
    else
        UpdateView();
    FView->ShowPose();
}

void TfrmPelto::ShowLook() {
    cbChara->setCurrentIndex(FSession->CharaIndex());
    if (frmWardrobe)
        frmWardrobe->Follow();
    EnableCommands(); // shortcuts included
    FEdit->Update();
    UpdateStatus();
    FColors->UpdateBars();
    UpdateView();
}

void TfrmPelto::ShowLocks() {
    FSlots->UpdateLocks();
    FColors->UpdateLocks();
    SettingsChanged();
}

void TfrmPelto::miFindItemClick() {
    if (!frmWardrobe) {
        frmWardrobe = new TWardrobe(
            [this] { return FSession.get(); },
            [this](const TWLOItemData& Item) { return FSlots->ItemIcon(&Item); }, this);
        frmWardrobe->SetZoom(Zoom());
        frmWardrobe->Reload();
    }
    frmWardrobe->show();
    frmWardrobe->raise();
    frmWardrobe->activateWindow();
}

void TfrmPelto::miSwatchesClick() {
    if (FSession->CharaIndex() < 0)
        return;
    TSwatchDialog Dialog(*FSession, ColorPos(), Zoom(), this);
    Dialog.exec();
}

void TfrmPelto::UpdateView() {
    MenuAction("miShadow").setChecked(FSession->Chara().Shadow()); // the session's, shown
    FView->Redraw();
}

void TfrmPelto::miShadowClick(bool Checked) {
    FSession->SetShadow(Checked);
}

int TfrmPelto::ColorPos() const {
    return FColors->Position();
}

bool TfrmPelto::Playing() const {
    return FView->Playing();
}

void TfrmPelto::UpdateStatus() {
    QStringList Lines;
    if (FSession->Previewed())
        Lines << tr("(preview)");
    for (const std::string& Line : FSession->StatusLines())
        Lines << QString::fromStdString(Line);
    txtEquip->SetLinesFitting(Lines, StatusPixelSize * Zoom());
    edCode->setText(QString::fromStdString(FSession->Code()));
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

} // namespace pelto
