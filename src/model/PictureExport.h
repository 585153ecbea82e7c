#pragma once

#include "platform/Errors.h"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace pelto {

class TBitmap;
class TDrawChara;
class TStream;

/// What an export writes, beside the classic "Save Image As..." types.
enum class TExportKind { Bitmap, Jpeg, Png, Gif, Apng, Webp, Sheet };

/// The actions a sheet holds: the current one, the current motion in all eight directions,
/// or every motion in every direction.
enum class TExportScope { Action, Directions, All };
/// The scopes by name, in pelto-cli and the settings file, in the order of TExportScope.
inline constexpr std::array<std::string_view, 3> ExportScopeNames{"action", "directions", "all"};

struct TExportFormat {
    TExportKind Kind;
    bool Transparent;
    std::string_view Name;      // in pelto-cli and the settings file
    std::string_view Filter;    // the export dialog's entry
    std::string_view Extension; // a sheet's JSON goes beside it with ".json"
};

/// In the order of the export dialog.
inline constexpr std::array<TExportFormat, 12> ExportFormats{{
    {TExportKind::Png, false, "png", "PNG (*.png)", ".png"},
    {TExportKind::Png, true, "tpng", "Transparent PNG (*.png)", ".png"},
    {TExportKind::Apng, false, "apng", "Animated PNG (*.png)", ".png"},
    {TExportKind::Apng, true, "tapng", "Transparent animated PNG (*.png)", ".png"},
    {TExportKind::Webp, false, "webp", "Animated WebP (*.webp)", ".webp"},
    {TExportKind::Webp, true, "twebp", "Transparent animated WebP (*.webp)", ".webp"},
    {TExportKind::Sheet, false, "sheet", "Sprite sheet with JSON (*.png)", ".png"},
    {TExportKind::Sheet, true, "tsheet", "Transparent sprite sheet with JSON (*.png)", ".png"},
    {TExportKind::Gif, false, "gif", "GIF (*.gif)", ".gif"},
    {TExportKind::Gif, true, "tgif", "Transparent GIF (*.gif)", ".gif"},
    {TExportKind::Bitmap, false, "bmp", "Bitmap (*.bmp)", ".bmp"},
    {TExportKind::Jpeg, false, "jpg", "JPEG (*.jpg)", ".jpg"},
}};

/// A picture of the current frame, not an animation or a sheet.
constexpr bool IsStillFormat(const TExportFormat& Format) {
    return Format.Kind == TExportKind::Bitmap || Format.Kind == TExportKind::Jpeg ||
           Format.Kind == TExportKind::Png;
}

/// An animation, whose frames last the export's delay.
constexpr bool IsAnimatedFormat(const TExportFormat& Format) {
    return Format.Kind == TExportKind::Apng || Format.Kind == TExportKind::Webp ||
           Format.Kind == TExportKind::Gif;
}

/// The format called Name (ignoring case), or nullptr.
const TExportFormat* FindExportFormat(std::string_view Name);

inline constexpr int MinExportScale = 1;
inline constexpr int MaxExportScale = 8;
/// The viewer's animation pace.
inline constexpr int DefaultExportDelay = 167;
/// The classic GIF's pace, which a GIF keeps unless another delay is asked for.
inline constexpr int ClassicGifExportDelay = 160;
/// The delay a format's frames get when none is asked for.
constexpr int DefaultDelayOf(const TExportFormat& Format) {
    return Format.Kind == TExportKind::Gif ? ClassicGifExportDelay : DefaultExportDelay;
}
inline constexpr int MinExportDelay = 20;
inline constexpr int MaxExportDelay = 5000;

struct TExportOptions {
    const TExportFormat* Format = &ExportFormats.front();
    int Scale = 1;
    /// Milliseconds a frame; none: DefaultExportDelay, and the GIF's own 16 hundredths.
    std::optional<int> Delay;
    TExportScope Scope = TExportScope::Action;
    bool Trim = false;
    /// The character code the picture carries (PictureCode.h) where its format has room for
    /// text; empty: none.
    std::string Code;
};

/// The options write what "Save Image As..." writes, byte for byte: a classic format at scale
/// 1, without trim, delay or code.
bool WritesClassicBytes(const TExportOptions& Options);

/// Told the frames drawn so far and how many there are in all; returning false cancels.
using TExportProgress = std::function<bool(int Done, int Total)>;

/// An export stopped by its progress function; nothing was written.
class EExportCanceled : public EWloError {
public:
    EExportCanceled() : EWloError("Export canceled.") {}
};

/// FileName with the extension of Format unless it has it already (ignoring case).
std::string NormalizeExportFileName(std::string_view FileName, const TExportFormat& Format);
/// The JSON file written beside the sheet SheetFileName.
std::string SheetJsonFileName(std::string_view SheetFileName);

/// What an export wrote: the picture's size (a sheet's whole) and its frames (a sheet's cells).
struct TExportShape {
    int Width = 0;
    int Height = 0;
    int Frames = 0;
};

/// Writes the character as Options ask. Each canvas pixel becomes Scale x Scale pixels; with
/// Trim every frame is cropped to the union of the drawn pixels of all frames in the file.
/// Still formats show the current frame, animations every frame of the current action, a
/// sheet every frame of the actions of its scope beside a JSON index of their cells. Without
/// scale, trim, delay or code, the classic formats are written byte for byte as SaveImageFile
/// writes them. Every file is replaced only once complete, and a sheet's two files both or
/// neither; failures name the file. Options out of range raise std::invalid_argument.
TExportShape ExportPicture(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, const std::string& FileName,
                           const TExportProgress& Progress = {});
/// The bytes ExportPicture writes to its file, into Stream; for every format but the sheets.
void ExportPictureToStream(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, TStream& Stream,
                           const TExportProgress& Progress = {});

} // namespace pelto
