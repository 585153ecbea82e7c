#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace pelto {

/// The kinds of image file "Save Image As..." writes, numbered as its dialog's filter lists
/// them.
enum class TImageFileType {
    Bitmap = 1,
    Jpeg = 2,
    Png = 3,
    TransparentPng = 4,
    Gif = 5,
    TransparentGif = 6,
};

/// How a picture is encoded.
enum class TExportKind { Bitmap, Jpeg, Png, Gif, Apng, Webp, Sheet, Bundle, Aseprite };

/// One kind of picture file, with everything a front end asks of it.
struct TExportFormat {
    TExportKind Kind;
    bool Transparent;
    bool Animated; // every frame of the current action, each lasting the export's delay
    bool Still;    // the current frame alone; a sheet is neither
    /// Drawn by the render service; a sheet is two files and is not.
    bool Served;
    /// What "Save Image As..." offers this format as; none for the formats only Export writes.
    std::optional<TImageFileType> ClassicType;
    std::string_view Name;     // in pelto-cli, the service's paths and the settings file
    std::string_view MimeType; // an animated PNG is a PNG to whatever does not know it
    std::string_view Extension;
    std::string_view OtherExtension; // also kept when typed, or empty
    /// The entry of both dialogs that offer the format, "Bitmap (*.bmp)".
    std::string_view Filter;
};

/// In the order of the export dialog.
inline constexpr std::array<TExportFormat, 15> ExportFormats{{
    {TExportKind::Png, false, false, true, true, TImageFileType::Png, "png", "image/png", ".png",
     "", "PNG (*.png)"},
    {TExportKind::Png, true, false, true, true, TImageFileType::TransparentPng, "tpng", "image/png",
     ".png", "", "Transparent PNG (*.png)"},
    {TExportKind::Apng, false, true, false, true, std::nullopt, "apng", "image/png", ".png", "",
     "Animated PNG (*.png)"},
    {TExportKind::Apng, true, true, false, true, std::nullopt, "tapng", "image/png", ".png", "",
     "Transparent animated PNG (*.png)"},
    {TExportKind::Webp, false, true, false, true, std::nullopt, "webp", "image/webp", ".webp", "",
     "Animated WebP (*.webp)"},
    {TExportKind::Webp, true, true, false, true, std::nullopt, "twebp", "image/webp", ".webp", "",
     "Transparent animated WebP (*.webp)"},
    {TExportKind::Sheet, false, false, false, false, std::nullopt, "sheet", "image/png", ".png", "",
     "Sprite sheet with JSON (*.png)"},
    {TExportKind::Sheet, true, false, false, false, std::nullopt, "tsheet", "image/png", ".png", "",
     "Transparent sprite sheet with JSON (*.png)"},
    {TExportKind::Bundle, false, false, false, false, std::nullopt, "bundle", "application/zip",
     ".zip", "", "Bundle (ZIP) (*.zip)"},
    {TExportKind::Bundle, true, false, false, false, std::nullopt, "tbundle", "application/zip",
     ".zip", "", "Transparent bundle (ZIP) (*.zip)"},
    {TExportKind::Aseprite, true, false, false, false, std::nullopt, "aseprite", "image/x-aseprite",
     ".aseprite", ".ase", "Layered Aseprite (*.aseprite)"},
    {TExportKind::Gif, false, true, false, true, TImageFileType::Gif, "gif", "image/gif", ".gif",
     "", "GIF (*.gif)"},
    {TExportKind::Gif, true, true, false, true, TImageFileType::TransparentGif, "tgif", "image/gif",
     ".gif", "", "Transparent GIF (*.gif)"},
    {TExportKind::Bitmap, false, false, true, true, TImageFileType::Bitmap, "bmp", "image/bmp",
     ".bmp", "", "Bitmap (*.bmp)"},
    {TExportKind::Jpeg, false, false, true, true, TImageFileType::Jpeg, "jpg", "image/jpeg", ".jpg",
     ".jpeg", "JPEG (*.jpg)"},
}};

