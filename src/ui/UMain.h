#pragma once

#include "model/GameFolder.h"
#include "model/Settings.h"
#include "platform/Bitmap.h"

#include <QImage>
#include <QMainWindow>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QAction;
class QColorDialog;
class QComboBox;
class QFileDialog;
class QFrame;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTimer;

namespace pelto {

class TDrawChara;
class TEquipList;
class TEquipListBox;
class TPopupPanel;
struct TEquipEntry;
struct TWLOItemData;
class TGameData;
class TImage;
class TLabel;
class TMemo;
class TPaintBox;
class TSimpleButton;

/// Where the window keeps its settings and how it asks for the game folder; tests replace both.
struct TStartupOptions {
    std::string SettingsFile;
    /// Shows the folder chooser with Directory preselected; false when cancelled.
    TFolderPrompt FolderPrompt;
};

/// The main window: the character view, the character choice, the animation buttons, the
/// colour editor, the equipment slots, the code box and the menus.
class TfrmPelto : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmPelto(TStartupOptions Options, QWidget* Parent = nullptr);
    ~TfrmPelto() override;

    /// Start-up did not finish: the folder prompt was cancelled, or the item table could not be
    /// read. The program ends without showing the window.
    bool StartupFailed() const { return FStartupFailed; }

    // The window's parts, for its tests.
    TDrawChara& DrawChara() { return *FDrawChara; }
    const TBitmap& Canvas() const { return FCanvas; }
    const std::string& WloPath() const { return FSettings.WloPath; }
    int ColorPos() const { return FColorPos; }
    bool Playing() const { return FPlaying; }
    QComboBox* CharaBox() const { return cbChara; }
    TPaintBox* View() const { return pbDraw; }
    TSimpleButton* PrevButton() const { return sbPrev; }
    TSimpleButton* StartStopButton() const { return sbStartStop; }
    TSimpleButton* NextButton() const { return sbNext; }
    TSimpleButton* DefaultButton() const { return sbDefault; }
    TImage* ColorImage(int Position) const {
        return FColorImages[static_cast<std::size_t>(Position)];
    }
    TImage* ColorBar(int Channel) const { return FColorBars[static_cast<std::size_t>(Channel)]; }
    TSimpleButton* StepButton(int Channel, bool Right) const {
        return (Right ? FRightButtons : FLeftButtons)[static_cast<std::size_t>(Channel)];
    }
    QLineEdit* CodeBox() const { return edCode; }
    TMemo* StatusBox() const { return txtEquip; }
    TImage* SlotImage(int Slot) const { return FEquipImages[static_cast<std::size_t>(Slot)]; }
    TLabel* SlotLabel(int Slot) const { return FEquipLabels[static_cast<std::size_t>(Slot)]; }
    QAction* ShadowAction() const { return miShadow; }
    QAction* SaveImageAction() const { return miSaveImage; }
    QMenu* FileMenu() const { return miFile; }
    QMenu* FavoritesMenu() const { return miFavorites; }
    QMenu* SaveFavoriteMenu() const { return miSaveFavorite; }
    QMenu* LoadFavoriteMenu() const { return miLoadFavorite; }
    QPushButton* SetCodeButton() const { return btnSetCode; }
    TPopupPanel* EquipPopup() const { return ppEquipList; }
    TEquipListBox* EquipListBox() const { return lbEquipList; }
    QLabel* ItemNameLabel() const { return lblItemName; }
    QFileDialog* SaveDialog() const { return sd; }
    QColorDialog* ColorDialog() const { return cd; }
    int ListIndex(int Slot) const { return FListIndex[static_cast<std::size_t>(Slot)]; }
    const TPeltoSettings& Settings() const { return FSettings; }

    /// The name prompt: true, and Value replaced, when the user confirms.
    static bool PromptText(const QString& Caption, const QString& Prompt, QString& Value);
    /// Replaced by tests, which cannot answer modal dialogs.
    std::function<bool(const QString& Caption, const QString& Prompt, QString& Value)>
        OnPromptText = &TfrmPelto::PromptText;

    /// Lets the compositor redraw the canvas if anything changed, then repaints the view.
    void UpdateView();
    void UpdateColorBar(int Channel);
    void UpdateColorBars();
    void UpdateSlot(int Slot);
    void UpdateStatus();

private:
    // Start-up and shutdown.
    void FormCreate();
    void SaveWindowSettings();
    void CreateControls();
    void CreateMenus();
    bool SettleGameFolder();
    void LoadSkin();
    std::optional<QImage> LoadSkinPicture(const std::string& Name) const;
    void SetStripPictures(TSimpleButton& Button, const QImage& Strip);

