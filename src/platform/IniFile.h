#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TStream;

/// An INI file read and written key by key the way the Windows private-profile routines do:
/// a write changes one key in place, appends a missing key after the last key of its section
/// and a missing section to the end of the file, and leaves every other line as it was, byte
/// for byte (comments, blank lines, foreign sections, other line endings).
///
/// The file is read once into memory and edited there; UpdateFile writes it back in one
/// atomic replacement. Writing key by key to disk, as the Windows routines do, would leave a
/// half-written file after a crash or a full disk; this way a save is all or nothing.
///
/// Reading follows GetPrivateProfileString:
/// - section and key names compare ignoring ASCII letter case; the first section of a name
///   and the first key of a name within it answer (later duplicates are never seen);
/// - whitespace around names and values is trimmed; a value enclosed in matching double or
///   single quotes loses them; a value longer than 2047 UTF-16 units is cut there;
/// - lines without '=' and lines starting with ';' (comments) hold no key; lines before
///   the first section header belong to no section;
/// - a value that is not valid UTF-8 (a file copied from a Windows installation) is read
///   as Shift-JIS.
///
/// Line endings: lines keep their own; new lines take the ending of the file's first line
/// break, "\n" for a file without one. A UTF-8 byte order mark is kept and ignored.
class TIniFile {
public:
    static constexpr std::size_t MaxValueLength = 2047; // UTF-16 units, as the Windows buffer

    /// Reads FileName; a missing file reads as empty. So does one that exists but cannot be
    /// read in full (no permission, a folder, an I/O error), which UpdateFile then refuses to
    /// write over, so that what it holds is not lost.
    explicit TIniFile(std::string FileName);
    /// As above, with the file's bytes taken from Contents (its position to its end) instead
    /// of read from FileName, which UpdateFile still writes.
    TIniFile(std::string FileName, TStream& Contents);

    const std::string& FileName() const { return FFileName; }

    std::string ReadString(std::string_view Section, std::string_view Key,
                           std::string_view Default) const;
    /// Decimal, or hexadecimal after "0x", "0X" or "$", with an optional sign, within 32 bits
    /// (hexadecimal up to FFFFFFFF, read as its two's complement). Anything else, or a
    /// missing key, gives Default.
    int ReadInteger(std::string_view Section, std::string_view Key, int Default) const;
    /// As ReadInteger, but empty for a missing key or a value that is not an integer.
    std::optional<int> TryReadInteger(std::string_view Section, std::string_view Key) const;
    /// Any integer other than 0 is true; a value that is not an integer gives Default.
    bool ReadBool(std::string_view Section, std::string_view Key, bool Default) const;
    /// The section exists and holds at least one key: a bare header counts as absent, as
    /// a section that the Windows routines list no keys for.
    bool SectionExists(std::string_view Section) const;

    /// Line breaks in Value become spaces (a value is one line). A value that would not read
    /// back as written (surrounding whitespace, surrounding quotes) is written in quotes.
    void WriteString(std::string_view Section, std::string_view Key, std::string_view Value);
    void WriteInteger(std::string_view Section, std::string_view Key, int Value);
    /// Written as "1" or "0".
    void WriteBool(std::string_view Section, std::string_view Key, bool Value);
    /// Removes every section of that name, from its header to the next one, comments and
    /// all; later duplicates too, which would otherwise answer in its place.
    void EraseSection(std::string_view Section);

    /// Whether a write changed the file since it was read or last written.
    bool Modified() const { return FModified; }
    /// Writes the file if anything changed, creating its folder when missing. Raises
    /// EFOpenError or EWriteError naming the file and the reason; the file on disk is then
    /// as it was, and the changes stay pending. A file that could not be read is refused.
    void UpdateFile();
    /// Writes what the file holds now, changed or not, to FileName, which it is from then on.
    /// One that could not be read moves as empty. Raises as UpdateFile.
    void SaveAs(std::string FileName);
    /// Writes the bytes UpdateFile would write to the file.
    void SaveToStream(TStream& Stream) const;

private:
    struct TLine {
        std::string Text;   // without its line ending
        std::string Ending; // "\n", "\r\n" or "" (last line without one)
    };
    struct TSectionRange {
        std::size_t Header; // index of the header line
        std::size_t End;    // one past the section's last line
    };

    void Parse(std::string_view Bytes);
    std::optional<TSectionRange> FindSection(std::string_view Section) const;
    std::optional<std::size_t> FindKey(const TSectionRange& Range, std::string_view Key) const;
    std::optional<std::string> RawValue(std::string_view Section, std::string_view Key) const;
    void InsertLine(std::size_t Index, std::string Text);

    std::string FFileName;
    std::vector<TLine> FLines;
    std::string FEnding = "\n";
    int FReadError = 0; // errno of a file that exists but could not be read
    bool FByteOrderMark = false;
    bool FModified = false;
};

} // namespace pelto
