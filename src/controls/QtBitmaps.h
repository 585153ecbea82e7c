#pragma once

#include "platform/Bitmap.h"

#include <QColor>
#include <QImage>
#include <QPixmap>

namespace pelto {

/// A copy of a 24- or 32-bit bitmap as a QImage (32-bit ones keep their alpha).
QImage ToQImage(const TBitmap& Bitmap);
/// A 24-bit copy of any QImage.
TBitmap FromQImage(const QImage& Image);
/// Image with every pixel of the colour Key left out.
QPixmap WithTransparentColor(const QImage& Image, QColor Key);
/// Image with the colour of its bottom-left pixel left out, as transparent pictures are drawn.
QPixmap WithBottomLeftTransparent(const QImage& Image);

} // namespace pelto
