// The equipment slots and the status box.
#include "ui/UMain.h"

#include "game/wloutils.h"
#include "model/GameData.h"
#include "model/UDraw.h"
#include "platform/Format.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "ui/Widgets.h"

#include <QLineEdit>
#include <QPainter>

namespace pelto {
namespace {

struct TStatusLabel {
    std::uint16_t Type;
    const char* Label;
};
// In the order the status box lists them.
constexpr TStatusLabel StatusLabels[8] = {{207, "HP"},   {208, "SP"},           {210, "ATK"},
                                          {211, "DEF"},  {214, "SPD"},          {215, "MATK"},
                                          {216, "MDEF"}, {100, "射撃対抗力(%)"}};

} // namespace

bool TfrmPelto::LoadItemIcon(const TWLOItemData* Item, QImage& Icon) const {
    if (!Item || !FGame)
        return false;
    const int Index = FGame->ItemIconNames().IndexOf(Format("%d.bmp", Item->IconNo()));
    if (Index < 0)
        return false;
    TMemoryStream Stream;
    FGame->ItemIcons().ExtractToStream(Index, Stream);
    const auto Bytes = Stream.Memory();
    const QImage Picture = QImage::fromData(Bytes.data(), static_cast<int>(Bytes.size()), "BMP");
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
    const TWLOItemData* Item = FDrawChara ? FDrawChara->GetPart(Slot) : nullptr;
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
}

void TfrmPelto::UpdateStatus() {
    std::int32_t Totals[8] = {};
    for (int Slot = 1; Slot <= 6; ++Slot) {
        const TWLOItemData* Item = FDrawChara->GetPart(Slot);
        if (!Item)
            continue;
        for (int J = 0; J < 2; ++J)
            for (int K = 0; K < 8; ++K)
                if (Item->StatType(J) == StatusLabels[K].Type)
                    Totals[K] += Item->StatValue(J) - 100;
    }
    QStringList Lines;
    for (int K = 0; K < 8; ++K) {
        if (Totals[K] == 0)
            continue;
        // "%4s%s%d": the label right-aligned in four characters, a plus sign when positive.
        Lines << QString::fromUtf8(StatusLabels[K].Label).rightJustified(4, ' ') +
                     (Totals[K] > 0 ? "+" : "") + QString::number(Totals[K]);
    }
    txtEquip->setPlainText(Lines.join('\n'));
    edCode->setText(QString::fromStdString(FDrawChara->GetCode()));
}

} // namespace pelto
