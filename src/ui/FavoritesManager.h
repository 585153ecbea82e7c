#pragma once

#include "model/Favorites.h"

#include <QDialog>

#include <functional>

class QListWidget;
class QPushButton;

namespace pelto {

class TGameData;

/// The ten places of the favourites, each with a picture of its character, the character's
/// name and its own; it renames, deletes and reorders them. Each change is handed to the window
/// to save at once, and is shown only once it was saved.
class TFavoritesManager : public QDialog {
    Q_OBJECT
public:
    struct THooks {
        /// The game the pictures are drawn from; nullptr for none.
        std::function<const TGameData*()> Game;
        std::function<const TPeltoSettings&()> Settings;
        /// Saves New and keeps it; false, the failure shown, when it could not be saved.
        std::function<bool(const TPeltoSettings& New)> Commit;
        /// The name prompt, as TfrmPelto::OnPromptText.
        std::function<bool(const QString& Caption, const QString& Prompt, QString& Value)>
            PromptText;
    };

    explicit TFavoritesManager(THooks Hooks, QWidget* Parent = nullptr);

    /// Shows the places as the settings hold them now, with pictures drawn anew from the game.
    void Reload();
    /// The place selected, 1..FavoriteCount, or 0 for none.
    int SelectedPlace() const;
    void SelectPlace(int Place);

    /// Why a favourite cannot be loaded, in the window's language.
    static QString DamageText(const TFavoriteDamage& Damage);

private:
    void RenameClick();
    void DeleteClick();
    void MoveClick(int Delta);
    void UpdateButtons();
    /// The favourite's character, drawn small; a null image when there is none to draw.
    QImage Picture(const TFavoriteItem& Favorite) const;
    const TFavoriteItem* Selected() const;

    THooks FHooks;
    QListWidget* lbPlaces = nullptr;
    QPushButton* btnRename = nullptr;
    QPushButton* btnDelete = nullptr;
    QPushButton* btnMoveUp = nullptr;
    QPushButton* btnMoveDown = nullptr;
};

} // namespace pelto
