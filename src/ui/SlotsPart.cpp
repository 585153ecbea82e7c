// The equipment slots and their pop-up picker.
#include "ui/SlotsPart.h"

#include "controls/EquipListBox.h"
#include "controls/PopupPanel.h"
#include "controls/QtBitmaps.h"
#include "controls/SimpleBtn.h"
#include "controls/Widgets.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "model/ItemSearch.h"
#include "platform/ShiftJis.h"
#include "resources/ProgramBitmaps.h"
#include "ui/PeltoApplication.h"
#include "ui/TryOnHover.h"
#include "ui/UMain.h"

#include <QLabel>
#include <QPainter>
#include <QScreen>

namespace pelto {
namespace {

constexpr int ClientWidth = 402;

constexpr const char* SlotCaptions[6] = {QT_TRANSLATE_NOOP("pelto::TfrmPelto", "h e a d"),
                                         QT_TRANSLATE_NOOP("pelto::TfrmPelto", "b o d y"),
                                         QT_TRANSLATE_NOOP("pelto::TfrmPelto", "h a n d"),
                                         QT_TRANSLATE_NOOP("pelto::TfrmPelto", "a r m"),
                                         QT_TRANSLATE_NOOP("pelto::TfrmPelto", "s h o e s"),
                                         QT_TRANSLATE_NOOP("pelto::TfrmPelto", "s p e c i a l")};

} // namespace

QString SlotCaption(int Slot) {
    return TfrmPelto::tr(SlotCaptions[Slot - 1]);
}

QPoint PickerPlace(QRect Slot, QSize Picker, QRect Screen) {
    QPoint At = Slot.bottomLeft() + QPoint(0, 1); // right below the slot, when it fits
    if (Screen.isNull())
        return At;
    if (At.x() + Picker.width() > Screen.right() + 1)
        At.setX(Screen.right() + 1 - Picker.width());
    if (At.y() + Picker.height() > Screen.bottom() + 1) {
        // Above the slot when there is room there, else as low as the screen allows.
        const int Above = Slot.top() - Picker.height();
        At.setY(Above >= Screen.top() ? Above : Screen.bottom() + 1 - Picker.height());
    }
    At.setX(std::max(At.x(), Screen.left()));
    At.setY(std::max(At.y(), Screen.top()));
    return At;
}

TSlotsPanel::TSlotsPanel(QWidget& Client, QWidget& Window,
                         std::function<TDressingSession*()> SessionOf,
                         std::function<bool()> CloseOnClick)
    : QObject(&Client), FSessionOf(std::move(SessionOf)), FCloseOnClick(std::move(CloseOnClick)),
      FItemBack(ToQImage(ItemBackBitmap())), FTryOn(new TTryOnHover(FSessionOf, this)) {
    // Per slot its picture, the item's name and the slot's caption.
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const int Top = 4 + 40 * (Slot - 1);
        auto* Image = Place(new TImage(&Client), QString("imgEquip%1").arg(Slot), 232, Top, 32, 32);
        Image->setCursor(Qt::PointingHandCursor);
        auto* Label = Caption(&Client, "", 270, Top + 10);
        Label->setObjectName(QString("lblEquip%1").arg(Slot));
        Label->setCursor(Qt::PointingHandCursor);
        Label->resize(ClientWidth - 270, 13);
        Caption(&Client, SlotCaption(Slot), 274, Top + 22, QColor(177, 192, 237));
        // In the gap between the picture and the caption, where no classic control lies.
        auto* Lock =
            Place(new TImage(&Client), QString("imgLock%1").arg(Slot), 265, Top + 23, 7, 10);
        Lock->SetPicture(ToQImage(LockGlyphPicture()));
        Lock->SetTransparent(true);
        Lock->setAttribute(Qt::WA_TransparentForMouseEvents);
        Lock->hide();
        FLockMarks[static_cast<std::size_t>(Slot)] = Lock;
        FEquipImages[static_cast<std::size_t>(Slot)] = Image;
        FEquipLabels[static_cast<std::size_t>(Slot)] = Label;
        connect(Image, &TImage::Clicked, this,
                Command([this, Slot, Image] { EquipButtonClick(Slot, Image); }));
        connect(Label, &TLabel::Clicked, this,
                Command([this, Slot, Label] { EquipButtonClick(Slot, Label); }));
        connect(Image, &TImage::ContextPopup, this,
                Command([this, Slot] { StripButtonClick(Slot); }));
        connect(Label, &TLabel::ContextPopup, this,
                Command([this, Slot] { StripButtonClick(Slot); }));
    }
    CreatePicker(Window);
}

