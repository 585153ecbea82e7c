#pragma once

#include "export/FramePlacement.h"
#include "export/PictureFormats.h"
#include "platform/Errors.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TBitmap;
class TDrawChara;
class TDressingSession;
class TStream;

/// The actions a sheet holds: the current one, the current motion in all eight directions,
/// or every motion in every direction.
enum class TExportScope { Action, Directions, All };
/// The scopes by name, in pelto-cli and the settings file, in the order of TExportScope.
inline constexpr std::array<std::string_view, 3> ExportScopeNames{"action", "directions", "all"};

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

/// The directions in the order engines lay out eight-way rows: from the one facing the viewer
/// (south) clockwise, as the screen shows them.
inline constexpr std::array<std::uint8_t, 8> EngineDirectionOrder{4, 3, 2, 1, 0, 7, 6, 5};
/// The game's own order, 0 (facing the top of the view) counter-clockwise.
inline constexpr std::array<std::uint8_t, 8> GameDirectionOrder{0, 1, 2, 3, 4, 5, 6, 7};
/// The orders by name, as --directions takes them beside a list.
inline constexpr std::array<std::string_view, 2> DirectionOrderNames{"game", "engine"};

/// "3,0,1" as the motions (or with Directions the directions) of a sheet: numbers the game
/// has, each once, in the order given; for the directions also the name of an order. Nothing
/// when Text is none of these.
std::optional<std::vector<std::uint8_t>> ActionListOf(std::string_view Text, bool Directions);
/// The padding and extrude of a sheet's cells, in pixels.
inline constexpr int MaxExportPadding = 64;
inline constexpr int MaxExportExtrude = 16;

/// What a sheet's JSON names its frames: "m{motion}-d{direction}-f{frame}", or their index
/// from 0, as Aseprite's "{frame}" names them and Phaser's createFromAseprite looks them up.
enum class TFrameNames { Pose, Index };
inline constexpr std::array<std::string_view, 2> FrameNamesNames{"pose", "index"};

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
    TExportCrop Crop = TExportCrop::Full;
    /// Mirrors every frame horizontally.
    bool Flip = false;
    /// Puts every frame on a picture of this size; none: the crop's own size.
    std::optional<TExportCanvas> Canvas = std::nullopt;
    TFrameNames FrameNames = TFrameNames::Pose;
    /// A bundle's frames also layer by layer.
    bool Layers = false;
    /// The motions and directions of a sheet, bundle or layered file, each in the order given
    /// and each once; empty: those of Scope.
    std::vector<std::uint8_t> Motions{};
    std::vector<std::uint8_t> Directions{};
    /// A sheet's pixels between its cells and around them, and how many times each frame's edge
    /// pixels are repeated outwards into them, so that an engine's scaled sampling takes no
    /// pixel of the next frame.
    int Padding = 0;
    int Extrude = 0;
};

/// The options write the picture "Save Image As..." writes: a classic format at scale 1, without
/// trim, crop, flip, canvas, delay or code. It is the same bytes but for a PNG, which is the
/// same pixels packed as every other PNG of ours.
bool WritesClassicPicture(const TExportOptions& Options);

/// Told the frames drawn so far and how many there are in all; returning false cancels.
using TExportProgress = std::function<bool(int Done, int Total)>;

/// An export stopped by its progress function; nothing was written.
class EExportCanceled : public EWloError {
public:
    EExportCanceled() : EWloError("Export canceled.") {}
};

/// The JSON file written beside the sheet SheetFileName.
std::string SheetJsonFileName(std::string_view SheetFileName);

/// What an export wrote: the picture's size (a sheet's whole) and its frames (a sheet's cells).
struct TExportShape {
    int Width = 0;
    int Height = 0;
    int Frames = 0;
};

/// The largest side common picture viewers open; a wider or taller export deserves a word.
inline constexpr int ViewableSide = 16384;

/// The size ExportPicture would give the picture Options ask for (a sheet's whole, a bundle's
/// sheet), without writing it; a body crop draws the frames it needs.
TExportShape PlannedShape(const TDrawChara& Chara, const TExportOptions& Options);
/// The current frame as Options lay it out: cropped, mirrored, enlarged and placed, on the
/// background unless the format is transparent (32-bit, alpha 0 there).
TBitmap ExportPreview(const TDrawChara& Chara, const TExportOptions& Options);

/// Writes the character as Options ask. Each canvas pixel becomes Scale x Scale pixels; with
/// Trim every frame is cropped to the union of the drawn pixels of all frames in the file.
/// Still formats show the current frame, animations every frame of the current action, a
/// sheet every frame of the actions of its scope beside a JSON index of their cells. Without
/// scale, trim, delay or code, the classic formats are written as SaveImageFile writes them
/// (see WritesClassicPicture). Every file is replaced only once complete, and a sheet's two files
/// both or neither; failures name the file. Options out of range raise std::invalid_argument.
TExportShape ExportPicture(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, const std::string& FileName,
                           const TExportProgress& Progress = {});
/// The bytes ExportPicture writes to its file, into Stream; for every format but the sheets.
void ExportPictureToStream(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, TStream& Stream,
                           const TExportProgress& Progress = {});

/// ExportPicture of the character Session shows.
TExportShape ExportPicture(TDressingSession& Session, const TExportOptions& Options,
                           const std::string& FileName, const TExportProgress& Progress = {});
/// ExportPictureToStream of the character Session shows.
void ExportPictureToStream(TDressingSession& Session, const TExportOptions& Options,
                           TStream& Stream);

} // namespace pelto
