// The menu bar, built from one table of the window's commands, and the enabling of those that
// need a character.
#include "ui/UMain.h"

#include "model/DressingSession.h"
#include "model/GameData.h"
#include "ui/EditMenu.h"
#include "ui/FavoritesMenu.h"
#include "ui/PeltoApplication.h"
#include "ui/WindowZoom.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QStatusBar>

#include <iterator>
#include <stdexcept>
#include <variant>

namespace pelto {

enum class TfrmPelto::TMenu {
    Bar,
    File,
    Edit,
    View,
    Zoom,
    Favorites,
    SaveFavorite,
    LoadFavorite,
    Options,
    Help,
    None
};

/// One row of the menu bar: an entry of a menu (a row without a caption is a separator), or a
/// menu, on the bar or in another menu, which Opens names.
struct TfrmPelto::TMenuCommand {
    using TRun = void (TfrmPelto::*)();
    /// A checkable entry's: told the state the user gave it.
    using TCheck = void (TfrmPelto::*)(bool Checked);

    TMenu Menu;                    // the menu it goes in
    const char* Caption = nullptr; // in the window's translation context
    const char* Name = "";         // the object name it is known by
    std::variant<std::monostate, QKeyCombination, QKeySequence::StandardKey> Key{};
    std::variant<std::monostate, TRun, TCheck> Handler{};
    bool NeedsChara = false; // disabled while no character is chosen
    TMenu Opens = TMenu::None;
};

// The desktop's order: File, Edit, View, Favorites, Options, Help. The classic entries keep
// their order within their menus.
constexpr TfrmPelto::TMenuCommand TfrmPelto::MenuCommands[] = {
    {.Menu = TMenu::Bar,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&File"),
     .Name = "miFile",
     .Opens = TMenu::File},
    {.Menu = TMenu::File,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Save Image As..."),
     .Name = "miSaveImage",
     .Key = Qt::CTRL | Qt::Key_S,
     .Handler = &TfrmPelto::miSaveImageClick,
     .NeedsChara = true},
    {.Menu = TMenu::File,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Export..."),
     .Name = "miExport",
     .Key = Qt::CTRL | Qt::Key_E,
     .Handler = &TfrmPelto::miExportClick,
     .NeedsChara = true},
    {.Menu = TMenu::File,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Copy Image to Clipboard"),
     .Name = "miCopyImage",
     .Key = Qt::CTRL | Qt::Key_C,
     .Handler = &TfrmPelto::miCopyImageClick,
     .NeedsChara = true},
    {.Menu = TMenu::File},
    {.Menu = TMenu::File,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Exit"),
     .Name = "miExit",
     .Key = Qt::CTRL | Qt::Key_Q,
     .Handler = &TfrmPelto::miExitClick},

    // Undo, redo, random outfits and locks come first, from TEditMenu.
    {.Menu = TMenu::Bar,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Edit"),
     .Name = "miEdit",
     .Opens = TMenu::Edit},
    {.Menu = TMenu::Edit},
    {.Menu = TMenu::Edit,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Find Item..."),
     .Name = "miFindItem",
     .Key = Qt::CTRL | Qt::Key_F,
     .Handler = &TfrmPelto::miFindItemClick},
    {.Menu = TMenu::Edit,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "Color S&watches..."),
     .Name = "miSwatches",
     .Handler = &TfrmPelto::miSwatchesClick,
     .NeedsChara = true},
    {.Menu = TMenu::Edit,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "Copy &Code"),
     .Name = "miCopyCode",
     .Key = Qt::CTRL | Qt::SHIFT | Qt::Key_C,
     .Handler = &TfrmPelto::CopyCode},
    {.Menu = TMenu::Edit,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Paste Code"),
     .Name = "miPasteCode",
     .Key = Qt::CTRL | Qt::Key_V,
     .Handler = &TfrmPelto::PasteCode},

    {.Menu = TMenu::Bar,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&View"),
     .Opens = TMenu::View},
    {.Menu = TMenu::View,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Background Color"),
     .Handler = &TfrmPelto::miBGColorClick},
    {.Menu = TMenu::View,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Shadow"),
     .Name = "miShadow",
     .Handler = &TfrmPelto::miShadowClick},
    {.Menu = TMenu::View},
    // The factors come first, from FillMenu.
    {.Menu = TMenu::View,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Zoom"),
     .Opens = TMenu::Zoom},
    {.Menu = TMenu::Zoom},
    {.Menu = TMenu::Zoom,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "Zoom &In"),
     .Key = QKeySequence::ZoomIn,
     .Handler = &TfrmPelto::miZoomInClick},
    {.Menu = TMenu::Zoom,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "Zoom &Out"),
     .Key = QKeySequence::ZoomOut,
     .Handler = &TfrmPelto::miZoomOutClick},
    {.Menu = TMenu::Zoom,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Actual Size"),
     .Key = Qt::CTRL | Qt::Key_0,
     .Handler = &TfrmPelto::miActualSizeClick},

    // The favourites' places come from TFavoritesMenu.
    {.Menu = TMenu::Bar,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "F&avorites"),
     .Name = "miFavorites",
     .Opens = TMenu::Favorites},
    {.Menu = TMenu::Favorites,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Save"),
     .Name = "miSaveFavorite",
     .NeedsChara = true,
     .Opens = TMenu::SaveFavorite},
    {.Menu = TMenu::Favorites,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Load"),
     .Name = "miLoadFavorite",
     .Opens = TMenu::LoadFavorite},
    {.Menu = TMenu::Favorites},
    {.Menu = TMenu::Favorites,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Manage..."),
     .Name = "miManageFavorites",
     .Handler = &TfrmPelto::miManageFavoritesClick},

    {.Menu = TMenu::Bar,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Options"),
     .Name = "miOptions",
     .Opens = TMenu::Options},
    {.Menu = TMenu::Options,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "Change &Game Folder..."),
     .Name = "miChangeGameFolder",
     .Handler = &TfrmPelto::miChangeGameFolderClick},
    {.Menu = TMenu::Options,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Reopen Last Character"),
     .Name = "miReopenLast",
     .Handler = &TfrmPelto::miReopenLastClick},
    {.Menu = TMenu::Options},
    {.Menu = TMenu::Options,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Open Picture Code..."),
     .Name = "miOpenPictureCode",
     .Handler = &TfrmPelto::miOpenPictureCodeClick},

    {.Menu = TMenu::Bar,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Help"),
     .Name = "miHelp",
     .Opens = TMenu::Help},
    {.Menu = TMenu::Help,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "How to &Use"),
     .Name = "miHowToUse",
     .Key = Qt::Key_F1,
     .Handler = &TfrmPelto::ShowHowToUse},
    {.Menu = TMenu::Help},
    {.Menu = TMenu::Help,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&Visit Homepage"),
     .Handler = &TfrmPelto::miVisitHomepageClick},
    {.Menu = TMenu::Help,
     .Caption = QT_TRANSLATE_NOOP("pelto::TfrmPelto", "&About..."),
     .Handler = &TfrmPelto::miAboutClick},
};

