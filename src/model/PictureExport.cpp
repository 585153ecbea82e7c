#include "model/PictureExport.h"

#include "model/ImageExport.h"
#include "model/PictureCode.h"
#include "model/UDraw.h"
#include "platform/AnimationEncoders.h"
#include "platform/AtomicFile.h"
#include "platform/ColorReduction.h"
#include "platform/Format.h"
#include "platform/ImageEncoders.h"
#include "platform/Paths.h"
#include "platform/PictureText.h"
#include "platform/Text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <utility>
#include <vector>

namespace pelto {
namespace {

constexpr std::uint8_t Opaque = 255;

struct TPose {
    std::uint8_t Motion;
    std::uint8_t Direction;
    int Frame;
};

struct TBox {
    int X = 0;
    int Y = 0;
    int Width = CanvasSize;
    int Height = CanvasSize;
};

/// Counts the frames drawn and asks the caller whether to go on.
class TProgressCounter {
public:
    TProgressCounter(const TExportProgress& Progress, int Total)
        : FProgress(Progress), FTotal(Total) {}
    void Step() {
        ++FDone;
        if (FProgress && !FProgress(FDone, FTotal))
            throw EExportCanceled();
    }

private:
    const TExportProgress& FProgress;
    int FTotal;
    int FDone = 0;
};

/// A frame on full transparency: alpha 255 exactly where something was drawn, since every
/// sprite and shadow pixel is opaque.
TBitmap DrawCovered(const TDrawChara& Chara, const TPose& Pose) {
    TBitmap Frame(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    Frame.Fill(0);
    Chara.DrawFrame(Frame, Pose.Motion, Pose.Direction, Pose.Frame);
    return Frame;
}

/// Puts Color, opaque, wherever nothing was drawn: the same pixels as drawing on Color.
void PutBehind(TBitmap& Frame32, TColor Color) {
    for (int Y = 0; Y < Frame32.Height(); ++Y) {
        std::uint8_t* P = Frame32.ScanLine(Y);
        for (int X = 0; X < Frame32.Width(); ++X, P += 4)
            if (P[3] == 0) {
                P[0] = GetBValue(Color);
                P[1] = GetGValue(Color);
                P[2] = GetRValue(Color);
                P[3] = Opaque;
            }
    }
}

/// The smallest box holding every drawn pixel of Frames; the whole canvas when none is.
TBox UnionBox(const std::vector<TBitmap>& Frames) {
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
        return {};
    return {Left, Top, Right - Left + 1, Bottom - Top + 1};
}

/// Box of Source, each pixel made Scale x Scale, written at (Left, Top) of Target.
void Enlarge(const TBitmap& Source, const TBox& Box, int Scale, TBitmap& Target, int Left,
             int Top) {
    const std::size_t RowBytes = static_cast<std::size_t>(Box.Width) * Scale * 4;
    for (int Y = 0; Y < Box.Height; ++Y) {
        const std::uint8_t* In = Source.ScanLine(Box.Y + Y) + static_cast<std::size_t>(Box.X) * 4;
        std::uint8_t* First = Target.ScanLine(Top + Y * Scale) + static_cast<std::size_t>(Left) * 4;
        std::uint8_t* Out = First;
        for (int X = 0; X < Box.Width; ++X, In += 4)
            for (int I = 0; I < Scale; ++I, Out += 4)
                std::memcpy(Out, In, 4);
        for (int I = 1; I < Scale; ++I)
            std::memcpy(Target.ScanLine(Top + Y * Scale + I) + static_cast<std::size_t>(Left) * 4,
                        First, RowBytes);
    }
}

TBitmap Enlarged(const TBitmap& Source, const TBox& Box, int Scale) {
    TBitmap Target(Box.Width * Scale, Box.Height * Scale, TPixelFormat::pf32bit);
    Enlarge(Source, Box, Scale, Target, 0, 0);
    return Target;
}

/// The colour indices of Box of Frame, each made Scale x Scale; the palette stays.
TReducedFrame EnlargedIndices(const TReducedFrame& Frame, const TBox& Box, int Scale) {
    TReducedFrame Result;
    Result.Palette = Frame.Palette;
    Result.Width = Box.Width * Scale;
    Result.Height = Box.Height * Scale;
    Result.Indices.reserve(static_cast<std::size_t>(Result.Width) * Result.Height);
    for (int Y = 0; Y < Box.Height; ++Y) {
        const auto Row =
            Frame.Indices.begin() + static_cast<std::ptrdiff_t>(Box.Y + Y) * Frame.Width + Box.X;
        const std::size_t Start = Result.Indices.size();
        for (int X = 0; X < Box.Width; ++X)
            Result.Indices.insert(Result.Indices.end(), static_cast<std::size_t>(Scale), Row[X]);
        for (int I = 1; I < Scale; ++I)
            Result.Indices.insert(Result.Indices.end(), Result.Indices.begin() + Start,
                                  Result.Indices.begin() + Start + Result.Width);
    }
    return Result;
}

std::vector<TPose> ActionFrames(const TDrawChara& Chara, std::uint8_t Motion,
                                std::uint8_t Direction) {
    std::vector<TPose> Poses;
    const int Count = Chara.GetFrameCount(Motion, Direction);
    for (int Frame = 1; Frame <= Count; ++Frame)
        Poses.push_back({Motion, Direction, Frame});
    return Poses;
}

std::vector<TBitmap> DrawAll(const TDrawChara& Chara, const std::vector<TPose>& Poses,
                             TProgressCounter& Counter) {
    std::vector<TBitmap> Frames;
    Frames.reserve(Poses.size());
    for (const TPose& Pose : Poses) {
        Frames.push_back(DrawCovered(Chara, Pose));
        Counter.Step();
    }
    return Frames;
}

void ExportStill(const TDrawChara& Chara, const TExportOptions& Options, const TBox& Box,
                 TBitmap Frame, TStream& Stream) {
    const TExportFormat& Format = *Options.Format;
    if (!Format.Transparent)
        PutBehind(Frame, Chara.BackColor());
    const TBitmap Picture = Enlarged(Frame, Box, Options.Scale);
    switch (Format.Kind) {
    case TExportKind::Bitmap:
        SaveBmpToStream(Picture, Stream);
        break;
    case TExportKind::Jpeg:
        SaveJpegToStream(Picture, Stream, 95);
        break;
    default:
        if (Format.Transparent)
            SavePngRgbaToStream(Picture, Stream);
        else
            SavePngRgbToStream(Picture, Stream);
        break;
    }
}

static_assert(ClassicGifExportDelay == 10 * DefaultGifDelay);

void ExportGif(const TDrawChara& Chara, const TExportOptions& Options, const TBox& Box,
               std::vector<TBitmap>& Frames, TStream& Stream) {
    const bool Transparent = Options.Format->Transparent;
    std::vector<TReducedFrame> Reduced;
    for (TBitmap& Frame : Frames) {
        // Reduced at the canvas's size, as the classic GIF is, so that scale 1 matches it.
        PutBehind(Frame, Transparent ? GifTransparentKey : Chara.BackColor());
        Reduced.push_back(EnlargedIndices(ReduceFrameColors(Frame), Box, Options.Scale));
    }
    const int DelayCs = Options.Delay ? (*Options.Delay + 5) / 10 : DefaultGifDelay;
    SaveAnimatedGifToStream(Reduced, Transparent, Stream, DelayCs);
}

void ExportAnimation(const TDrawChara& Chara, const TExportOptions& Options, const TBox& Box,
                     std::vector<TBitmap>& Frames, TStream& Stream) {
    const bool Transparent = Options.Format->Transparent;
    std::vector<TBitmap> Pictures;
    if (Frames.empty()) { // an action without frames still gives a picture
        Frames.emplace_back(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
        Frames.back().Fill(0);
    }
    for (TBitmap& Frame : Frames) {
        if (!Transparent)
            PutBehind(Frame, Chara.BackColor());
        Pictures.push_back(Enlarged(Frame, Box, Options.Scale));
    }
    const int Delay = Options.Delay.value_or(DefaultExportDelay);
    if (Options.Format->Kind == TExportKind::Apng)
        SaveApngToStream(Pictures, Transparent, Delay, Stream);
    else
        SaveAnimatedWebpToStream(Pictures, Transparent, Delay, Stream);
}

// --- sheets ---------------------------------------------------------------------------------

struct TSheetRow {
    std::uint8_t Motion;
    std::uint8_t Direction;
    int Frames;
};

std::vector<TSheetRow> SheetRows(const TDrawChara& Chara, TExportScope Scope) {
    std::vector<TSheetRow> Rows;
    const auto Add = [&](std::uint8_t Motion, std::uint8_t Direction) {
        Rows.push_back({Motion, Direction, Chara.GetFrameCount(Motion, Direction)});
    };
    const auto Directions = static_cast<std::uint8_t>(MotionActions[0].size());
    switch (Scope) {
    case TExportScope::Action:
        Add(Chara.Motion(), Chara.Direction());
        break;
    case TExportScope::Directions:
        for (std::uint8_t D = 0; D < Directions; ++D)
            Add(Chara.Motion(), D);
        break;
    case TExportScope::All:
        for (std::uint8_t M = 0; M < MotionActions.size(); ++M)
            for (std::uint8_t D = 0; D < Directions; ++D)
                Add(M, D);
        break;
    }
    return Rows;
}

std::string SheetJson(const std::vector<TSheetRow>& Rows, int CellWidth, int CellHeight, int Width,
                      int Height, int Scale, int Delay, bool Transparent,
                      const std::string& ImageName) {
    std::string Json = "{\"frames\": {";
    bool First = true;
    for (std::size_t R = 0; R < Rows.size(); ++R)
        for (int F = 1; F <= Rows[R].Frames; ++F) {
            Json += First ? "\n" : ",\n";
            First = false;
            Json += Format("  \"m%d-d%d-f%d\": {\"frame\": {\"x\": %d, \"y\": %d, \"w\": %d, "
                           "\"h\": %d}, \"duration\": %d}",
                           Rows[R].Motion, Rows[R].Direction, F, (F - 1) * CellWidth,
                           static_cast<int>(R) * CellHeight, CellWidth, CellHeight, Delay);
        }
    std::string Escaped;
    for (const char C : ImageName) {
        if (C == '"' || C == '\\')
            Escaped += '\\';
        if (static_cast<unsigned char>(C) < 0x20)
            Escaped += Format("\\u%04x", static_cast<unsigned char>(C));
        else
            Escaped += C;
    }
    Json += Format("\n},\n\"meta\": {\"image\": \"%s\", \"size\": {\"w\": %d, \"h\": %d}, "
                   "\"scale\": %d, \"format\": \"%s\"}}\n",
                   Escaped.c_str(), Width, Height, Scale, Transparent ? "RGBA8888" : "RGB888");
    return Json;
}

TExportShape ExportSheet(const TDrawChara& Chara, const TExportOptions& Options,
                         const TExportProgress& Progress, const std::string& FileName) {
    const bool Transparent = Options.Format->Transparent;
    const int Scale = Options.Scale;
    const std::vector<TSheetRow> Rows = SheetRows(Chara, Options.Scope);
    int Columns = 1;
    int Total = 0;
    for (const TSheetRow& Row : Rows) {
        Columns = std::max(Columns, Row.Frames);
        Total += Row.Frames;
    }
    // Trimming needs every frame first, then draws them again row by row, to keep only one
    // row of cells in memory.
    TProgressCounter Counter(Progress, Options.Trim ? 2 * Total : Total);
    TBox Box;
    if (Options.Trim) {
        std::vector<TBitmap> All;
        for (const TSheetRow& Row : Rows) {
            for (TBitmap& Frame :
                 DrawAll(Chara, ActionFrames(Chara, Row.Motion, Row.Direction), Counter))
                All.push_back(std::move(Frame));
        }
        Box = UnionBox(All);
    }
    const int CellWidth = Box.Width * Scale;
    const int CellHeight = Box.Height * Scale;
    const int Width = Columns * CellWidth;
    const int Height = static_cast<int>(Rows.size()) * CellHeight;
    const std::string Json = SheetJson(Rows, CellWidth, CellHeight, Width, Height, Scale,
                                       Options.Delay.value_or(DefaultExportDelay), Transparent,
                                       ExtractFileName(FileName));
    const std::string JsonFile = SheetJsonFileName(FileName);

    WriteFileAtomically(FileName, [&](TStream& Stream) {
        TPngRowWriter Writer(Stream, Width, Height, Transparent);
        if (!Options.Code.empty())
            Writer.WriteText(PictureCodeKeyword, Options.Code);
        TBitmap Band(Width, CellHeight, TPixelFormat::pf32bit);
        for (const TSheetRow& Row : Rows) {
            Band.Fill(Transparent ? 0 : Chara.BackColor());
            for (int F = 1; F <= Row.Frames; ++F) {
                TBitmap Frame = DrawCovered(Chara, {Row.Motion, Row.Direction, F});
                if (!Transparent)
                    PutBehind(Frame, Chara.BackColor());
                Enlarge(Frame, Box, Scale, Band, (F - 1) * CellWidth, 0);
                Counter.Step();
            }
            for (int Y = 0; Y < CellHeight; ++Y)
                Writer.WriteRow(Band.ScanLine(Y));
        }
        Writer.Finish();
    });
    try {
        WriteFileAtomically(JsonFile,
                            [&](TStream& Stream) { Stream.WriteBuffer(Json.data(), Json.size()); });
    } catch (...) {
        // A sheet without its index is of no use: both files or neither.
        std::error_code Ignored;
        std::filesystem::remove(FileName, Ignored);
        throw;
    }
    return {Width, Height, Total};
}

} // namespace

std::string SheetJsonFileName(std::string_view SheetFileName) {
    return ChangeFileExt(SheetFileName, ".json");
}

namespace {

void CheckOptions(const TExportOptions& Options) {
    if (!Options.Format || Options.Scale < MinExportScale || Options.Scale > MaxExportScale ||
        (Options.Delay && (*Options.Delay < MinExportDelay || *Options.Delay > MaxExportDelay)))
        throw std::invalid_argument("export options out of range");
}

bool UsesClassicWriter(const TExportOptions& Options) {
    return Options.Format->ClassicType && Options.Scale == 1 && !Options.Trim && !Options.Delay;
}

// Every format but the sheet, whose index goes to a file of its own; without the code.
TExportShape ExportPlain(const TDrawChara& Chara, const TBitmap& Canvas,
                         const TExportOptions& Options, TStream& Stream,
                         const TExportProgress& Progress) {
    const TExportFormat& Format = *Options.Format;
    if (UsesClassicWriter(Options)) {
        SaveImageToStream(Chara, Canvas, *Format.ClassicType, Stream);
        return {Canvas.Width(), Canvas.Height(), 1};
    }
    const bool Still = IsStillFormat(Format);
    const std::vector<TPose> Poses =
        Still ? std::vector<TPose>{{Chara.Motion(), Chara.Direction(), Chara.Frame()}}
              : ActionFrames(Chara, Chara.Motion(), Chara.Direction());
    TProgressCounter Counter(Progress, static_cast<int>(Poses.size()));
    std::vector<TBitmap> Frames = DrawAll(Chara, Poses, Counter);
    const TBox Box = Options.Trim ? UnionBox(Frames) : TBox{};
    const TExportShape Shape{Box.Width * Options.Scale, Box.Height * Options.Scale,
                             std::max(1, static_cast<int>(Frames.size()))};
    if (Still)
        ExportStill(Chara, Options, Box, std::move(Frames.front()), Stream);
    else if (Format.Kind == TExportKind::Gif)
        ExportGif(Chara, Options, Box, Frames, Stream);
    else
        ExportAnimation(Chara, Options, Box, Frames, Stream);
    return Shape;
}

TExportShape ExportOne(const TDrawChara& Chara, const TBitmap& Canvas,
                       const TExportOptions& Options, TStream& Stream,
                       const TExportProgress& Progress) {
    if (Options.Code.empty())
        return ExportPlain(Chara, Canvas, Options, Stream, Progress);
    // The encoders know nothing of texts: the code goes into the finished picture.
    TMemoryStream Plain;
    const TExportShape Shape = ExportPlain(Chara, Canvas, Options, Plain, Progress);
    const std::vector<std::uint8_t> Picture =
        WithPictureText(Plain.Memory(), PictureCodeKeyword, Options.Code);
    Stream.WriteBuffer(Picture.data(), Picture.size());
    return Shape;
}

} // namespace

TExportShape ExportPicture(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, const std::string& FileName,
                           const TExportProgress& Progress) {
    CheckOptions(Options);
    if (IsSheetFormat(*Options.Format))
        return ExportSheet(Chara, Options, Progress, FileName);
    TExportShape Shape;
    WriteFileAtomically(FileName, [&](TStream& Stream) {
        Shape = ExportOne(Chara, Canvas, Options, Stream, Progress);
    });
    return Shape;
}

void ExportPictureToStream(const TDrawChara& Chara, const TBitmap& Canvas,
                           const TExportOptions& Options, TStream& Stream,
                           const TExportProgress& Progress) {
    CheckOptions(Options);
    if (IsSheetFormat(*Options.Format))
        throw std::invalid_argument("a sheet is two files");
    ExportOne(Chara, Canvas, Options, Stream, Progress);
}

bool WritesClassicBytes(const TExportOptions& Options) {
    return Options.Format && Options.Code.empty() && UsesClassicWriter(Options);
}

} // namespace pelto
