#include "writers/ItemTableWriter.h"

#include <cstring>

namespace pelto {

namespace {
constexpr std::size_t VersionOffset = 120;
} // namespace

TWLOItemData MakeItemRecord(const TItemInfo& Info) {
    TWLOItemData R;
    R.SetKind(Info.Kind);
    R.SetItemID(Info.ItemID);
    R.SetIconNo(Info.IconNo);
    for (int G = 0; G < 4; ++G)
        R.SetSpriteNo(G, Info.SpriteNo[static_cast<std::size_t>(G)]);
    for (int I = 0; I < 2; ++I) {
        R.SetStatType(I, Info.StatType[static_cast<std::size_t>(I)]);
        R.SetStatValue(I, Info.StatValue[static_cast<std::size_t>(I)]);
    }
    R.SetSlot(Info.Slot);
    for (int I = 0; I < 16; ++I)
        R.SetColorWord(I, Info.ColorWords[static_cast<std::size_t>(I)]);
    R.SetListNumber(Info.ListNumber);
    R.SetName(Info.Name);
    R.SetText(Info.Text);
    return R;
}

TItemTableWriter::TItemTableWriter() {
    SetVersion(TWLOItemDataFile::Version);
}

void TItemTableWriter::SetVersion(std::uint32_t Version) {
    FHeader.SetU32(VersionOffset, Version);
}

void TItemTableWriter::Add(const TWLOItemData& Record) {
    TWLOItemData& Stored = FRecords.emplace_back(Record);
    ScrambleItemRecord(Stored);
}

std::vector<std::uint8_t> TItemTableWriter::Build() const {
    std::vector<std::uint8_t> File;
    File.reserve((1 + FRecords.size()) * TWLOItemData::RecordSize + FTail.size());
    File.insert(File.end(), FHeader.Bytes.begin(), FHeader.Bytes.end());
    for (const TWLOItemData& R : FRecords)
        File.insert(File.end(), R.Bytes.begin(), R.Bytes.end());
    File.insert(File.end(), FTail.begin(), FTail.end());
    return File;
}

void TItemTableWriter::Write(TStream& Dest) const {
    const std::vector<std::uint8_t> File = Build();
    Dest.WriteBuffer(File.data(), File.size());
}

void TItemTableWriter::WriteToFile(const std::string& FileName) const {
    WriteFileBytes(FileName, Build());
}

} // namespace pelto
