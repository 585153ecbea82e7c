#pragma once

#include "model/ItemSearch.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>
#include <QWidget>

#include <functional>
#include <vector>

class QComboBox;
class QLineEdit;
class QTableView;

namespace pelto {

class TDressingSession;
class TTryOnHover;
struct TWLOItemData;

/// Every item the character can wear, a row each: icon and name, slot, bonuses, identifier.
/// Icons are asked for only for the rows a view shows.
class TWardrobeModel : public QAbstractTableModel {
    Q_OBJECT
public:
    enum TColumn { NameColumn, SlotColumn, BonusColumn, IdColumn, ColumnCount };
    /// The sort value of a row in a column (numbers sort as numbers).
    static constexpr int SortRole = Qt::UserRole;

    struct TRow {
        const TWLOItemData* Item;
        int Slot;
        int ListIndex; // its place in the slot's equipment list
    };

    using TIconSource = std::function<QImage(const TWLOItemData& Item)>;
    explicit TWardrobeModel(TIconSource IconOf, QObject* Parent = nullptr);

    /// The rows of Session's character (none without one).
    void Load(const TDressingSession* Session);
    const TRow& Row(int Index) const { return FRows[static_cast<std::size_t>(Index)]; }
    /// Tells the views that every row is to be drawn again (the icons changed size).
    void Refresh();
    /// The bonus type the bonus column sorts by; 0: by its text.
    void SetSortBonus(std::uint16_t Type) { FSortBonus = Type; }

    int rowCount(const QModelIndex& Parent = {}) const override;
    int columnCount(const QModelIndex& Parent = {}) const override;
    QVariant data(const QModelIndex& Index, int Role) const override;
    QVariant headerData(int Section, Qt::Orientation Orientation, int Role) const override;

private:
    TIconSource FIconOf;
    std::vector<TRow> FRows;
    std::uint16_t FSortBonus = 0;
};

/// The rows a search, a slot and a bonus type leave.
class TWardrobeFilter : public QSortFilterProxyModel {
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void SetSearch(const TItemSearch* Search, TItemQuery Query);
    void SetSlot(int Slot);                // 0: every slot
    void SetBonusType(std::uint16_t Type); // 0: any item

protected:
    bool filterAcceptsRow(int Row, const QModelIndex& Parent) const override;

private:
    const TItemSearch* FSearch = nullptr;
    TItemQuery FQuery;
    int FSlot = 0;
    std::uint16_t FBonusType = 0;
};

/// A window that finds items by text, slot and bonus and puts them on as the picker does: the
/// row under the pointer or the current row is tried on, until the pointer leaves the rows,
/// Esc or the window closes; Enter or a double click wears it.
class TWardrobe : public QWidget {
    Q_OBJECT
public:
    /// SessionOf gives the session shown now (it changes with the game folder).
    TWardrobe(std::function<TDressingSession*()> SessionOf, TWardrobeModel::TIconSource IconOf,
              QWidget* Parent);
    /// Lists the items of the character now shown.
    void Reload();
    /// Puts on the item of the current row.
    void WearCurrent();
    /// Shows the window, its icons and rows Factor times as large as at the classic size.
    void SetZoom(int Factor);

protected:
    void hideEvent(QHideEvent* Event) override;
    bool eventFilter(QObject* Watched, QEvent* Event) override;

private:
    void Filter();
    /// Tries on the item of a row of the view, or ends the try-on for no row.
    void TryRow(const QModelIndex& Index);

    std::function<TDressingSession*()> FSessionOf;
    int FGroup = -2; // the body group listed, -2 before any
    int FZoom = 1;
    TWardrobeModel* FModel = nullptr;
    TWardrobeFilter* FFilter = nullptr;
    QLineEdit* edSearch = nullptr;
    QComboBox* cbSlot = nullptr;
    QComboBox* cbBonus = nullptr;
    QTableView* tvItems = nullptr;
    TTryOnHover* FTryOn = nullptr;

public:
    /// Lists the items again only when the character changed its body group.
    void Follow();
};

} // namespace pelto
