#include "ui/FavoritesManager.h"

#include "controls/QtBitmaps.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "sprites/wlojmajmp.h"
#include "ui/PeltoApplication.h"

#include <QHBoxLayout>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace pelto {
namespace {

constexpr int PictureSize = 64; // half the canvas: the character whole, still recognisable

QString CharaName(int Chara) {
    const std::string_view Name = CharaData[static_cast<std::size_t>(Chara)].Name;
    return QString::fromUtf8(Name.data(), static_cast<qsizetype>(Name.size()));
}

} // namespace

TFavoritesManager::TFavoritesManager(THooks Hooks, QWidget* Parent)
    : QDialog(Parent), FHooks(std::move(Hooks)) {
    setObjectName("frmFavorites");
    setWindowTitle(tr("Manage Favorites"));
    // The window's font, and with it its zoom.
    setAttribute(Qt::WA_WindowPropagation);

    lbPlaces = new QListWidget(this);
    lbPlaces->setObjectName("lbPlaces");
    lbPlaces->setIconSize(QSize(PictureSize, PictureSize));
    lbPlaces->setSelectionMode(QAbstractItemView::SingleSelection);
    connect(lbPlaces, &QListWidget::currentRowChanged, this, [this] { UpdateButtons(); });

    const auto Button = [this](const QString& Text, const char* Name) {
        auto* Result = new QPushButton(Text, this);
        Result->setObjectName(Name);
        Result->setAutoDefault(false);
        return Result;
    };
    btnRename = Button(tr("&Rename..."), "btnRename");
    btnDelete = Button(tr("&Delete"), "btnDelete");
    btnMoveUp = Button(tr("Move &Up"), "btnMoveUp");
    btnMoveDown = Button(tr("Move Do&wn"), "btnMoveDown");
    QPushButton* btnClose = Button(tr("&Close"), "btnClose");
    connect(btnRename, &QPushButton::clicked, this, Command(this, &TFavoritesManager::RenameClick));
    connect(btnDelete, &QPushButton::clicked, this, Command(this, &TFavoritesManager::DeleteClick));
    connect(btnMoveUp, &QPushButton::clicked, this, Command([this] { MoveClick(-1); }));
    connect(btnMoveDown, &QPushButton::clicked, this, Command([this] { MoveClick(1); }));
    connect(btnClose, &QPushButton::clicked, this, &QDialog::close);

    auto* Buttons = new QVBoxLayout;
    for (QPushButton* Each : {btnRename, btnDelete, btnMoveUp, btnMoveDown})
        Buttons->addWidget(Each);
    Buttons->addStretch();
    Buttons->addWidget(btnClose);
    auto* Layout = new QHBoxLayout(this);
    Layout->addWidget(lbPlaces, 1);
    Layout->addLayout(Buttons);

    for (int Place = 1; Place <= FavoriteCount; ++Place)
        lbPlaces->addItem(QString());
    lbPlaces->setCurrentRow(0);
}

QString TFavoritesManager::DamageText(const TFavoriteDamage& Damage) {
    switch (Damage.Kind) {
    case TFavoriteDamage::TKind::NoCharacter:
        return tr("damaged: it names no character");
    case TFavoriteDamage::TKind::UnknownCharacter:
        return tr("damaged: character %1 does not exist").arg(Damage.Chara);
    }
    return {};
}