    // The view, the character choice and the animation.
    void pbDrawMouseDown(Qt::MouseButton Button, QPoint Position);
    void cbCharaChange(int Index);
    void timeAnimationTimer();
    void sbStartStopClick();
    void StepFrame(bool Next);

    // Colour editing.
    void BuildColorIcon(int Position, const QImage& Skin);
    void PosButtonClick(int Position);
    void ColorBarClick(int Channel, int X);
    void ColorButtonClick(int Tag);
    void sbDefaultClick();

    // Slots and the picker.
    bool LoadItemIcon(const TWLOItemData* Item, QImage& Icon) const;
    void DoCharaChange();
    void CreatePicker();
    void EquipButtonClick(int Slot, QWidget* Sender);
    void StripButtonClick(int Slot);
    void lbEquipListMouseMove(QPoint Point);
    void lbEquipListClick();
    void lbEquipListDrawItem(QPainter& Painter, int Index, QRect Rect);
    void ShowItemName();

    // Image export, clipboard, background and shadow.
    void CreateDialogs();
    void miSaveImageClick();
    void sdTypeChange();
    void miCopyImageClick();
    void miBGColorClick();

    // Favourites, code entry and the other commands.
    void BuildFavoriteMenus();
    void UpdateFavoriteEntries(int Place);
    void MenuClick();
    void SaveFavoriteClick(int Place);
    void LoadFavoriteClick(int Place);
    void btnSetCodeClick();
    void miVisitHomepageClick();
    void miAboutClick();
    void RefreshAfterRestore();
    /// Runs Change on the compositor, then refreshes the window, also when Change fails: an
    /// unreadable sprite leaves the state reached so far, and the window must show that state
    /// rather than the one before. The error still goes on to the error display.
    void ChangeThenRefresh(const std::function<void()>& Change);

    TStartupOptions FOptions;
    TPeltoSettings FSettings;
    bool FStartupFailed = false;
    bool FSettingsRead = false;

    std::unique_ptr<TGameData> FGame;
    TBitmap FCanvas{128, 128, TPixelFormat::pf24bit};
    std::unique_ptr<TDrawChara> FDrawChara;
    QImage FItemBack;
    QImage FGraph;
    std::array<QImage, 4> FColorIcons;
    QImage FPlayBitmap;
    QImage FStopBitmap;
    bool FPlaying = false;
    int FColorPos = 0;
    std::array<int, 7> FListIndex{}; // slots 1..6
    int FCurrentSlot = 0;
    const std::vector<TEquipEntry>* FCurrentList = nullptr;

    // Controls, owned by the window through Qt's parent ownership.
    QFrame* pnDraw = nullptr;
    TPaintBox* pbDraw = nullptr;
    QComboBox* cbChara = nullptr;
    TSimpleButton* sbPrev = nullptr;
    TSimpleButton* sbStartStop = nullptr;
    TSimpleButton* sbNext = nullptr;
    TMemo* txtEquip = nullptr;
    std::array<TImage*, 4> FColorImages{};
    std::array<TImage*, 3> FColorBars{};
    std::array<TSimpleButton*, 3> FLeftButtons{};
    std::array<TSimpleButton*, 3> FRightButtons{};
    TSimpleButton* sbDefault = nullptr;
    std::array<TImage*, 7> FEquipImages{};
    std::array<TLabel*, 7> FEquipLabels{};
    QLineEdit* edCode = nullptr;
    QPushButton* btnSetCode = nullptr;
    QTimer* timeAnimation = nullptr;
    TPopupPanel* ppEquipList = nullptr;
    QLabel* lblItemName = nullptr;
    TSimpleButton* sbClosePopup = nullptr;
    TEquipListBox* lbEquipList = nullptr;
    QFileDialog* sd = nullptr;
    QColorDialog* cd = nullptr;
    QMenu* miFile = nullptr;
    QMenu* miFavorites = nullptr;
    QMenu* miSaveFavorite = nullptr;
    QMenu* miLoadFavorite = nullptr;
    QAction* miSaveImage = nullptr;
    QAction* miShadow = nullptr;
};

} // namespace pelto
