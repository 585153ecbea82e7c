#pragma once

#include "codecs/ColorReduction.h"
#include "export/FramePlacement.h"
#include "export/PictureExport.h"
#include "model/UDraw.h"
#include "platform/Bitmap.h"

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

namespace pelto {

/// One frame of one action.
struct TPose {
    std::uint8_t Motion;
    std::uint8_t Direction;
    int Frame;
};

/// "m{motion}-d{direction}-f{frame}": a frame's name in sheets and bundles.
std::string PoseName(const TPose& Pose);

/// One action of a scope and its frame count.
struct TScopeAction {
    std::uint8_t Motion;
    std::uint8_t Direction;
    int Frames;
};

/// The actions Options ask for, motion by motion and each motion's directions in turn: the
/// motions and directions given, else those of its scope (motions 0..18 and directions 0..7 in
/// order, or the character's current ones).
std::vector<TScopeAction> ScopeActions(const TDrawChara& Chara, const TExportOptions& Options);
/// Every frame of Actions, in order.
std::vector<TPose> ScopePoses(std::span<const TScopeAction> Actions);

/// A frame on full transparency: alpha 255 exactly where something was drawn, since every
/// sprite and shadow pixel is opaque.
TBitmap DrawCovered(const TDrawChara& Chara, const TPose& Pose);
/// One layer of the frame alone, the same way.
TBitmap DrawLayerCovered(const TDrawChara& Chara, int Layer, const TPose& Pose);
/// Puts Color, opaque, wherever nothing was drawn: the same pixels as drawing on Color.
void PutBehind(TBitmap& Frame32, TColor Color);
/// Color as an opaque pixel of a 32-bit bitmap.
std::uint32_t OpaquePixel(TColor Color);

/// The colour indices of Box of Frame, each made Scale x Scale; the palette stays.
TReducedFrame EnlargedIndices(const TReducedFrame& Frame, const TBox& Box, int Scale);

/// Counts the frames drawn and asks the caller whether to go on.
class TProgressCounter {
public:
    TProgressCounter(TExportProgress Progress, int Total)
        : FProgress(std::move(Progress)), FTotal(Total) {}
    void Step();

private:
    // A copy: callers may hand a temporary, as the size planning does.
    TExportProgress FProgress;
    int FTotal;
    int FDone = 0;
};

/// The part of the canvas Options keep of the frames of Poses: the whole canvas, or the box
/// their crop asks for (the whole canvas when nothing is drawn). Frames, when given, are
/// Poses drawn already; otherwise the frames a body crop needs are drawn one at a time, each
/// counted by Counter.
TBox CropBoxOf(const TDrawChara& Chara, const TExportOptions& Options, std::span<const TPose> Poses,
               std::span<const TBitmap> Frames, TProgressCounter* Counter = nullptr);
/// Whether Options crop to the character's drawn pixels (--trim or --crop body).
bool CropsToBody(const TExportOptions& Options);
/// The layout of every frame of a picture Options ask for, cropped to Box.
TFramePlacement PlacementOf(const TExportOptions& Options, const TBox& Box);

/// How a frame a picture holds relates to the whole canvas, as Aseprite's JSON tells it.
struct TFrameSource {
    bool Trimmed;
    TBox Sprite; // within the untrimmed picture
    int Width;   // of the untrimmed picture
    int Height;
    double PivotX; // the feet point within the untrimmed picture, 0..1 of its size
    double PivotY;
};
TFrameSource FrameSourceOf(const TExportOptions& Options, const TFramePlacement& Placement);

} // namespace pelto

namespace pelto {

/// The name of a layer of TDrawChara::DrawnLayers: "Shadow", "Body", "Head", or the slot and
/// its item's name, "Slot 3 Claymore".
std::string LayerName(const TDrawChara& Chara, int Layer);

} // namespace pelto