void TfrmPelto::CreateMenus() {
    std::array<QMenu*, static_cast<std::size_t>(TMenu::None)> Menus{};
    for (const TMenuCommand& Row : MenuCommands) {
        QMenu* Into = Menus[static_cast<std::size_t>(Row.Menu)];
        QAction* Action = nullptr;
        if (!Row.Caption) {
            Action = Into->addSeparator();
        } else if (Row.Opens != TMenu::None) {
            QMenu* Opened = Row.Menu == TMenu::Bar ? menuBar()->addMenu(tr(Row.Caption))
                                                   : Into->addMenu(tr(Row.Caption));
            Opened->setObjectName(Row.Name);
            Menus[static_cast<std::size_t>(Row.Opens)] = Opened;
            FillMenu(Row.Opens, *Opened);
            Action = Opened->menuAction();
        } else {
            Action = Into->addAction(tr(Row.Caption));
            Action->setObjectName(Row.Name);
            // A standard key is the desktop's first binding of it, as a menu entry shows one.
            std::visit(
                [Action](auto Key) {
                    if constexpr (!std::is_same_v<decltype(Key), std::monostate>)
                        Action->setShortcut(QKeySequence(Key));
                },
                Row.Key);
            Action->setCheckable(std::holds_alternative<TMenuCommand::TCheck>(Row.Handler));
            std::visit(
                [this, Action](auto Handler) {
                    if constexpr (!std::is_same_v<decltype(Handler), std::monostate>)
                        connect(Action, &QAction::triggered, this, Command(this, Handler));
                },
                Row.Handler);
        }
        FMenuActions.push_back(Action);
    }
    CreateFavoritesMenu(*Menus[static_cast<std::size_t>(TMenu::SaveFavorite)],
                        *Menus[static_cast<std::size_t>(TMenu::LoadFavorite)]);
    // The client area keeps its size under the menu bar; the frame cannot be resized.
    adjustSize();
    setFixedSize(sizeHint());
}

