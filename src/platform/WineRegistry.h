#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

namespace pelto {

class TStream;

/// The keys and string values of one of Wine's registry files ("system.reg" holds the keys of
/// HKEY_LOCAL_MACHINE, named relative to it). Read only.
///
/// Key and value names compare ignoring ASCII letter case; key names are given with single
/// backslashes ("Software\Microsoft"), a leading backslash being ignored. A key exists also
/// when only keys below it are stored, as Wine leaves out keys without values.
class TWineRegistry {
public:
    /// Lines longer than this are passed over (a value or key of that size is nothing this
    /// program looks for), so a damaged file never makes a huge allocation.
    static constexpr std::size_t MaxLineLength = 1024 * 1024;

    /// Replaces what was loaded with the keys of FileName. False, with nothing loaded, when
    /// the file cannot be read or does not start with Wine's header. Lines that cannot be
    /// understood are passed over; the values after an unreadable key line belong to no key.
    bool Load(const std::string& FileName);
    /// As Load, with the file's bytes read from Stream's position to its end.
    bool LoadFromStream(TStream& Stream);

    bool KeyExists(std::string_view Key) const;
    /// The string ("..."), "str:" or expandable ("str(2):", not expanded) value Name of Key
    /// in UTF-8, cut at an embedded NUL; empty for a missing key or value and for a value of
    /// another type. Name "" is the key's default value ('@').
    std::optional<std::string> ReadString(std::string_view Key, std::string_view Name) const;

private:
    using TReadBytes = std::function<std::size_t(char* Buffer, std::size_t Count)>;
    bool LoadLines(const TReadBytes& Read);

    // Upper-cased key name -> upper-cased value name -> the text of a string value, or
    // nothing for a value of another type.
    using TValues = std::unordered_map<std::string, std::optional<std::string>>;
    std::unordered_map<std::string, TValues> FKeys;
};

/// The Wine prefix: $WINEPREFIX, else ~/.wine; without a trailing '/'. Empty when there is
/// no home folder either.
std::string WinePrefix();

/// "X:\..." or "X:/...": a path with a drive letter, as written on Windows.
bool IsWindowsPath(std::string_view Path);

/// The Unix path of WindowsPath inside the Wine prefix: the drive through the prefix's
/// "dosdevices" link (drive C: falls back to "drive_c" when its link is missing), a rooted
/// path without a drive on C:, backslashes turned into '/'. A trailing delimiter is kept.
/// A relative path only has its backslashes turned; a network path (\\server\...) has no
/// Unix path and gives empty.
std::string WindowsToUnixPath(const std::string& Prefix, const std::string& WindowsPath);

} // namespace pelto
