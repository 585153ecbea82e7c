#include "export/Backdrop.h"

#include <algorithm>
#include <cstdint>

namespace pelto {
namespace {

std::uint8_t Between(std::uint8_t From, std::uint8_t To, int Step, int Steps) {
    return static_cast<std::uint8_t>(From + (static_cast<int>(To) - From) * Step / Steps);
}

void Gradient(TBitmap& Out, TColor Top, TColor Bottom) {
    const int Steps = std::max(1, Out.Height() - 1);
    for (int Y = 0; Y < Out.Height(); ++Y) {
        const std::uint8_t Pixel[4] = {Between(GetBValue(Top), GetBValue(Bottom), Y, Steps),
                                       Between(GetGValue(Top), GetGValue(Bottom), Y, Steps),
                                       Between(GetRValue(Top), GetRValue(Bottom), Y, Steps), 255};
        std::uint8_t* P = Out.ScanLine(Y);
        for (int X = 0; X < Out.Width(); ++X, P += 4)
            std::copy(Pixel, Pixel + 4, P);
    }
}

// Nearest pixel, in whole numbers: the scale is Num / Den of the side that fits exactly.
void Cover(TBitmap& Out, const TBitmap& Picture) {
    const long W = Out.Width(), H = Out.Height();
    const long PW = Picture.Width(), PH = Picture.Height();
    const bool ByWidth = W * PH >= H * PW;
    const long Num = ByWidth ? W : H;
    const long Den = ByWidth ? PW : PH;
    const long OffX = (PW * Num / Den - W) / 2;
    const long OffY = (PH * Num / Den - H) / 2;
    for (long Y = 0; Y < H; ++Y) {
        const long SY = std::min(PH - 1, (Y + OffY) * Den / Num);
        const std::uint8_t* Row = Picture.ScanLine(static_cast<int>(SY));
        std::uint8_t* P = Out.ScanLine(static_cast<int>(Y));
        for (long X = 0; X < W; ++X, P += 4) {
            const long SX = std::min(PW - 1, (X + OffX) * Den / Num);
            std::copy(Row + SX * 4, Row + SX * 4 + 3, P);
            P[3] = 255;
        }
    }
}

} // namespace

TBitmap DrawBackdrop(const TBackdrop& Backdrop, int Width, int Height) {
    TBitmap Out(Width, Height, TPixelFormat::pf32bit);
    if (Backdrop.Picture)
        Cover(Out, *Backdrop.Picture);
    else
        Gradient(Out, Backdrop.Top, Backdrop.Bottom);
    return Out;
}

void PutBehind(TBitmap& Frame32, const TBitmap& Backdrop) {
    for (int Y = 0; Y < Frame32.Height(); ++Y) {
        std::uint8_t* P = Frame32.ScanLine(Y);
        const std::uint8_t* B = Backdrop.ScanLine(Y);
        for (int X = 0; X < Frame32.Width(); ++X, P += 4, B += 4)
            if (P[3] == 0)
                std::copy(B, B + 4, P);
    }
}

int MeanLuma(const TBitmap& Picture, int X, int Y, int W, int H) {
    long Sum = 0;
    for (int Row = Y; Row < Y + H; ++Row) {
        const std::uint8_t* P = Picture.ScanLine(Row) + static_cast<std::ptrdiff_t>(X) * 4;
        for (int Column = 0; Column < W; ++Column, P += 4)
            Sum += (299L * P[2] + 587L * P[1] + 114L * P[0]) / 1000;
    }
    return W * H > 0 ? static_cast<int>(Sum / (static_cast<long>(W) * H)) : 255;
}

} // namespace pelto
