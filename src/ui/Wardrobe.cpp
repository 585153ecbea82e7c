#include "ui/Wardrobe.h"

#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "platform/ShiftJis.h"
#include "ui/PeltoApplication.h"
#include "ui/TryOnHover.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QTableView>
#include <QVBoxLayout>

#include <array>

namespace pelto {
namespace {

constexpr std::array<const char*, SlotCount> SlotNames{
    QT_TRANSLATE_NOOP("pelto::TWardrobe", "head"),
    QT_TRANSLATE_NOOP("pelto::TWardrobe", "body"),
    QT_TRANSLATE_NOOP("pelto::TWardrobe", "hand"),
    QT_TRANSLATE_NOOP("pelto::TWardrobe", "arm"),
    QT_TRANSLATE_NOOP("pelto::TWardrobe", "shoes"),
    QT_TRANSLATE_NOOP("pelto::TWardrobe", "special")};

QString SlotName(int Slot) {
    return TWardrobe::tr(SlotNames[static_cast<std::size_t>(Slot - 1)]);
}

constexpr int IconSize = 32;
constexpr int RowHeight = 34;
constexpr QSize ClassicSize(560, 480);

QString Utf8(const std::string& Text) {
    return QString::fromStdString(Text);
}

// Enter in the table wears the current row, as a double-click does.
class TItemTable : public QTableView {
public:
    using QTableView::QTableView;
    std::function<void()> OnEnter;
    std::function<void()> OnEscape;

protected:
    void keyPressEvent(QKeyEvent* Event) override {
        if ((Event->key() == Qt::Key_Return || Event->key() == Qt::Key_Enter) && OnEnter) {
            OnEnter();
            return;
        }
        if (Event->key() == Qt::Key_Escape && OnEscape) {
            OnEscape();
            return;
        }
        QTableView::keyPressEvent(Event);
    }
};

} // namespace

TWardrobeModel::TWardrobeModel(TIconSource IconOf, QObject* Parent)
    : QAbstractTableModel(Parent), FIconOf(std::move(IconOf)) {}

void TWardrobeModel::Load(const TDressingSession* Session) {
    beginResetModel();
    FRows.clear();
    if (Session && Session->CharaIndex() >= 0)
        for (int Slot = 1; Slot <= SlotCount; ++Slot) {
            const auto& List = Session->List(Slot);
            for (std::size_t Index = 1; Index < List.size(); ++Index)
                FRows.push_back({List[Index].Item, Slot, static_cast<int>(Index)});
        }
    endResetModel();
}

void TWardrobeModel::Refresh() {
    if (!FRows.empty())
        emit dataChanged(index(0, 0), index(rowCount() - 1, ColumnCount - 1));
}

int TWardrobeModel::rowCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : static_cast<int>(FRows.size());
}

int TWardrobeModel::columnCount(const QModelIndex& Parent) const {
    return Parent.isValid() ? 0 : ColumnCount;
}

QVariant TWardrobeModel::data(const QModelIndex& Index, int Role) const {
    if (!Index.isValid() || Index.row() >= rowCount())
        return {};
    const TRow& R = Row(Index.row());
    const TWLOItemData& Item = *R.Item;
    switch (Index.column()) {
    case NameColumn:
        if (Role == Qt::DecorationRole && FIconOf)
            return FIconOf(Item);
        if (Role == Qt::DisplayRole || Role == SortRole)
            return Utf8(SjisToUtf8(Item.Name()));
        if (Role == Qt::ToolTipRole)
            return Utf8(SjisToUtf8(Item.Text()));
        break;
    case SlotColumn:
        if (Role == Qt::DisplayRole)
            return SlotName(R.Slot);
        if (Role == SortRole)
            return R.Slot;
        break;
    case BonusColumn:
        if (Role == Qt::DisplayRole)
            return Utf8(BonusText(Item));
        if (Role == SortRole)
            return FSortBonus ? QVariant(ItemBonus(Item, FSortBonus))
                              : QVariant(Utf8(BonusText(Item)));
        break;
    case IdColumn:
        if (Role == Qt::DisplayRole || Role == SortRole)
            return Item.ItemID();
        break;
    default:
        break;
    }
    return {};
}

