#pragma once

#include "model/GameFolder.h"
#include "model/Settings.h"

#include <QImage>
#include <QMainWindow>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QAction;
class QColorDialog;
class QComboBox;
class QDragEnterEvent;
class QDropEvent;
class QLineEdit;
class QMenu;
class QMoveEvent;
class QPushButton;
class QTimer;

namespace pelto {

class TColorPanel;
class TDressingSession;
class TEditMenu;
class TFavoritesMenu;
class TSaveImageDialog;
class TSlotsPanel;
class TViewKeys;
class TViewPanel;
class TWardrobe;
class TWindowZoom;
class TGameData;
class TMemo;
enum class TSessionChange;

/// The character view's 3 x 3 cells, as the keypad lays them out: the direction each one
/// turns the character to (0 faces the top of the view, counter-clockwise, 4 the viewer), and
/// ViewCentreCell in the centre, for the motions.
inline constexpr int ViewCentreCell = 8;
inline constexpr int ViewDirectionGrid[3][3] = {{1, 0, 7}, {2, ViewCentreCell, 6}, {3, 4, 5}};

/// Where the pop-up picker of a slot opens: right below the slot whenever it fits on the
/// screen, else moved the least it takes to lie wholly on it.
QPoint PickerPlace(QRect Slot, QSize Picker, QRect Screen);

/// Where the window keeps its settings and how it asks for the game folder; tests replace both.
struct TStartupOptions {
    std::string SettingsFile;
    /// Shows the folder chooser with Directory preselected; false when cancelled.
    TFolderPrompt FolderPrompt;
    /// The game folder of this run (pelto --game), taken instead of the one found. The settings
    /// file keeps its own unless the game folder is changed in the window.
    std::optional<std::string> GameFolder;
};

/// The main window: the character view and its animation (TViewPanel) and keys (TViewKeys), the
/// colour editor (TColorPanel), the equipment slots (TSlotsPanel), the character choice, the
/// status and code boxes, the menus (with TEditMenu and TFavoritesMenu) and the zoom
/// (TWindowZoom). It shows a dressing session and turns the user's commands into calls of it;
/// every control carries the object name it is known by ("cbChara", "imgEquip1", "edCode", ...).
class TfrmPelto : public QMainWindow {
    Q_OBJECT
public:
    explicit TfrmPelto(TStartupOptions Options, QWidget* Parent = nullptr);
    ~TfrmPelto() override;

    /// Start-up did not finish: the folder prompt was cancelled, or the item table could not be
    /// read. The program ends without showing the window.
    bool StartupFailed() const { return FStartupFailed; }
    /// Start-up failed because the user chose no game folder.
    bool NoGameFolderChosen() const { return FNoGameFolderChosen; }

    /// The character shown; only after a start-up that did not fail.
    TDressingSession& Session() { return *FSession; }
    const TPeltoSettings& Settings() const { return FSettings; }
    /// The colour position the bars edit.
    int ColorPos() const;
    /// How many screen pixels show one pixel of the classic window: 1..4.
    int Zoom() const;
    void SetZoom(int Factor);
    bool Playing() const;

    /// The folder chooser of the game folder, with a line saying what the folder tried last
    /// lacks (see TFolderPrompt).
    static bool PromptGameFolder(std::string& Directory, const std::string& Problem);

    /// The export dialog: true, with Choices and FileName (offered as they come) replaced,
    /// when the user confirms. Replaced by tests, as the name prompt is.
    std::function<bool(TPeltoSettings::TExportChoices& Choices, QString& FileName)> OnPromptExport =
        [this](TPeltoSettings::TExportChoices& Choices, QString& FileName) {
            return PromptExport(Choices, FileName);
        };
    bool PromptExport(TPeltoSettings::TExportChoices& Choices, QString& FileName);
    /// Asked before an export wider or taller than common viewers open; true goes on.
    std::function<bool(int Width, int Height)> OnConfirmLargePicture = [this](int Width,
                                                                              int Height) {
        return ConfirmLargePicture(Width, Height);
    };
    bool ConfirmLargePicture(int Width, int Height);

    /// The name prompt: true, and Value replaced, when the user confirms.
    static bool PromptText(const QString& Caption, const QString& Prompt, QString& Value);
    /// Replaced by tests, which cannot answer modal dialogs.
    std::function<bool(const QString& Caption, const QString& Prompt, QString& Value)>
        OnPromptText = &TfrmPelto::PromptText;

