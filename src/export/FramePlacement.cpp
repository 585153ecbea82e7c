#include "export/FramePlacement.h"

#include <algorithm>
#include <cstring>

namespace pelto {
namespace {

/// Division rounding down, also for a negative Numerator.
constexpr int FloorDiv(int Numerator, int Denominator) {
    const int Q = Numerator / Denominator;
    return Q * Denominator > Numerator ? Q - 1 : Q;
}

/// The feet point's column within Source, as placed (mirrored or not).
int FeetColumn(const TFramePlacement& P) {
    const int Column = FeetX - P.Source.X;
    return P.Flip ? P.Source.Width - 1 - Column : Column;
}

} // namespace

double TFramePlacement::PivotX() const {
    return Left + (FeetColumn(*this) + 0.5) * Scale;
}

double TFramePlacement::PivotY() const {
    return Top + (FeetY - Source.Y + 0.5) * Scale;
}

TFramePlacement PlaceFrames(const TBox& Source, int Scale, bool Flip,
                            const std::optional<TExportCanvas>& Canvas) {
    TFramePlacement P{Source, Scale, Flip, Source.Width * Scale, Source.Height * Scale, 0, 0};
    if (!Canvas)
        return P;
    P.Width = Canvas->Width;
    P.Height = Canvas->Height;
    if (Canvas->Anchor == TCanvasAnchor::Center) {
        P.Left = FloorDiv(P.Width - Source.Width * Scale, 2);
        P.Top = FloorDiv(P.Height - Source.Height * Scale, 2);
    } else {
        P.Left = FloorDiv(P.Width - (2 * FeetColumn(P) + 1) * Scale, 2);
        P.Top = P.Height - (FeetY - Source.Y + FeetDepth) * Scale;
    }
    return P;
}

std::optional<TBox> DrawnBox(std::span<const TBitmap> Frames) {
    int Left = CanvasSize, Top = CanvasSize, Right = -1, Bottom = -1;
    for (const TBitmap& Frame : Frames)
        for (int Y = 0; Y < Frame.Height(); ++Y) {
            const std::uint8_t* P = Frame.ScanLine(Y);
            for (int X = 0; X < Frame.Width(); ++X)
                if (P[4 * X + 3] != 0) {
                    Left = std::min(Left, X);
                    Right = std::max(Right, X);
                    Top = std::min(Top, Y);
                    Bottom = std::max(Bottom, Y);
                }
        }
    if (Right < 0)
        return std::nullopt;
    return TBox{Left, Top, Right - Left + 1, Bottom - Top + 1};
}

TBox SquareAround(const TBox& Drawn) {
    const int Side = std::min(CanvasSize, std::max(Drawn.Width, Drawn.Height));
    const auto Inside = [Side](int Start, int Length) {
        return std::clamp(Start + FloorDiv(Length - Side, 2), 0, CanvasSize - Side);
    };
    return {Inside(Drawn.X, Drawn.Width), Inside(Drawn.Y, Drawn.Height), Side, Side};
}

void PlaceFrame(const TBitmap& Frame32, const TFramePlacement& P, TBitmap& Target, int CellX,
                int CellY) {
    // The columns and rows of the picture the enlarged source covers, cut to the picture.
    const int First = std::max(0, P.Left),
              Last = std::min(P.Width, P.Left + P.Source.Width * P.Scale);
    const int Top = std::max(0, P.Top),
              Bottom = std::min(P.Height, P.Top + P.Source.Height * P.Scale);
    if (First >= Last || Top >= Bottom)
        return;
    const std::size_t RowBytes = static_cast<std::size_t>(Last - First) * 4;
    int DoneRow = -1; // the source row whose enlarged row was written last, to copy it
    for (int Y = Top; Y < Bottom; ++Y) {
        const int SourceRow = (Y - P.Top) / P.Scale;
        std::uint8_t* Out =
            Target.ScanLine(CellY + Y) + static_cast<std::size_t>(CellX + First) * 4;
        if (SourceRow == DoneRow) {
            std::memcpy(
                Out, Target.ScanLine(CellY + Y - 1) + static_cast<std::size_t>(CellX + First) * 4,
                RowBytes);
            continue;
        }
        const std::uint8_t* In = Frame32.ScanLine(P.Source.Y + SourceRow);
        // Source pixel by source pixel, each written as often as it is wide here: the cut may
        // leave fewer copies of the first.
        int Column = (First - P.Left) / P.Scale;
        int Copies = P.Scale - (First - P.Left) % P.Scale;
        for (int X = First; X < Last; X += Copies, ++Column, Copies = P.Scale) {
            const int From = P.Flip ? P.Source.Width - 1 - Column : Column;
            std::uint32_t Pixel;
            std::memcpy(&Pixel, In + static_cast<std::size_t>(P.Source.X + From) * 4, 4);
            Copies = std::min(Copies, Last - X);
            for (int K = 0; K < Copies; ++K, Out += 4)
                std::memcpy(Out, &Pixel, 4);
        }
        DoneRow = SourceRow;
    }
}

TBitmap PlacedFrame(const TBitmap& Frame32, const TFramePlacement& Placement, std::uint32_t Fill) {
    TBitmap Picture(Placement.Width, Placement.Height, TPixelFormat::pf32bit);
    if (Fill != 0)
        for (int Y = 0; Y < Picture.Height(); ++Y) {
            std::uint8_t* Row = Picture.ScanLine(Y);
            for (int X = 0; X < Picture.Width(); ++X)
                std::memcpy(Row + 4 * static_cast<std::size_t>(X), &Fill, 4);
        }
    else
        Picture.Fill(0);
    PlaceFrame(Frame32, Placement, Picture, 0, 0);
    return Picture;
}

} // namespace pelto