void TSlotsPanel::CreatePicker(QWidget& Window) {
    ppEquipList = new TPopupPanel(&Window);
    ppEquipList->setObjectName("ppEquipList");
    ppEquipList->resize(322, 234);
    ppEquipList->setAutoFillBackground(true);
    QPalette Palette = ppEquipList->palette();
    Palette.setColor(QPalette::Window, QColor(166, 202, 240));
    ppEquipList->setPalette(Palette);
    ppEquipList->SetAnimation(false);
    ppEquipList->hide(); // shown only while it pops up

    lblItemName = new QLabel(" ", ppEquipList);
    lblItemName->setObjectName("lblItemName");
    lblItemName->setGeometry(4, 4, 296, 14);
    sbClosePopup = new TSimpleButton(ppEquipList);
    sbClosePopup->setObjectName("sbClosePopup");
    sbClosePopup->setGeometry(302, 2, 18, 18);
    sbClosePopup->SetTransparent(true);
    sbClosePopup->SetNormalPicture(ToQImage(CloseButtonPicture(TButtonState::Normal)));
    sbClosePopup->SetHoverPicture(ToQImage(CloseButtonPicture(TButtonState::Hover)));
    sbClosePopup->SetDownPicture(ToQImage(CloseButtonPicture(TButtonState::Down)));
    sbClosePopup->setCursor(Qt::PointingHandCursor);
    connect(sbClosePopup, &TSimpleButton::Click, this, Command([this] { ClosePicker(); }));

    lbEquipList = new TEquipListBox(ppEquipList);
    lbEquipList->setObjectName("lbEquipList");
    lbEquipList->setGeometry(0, 22, 322, 212);
    lbEquipList->setCursor(Qt::PointingHandCursor);
    lbEquipList->OnDrawItem = [this](QPainter& Painter, int Index, QRect Rect) {
        DrawListItem(Painter, Index, Rect);
    };
    connect(lbEquipList, &TEquipListBox::MouseMoved, this,
            Command(this, &TSlotsPanel::ListMouseMove));
    connect(lbEquipList, &TEquipListBox::Clicked, this, Command(this, &TSlotsPanel::ListClick));
    connect(lbEquipList, &TEquipListBox::CursorMoved, this, Command([this] {
                ShowItemName();
                TryCurrent();
            }));
    connect(lbEquipList, &TEquipListBox::MouseLeft, this, Command([this] { FTryOn->End(); }));
    connect(lbEquipList, &TEquipListBox::FilterChanged, this,
            Command(this, &TSlotsPanel::ApplyFilter));

    // What has been typed, over the right end of the caption; hidden while nothing is.
    lblSearch = new QLabel(ppEquipList);
    lblSearch->setObjectName("lblSearch");
    lblSearch->setGeometry(180, 3, 120, 16);
    lblSearch->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblSearch->setAutoFillBackground(true);
    lblSearch->setToolTip(TfrmPelto::tr(
        "Type to find items by name or description; several words must all match.\n"
        "#1234: item number 1234. atk>=5, hp<0, def!=0: a bonus (HP SP ATK DEF SPD MATK "
        "MDEF 射撃対抗力).\nBackspace edits, Esc clears."));
    lblSearch->hide();
}

TDressingSession* TSlotsPanel::Dressed() const {
    TDressingSession* Session = FSessionOf();
    return Session && Session->CharaIndex() >= 0 ? Session : nullptr;
}

void TSlotsPanel::ClosePicker() {
    if (ppEquipList->isVisible())
        ppEquipList->ClosePopup(0);
}

void TSlotsPanel::SetZoom(int Factor, const QFont& Font) {
    // The picker pops up as a window of its own, which takes no font from the window.
    ppEquipList->setFont(Font);
    lbEquipList->SetCellSize(TEquipListBox::CellSize * Factor);
}

QImage TSlotsPanel::ItemIcon(const TWLOItemData* Item) const {
    const TDressingSession* Session = FSessionOf();
    if (!Item || !Session)
        return {};
    try {
        const std::optional<TBitmap> Bitmap = ItemIconBitmap(Session->Game(), *Item);
        return Bitmap ? ToQImage(*Bitmap) : QImage();
    } catch (const std::exception&) {
        // Icons are drawn while painting: a damaged one is shown bare, not said at every repaint.
        return {};
    }
}

