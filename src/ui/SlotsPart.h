#pragma once

#include <QImage>
#include <QObject>

#include <array>
#include <functional>
#include <vector>

class QLabel;

namespace pelto {

class TDressingSession;
class TEquipListBox;
class TImage;
class TLabel;
class TPopupPanel;
class TSimpleButton;
class TTryOnHover;
struct TWLOItemData;

/// Slot 1..6's caption under its name, in the window's language ("h e a d").
QString SlotCaption(int Slot);

/// The equipment slots and their pop-up picker: per slot the shown item's icon and name, and
/// the picker's icons of the slot's list, narrowed to what is typed. The cell under the
/// pointer or the keyboard's cursor is tried on until the pointer leaves or the picker closes;
/// only a click or Enter wears it. It dresses whatever
/// session the window holds at the moment; the slot being picked for is its own.
class TSlotsPanel : public QObject {
public:
    /// The slots go on Client, the picker, a window of its own, over Window; SessionOf gives
    /// the session dressed, or nullptr while there is none; CloseOnClick says whether a click
    /// in the picker closes it.
    TSlotsPanel(QWidget& Client, QWidget& Window, std::function<TDressingSession*()> SessionOf,
                std::function<bool()> CloseOnClick);

    TPopupPanel* Picker() const { return ppEquipList; }
    void ClosePicker();
    /// Item's icon with its transparent pixels, or a null image when it has none.
    QImage ItemIcon(const TWLOItemData* Item) const;
    void UpdateSlot(int Slot);
    void UpdateSlots();
    /// Marks the slots random outfits leave alone, as the session locks them.
    void UpdateLocks();
    void SetZoom(int Factor, const QFont& Font);

private:
    void CreatePicker(QWidget& Window);
    void UpdateSlotTip(int Slot);
    void EquipButtonClick(int Slot, QWidget* Sender);
    void StripButtonClick(int Slot);
    void ListMouseMove(QPoint Point);
    void ListClick();
    void DrawListItem(QPainter& Painter, int Shown, QRect Rect);
    void ShowItemName();
    /// Tries on the item of the current cell, or ends the try-on when there is none.
    void TryCurrent();
    /// Narrows the picker's cells to the items its typed text finds.
    void ApplyFilter();
    /// The position in the slot's list that a cell of the picker shows, -1 for none.
    int PickerPosition(int Cell) const;
    /// The session while it shows a character, else nullptr.
    TDressingSession* Dressed() const;

    std::function<TDressingSession*()> FSessionOf;
    std::function<bool()> FCloseOnClick;
    QImage FItemBack;
    int FCurrentSlot = 0;              // the slot whose list the picker shows
    std::vector<int> FPickerPositions; // the list position each cell of the picker shows

    // Owned by the window's controls through Qt's parent ownership.
    std::array<TImage*, 7> FEquipImages{};
    std::array<TLabel*, 7> FEquipLabels{};
    std::array<TImage*, 7> FLockMarks{};
    TPopupPanel* ppEquipList = nullptr;
    QLabel* lblItemName = nullptr;
    QLabel* lblSearch = nullptr;
    TSimpleButton* sbClosePopup = nullptr;
    TEquipListBox* lbEquipList = nullptr;
    TTryOnHover* FTryOn = nullptr;
};

} // namespace pelto