QImage TFavoritesManager::Picture(const TFavoriteItem& Favorite) const {
    const TGameData* Game = FHooks.Game ? FHooks.Game() : nullptr;
    if (!Game || !Favorite.Used || FavoriteDamage(Favorite))
        return {};
    try {
        // A session of its own each time: the user's character stays as it is, and no level
        // of the favourite before shows through one this favourite lacks.
        TDressingSession Preview(*Game);
        Preview.ApplyFavorite(Favorite);
        return ToQImage(Preview.Canvas())
            .scaled(PictureSize, PictureSize, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    } catch (const std::exception&) {
        // A favourite whose sprites cannot be read is listed without its picture; loading it
        // says what is wrong.
        return {};
    }
}

void TFavoritesManager::Reload() {
    // Room for a name of some 30 letters and five places, in the font of the window's zoom.
    const QFontMetrics Metrics = lbPlaces->fontMetrics();
    lbPlaces->setMinimumSize(std::max(320, PictureSize + 24 + 30 * Metrics.averageCharWidth()),
                             std::max(360, 5 * std::max(PictureSize, 2 * Metrics.height()) + 8));
    adjustSize();
    const TPeltoSettings& Settings = FHooks.Settings();
    for (int Place = 1; Place <= FavoriteCount; ++Place) {
        const TFavoriteItem& Favorite = Settings.Favorites[static_cast<std::size_t>(Place - 1)];
        QListWidgetItem* Item = lbPlaces->item(Place - 1);
        const auto Damage = FavoriteDamage(Favorite);
        const QString Tip = Damage ? DamageText(*Damage) : QString();
        // The favourite's name, and below it its character or why it has none.
        const QString Text =
            Favorite.Used ? QString("%1. %2\n%3")
                                .arg(QString::number(Place), QString::fromStdString(Favorite.Name),
                                     Damage ? Tip : CharaName(Favorite.Chara))
                          : tr("%1. (empty)").arg(Place);
        Item->setText(Text);
        Item->setToolTip(Tip);
        const QImage Image = Picture(Favorite);
        QPixmap Shown(PictureSize, PictureSize);
        if (Image.isNull())
            Shown.fill(Qt::transparent); // the same room as a picture, so that the names line up
        else
            Shown = QPixmap::fromImage(Image);
        // The style would tint a selected row's picture: a character keeps its colours, and the
        // selection shows around it.
        QIcon Icon(Shown);
        Icon.addPixmap(Shown, QIcon::Selected);
        Item->setIcon(Icon);
    }
    UpdateButtons();
}

int TFavoritesManager::SelectedPlace() const {
    const int Row = lbPlaces->currentRow();
    return Row < 0 ? 0 : Row + 1;
}

void TFavoritesManager::SelectPlace(int Place) {
    lbPlaces->setCurrentRow(Place - 1);
}

const TFavoriteItem* TFavoritesManager::Selected() const {
    const int Place = SelectedPlace();
    if (Place == 0)
        return nullptr;
    const TFavoriteItem& Favorite =
        FHooks.Settings().Favorites[static_cast<std::size_t>(Place - 1)];
    return Favorite.Used ? &Favorite : nullptr;
}

void TFavoritesManager::UpdateButtons() {
    const int Place = SelectedPlace();
    const bool Used = Selected() != nullptr;
    btnRename->setEnabled(Used);
    btnDelete->setEnabled(Used);
    btnMoveUp->setEnabled(Used && Place > 1);
    btnMoveDown->setEnabled(Used && Place < FavoriteCount);
}

void TFavoritesManager::RenameClick() {
    const TFavoriteItem* Favorite = Selected();
    if (!Favorite)
        return;
    const int Place = SelectedPlace();
    QString Name = QString::fromStdString(Favorite->Name);
    if (!FHooks.PromptText(tr("Rename"), tr("Input name: "), Name))
        return;
    if (FHooks.Commit(WithFavoriteRenamed(FHooks.Settings(), Place, Name.toStdString())))
        Reload();
}

void TFavoritesManager::DeleteClick() {
    const TFavoriteItem* Favorite = Selected();
    if (!Favorite)
        return;
    const int Place = SelectedPlace();
    if (QMessageBox::question(
            this, tr("Delete"),
            tr("Delete the favorite \"%1\"?").arg(QString::fromStdString(Favorite->Name))) !=
        QMessageBox::Yes)
        return;
    if (FHooks.Commit(WithoutFavorite(FHooks.Settings(), Place)))
        Reload();
}

void TFavoritesManager::MoveClick(int Delta) {
    const int Place = SelectedPlace();
    const int Other = Place + Delta;
    if (!Selected() || Other < 1 || Other > FavoriteCount)
        return;
    if (!FHooks.Commit(WithFavoritesSwapped(FHooks.Settings(), Place, Other)))
        return;
    Reload();
    SelectPlace(Other); // the favourite moved stays selected, for another move
}

} // namespace pelto