QVariant TWardrobeModel::headerData(int Section, Qt::Orientation Orientation, int Role) const {
    if (Orientation != Qt::Horizontal || Role != Qt::DisplayRole)
        return {};
    const std::array<QString, ColumnCount> Titles{TWardrobe::tr("Item"), TWardrobe::tr("Slot"),
                                                  TWardrobe::tr("Bonuses"), TWardrobe::tr("ID")};
    return Section >= 0 && Section < ColumnCount
               ? QVariant(Titles[static_cast<std::size_t>(Section)])
               : QVariant();
}

void TWardrobeFilter::SetSearch(const TItemSearch* Search, TItemQuery Query) {
    FSearch = Search;
    FQuery = std::move(Query);
    invalidateRowsFilter();
}

void TWardrobeFilter::SetSlot(int Slot) {
    FSlot = Slot;
    invalidateRowsFilter();
}

void TWardrobeFilter::SetBonusType(std::uint16_t Type) {
    FBonusType = Type;
    invalidateRowsFilter();
}

bool TWardrobeFilter::filterAcceptsRow(int Row, const QModelIndex&) const {
    const auto* Model = static_cast<const TWardrobeModel*>(sourceModel());
    const TWardrobeModel::TRow& R = Model->Row(Row);
    if (FSlot != 0 && R.Slot != FSlot)
        return false;
    if (FBonusType != 0 && ItemBonus(*R.Item, FBonusType) == 0)
        return false;
    return FQuery.Empty() || !FSearch || FSearch->Matches(FQuery, *R.Item);
}

TWardrobe::TWardrobe(std::function<TDressingSession*()> SessionOf,
                     TWardrobeModel::TIconSource IconOf, QWidget* Parent)
    : QWidget(Parent, Qt::Window), FSessionOf(std::move(SessionOf)),
      FTryOn(new TTryOnHover(FSessionOf, this)) {
    setObjectName("frmWardrobe");
    setWindowTitle(tr("Find Item"));
    resize(ClassicSize);

    edSearch = new QLineEdit(this);
    edSearch->setObjectName("edSearch");
    edSearch->setPlaceholderText(tr("Name or description; #1234 for an item; atk>=5 for a bonus"));
    edSearch->setToolTip(tr("Every word must be found in the name or the description (width, "
                            "case and kana do not matter); \"#1234\" finds item 1234; "
                            "\"atk>=5\", \"hp<0\", \"mdef!=0\" compare a bonus"));
    cbSlot = new QComboBox(this);
    cbSlot->setObjectName("cbSlot");
    cbSlot->addItem(tr("All slots"));
    for (int Slot = 1; Slot <= SlotCount; ++Slot)
        cbSlot->addItem(SlotName(Slot));
    cbBonus = new QComboBox(this);
    cbBonus->setObjectName("cbBonus");
    cbBonus->addItem(tr("Any bonus"), 0);
    for (const TWloStatusType& Type : WloStatusTypes)
        cbBonus->addItem(tr("With %1").arg(QString::fromUtf8(Type.Label)), Type.Type);

    // Icons enlarged pixel for pixel, as the picker's are.
    FModel = new TWardrobeModel(
        [this, IconOf = std::move(IconOf)](const TWLOItemData& Item) {
            const QImage Icon = IconOf ? IconOf(Item) : QImage();
            return FZoom == 1 || Icon.isNull()
                       ? Icon
                       : Icon.scaled(Icon.size() * FZoom, Qt::IgnoreAspectRatio,
                                     Qt::FastTransformation);
        },
        this);
    FFilter = new TWardrobeFilter(this);
    FFilter->setSourceModel(FModel);
    FFilter->setSortRole(TWardrobeModel::SortRole);
    auto* Table = new TItemTable(this);
    Table->OnEnter = [this] {
        RunCommand([this] { WearCurrent(); });
    };
    Table->OnEscape = [this] {
        RunCommand([this] { FTryOn->End(); });
    };
    tvItems = Table;
    tvItems->setObjectName("tvItems");
    tvItems->setModel(FFilter);
    tvItems->setSortingEnabled(true);
    tvItems->sortByColumn(TWardrobeModel::IdColumn, Qt::AscendingOrder);
    tvItems->setSelectionBehavior(QAbstractItemView::SelectRows);
    tvItems->setSelectionMode(QAbstractItemView::SingleSelection);
    tvItems->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tvItems->setIconSize(QSize(IconSize, IconSize));
    tvItems->verticalHeader()->setDefaultSectionSize(RowHeight);
    tvItems->verticalHeader()->hide();
    tvItems->horizontalHeader()->setSectionResizeMode(TWardrobeModel::NameColumn,
                                                      QHeaderView::Stretch);

    auto* Filters = new QHBoxLayout;
    Filters->addWidget(edSearch, 1);
    Filters->addWidget(cbSlot);
    Filters->addWidget(cbBonus);
    auto* Layout = new QVBoxLayout(this);
    Layout->addLayout(Filters);
    Layout->addWidget(tvItems);

    connect(edSearch, &QLineEdit::textChanged, this, [this] { Filter(); });
    connect(cbSlot, &QComboBox::currentIndexChanged, this, [this] { Filter(); });
    connect(cbBonus, &QComboBox::currentIndexChanged, this, [this] { Filter(); });
    connect(tvItems, &QTableView::doubleClicked, this, Command([this] { WearCurrent(); }));
    tvItems->setMouseTracking(true);
    tvItems->viewport()->installEventFilter(this);
    connect(tvItems, &QTableView::entered, this, Command(this, &TWardrobe::TryRow));
    connect(tvItems->selectionModel(), &QItemSelectionModel::currentChanged, this,
            Command([this](const QModelIndex& Current) { TryRow(Current); }));
}

