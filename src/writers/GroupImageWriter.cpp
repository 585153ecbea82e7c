#include "writers/GroupImageWriter.h"

#include "platform/LittleEndian.h"

#include <cstring>
#include <stdexcept>

namespace pelto {

namespace {
constexpr std::size_t EntrySize = 32;
constexpr std::size_t NameCapacity = 23;
} // namespace

int TGroupImageWriter::AddEntry(std::string_view Name, std::uint32_t Offset, std::uint32_t Size,
                                bool FromFileStart) {
    if (Name.size() > NameCapacity)
        throw std::invalid_argument("group-image entry name longer than 23 bytes: " +
                                    std::string(Name));
    FEntries.push_back(
        {std::string(Name), static_cast<std::uint8_t>(Name.size()), Offset, Size, FromFileStart});
    return static_cast<int>(FEntries.size()) - 1;
}

int TGroupImageWriter::AddAt(std::string_view Name, std::uint32_t DataOffset, std::uint32_t Size) {
    return AddEntry(Name, DataOffset, Size, false);
}

int TGroupImageWriter::AddAtFileOffset(std::string_view Name, std::uint32_t FileOffset,
                                       std::uint32_t Size) {
    return AddEntry(Name, FileOffset, Size, true);
}

int TGroupImageWriter::Add(std::string_view Name, std::span<const std::uint8_t> Data) {
    const auto Size = static_cast<std::uint32_t>(Data.size());
    const std::uint32_t Offset = AppendData(Data);
    return AddAt(Name, Offset, Size);
}

std::uint32_t TGroupImageWriter::AppendData(std::span<const std::uint8_t> Bytes) {
    const auto Offset = static_cast<std::uint32_t>(FData.size());
    FData.insert(FData.end(), Bytes.begin(), Bytes.end());
    return Offset;
}

void TGroupImageWriter::SetNameLength(int Index, std::uint8_t Length) {
    FEntries.at(static_cast<std::size_t>(Index)).NameLength = Length;
}

void TGroupImageWriter::SetCount(std::uint16_t Count) {
    FCount = Count;
}

std::uint32_t TGroupImageWriter::DataStart() const {
    return static_cast<std::uint32_t>(2 + EntrySize * FEntries.size());
}

std::vector<std::uint8_t> TGroupImageWriter::Build() const {
    const std::uint32_t Start = DataStart();
    std::vector<std::uint8_t> File(Start + FData.size());
    StoreLE16(File.data(),
              static_cast<std::uint16_t>(FCount >= 0 ? FCount : static_cast<int>(FEntries.size())));
    std::uint8_t* P = File.data() + 2;
    for (const TEntry& E : FEntries) {
        P[0] = E.NameLength;
        std::memcpy(P + 1, E.Name.data(), E.Name.size());
        StoreLE32(P + 24, E.FromFileStart ? E.Offset : Start + E.Offset);
        StoreLE32(P + 28, E.Size);
        P += EntrySize;
    }
    if (!FData.empty())
        std::memcpy(File.data() + Start, FData.data(), FData.size());
    return File;
}

void TGroupImageWriter::Write(TStream& Dest) const {
    const std::vector<std::uint8_t> File = Build();
    Dest.WriteBuffer(File.data(), File.size());
}

void TGroupImageWriter::WriteToFile(const std::string& FileName) const {
    WriteFileBytes(FileName, Build());
}

namespace {
TGroupImageWriter WriterOf(std::span<const TGroupImageItem> Items) {
    TGroupImageWriter Writer;
    for (const TGroupImageItem& Item : Items)
        Writer.Add(Item.Name, Item.Data);
    return Writer;
}
} // namespace

void WriteGroupImage(TStream& Dest, std::span<const TGroupImageItem> Items) {
    WriterOf(Items).Write(Dest);
}

void WriteGroupImageFile(const std::string& FileName, std::span<const TGroupImageItem> Items) {
    WriterOf(Items).WriteToFile(FileName);
}

} // namespace pelto
