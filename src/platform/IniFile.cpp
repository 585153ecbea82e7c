#include "platform/IniFile.h"

#include "platform/AtomicFile.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/ShiftJis.h"
#include "platform/Stream.h"
#include "platform/Text.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <system_error>
#include <utility>

namespace pelto {
namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Reads the whole of FileName into Bytes: 0, or the errno that stopped it. A file that does
// not exist is empty, not an error.
int ReadWholeFile(const std::string& FileName, std::string& Bytes) {
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> File(std::fopen(FileName.c_str(), "rb"),
                                                               &std::fclose);
    if (!File)
        return errno == ENOENT || errno == ENOTDIR ? 0 : errno;
    char Buffer[64 * 1024];
    while (const std::size_t N = std::fread(Buffer, 1, sizeof Buffer, File.get()))
        Bytes.append(Buffer, N);
    return std::ferror(File.get()) ? (errno != 0 ? errno : EIO) : 0;
}

bool IsBlank(char C) {
    return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
}

std::string_view Trim(std::string_view S) {
    while (!S.empty() && IsBlank(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && IsBlank(S.back()))
        S.remove_suffix(1);
    return S;
}

enum class TLineKind { Other, Header, Key };

struct TParsedLine {
    TLineKind Kind = TLineKind::Other;
    std::string_view Name;
    std::string_view Value; // trimmed, quotes still on
};

TParsedLine ParseLine(std::string_view Text) {
    const std::string_view S = Trim(Text);
    if (S.empty() || S[0] == ';')
        return {};
    if (S[0] == '[') {
        const std::size_t Close = S.rfind(']');
        if (Close != std::string_view::npos)
            return {TLineKind::Header, Trim(S.substr(1, Close - 1)), {}};
        // Without its bracket the line is read like any other, as Windows does.
    }
    const std::size_t Equal = S.find('=');
    if (Equal == std::string_view::npos)
        return {};
    const std::string_view Name = Trim(S.substr(0, Equal));
    if (Name.empty())
        return {};
    return {TLineKind::Key, Name, Trim(S.substr(Equal + 1))};
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view S) {
    std::size_t I = 0;
    while (I < S.size()) {
        const auto B = static_cast<std::uint8_t>(S[I]);
        std::size_t Length;
        std::uint32_t Min;
        std::uint32_t Code;
        if (B < 0x80) {
            ++I;
            continue;
        } else if ((B & 0xE0) == 0xC0) {
            Length = 2, Min = 0x80, Code = B & 0x1F;
        } else if ((B & 0xF0) == 0xE0) {
            Length = 3, Min = 0x800, Code = B & 0x0F;
        } else if ((B & 0xF8) == 0xF0) {
            Length = 4, Min = 0x10000, Code = B & 0x07;
        } else {
            return false;
        }
        if (S.size() - I < Length)
            return false;
        for (std::size_t K = 1; K < Length; ++K) {
            const auto C = static_cast<std::uint8_t>(S[I + K]);
            if ((C & 0xC0) != 0x80)
                return false;
            Code = (Code << 6) | (C & 0x3F);
        }
        if (Code < Min || Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
            return false;
        I += Length;
    }
    return true;
}

// Cuts valid UTF-8 after MaxUnits UTF-16 units, never inside a character.
std::string CutToUtf16Units(std::string S, std::size_t MaxUnits) {
    std::size_t Units = 0;
    std::size_t I = 0;
    while (I < S.size()) {
        const auto B = static_cast<std::uint8_t>(S[I]);
        const std::size_t Length = B < 0x80 ? 1 : B < 0xE0 ? 2 : B < 0xF0 ? 3 : 4;
        const std::size_t CharUnits = Length == 4 ? 2 : 1;
        if (Units + CharUnits > MaxUnits)
            break;
        Units += CharUnits;
        I += Length;
    }
    S.resize(I);
    return S;
}

std::string DecodeValue(std::string_view Raw) {
    if (Raw.size() >= 2 && (Raw[0] == '"' || Raw[0] == '\'') && Raw.back() == Raw[0])
        Raw = Raw.substr(1, Raw.size() - 2);
    std::string Value = IsValidUtf8(Raw) ? std::string(Raw) : SjisToUtf8(Raw);
    return CutToUtf16Units(std::move(Value), TIniFile::MaxValueLength);
}

std::string EncodeValue(std::string_view Value) {
    std::string S(Value);
    for (char& C : S) {
        if (C == '\r' || C == '\n')
            C = ' ';
    }
    const bool Quoted = S.size() >= 2 && (S[0] == '"' || S[0] == '\'') && S.back() == S[0];
    if (!S.empty() && (IsBlank(S.front()) || IsBlank(S.back()) || Quoted))
        return '"' + S + '"';
    return S;
}

std::optional<int> ParseInteger(std::string_view S) {
    std::size_t I = 0;
    bool Negative = false;
    if (I < S.size() && (S[I] == '+' || S[I] == '-')) {
        Negative = S[I] == '-';
        ++I;
    }
    unsigned Base = 10;
    if (S.substr(I, 2) == "0x" || S.substr(I, 2) == "0X") {
        Base = 16;
        I += 2;
    } else if (S.substr(I, 1) == "$") {
        Base = 16;
        ++I;
    }
    if (I == S.size())
        return std::nullopt;
    const std::uint64_t Limit = Base == 16 ? 0xFFFFFFFFu : Negative ? 0x80000000u : 0x7FFFFFFFu;
    std::uint64_t Value = 0;
    for (; I < S.size(); ++I) {
        const int Digit = HexDigit(S[I]);
        if (Digit < 0 || static_cast<unsigned>(Digit) >= Base)
            return std::nullopt;
        Value = Value * Base + static_cast<unsigned>(Digit);
        if (Value > Limit)
            return std::nullopt;
    }
    std::uint32_t Bits = static_cast<std::uint32_t>(Value);
    if (Negative)
        Bits = 0u - Bits;
    return static_cast<std::int32_t>(Bits);
}

} // namespace

TIniFile::TIniFile(std::string FileName) : FFileName(std::move(FileName)) {
    std::string Bytes;
    FReadError = ReadWholeFile(FFileName, Bytes);
    if (FReadError != 0)
        Bytes.clear(); // a part of the file would be as misleading as none
    Parse(Bytes);
}

TIniFile::TIniFile(std::string FileName, TStream& Contents) : FFileName(std::move(FileName)) {
    std::string Bytes(static_cast<std::size_t>(Contents.Remaining()), '\0');
    Contents.ReadBuffer(Bytes.data(), Bytes.size());
    Parse(Bytes);
}

void TIniFile::Parse(std::string_view Bytes) {
    std::string_view Rest = Bytes;
    if (Rest.substr(0, ByteOrderMark.size()) == ByteOrderMark) {
        FByteOrderMark = true;
        Rest.remove_prefix(ByteOrderMark.size());
    }
    bool EndingSeen = false;
    while (!Rest.empty()) {
        const std::size_t Break = Rest.find('\n');
        TLine Line;
        if (Break == std::string_view::npos) {
            Line.Text = Rest;
            Rest = {};
        } else {
            Line.Text = Rest.substr(0, Break);
            Line.Ending = "\n";
            if (!Line.Text.empty() && Line.Text.back() == '\r') {
                Line.Text.pop_back();
                Line.Ending = "\r\n";
            }
            Rest.remove_prefix(Break + 1);
            if (!EndingSeen) {
                FEnding = Line.Ending;
                EndingSeen = true;
            }
        }
        FLines.push_back(std::move(Line));
    }
}

std::optional<TIniFile::TSectionRange> TIniFile::FindSection(std::string_view Section) const {
    for (std::size_t I = 0; I < FLines.size(); ++I) {
        const TParsedLine Header = ParseLine(FLines[I].Text);
        if (Header.Kind != TLineKind::Header || !SameText(Header.Name, Section))
            continue;
        std::size_t End = I + 1;
        while (End < FLines.size() && ParseLine(FLines[End].Text).Kind != TLineKind::Header)
            ++End;
        return TSectionRange{I, End};
    }
    return std::nullopt;
}

std::optional<std::size_t> TIniFile::FindKey(const TSectionRange& Range,
                                             std::string_view Key) const {
    for (std::size_t I = Range.Header + 1; I < Range.End; ++I) {
        const TParsedLine Line = ParseLine(FLines[I].Text);
        if (Line.Kind == TLineKind::Key && SameText(Line.Name, Key))
            return I;
    }
    return std::nullopt;
}

std::optional<std::string> TIniFile::RawValue(std::string_view Section,
                                              std::string_view Key) const {
    const auto Range = FindSection(Section);
    if (!Range)
        return std::nullopt;
    const auto Index = FindKey(*Range, Key);
    if (!Index)
        return std::nullopt;
    return DecodeValue(ParseLine(FLines[*Index].Text).Value);
}

std::string TIniFile::ReadString(std::string_view Section, std::string_view Key,
                                 std::string_view Default) const {
    auto Value = RawValue(Section, Key);
    return Value ? std::move(*Value) : std::string(Default);
}

std::optional<int> TIniFile::TryReadInteger(std::string_view Section, std::string_view Key) const {
    const auto Value = RawValue(Section, Key);
    return Value ? ParseInteger(*Value) : std::nullopt;
}

int TIniFile::ReadInteger(std::string_view Section, std::string_view Key, int Default) const {
    return TryReadInteger(Section, Key).value_or(Default);
}

bool TIniFile::ReadBool(std::string_view Section, std::string_view Key, bool Default) const {
    const auto Value = TryReadInteger(Section, Key);
    return Value ? *Value != 0 : Default;
}

bool TIniFile::SectionExists(std::string_view Section) const {
    const auto Range = FindSection(Section);
    if (!Range)
        return false;
    for (std::size_t I = Range->Header + 1; I < Range->End; ++I) {
        if (ParseLine(FLines[I].Text).Kind == TLineKind::Key)
            return true;
    }
    return false;
}

void TIniFile::InsertLine(std::size_t Index, std::string Text) {
    if (Index > 0 && FLines[Index - 1].Ending.empty())
        FLines[Index - 1].Ending = FEnding;
    FLines.insert(FLines.begin() + static_cast<std::ptrdiff_t>(Index),
                  TLine{std::move(Text), FEnding});
    FModified = true;
}

void TIniFile::EraseSection(std::string_view Section) {
    while (const auto Range = FindSection(Section)) {
        FLines.erase(FLines.begin() + static_cast<std::ptrdiff_t>(Range->Header),
                     FLines.begin() + static_cast<std::ptrdiff_t>(Range->End));
        FModified = true;
    }
}

void TIniFile::WriteString(std::string_view Section, std::string_view Key, std::string_view Value) {
    const std::string Encoded = EncodeValue(Value);
    const auto Range = FindSection(Section);
    if (!Range) {
        InsertLine(FLines.size(), "[" + std::string(Section) + "]");
        InsertLine(FLines.size(), std::string(Key) + "=" + Encoded);
        return;
    }
    if (const auto Index = FindKey(*Range, Key)) {
        // The key's own spelling and the spacing around '=' stay; only the value changes.
        std::string& Text = FLines[*Index].Text;
        std::size_t ValueStart = Text.find('=') + 1;
        while (ValueStart < Text.size() && IsBlank(Text[ValueStart]))
            ++ValueStart;
        std::string Changed = Text.substr(0, ValueStart) + Encoded;
        if (Changed != Text) {
            Text = std::move(Changed);
            FModified = true;
        }
        return;
    }
    // After the section's last key, so that blank lines and comments before the next
    // section stay where they are.
    std::size_t Last = Range->Header;
    for (std::size_t I = Range->Header + 1; I < Range->End; ++I) {
        if (ParseLine(FLines[I].Text).Kind == TLineKind::Key)
            Last = I;
    }
    InsertLine(Last + 1, std::string(Key) + "=" + Encoded);
}

void TIniFile::WriteInteger(std::string_view Section, std::string_view Key, int Value) {
    WriteString(Section, Key, std::to_string(Value));
}

void TIniFile::WriteBool(std::string_view Section, std::string_view Key, bool Value) {
    WriteString(Section, Key, Value ? "1" : "0");
}

void TIniFile::UpdateFile() {
    if (!FModified)
        return;
    if (FReadError != 0)
        throw EWriteError(Format("Cannot write file \"%s\". It could not be read: %s",
                                 FFileName.c_str(), std::strerror(FReadError)));
    const std::string Folder = ExtractFilePath(FFileName);
    if (!Folder.empty()) {
        std::error_code Error;
        std::filesystem::create_directories(Folder, Error);
        if (Error)
            throw EFOpenError(Format("Cannot create file \"%s\". %s", FFileName.c_str(),
                                     Error.message().c_str()));
    }
    WriteFileAtomically(FFileName, [this](TStream& Stream) { SaveToStream(Stream); });
    FModified = false;
}

void TIniFile::SaveAs(std::string FileName) {
    FFileName = std::move(FileName);
    FReadError = 0; // the unread file is not written over: it stays where it was
    FModified = true;
    UpdateFile();
}

void TIniFile::SaveToStream(TStream& Stream) const {
    if (FByteOrderMark)
        Stream.WriteBuffer(ByteOrderMark.data(), ByteOrderMark.size());
    for (const TLine& Line : FLines) {
        Stream.WriteBuffer(Line.Text.data(), Line.Text.size());
        Stream.WriteBuffer(Line.Ending.data(), Line.Ending.size());
    }
}

} // namespace pelto