void TSlotsPanel::UpdateSlots() {
    for (int Slot = 1; Slot <= 6; ++Slot)
        UpdateSlot(Slot);
}

void TSlotsPanel::UpdateSlot(int Slot) {
    QImage Picture = FItemBack.convertToFormat(QImage::Format_RGB888);
    QPainter Painter(&Picture);
    const TDressingSession* Session = FSessionOf();
    const TWLOItemData* Item = Session ? Session->ShownItem(Slot) : nullptr;
    const QString Name = Item ? QString::fromStdString(SjisToUtf8(Item->Name())) : QString();
    if (const QImage Icon = ItemIcon(Item); !Icon.isNull())
        Painter.drawImage(0, 0, Icon);
    TLabel* Label = FEquipLabels[static_cast<std::size_t>(Slot)];
    if (Session && Session->PreviewsSlot(Slot))
        Label->setText(Name.isEmpty() ? TfrmPelto::tr("(preview)")
                                      : TfrmPelto::tr("%1 (preview)").arg(Name));
    else
        Label->setText(Name);
    Painter.setPen(QColor(155, 188, 219));
    Painter.drawRect(0, 0, 31, 31);
    Painter.end();
    FEquipImages[static_cast<std::size_t>(Slot)]->SetPicture(Picture);
    UpdateSlotTip(Slot);
}

void TSlotsPanel::UpdateLocks() {
    const TDressingSession* Session = FSessionOf();
    for (int Slot = 1; Slot <= 6; ++Slot) {
        FLockMarks[static_cast<std::size_t>(Slot)]->setVisible(Session &&
                                                               Session->Locks().Slot(Slot));
        UpdateSlotTip(Slot);
    }
}

void TSlotsPanel::UpdateSlotTip(int Slot) {
    const TDressingSession* Session = FSessionOf();
    const TWLOItemData* Item = Session ? Session->ShownItem(Slot) : nullptr;
    QString Text = Item ? QString::fromStdString(ItemTipText(*Item)) + "\n" +
                              TfrmPelto::tr("Right-click to take it off")
                        : TfrmPelto::tr("Click to pick an item");
    if (Session && Session->Locks().Slot(Slot))
        Text += "\n" + TfrmPelto::tr("Locked: random outfits leave it as it is");
    for (QWidget* Control : {static_cast<QWidget*>(FEquipImages[static_cast<std::size_t>(Slot)]),
                             static_cast<QWidget*>(FEquipLabels[static_cast<std::size_t>(Slot)])}) {
        Control->setToolTip(Text);
        Control->setStatusTip(Text.section('\n', 0, 0));
    }
}

int TSlotsPanel::PickerPosition(int Cell) const {
    if (Cell < 0 || static_cast<std::size_t>(Cell) >= FPickerPositions.size())
        return -1;
    return FPickerPositions[static_cast<std::size_t>(Cell)];
}

void TSlotsPanel::ApplyFilter() {
    const TDressingSession* Session = FSessionOf();
    if (!Session)
        return;
    const QString Text = lbEquipList->Filter();
    FPickerPositions = Session->Game().ItemSearch()->Shown(Session->List(FCurrentSlot),
                                                           TItemQuery::Parse(Text.toStdString()));
    lbEquipList->SetCount(static_cast<int>(FPickerPositions.size()));
    // The cursor starts on what is worn, so that Enter keeps it on.
    lbEquipList->SetItemIndex(PickerCursor(FPickerPositions, Session->WornIndex(FCurrentSlot)));
    lblSearch->setText(Text.isEmpty()
                           ? QString()
                           : TfrmPelto::tr("%1 (%2)").arg(Text).arg(FPickerPositions.size() - 1));
    lblSearch->setVisible(!Text.isEmpty());
    ShowItemName();
    FTryOn->End(); // the cursor went back to what is worn
}