void TfrmPelto::FillMenu(TMenu Which, QMenu& Menu) {
    switch (Which) {
    case TMenu::File:
    case TMenu::Favorites:
        connect(&Menu, &QMenu::aboutToShow, this, Command(this, &TfrmPelto::EnableCommands));
        break;
    case TMenu::Edit:
        FEdit = new TEditMenu(
            Menu, {.SessionOf = [this] { return FSession.get(); },
                   .Say = [this](const QString& Text) { statusBar()->showMessage(Text); },
                   .LocksChanged =
                       [this] {
                           ShowLocks();
                       }});
        break;
    case TMenu::Zoom:
        Menu.setToolTipsVisible(true); // why a zoom is not offered
        FZoom->AddFactors(Menu);
        break;
    case TMenu::LoadFavorite:
        Menu.setToolTipsVisible(true); // a damaged favourite's says why
        break;
    default:
        break;
    }
}

void TfrmPelto::CreateFavoritesMenu(QMenu& Save, QMenu& Load) {
    TFavoritesMenu::THooks Hooks;
    Hooks.Window.Game = [this]() -> const TGameData* {
        return FGame.get();
    };
    Hooks.Window.Settings = [this]() -> const TPeltoSettings& {
        return FSettings;
    };
    Hooks.Window.Commit = [this](const TPeltoSettings& New) {
        return CommitSettings(New);
    };
    Hooks.Window.PromptText = [this](const QString& Caption, const QString& Prompt,
                                     QString& Value) {
        return OnPromptText(Caption, Prompt, Value);
    };
    Hooks.SessionOf = [this] {
        return FSession.get();
    };
    Hooks.Say = [this](const QString& Text) {
        statusBar()->showMessage(Text);
    };
    Hooks.Loaded = [this](int CharaBefore) {
        ReportMissingSprites(CharaBefore);
    };
    FFavorites = new TFavoritesMenu(Save, Load, std::move(Hooks), *this);
}

QAction& TfrmPelto::MenuAction(std::string_view Name) const {
    for (std::size_t Row = 0; Row < std::size(MenuCommands); ++Row)
        if (MenuCommands[Row].Caption && MenuCommands[Row].Name == Name)
            return *FMenuActions[Row];
    throw std::logic_error("no menu entry " + std::string(Name));
}

void TfrmPelto::EnableCommands() {
    const bool Chosen = FSession && FSession->CharaIndex() >= 0;
    for (std::size_t Row = 0; Row < std::size(MenuCommands); ++Row)
        if (MenuCommands[Row].NeedsChara)
            FMenuActions[Row]->setEnabled(Chosen);
}

} // namespace pelto
