#pragma once

#include "ui/FavoritesManager.h"

#include <QObject>

#include <functional>

class QMenu;
class QWidget;

namespace pelto {

class TDressingSession;

/// The places of Favorites > Save and Favorites > Load, each entry showing its favourite's
/// name, and the manager window. A favourite saved is written at once and shown only once
/// written; one that cannot be loaded says why on its entry.
class TFavoritesMenu : public QObject {
    Q_OBJECT
public:
    struct THooks {
        /// What the manager asks of the window, the menu too.
        TFavoritesManager::THooks Window;
        /// The session shown, or nullptr while there is none.
        std::function<TDressingSession*()> SessionOf;
        /// Says on the status line what a command did.
        std::function<void(const QString& Text)> Say;
        /// A favourite was put on the character CharaBefore was: the window says what it lacks.
        std::function<void(int CharaBefore)> Loaded;
    };

    /// Adds a place each to Save and Load; Window owns the questions and the manager.
    TFavoritesMenu(QMenu& Save, QMenu& Load, THooks Hooks, QWidget& Window);

    /// The entries, and the manager when it was opened, show the favourites as they are now.
    void Update();
    /// Shows the manager window, made when first asked for.
    void Manage();

private:
    void UpdateEntries(int Place);
    void SaveClick(int Place);
    void LoadClick(int Place);

    THooks FHooks;
    QWidget& FWindow;
    QMenu& miSaveFavorite;
    QMenu& miLoadFavorite;
    TFavoritesManager* frmFavorites = nullptr; // owned by the window through Qt's parent ownership
};

} // namespace pelto
