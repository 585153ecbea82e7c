#pragma once

#include "platform/Bitmap.h"

namespace pelto {

// The program's own pictures, drawn in code so that no binary resource has to be kept.

/// "IDB_ITEMBG", 32 x 32: the background of every item slot and list cell.
const TBitmap& ItemBackBitmap();
/// "IDB_GRAPH", 108 x 27: the gradients of the red, green and blue colour bars, 9 rows each.
const TBitmap& GraphBitmap();

enum class TButtonState { Normal, Hover, Down };

/// The 18 x 18 colour step buttons: a triangle pointing left with a minus sign, or right with a
/// plus sign, on pure green (transparent).
TBitmap StepButtonPicture(bool Right, TButtonState State);
/// The 18 x 18 close button of the item pop-up, on pure green (transparent).
TBitmap CloseButtonPicture(TButtonState State);
/// The 16 x 16 channel letters R, G and B (Channel 0, 1, 2) in their colours, on magenta.
TBitmap ChannelLetterPicture(int Channel);
/// The 7 x 10 padlock marking a slot or colour position that random outfits leave alone, on
/// magenta (transparent), whose bottom row it leaves free.
TBitmap LockGlyphPicture();
/// The program's icon, Size x Size, 32 bits with alpha.
TBitmap ProgramIcon(int Size);

} // namespace pelto
