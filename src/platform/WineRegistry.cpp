#include "platform/WineRegistry.h"

#include "platform/Stream.h"
#include "platform/Text.h"
#include "platform/Utf8.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <utility>

namespace pelto {
namespace {

constexpr std::string_view Header = "WINE REGISTRY Version 2";

// Wine's one-letter escapes of control characters and what they stand for.
constexpr std::string_view EscapeLetters = "abefnrtv";
constexpr std::uint16_t EscapeUnits[] = {'\a', '\b', 0x1B, '\f', '\n', '\r', '\t', '\v'};
static_assert(std::size(EscapeUnits) == EscapeLetters.size());

// Delivers a file line by line without its ending; a line longer than the limit is
// delivered as overlong, with none of its text kept.
template <class TRead> class TLineReader {
public:
    TLineReader(const TRead& Read, std::size_t MaxLength) : FRead(Read), FMaxLength(MaxLength) {}

    bool Next(std::string& Line, bool& Overlong) {
        Line.clear();
        Overlong = false;
        bool Any = false;
        for (;;) {
            if (FPos == FFilled && !Fill())
                return Any;
            Any = true;
            const char* Begin = FBuffer.data() + FPos;
            const std::size_t Available = FFilled - FPos;
            const auto* Break = static_cast<const char*>(std::memchr(Begin, '\n', Available));
            const std::size_t Length = Break ? static_cast<std::size_t>(Break - Begin) : Available;
            if (!Overlong && Line.size() + Length <= FMaxLength)
                Line.append(Begin, Length);
            else {
                Overlong = true;
                Line.clear();
            }
            FPos += Length;
            if (Break) {
                ++FPos;
                if (!Line.empty() && Line.back() == '\r')
                    Line.pop_back();
                return true;
            }
        }
    }

private:
    bool Fill() {
        FPos = 0;
        FFilled = FRead(FBuffer.data(), FBuffer.size());
        return FFilled > 0;
    }

    const TRead& FRead;
    std::size_t FMaxLength;
    std::array<char, 64 * 1024> FBuffer{};
    std::size_t FPos = 0;
    std::size_t FFilled = 0;
};

struct TFileCloser {
    void operator()(std::FILE* F) const { std::fclose(F); }
};

// Collects the UTF-16 code units of Wine's escapes as UTF-8, pairing surrogates; a lone
// surrogate becomes U+FFFD.
class TUtf16Sink {
public:
    void Unit(std::uint16_t U) {
        if (U >= 0xDC00 && U <= 0xDFFF && FHigh) {
            AppendUtf8(FOut, 0x10000 + ((FHigh - 0xD800u) << 10) + (U - 0xDC00u));
            FHigh = 0;
            return;
        }
        FlushHigh();
        if (U >= 0xD800 && U <= 0xDBFF)
            FHigh = U;
        else if (U >= 0xDC00 && U <= 0xDFFF)
            AppendUtf8(FOut, 0xFFFD);
        else
            AppendUtf8(FOut, U);
    }
    // Bytes of the file as they stand (Wine writes only ASCII; anything else is kept).
    void Byte(char C) {
        FlushHigh();
        FOut += C;
    }
    std::string Take() {
        FlushHigh();
        return std::move(FOut);
    }

private:
    void FlushHigh() {
        if (FHigh) {
            AppendUtf8(FOut, 0xFFFD);
            FHigh = 0;
        }
    }
    std::string FOut;
    std::uint16_t FHigh = 0;
};

// Reads Wine's escaped text from Pos up to the unescaped character Terminator; Pos is left
// after the terminator. Empty when the terminator is missing.
std::optional<std::string> ParseEscaped(std::string_view Line, std::size_t& Pos, char Terminator) {
    TUtf16Sink Out;
    while (Pos < Line.size()) {
        const char C = Line[Pos++];
        if (C == Terminator)
            return Out.Take();
        if (C != '\\') {
            Out.Byte(C);
            continue;
        }
        if (Pos == Line.size())
            break;
        const char E = Line[Pos++];
        if (const std::size_t Letter = EscapeLetters.find(E); Letter != std::string_view::npos) {
            Out.Unit(EscapeUnits[Letter]);
        } else if (E == 'x') {
            std::uint32_t Code = 0;
            int Digits = 0;
            for (; Digits < 4 && Pos < Line.size() && HexDigit(Line[Pos]) >= 0; ++Digits)
                Code = Code * 16 + static_cast<std::uint32_t>(HexDigit(Line[Pos++]));
            if (Digits == 0)
                Out.Byte('x');
            else
                Out.Unit(static_cast<std::uint16_t>(Code));
        } else if (E >= '0' && E <= '7') {
            std::uint32_t Code = static_cast<std::uint32_t>(E - '0');
            for (int Digits = 1;
                 Digits < 3 && Pos < Line.size() && Line[Pos] >= '0' && Line[Pos] <= '7'; ++Digits)
                Code = Code * 8 + static_cast<std::uint32_t>(Line[Pos++] - '0');
            Out.Unit(static_cast<std::uint16_t>(Code));
        } else {
            Out.Byte(E); // "\\", "\"", "\[", "\]" and anything else: the character itself
        }
    }
    return std::nullopt;
}

void SkipBlanks(std::string_view Line, std::size_t& Pos) {
    while (Pos < Line.size() && (Line[Pos] == ' ' || Line[Pos] == '\t'))
        ++Pos;
}

std::string KeyName(std::string_view Key) {
    while (!Key.empty() && Key.front() == '\\')
        Key.remove_prefix(1);
    return UpperCase(Key);
}

// The data of a value line after '=': the text of a string, or nothing for another type.
// False when the line is malformed.
bool ParseData(std::string_view Line, std::size_t Pos, std::optional<std::string>& Text) {
    Text.reset();
    for (const std::string_view Prefix : {"\"", "str:\"", "str(1):\"", "str(2):\""}) {
        if (Line.substr(Pos, Prefix.size()) != Prefix)
            continue;
        Pos += Prefix.size();
        auto Value = ParseEscaped(Line, Pos, '"');
        if (!Value)
            return false;
        // A Windows string ends at its first NUL.
        if (const std::size_t Nul = Value->find('\0'); Nul != std::string::npos)
            Value->resize(Nul);
        Text = std::move(Value);
        return true;
    }
    return Pos < Line.size(); // dword:, hex:, hex(n):, str(7): ... ignored
}

} // namespace

bool TWineRegistry::Load(const std::string& FileName) {
    FKeys.clear();
    std::unique_ptr<std::FILE, TFileCloser> File(std::fopen(FileName.c_str(), "rb"));
    if (!File)
        return false;
    return LoadLines([&File](char* Buffer, std::size_t Count) {
        return std::fread(Buffer, 1, Count, File.get());
    });
}

bool TWineRegistry::LoadFromStream(TStream& Stream) {
    return LoadLines(
        [&Stream](char* Buffer, std::size_t Count) { return Stream.Read(Buffer, Count); });
}

bool TWineRegistry::LoadLines(const TReadBytes& Read) {
    FKeys.clear();
    TLineReader Reader(Read, MaxLineLength);
    std::string Line;
    bool Overlong = false;
    if (!Reader.Next(Line, Overlong) || Overlong || Line.substr(0, Header.size()) != Header)
        return false;

    TValues* Current = nullptr;
    while (Reader.Next(Line, Overlong)) {
        if (Overlong) {
            // It may have been a key line: what follows must not land in the previous key.
            Current = nullptr;
            continue;
        }
        std::size_t Pos = 0;
        SkipBlanks(Line, Pos);
        if (Pos == Line.size())
            continue;
        const char First = Line[Pos++];
        if (First == '[') {
            Current = nullptr;
            const auto Name = ParseEscaped(Line, Pos, ']');
            if (!Name)
                continue;
            std::string Key = KeyName(*Name);
            // Wine leaves out keys without values; their subkeys still make them exist.
            for (std::size_t Slash = Key.find('\\'); Slash != std::string::npos;
                 Slash = Key.find('\\', Slash + 1))
                FKeys.try_emplace(Key.substr(0, Slash));
            Current = &FKeys[Key];
        } else if ((First == '"' || First == '@') && Current) {
            std::optional<std::string> Name = std::string();
            if (First == '"')
                Name = ParseEscaped(Line, Pos, '"');
            if (!Name)
                continue;
            SkipBlanks(Line, Pos);
            if (Pos == Line.size() || Line[Pos++] != '=')
                continue;
            SkipBlanks(Line, Pos);
            std::optional<std::string> Text;
            if (ParseData(Line, Pos, Text))
                (*Current)[UpperCase(*Name)] = std::move(Text);
        }
        // '#' options, ';' comments, continuation lines of hex data: nothing to keep.
    }
    return true;
}

bool TWineRegistry::KeyExists(std::string_view Key) const {
    return FKeys.contains(KeyName(Key));
}

std::optional<std::string> TWineRegistry::ReadString(std::string_view Key,
                                                     std::string_view Name) const {
    const auto K = FKeys.find(KeyName(Key));
    if (K == FKeys.end())
        return std::nullopt;
    const auto V = K->second.find(UpperCase(Name));
    if (V == K->second.end())
        return std::nullopt;
    return V->second;
}

std::string WinePrefix() {
    std::string Prefix;
    if (const char* Env = std::getenv("WINEPREFIX"); Env && *Env) {
        Prefix = Env;
    } else {
        std::string Home;
        if (const char* Env = std::getenv("HOME"); Env && *Env)
            Home = Env;
        else if (const passwd* User = ::getpwuid(::getuid()); User && User->pw_dir)
            Home = User->pw_dir;
        while (!Home.empty() && Home.back() == '/')
            Home.pop_back();
        if (Home.empty())
            return {};
        Prefix = Home + "/.wine";
    }
    while (Prefix.size() > 1 && Prefix.back() == '/')
        Prefix.pop_back();
    return Prefix;
}

bool IsWindowsPath(std::string_view Path) {
    const auto IsLetter = [](char C) {
        return (C >= 'a' && C <= 'z') || (C >= 'A' && C <= 'Z');
    };
    return Path.size() >= 3 && IsLetter(Path[0]) && Path[1] == ':' &&
           (Path[2] == '\\' || Path[2] == '/');
}

std::string WindowsToUnixPath(const std::string& Prefix, const std::string& WindowsPath) {
    const auto IsDelim = [](char C) {
        return C == '\\' || C == '/';
    };
    std::string Rest = WindowsPath;
    for (char& C : Rest) {
        if (C == '\\')
            C = '/';
    }
    char Drive = 'c';
    const bool HasDrive =
        Rest.size() >= 2 && Rest[1] == ':' &&
        ((Rest[0] >= 'a' && Rest[0] <= 'z') || (Rest[0] >= 'A' && Rest[0] <= 'Z'));
    if (HasDrive) {
        Drive = static_cast<char>(Rest[0] | 0x20);
        Rest.erase(0, 2);
    } else if (WindowsPath.size() >= 2 && IsDelim(WindowsPath[0]) && IsDelim(WindowsPath[1])) {
        return {}; // \\server\share
    } else if (Rest.empty() || Rest[0] != '/') {
        return Rest; // relative: nothing to anchor it to
    }
    if (Rest.empty() || Rest[0] != '/')
        Rest.insert(Rest.begin(), '/'); // "C:" and "C:dir" are taken from the drive's root

    const std::string Base = Prefix.empty() || Prefix.back() != '/' ? Prefix + "/" : Prefix;
    std::string Root = Base + "dosdevices/" + Drive + ":";
    struct stat St {};
    if (Drive == 'c' && ::lstat(Root.c_str(), &St) != 0)
        Root = Base + "drive_c";
    return Root + Rest;
}

} // namespace pelto
