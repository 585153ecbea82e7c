#include "ui/FavoritesMenu.h"

#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/Favorites.h"
#include "ui/PeltoApplication.h"

#include <QAction>
#include <QMenu>
#include <QMessageBox>

namespace pelto {

TFavoritesMenu::TFavoritesMenu(QMenu& Save, QMenu& Load, THooks Hooks, QWidget& Window)
    : QObject(&Window), FHooks(std::move(Hooks)), FWindow(Window), miSaveFavorite(Save),
      miLoadFavorite(Load) {
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        Save.addAction("---", this, Command([this, Place] { SaveClick(Place); }));
        Load.addAction("---", this, Command([this, Place] { LoadClick(Place); }));
    }
}

void TFavoritesMenu::Update() {
    for (int Place = 1; Place <= FavoriteCount; ++Place)
        UpdateEntries(Place);
    if (frmFavorites)
        frmFavorites->Reload();
}

void TFavoritesMenu::UpdateEntries(int Place) {
    const TFavoriteItem& Favorite =
        FHooks.Window.Settings().Favorites[static_cast<std::size_t>(Place - 1)];
    // "&" in a name is shown as it is, not taken for a menu accelerator.
    const QString Caption =
        Favorite.Used ? QString::fromStdString(Favorite.Name).replace("&", "&&") : "---";
    QAction* Save = miSaveFavorite.actions()[Place - 1];
    QAction* Load = miLoadFavorite.actions()[Place - 1];
    Save->setText(Caption);
    Save->setEnabled(true);
    const auto Damage = FavoriteDamage(Favorite);
    const QString Why = Damage ? TFavoritesManager::DamageText(*Damage) : QString();
    Load->setText(Damage ? tr("%1 (%2)").arg(Caption, Why) : Caption);
    Load->setToolTip(Why);
    Load->setEnabled(Favorite.Used && !Damage);
}

void TFavoritesMenu::Manage() {
    if (!frmFavorites) {
        TFavoritesManager::THooks Hooks = FHooks.Window;
        Hooks.Commit = [this](const TPeltoSettings& New) {
            if (!FHooks.Window.Commit(New))
                return false;
            Update();
            return true;
        };
        frmFavorites = new TFavoritesManager(std::move(Hooks), &FWindow);
    }
    frmFavorites->Reload();
    frmFavorites->show();
    // Once shown, when its layout has given it its final size.
    CentreOver(*frmFavorites, &FWindow);
    frmFavorites->raise();
    frmFavorites->activateWindow();
}

void TFavoritesMenu::SaveClick(int Place) {
    TDressingSession& Session = *FHooks.SessionOf();
    const int Chara = Session.CharaIndex();
    if (Chara == -1)
        return;
    const TPeltoSettings& Settings = FHooks.Window.Settings();
    const TFavoriteItem& Old = Settings.Favorites[static_cast<std::size_t>(Place - 1)];
    const std::string_view CharaName = CharaData[static_cast<std::size_t>(Chara)].Name;
    QString Name = QString::fromUtf8(CharaName.data(), static_cast<qsizetype>(CharaName.size()));
    const QString NothingSaved = tr("Nothing saved: favorite %1 is as it was").arg(Place);
    if (Old.Used) {
        // A favourite is never replaced unasked; kept, its name is offered again.
        Name = QString::fromStdString(Old.Name);
        if (QMessageBox::question(&FWindow, tr("Save"),
                                  tr("Replace the favorite \"%1\"?").arg(Name)) !=
            QMessageBox::Yes) {
            FHooks.Say(NothingSaved);
            return;
        }
    }
    if (!FHooks.Window.PromptText(tr("Save"), tr("Input name: "), Name)) {
        FHooks.Say(NothingSaved);
        return;
    }
    if (Name.isEmpty())
        Name = QString::fromStdString(DefaultFavoriteName(Place));
    // Written at once: a favourite must outlive a crash or a logout. Shown only once written.
    if (!FHooks.Window.Commit(
            WithFavorite(Settings, Place, Session.ToFavorite(Name.toStdString())))) {
        FHooks.Say(NothingSaved);
        return;
    }
    Update();
    FHooks.Say(tr("Saved favorite %1, %2").arg(QString::number(Place), Name));
}

void TFavoritesMenu::LoadClick(int Place) {
    const TFavoriteItem& Favorite =
        FHooks.Window.Settings().Favorites[static_cast<std::size_t>(Place - 1)];
    if (!Favorite.Used || FavoriteDamage(Favorite))
        return; // its menu entry, disabled, says why
    TDressingSession& Session = *FHooks.SessionOf();
    const int Before = Session.CharaIndex();
    Session.ApplyFavorite(Favorite);
    FHooks.Loaded(Before);
}

} // namespace pelto