    /// The settings file could not be written: Error is shown with the offer to keep the
    /// settings in another file. True, with FileName (offered as the current one) replaced,
    /// when the user chose one. Replaced by tests.
    std::function<bool(const QString& Error, QString& FileName)> OnPromptSettingsFile =
        [this](const QString& Error, QString& FileName) {
            return PromptSettingsFile(Error, FileName);
        };
    bool PromptSettingsFile(const QString& Error, QString& FileName);
    /// Restores the character whose code the picture FileName carries (pelto FILE, a dropped
    /// picture, Open Picture Code...); says so when it carries none.
    void OpenPictureCode(const QString& FileName);
    /// The file chooser of Open Picture Code...: true, and FileName set, when one is chosen.
    bool PromptPictureFile(QString& FileName);
    /// Replaced by tests, as the other prompts are.
    std::function<bool(QString& FileName)> OnPromptPictureFile = [this](QString& FileName) {
        return PromptPictureFile(FileName);
    };

protected:
    // A code dropped as text, or a picture file carrying one (UMainDrop.cpp).
    void dragEnterEvent(QDragEnterEvent* Event) override;
    void dropEvent(QDropEvent* Event) override;
    void moveEvent(QMoveEvent* Event) override;

private:
    // Start-up and shutdown.
    void FormCreate();
    void CreateControls();
    bool SettleGameFolder();
    /// The game of Folder, loaded in the start-up's order: damaged archives and icons are
    /// reported and passed over; nullptr, said as "File read error", without an item table.
    std::unique_ptr<TGameData> LoadGame(const std::string& Folder);
    /// Shows Session, over Game, in place of what the window showed.
    void ShowGame(std::unique_ptr<TGameData> Game, std::unique_ptr<TDressingSession> Session);
    void miChangeGameFolderClick();
    /// Shows the character of the last end again, when the settings keep one.
    void ReopenLastCharacter();
    void miReopenLastClick(bool Checked);
    /// Who wants the settings written: the user, at once (a failure is always said); a change
    /// a moment ago (only when they differ from the file's); the shutdown. Neither of the last
    /// two says again a failure the user has heard of.
    enum class TSettingsWrite { Asked, Changed, Quitting };
    /// Writes the settings file now, with the window's state.
    void WriteSettings(TSettingsWrite How = TSettingsWrite::Asked);
    /// Writes New, with the window's state, to the settings file, or to another the user then
    /// chooses, and keeps it as the window's settings. False when it was not written: the
    /// settings stay as they were.
    bool CommitSettings(const TPeltoSettings& New, TSettingsWrite How = TSettingsWrite::Asked);
    /// What the settings file gets for Settings: the window's place, the character, its pose,
    /// shadow and locks, and the game folder the file keeps.
    TPeltoSettings SettingsToWrite(TPeltoSettings Settings) const;
    /// The settings changed: they are written a moment later, once for a burst of changes, so
    /// that a crash loses at most the last change.
    void SettingsChanged();
    void LoadSkin();
    std::optional<QImage> LoadSkinPicture(const std::string& Name) const;

    // The zoom, which TWindowZoom carries out (UMainZoom.cpp).
    void CreateZoom();
    void miZoomInClick();
    void miZoomOutClick();
    void miActualSizeClick();

    // The menu bar (UMainMenus.cpp): one table of its entries, whose actions FMenuActions holds
    // row by row.
    enum class TMenu;
    struct TMenuCommand;
    static const TMenuCommand MenuCommands[];
    void CreateMenus();
    /// What Which holds beside the table's entries, added when the table opens it.
    void FillMenu(TMenu Which, QMenu& Menu);
    void CreateFavoritesMenu(QMenu& Save, QMenu& Load);
    /// The action of the table's entry called Name.
    QAction& MenuAction(std::string_view Name) const;
    /// The entries that need a character are enabled while one is chosen.
    void EnableCommands();
    void miExitClick();

    // The status line, the tooltips and the code's keys.
    void CreateStatusLine();
    void SetToolTips();
    void CopyCode();
    void miFindItemClick();
    /// The colour position the bars edit, drawn at the levels of one or two channels.
    void miSwatchesClick();
    void PasteCode();
    void ShowHowToUse();
    void miOpenPictureCodeClick();
    /// A code as pasted into the box and Set.
    void ApplyCodeText(const QString& Text);

    // Redrawing from the session.
    void SessionChanged(TSessionChange What);
    void UpdateView();
    void UpdateStatus();
    void ShowLook();
    /// The lock marks of the slots and colour positions, as the session locks them.
    void ShowLocks();

    // The character choice.
    void cbCharaChange(int Index);
    void ReportMissingSprites(int CharaBefore);

    // Image export, clipboard, background and shadow.
    void CreateDialogs();
    void miSaveImageClick();
    void miCopyImageClick();
    void miBGColorClick();
    void miShadowClick(bool Checked);
    void miExportClick();
    /// Asks before FileName is replaced; true when it may be written.
    bool ConfirmReplace(const QString& Caption, const std::string& FileName);
    /// Says on the status line what was written, or that nothing was.
    void ReportSaved(const std::vector<std::string>& Files, int Width, int Height, int Frames = 1);
    void ReportNothingSaved();

    // Code entry and the other commands.
    void miManageFavoritesClick();
    void btnSetCodeClick();
    void miVisitHomepageClick();
    void miAboutClick();

    TStartupOptions FOptions;
    TPeltoSettings FSettings;
    /// The settings file's game folder while the run uses the one of TStartupOptions::GameFolder.
    std::optional<std::string> FKeptWloPath;
    bool FStartupFailed = false;
    bool FNoGameFolderChosen = false;
    bool FSettingsRead = false;
    QString FReportedSettingsError;                 // the last failure to write the settings shown
    std::optional<TPeltoSettings> FSettingsWritten; // as the file holds them, to skip no-changes
    QTimer* FSettingsDue = nullptr;

    std::unique_ptr<TGameData> FGame;
    std::unique_ptr<TDressingSession> FSession; // refers to FGame: declared after it

    // The parts of the window, and its controls, owned through Qt's parent ownership.
    TViewPanel* FView = nullptr;
    TColorPanel* FColors = nullptr;
    TSlotsPanel* FSlots = nullptr;
    TEditMenu* FEdit = nullptr;
    TViewKeys* FKeys = nullptr;
    TWindowZoom* FZoom = nullptr;
    QComboBox* cbChara = nullptr;
    TMemo* txtEquip = nullptr;
    QLineEdit* edCode = nullptr;
    QPushButton* btnSetCode = nullptr;
    TSaveImageDialog* sd = nullptr;
    QColorDialog* cd = nullptr;
    std::vector<QAction*> FMenuActions;
    TFavoritesMenu* FFavorites = nullptr;
    TWardrobe* frmWardrobe = nullptr; // made when first asked for
};

} // namespace pelto
