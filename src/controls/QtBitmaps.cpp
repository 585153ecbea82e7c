#include "controls/QtBitmaps.h"

#include <QBitmap>

#include <cstring>

namespace pelto {

QImage ToQImage(const TBitmap& Bitmap) {
    const bool Alpha = Bitmap.PixelFormat() == TPixelFormat::pf32bit;
    const QImage View(Bitmap.ScanLine(0), Bitmap.Width(), Bitmap.Height(),
                      static_cast<qsizetype>(Bitmap.Stride()),
                      Alpha ? QImage::Format_ARGB32 : QImage::Format_BGR888);
    return View.copy(); // the view borrows the bitmap's bytes; the copy owns its own
}

TBitmap FromQImage(const QImage& Image) {
    const QImage Bgr = Image.convertToFormat(QImage::Format_BGR888);
    TBitmap Bitmap(Bgr.width(), Bgr.height(), TPixelFormat::pf24bit);
    for (int Y = 0; Y < Bgr.height(); ++Y)
        std::memcpy(Bitmap.ScanLine(Y), Bgr.constScanLine(Y),
                    static_cast<std::size_t>(Bgr.width()) * 3);
    return Bitmap;
}

QPixmap WithTransparentColor(const QImage& Image, QColor Key) {
    QPixmap Pixmap = QPixmap::fromImage(Image);
    Pixmap.setMask(QBitmap::fromImage(Image.createMaskFromColor(Key.rgb(), Qt::MaskInColor)));
    return Pixmap;
}

QPixmap WithBottomLeftTransparent(const QImage& Image) {
    if (Image.isNull())
        return {};
    return WithTransparentColor(Image, Image.pixelColor(0, Image.height() - 1));
}

} // namespace pelto
