// The equipment slots and the status box.
#include "ui/UMain.h"

#include "controls/PopupPanel.h"
#include "controls/SimpleBtn.h"
#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
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

namespace pelto {
namespace {

constexpr int StatusPixelSize = 15; // the box's font while its lines fit in it

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
}

void TfrmPelto::ShowItemName() {
    const int Index = lbEquipList->ItemIndex();
    const auto& List = FSession->List(FCurrentSlot);
    if (Index < 0 || static_cast<std::size_t>(Index) >= List.size())
        lblItemName->setText(QString());
    else
        lblItemName->setText(
            QString::fromStdString(SjisToUtf8(List[static_cast<std::size_t>(Index)].Text())));
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
    lbEquipList->SetCount(static_cast<int>(FSession->List(Slot).size()));
    lbEquipList->SetItemIndex(FSession->PickedIndex(Slot));
    ShowItemName();
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
    lbEquipList->SetItemIndex(lbEquipList->ItemAt(Point));
    ShowItemName();
}

void TfrmPelto::lbEquipListDrawItem(QPainter& Painter, int Index, QRect Rect) {
    const auto& List = FSession->List(FCurrentSlot);
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
    CellPainter.end();
    Painter.drawImage(Rect, Cell);
}

void TfrmPelto::lbEquipListClick() {
    const int Old = FSession->PickedIndex(FCurrentSlot);
    const int Current = lbEquipList->ItemIndex();
    if (FSettings.CloseOnClick)
        ppEquipList->ClosePopup(0);
    // A click beside the cells picks nothing and keeps the frame where it is.
    if (Current < 0)
        return;
    FSession->Pick(FCurrentSlot, Current);
    lbEquipList->RedrawItem(Old);
    lbEquipList->RedrawItem(Current);
}

} // namespace pelto