namespace detail {
constexpr std::array<const TExportFormat*, 6> ClassicFormatsInTypeOrder() {
    std::array<const TExportFormat*, 6> Classic{};
    for (const TExportFormat& Format : ExportFormats)
        if (Format.ClassicType)
            Classic[static_cast<std::size_t>(*Format.ClassicType) - 1] = &Format;
    return Classic;
}
} // namespace detail

/// The formats of "Save Image As...", in the order of its dialog's filter.
inline constexpr std::array<const TExportFormat*, 6> ClassicFormats =
    detail::ClassicFormatsInTypeOrder();
namespace detail {
// Counted rather than checked on the pointers, which a sanitizing build cannot compare in a
// constant expression.
constexpr bool EveryClassicTypeOnce() {
    std::array<int, 6> Seen{};
    for (const TExportFormat& Format : ExportFormats)
        if (Format.ClassicType)
            ++Seen[static_cast<std::size_t>(*Format.ClassicType) - 1];
    return std::all_of(Seen.begin(), Seen.end(), [](int Count) { return Count == 1; });
}
} // namespace detail
static_assert(detail::EveryClassicTypeOnce(), "every classic type has one format");

/// A picture of the current frame, not an animation or a sheet.
constexpr bool IsStillFormat(const TExportFormat& Format) {
    return Format.Still;
}
/// An animation, whose frames last the export's delay.
constexpr bool IsAnimatedFormat(const TExportFormat& Format) {
    return Format.Animated;
}
/// Rows of cells of the actions of a scope, beside a JSON index of them.
constexpr bool IsSheetFormat(const TExportFormat& Format) {
    return Format.Kind == TExportKind::Sheet;
}

/// A file of every frame of several actions: a sheet, a bundle or a layered Aseprite file.
constexpr bool HasScope(const TExportFormat& Format) {
    return Format.Kind == TExportKind::Sheet || Format.Kind == TExportKind::Bundle ||
           Format.Kind == TExportKind::Aseprite;
}

/// The export options that only some formats take.
enum class TFormatOption {
    Delay,      // how long a frame lasts
    Scope,      // which actions the file holds
    FrameNames, // what the index calls its frames
    Layers,     // every frame also layer by layer
    Padding,    // pixels between a sheet's cells, and edges extruded into them
};

/// Whether Format takes Option: the one rule the command line, the service and the export
/// dialog follow.
constexpr bool FormatTakes(const TExportFormat& Format, TFormatOption Option) {
    switch (Option) {
    case TFormatOption::Delay:
        return !IsStillFormat(Format);
    case TFormatOption::Scope:
        return HasScope(Format);
    case TFormatOption::FrameNames:
    case TFormatOption::Padding:
        return Format.Kind == TExportKind::Sheet || Format.Kind == TExportKind::Bundle;
    case TFormatOption::Layers:
        return Format.Kind == TExportKind::Bundle;
    }
    return false;
}

namespace detail {
// What is not a still picture has frames that last: an animation or a file of several actions.
constexpr bool DelayGoesWithFrames() {
    for (const TExportFormat& Format : ExportFormats)
        if (FormatTakes(Format, TFormatOption::Delay) !=
            (IsAnimatedFormat(Format) || HasScope(Format)))
            return false;
    return true;
}
} // namespace detail
static_assert(detail::DelayGoesWithFrames(), "every format but a still takes a delay");

const TExportFormat& ImageFormatOf(TImageFileType Type);
/// The format called Name (ignoring case), or nullptr.
const TExportFormat* FindExportFormat(std::string_view Name);

/// FileName with an extension that fits Format: one that already fits (".jpeg" too, for JPEG;
/// compared ignoring case) is kept as typed, any other is replaced.
std::string NormalizeExportFileName(std::string_view FileName, const TExportFormat& Format);

} // namespace pelto