void TWardrobe::TryRow(const QModelIndex& Index) {
    if (!Index.isValid() || !FSessionOf()) {
        FTryOn->End();
        return;
    }
    const TWardrobeModel::TRow& R = FModel->Row(FFilter->mapToSource(Index).row());
    FTryOn->Show(TItemTryOn{R.Slot, R.Item});
}

bool TWardrobe::eventFilter(QObject* Watched, QEvent* Event) {
    if (Watched == tvItems->viewport() && Event->type() == QEvent::Leave)
        RunCommand([this] { FTryOn->End(); });
    return QWidget::eventFilter(Watched, Event);
}

void TWardrobe::hideEvent(QHideEvent* Event) {
    QWidget::hideEvent(Event);
    RunCommand([this] { FTryOn->End(); });
}

void TWardrobe::SetZoom(int Factor) {
    if (Factor < 1 || Factor == FZoom)
        return;
    const QSize Classic = size() / FZoom;
    FZoom = Factor;
    // The fonts follow the application's (ZoomApplication); what is set in pixels follows here.
    tvItems->setIconSize(QSize(IconSize, IconSize) * Factor);
    tvItems->verticalHeader()->setDefaultSectionSize(RowHeight * Factor);
    FModel->Refresh();
    resize(Classic * Factor);
}

void TWardrobe::Filter() {
    const TDressingSession* Session = FSessionOf();
    const auto Bonus = static_cast<std::uint16_t>(cbBonus->currentData().toUInt());
    FModel->SetSortBonus(Bonus);
    FFilter->SetSlot(cbSlot->currentIndex());
    FFilter->SetBonusType(Bonus);
    FFilter->SetSearch(Session ? Session->Game().ItemSearch() : nullptr,
                       TItemQuery::Parse(edSearch->text().toStdString()));
    FFilter->invalidate(); // the bonus column sorts by the chosen bonus now
    // Other items are found now: the first of them is what the user looks for.
    tvItems->scrollToTop();
}

void TWardrobe::Reload() {
    const TDressingSession* Session = FSessionOf();
    FGroup = Session ? Session->BodyGroup() : -1;
    FModel->Load(Session);
    Filter();
}

void TWardrobe::Follow() {
    const TDressingSession* Session = FSessionOf();
    if ((Session ? Session->BodyGroup() : -1) != FGroup)
        Reload();
}

void TWardrobe::WearCurrent() {
    TDressingSession* Session = FSessionOf();
    const QModelIndex Current = tvItems->currentIndex();
    if (!Session || !Current.isValid())
        return;
    const TWardrobeModel::TRow& R = FModel->Row(FFilter->mapToSource(Current).row());
    FTryOn->End(); // no try-on still due may follow the item worn
    // As a click in the picker: the slot's list position is remembered too.
    Session->Pick(R.Slot, R.ListIndex);
}

} // namespace pelto
