// The equipment slots and the status box.
#include "ui/UMain.h"

#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemSearch.h"
#include "platform/ShiftJis.h"
#include "resources/ProgramBitmaps.h"
#include "ui/EquipListBox.h"
#include "ui/PeltoApplication.h"
#include "ui/QtBitmaps.h"
#include "ui/Widgets.h"

#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

#include <algorithm>
#include <numeric>

namespace pelto {
namespace {

constexpr int StatusPixelSize = 15; // the box's font while its lines fit in it

// Name, description, bonuses and identifier, for a tooltip.
QString ItemTip(const TWLOItemData& Item) {
    QStringList Lines{QString::fromStdString(SjisToUtf8(Item.Name()))};
    if (!Item.Text().empty())
        Lines << QString::fromStdString(SjisToUtf8(Item.Text()));
    if (const std::string Bonuses = BonusText(Item); !Bonuses.empty())
        Lines << QString::fromStdString(Bonuses);
    Lines << QString("#%1").arg(Item.ItemID());
    return Lines.join('\n');
}

} // namespace

bool TfrmPelto::LoadItemIcon(const TWLOItemData* Item, QImage& Icon) const {
    if (!Item || !FGame)
        return false;
    const std::vector<std::uint8_t> Bmp = FGame->ItemIconBmp(*Item);
    const QImage Picture = QImage::fromData(Bmp.data(), static_cast<int>(Bmp.size()), "BMP");
    if (Picture.isNull())
        return false;
    // Pure green marks the icon's transparent pixels.
    Icon = Picture.convertToFormat(QImage::Format_ARGB32);
    const QRgb Key = qRgb(0, 255, 0);
    for (int Y = 0; Y < Icon.height(); ++Y) {
        auto* Line = reinterpret_cast<QRgb*>(Icon.scanLine(Y));
        for (int X = 0; X < Icon.width(); ++X)
            if ((Line[X] & 0xFFFFFF) == (Key & 0xFFFFFF))
                Line[X] = 0;
    }
    return true;
}

void TfrmPelto::UpdateSlot(int Slot) {
    QImage Picture = FItemBack.convertToFormat(QImage::Format_RGB888);
    QPainter Painter(&Picture);
    const TWLOItemData* Item = FSession ? FSession->Worn(Slot) : nullptr;
    TLabel* Label = FEquipLabels[static_cast<std::size_t>(Slot)];
    if (Item) {
        Label->setText(QString::fromStdString(SjisToUtf8(Item->Name())));
        QImage Icon;
        if (LoadItemIcon(Item, Icon))
            Painter.drawImage(0, 0, Icon);
    } else {
        Label->setText(QString());
    }
    Painter.setPen(QColor(155, 188, 219));
    Painter.drawRect(0, 0, 31, 31);
    Painter.end();
    FEquipImages[static_cast<std::size_t>(Slot)]->SetPicture(Picture);
    UpdateSlotTip(Slot);
}

void TfrmPelto::UpdateStatus() {
    QStringList Lines;
    for (const std::string& Line : FSession->StatusLines())
        Lines << QString::fromStdString(Line);
    txtEquip->SetLinesFitting(Lines, StatusPixelSize * FZoom);
    edCode->setText(QString::fromStdString(FSession->Code()));
}

void TfrmPelto::CreatePicker() {
    ppEquipList = new TPopupPanel(this);
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
    connect(sbClosePopup, &TSimpleButton::Click, this,
            Command([this] { ppEquipList->ClosePopup(0); }));

    lbEquipList = new TEquipListBox(ppEquipList);
    lbEquipList->setObjectName("lbEquipList");
    lbEquipList->setGeometry(0, 22, 322, 212);
    lbEquipList->setCursor(Qt::PointingHandCursor);
    lbEquipList->OnDrawItem = [this](QPainter& Painter, int Index, QRect Rect) {
        lbEquipListDrawItem(Painter, Index, Rect);
    };
    connect(lbEquipList, &TEquipListBox::MouseMoved, this,
            Command(this, &TfrmPelto::lbEquipListMouseMove));
    connect(lbEquipList, &TEquipListBox::Clicked, this,
            Command(this, &TfrmPelto::lbEquipListClick));
    connect(lbEquipList, &TEquipListBox::CursorMoved, this,
            Command(this, &TfrmPelto::ShowItemName));
    connect(lbEquipList, &TEquipListBox::FilterChanged, this,
            Command(this, &TfrmPelto::ApplyPickerFilter));

    // What has been typed, over the right end of the caption; hidden while nothing is.
    lblSearch = new QLabel(ppEquipList);
    lblSearch->setObjectName("lblSearch");
    lblSearch->setGeometry(180, 3, 120, 16);
    lblSearch->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    lblSearch->setAutoFillBackground(true);
    lblSearch->setToolTip(
        tr("Type to find items by name or description; several words must all match.\n"
           "#1234: item number 1234. atk>=5, hp<0, def!=0: a bonus (HP SP ATK DEF SPD MATK "
           "MDEF 射撃対抗力).\nBackspace edits, Esc clears."));
    lblSearch->hide();
}

int TfrmPelto::PickerPosition(int Cell) const {
    if (Cell < 0 || static_cast<std::size_t>(Cell) >= FPickerPositions.size())
        return -1;
    return FPickerPositions[static_cast<std::size_t>(Cell)];
}

void TfrmPelto::ApplyPickerFilter() {
    const auto& List = FSession->List(FCurrentSlot);
    const QString Text = lbEquipList->Filter();
    const TItemQuery Query = TItemQuery::Parse(Text.toStdString());
    FPickerPositions.clear();
    if (Query.Empty()) {
        FPickerPositions.resize(List.size());
        std::iota(FPickerPositions.begin(), FPickerPositions.end(), 0);
    } else {
        FPickerPositions = FSession->Game().ItemSearch()->Filter(List, Query);
        FPickerPositions.insert(FPickerPositions.begin(), 0); // "---" stays
    }
    lbEquipList->SetCount(static_cast<int>(FPickerPositions.size()));
    // The cursor goes to the item last picked when it is shown, else to the first one found.
    const auto Picked = std::find(FPickerPositions.begin(), FPickerPositions.end(),
                                  FSession->PickedIndex(FCurrentSlot));
    const int PickedCell = static_cast<int>(Picked - FPickerPositions.begin());
    lbEquipList->SetItemIndex(Picked != FPickerPositions.end() ? PickedCell
                              : FPickerPositions.size() > 1    ? 1
                                                               : 0);
    lblSearch->setText(Text.isEmpty() ? QString()
                                      : tr("%1 (%2)").arg(Text).arg(FPickerPositions.size() - 1));
    lblSearch->setVisible(!Text.isEmpty());
    ShowItemName();
}

void TfrmPelto::ShowItemName() {
    const int Index = PickerPosition(lbEquipList->ItemIndex());
    const auto& List = FSession->List(FCurrentSlot);
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size()) {
        lblItemName->setText(QString());
        lbEquipList->viewport()->setToolTip(QString());
        return;
    }
    const TEquipEntry& Entry = List[static_cast<std::size_t>(Index)];
    lblItemName->setText(QString::fromStdString(SjisToUtf8(Entry.Text())));
    lbEquipList->viewport()->setToolTip(Entry.Item ? ItemTip(*Entry.Item) : QString());
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

void TfrmPelto::EquipButtonClick(int Slot, QWidget* Sender) {
    if (FSession->CharaIndex() == -1)
        return;
    FCurrentSlot = Slot;
    lbEquipList->SetFilter(QString());
    ApplyPickerFilter();
    const QRect Clicked(Sender->mapToGlobal(QPoint(0, 0)), Sender->size());
    const QScreen* Screen = screen();
    const QPoint At =
        PickerPlace(Clicked, ppEquipList->size(), Screen ? Screen->availableGeometry() : QRect());
    ppEquipList->Popup(At.x(), At.y());
}

void TfrmPelto::StripButtonClick(int Slot) {
    if (FSession->CharaIndex() == -1)
        return;
    FCurrentSlot = Slot;
    FSession->Strip(Slot);
}

void TfrmPelto::lbEquipListMouseMove(QPoint Point) {
    // The cell under the pointer becomes the current one, so that a click takes it.
    const int Old = lbEquipList->ItemIndex();
    lbEquipList->SetItemIndex(lbEquipList->ItemAt(Point));
    if (lbEquipList->ItemIndex() == Old)
        return;
    lbEquipList->RedrawItem(Old);
    lbEquipList->RedrawItem(lbEquipList->ItemIndex());
    ShowItemName();
}

void TfrmPelto::lbEquipListDrawItem(QPainter& Painter, int Shown, QRect Rect) {
    const auto& List = FSession->List(FCurrentSlot);
    const int Index = PickerPosition(Shown);
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size())
        return;
    // Drawn at the classic size, then enlarged as a whole, so that the frame grows with it.
    QImage Cell = FItemBack.convertToFormat(QImage::Format_RGB888);
    QPainter CellPainter(&Cell);
    QImage Icon;
    if (LoadItemIcon(List[static_cast<std::size_t>(Index)].Item, Icon))
        CellPainter.drawImage(0, 0, Icon);
    if (Index == FSession->PickedIndex(FCurrentSlot)) {
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

void TfrmPelto::lbEquipListClick() {
    const int Current = PickerPosition(lbEquipList->ItemIndex());
    if (FSettings.CloseOnClick)
        ppEquipList->ClosePopup(0);
    // A click beside the cells picks nothing and keeps the frame where it is.
    if (Current < 0)
        return;
    FSession->Pick(FCurrentSlot, Current);
    lbEquipList->viewport()->update();
}

} // namespace pelto