void TSlotsPanel::ShowItemName() {
    const TDressingSession* Session = FSessionOf();
    const int Index = PickerPosition(lbEquipList->ItemIndex());
    const auto* List = Session ? &Session->List(FCurrentSlot) : nullptr;
    if (!List || Index < 0 || static_cast<std::size_t>(Index) >= List->size()) {
        lblItemName->setText(QString());
        lbEquipList->viewport()->setToolTip(QString());
        return;
    }
    const TEquipEntry& Entry = (*List)[static_cast<std::size_t>(Index)];
    lblItemName->setText(QString::fromStdString(SjisToUtf8(Entry.Text())));
    lbEquipList->viewport()->setToolTip(
        Entry.Item ? QString::fromStdString(ItemTipText(*Entry.Item)) : QString());
}

void TSlotsPanel::EquipButtonClick(int Slot, QWidget* Sender) {
    if (!Dressed())
        return;
    FCurrentSlot = Slot;
    lbEquipList->SetFilter(QString());
    ApplyFilter();
    const QRect Clicked(Sender->mapToGlobal(QPoint(0, 0)), Sender->size());
    const QScreen* Screen = Sender->window()->screen();
    const QPoint At =
        PickerPlace(Clicked, ppEquipList->size(), Screen ? Screen->availableGeometry() : QRect());
    ppEquipList->Popup(At.x(), At.y());
    FTryOn->End(); // closed, however it was
}

void TSlotsPanel::StripButtonClick(int Slot) {
    TDressingSession* Session = Dressed();
    if (!Session)
        return;
    FCurrentSlot = Slot;
    Session->Strip(Slot);
}

void TSlotsPanel::ListMouseMove(QPoint Point) {
    // The cell under the pointer becomes the current one, so that a click takes it.
    const int Old = lbEquipList->ItemIndex();
    lbEquipList->SetItemIndex(lbEquipList->ItemAt(Point));
    if (lbEquipList->ItemIndex() == Old) {
        // Back on the cell the pointer left: it is tried on again.
        if (const TDressingSession* Session = Dressed(); Session && !Session->Previewed())
            TryCurrent();
        return;
    }
    lbEquipList->RedrawItem(Old);
    lbEquipList->RedrawItem(lbEquipList->ItemIndex());
    ShowItemName();
    TryCurrent();
}

void TSlotsPanel::TryCurrent() {
    const TDressingSession* Session = Dressed();
    const int Index = PickerPosition(lbEquipList->ItemIndex());
    if (!Session || Index < 0 ||
        static_cast<std::size_t>(Index) >= Session->List(FCurrentSlot).size()) {
        FTryOn->End();
        return;
    }
    FTryOn->Show(TItemTryOn{FCurrentSlot,
                            Session->List(FCurrentSlot)[static_cast<std::size_t>(Index)].Item});
}

void TSlotsPanel::DrawListItem(QPainter& Painter, int Shown, QRect Rect) {
    const TDressingSession* Session = FSessionOf();
    if (!Session)
        return;
    const auto& List = Session->List(FCurrentSlot);
    const int Index = PickerPosition(Shown);
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size())
        return;
    // Drawn at the classic size, then enlarged as a whole, so that the frame grows with it.
    QImage Cell = FItemBack.convertToFormat(QImage::Format_RGB888);
    QPainter CellPainter(&Cell);
    if (const QImage Icon = ItemIcon(List[static_cast<std::size_t>(Index)].Item); !Icon.isNull())
        CellPainter.drawImage(0, 0, Icon);
    if (Index == Session->PickedIndex(FCurrentSlot)) {
        CellPainter.setPen(QColor(0, 0, 128));
        CellPainter.setBrush(Qt::NoBrush);
        CellPainter.drawRect(Cell.rect().adjusted(0, 0, -1, -1));
    }
    // The cell under the pointer or the keyboard's cursor, inside the navy frame.
    if (Shown == lbEquipList->ItemIndex()) {
        CellPainter.setPen(QColor(255, 140, 0));
        CellPainter.setBrush(Qt::NoBrush);
        CellPainter.drawRect(Cell.rect().adjusted(1, 1, -2, -2));
    }
    CellPainter.end();
    Painter.drawImage(Rect, Cell);
}

void TSlotsPanel::ListClick() {
    FTryOn->End(); // no try-on still due may follow the item worn
    const int Current = PickerPosition(lbEquipList->ItemIndex());
    if (FCloseOnClick())
        ppEquipList->ClosePopup(0);
    // A click beside the cells picks nothing and keeps the frame where it is.
    TDressingSession* Session = FSessionOf();
    if (Current < 0 || !Session)
        return;
    Session->Pick(FCurrentSlot, Current);
    lbEquipList->viewport()->update();
}

} // namespace pelto
