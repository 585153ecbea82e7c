#include "codecs/ColorReduction.h"

#include <cstddef>
#include <span>
#include <stdexcept>
#include <utility>

namespace pelto {
namespace {

// Cells are 8 red, 4 green and 8 blue levels wide: 32 x 64 x 32 of them.
constexpr int CellGridSize = 32 * 64 * 32;
constexpr int SplitDepth = 8;

constexpr unsigned CellKey(unsigned R, unsigned G, unsigned B) {
    return ((R >> 3) << 11) | ((G >> 2) << 5) | (B >> 3);
}

struct TCell {
    std::uint32_t Color[3]; // while pixels are sorted in: the sums of their levels in the cell
    std::uint32_t Count;
    std::uint32_t Key;
};

// Scratch space kept per thread, so that a frame neither allocates nor clears 64 K grid
// entries: only the entries of the frame's own cells are set, and they are reset afterwards.
struct TWorkspace {
    std::vector<std::uint32_t> Grid = std::vector<std::uint32_t>(CellGridSize, 0);
    std::vector<TCell> Cells;
    std::vector<TCell> Scratch;
    std::vector<std::uint16_t> KeyOfPixel;
};

class TWorkspaceLease {
public:
    TWorkspaceLease() : FWork(Instance()) { FWork.Cells.clear(); }
    ~TWorkspaceLease() {
        for (const TCell& Cell : FWork.Cells)
            FWork.Grid[Cell.Key] = 0;
    }
    TWorkspaceLease(const TWorkspaceLease&) = delete;
    TWorkspaceLease& operator=(const TWorkspaceLease&) = delete;
    TWorkspace* operator->() { return &FWork; }

private:
    static TWorkspace& Instance() {
        thread_local TWorkspace Work;
        return Work;
    }
    TWorkspace& FWork;
};

// Weighted sums over a list of cells. They are whole numbers far below 2^53, so adding them
// up as integers gives exactly the doubles that adding them up in floating point would.
struct TStats {
    std::uint64_t Weight = 0;
    std::uint64_t Sum[3] = {};
    std::uint64_t Squares[3] = {};

    // Adds the cell when Taken; a multiplication rather than a branch.
    void Add(const TCell& Cell, bool Taken = true) {
        const std::uint64_t N = Cell.Count * static_cast<std::uint64_t>(Taken);
        Weight += N;
        for (int C = 0; C < 3; ++C) {
            const std::uint64_t NV = N * Cell.Color[C];
            Sum[C] += NV;
            Squares[C] += NV * Cell.Color[C];
        }
    }

    TStats Minus(const TStats& Part) const {
        TStats Rest;
        Rest.Weight = Weight - Part.Weight;
        for (int C = 0; C < 3; ++C) {
            Rest.Sum[C] = Sum[C] - Part.Sum[C];
            Rest.Squares[C] = Squares[C] - Part.Squares[C];
        }
        return Rest;
    }
};

// Sum / Count rounded to the nearest integer, halves to even.
std::uint8_t RoundedMean(std::uint64_t Sum, std::uint64_t Count) {
    std::uint64_t Quotient = Sum / Count;
    const std::uint64_t Twice = 2 * (Sum % Count);
    if (Twice > Count || (Twice == Count && (Quotient & 1) != 0))
        ++Quotient;
    return static_cast<std::uint8_t>(Quotient);
}

// The weights and the second test are the program's own rule, odd as the mixture of >= and >
// looks; its palettes depend on them.
int ChooseChannel(double VarR, double VarG, double VarB) {
    if (3 * VarR >= 4 * VarG && 3 * VarR >= 2 * VarB)
        return 0;
    if (3 * VarR > 4 * VarG || 2 * VarB > 3 * VarG)
        return 2;
    return 1;
}

// Splits the cell list; a finished list's cells get their palette entry in Grid. Each level
// moves the cells between the list and a scratch list of the same size, which keeps the
// division free of branches and yields the sums of both parts on the way.
class TSplitter {
public:
    explicit TSplitter(std::vector<std::uint32_t>& Grid) : FGrid(Grid) {}

    void Split(std::span<TCell> Cells, std::span<TCell> Scratch, const TStats& Stats, int Depth) {
        if (Cells.empty())
            return; // both halves of an empty list are empty: nothing is ever added
        if (Depth == SplitDepth) {
            AddEntry(Cells, Stats);
            return;
        }
        const auto Weight = static_cast<double>(Stats.Weight);
        double Mean[3];
        double Var[3];
        for (int C = 0; C < 3; ++C) {
            Mean[C] = static_cast<double>(Stats.Sum[C]) / Weight;
            Var[C] = static_cast<double>(Stats.Squares[C]) / Weight - Mean[C] * Mean[C];
        }
        const int Channel = ChooseChannel(Var[0], Var[1], Var[2]);
        const double Limit = Mean[Channel];

        // Cells above the mean fill the scratch list from the front, the others from the back.
        TStats Upper;
        std::size_t Front = 0;
        std::size_t Back = Cells.size();
        for (const TCell& Cell : Cells) {
            const bool Above = Cell.Color[Channel] > Limit;
            Scratch[Above ? Front : Back - 1] = Cell;
            Front += Above;
            Back -= !Above;
            Upper.Add(Cell, Above);
        }
        // The part above the mean goes first and so takes the lower palette numbers.
        Split(Scratch.first(Front), Cells.first(Front), Upper, Depth + 1);
        Split(Scratch.subspan(Front), Cells.subspan(Front), Stats.Minus(Upper), Depth + 1);
    }

    std::vector<std::array<std::uint8_t, 3>> TakePalette() { return std::move(FPalette); }

private:
    void AddEntry(std::span<const TCell> Cells, const TStats& Stats) {
        const auto Entry = static_cast<std::uint32_t>(FPalette.size());
        FPalette.push_back({RoundedMean(Stats.Sum[0], Stats.Weight),
                            RoundedMean(Stats.Sum[1], Stats.Weight),
                            RoundedMean(Stats.Sum[2], Stats.Weight)});
        for (const TCell& Cell : Cells)
            FGrid[Cell.Key] = Entry;
    }

    std::vector<std::uint32_t>& FGrid;
    std::vector<std::array<std::uint8_t, 3>> FPalette;
};

} // namespace

TReducedFrame ReduceFrameColors(const TBitmap& Bitmap24) {
    const int Bpp = Bitmap24.BytesPerPixel();
    if (Bpp < 3)
        throw std::invalid_argument("colour reduction needs a 24- or 32-bit bitmap");
    TReducedFrame Frame;
    Frame.Width = Bitmap24.Width();
    Frame.Height = Bitmap24.Height();
    const std::size_t PixelCount =
        static_cast<std::size_t>(Frame.Width) * static_cast<std::size_t>(Frame.Height);

    // Pass 1: sort every pixel into its cell; the grid holds each cell's position + 1.
    TWorkspaceLease Work;
    std::vector<std::uint32_t>& Grid = Work->Grid;
    std::vector<TCell>& Cells = Work->Cells;
    std::vector<std::uint16_t>& KeyOfPixel = Work->KeyOfPixel;
    KeyOfPixel.resize(PixelCount);
    std::size_t P = 0;
    for (int Y = 0; Y < Frame.Height; ++Y) {
        const std::uint8_t* Pixel = Bitmap24.ScanLine(Y);
        for (int X = 0; X < Frame.Width; ++X, Pixel += Bpp) {
            const unsigned B = Pixel[0];
            const unsigned G = Pixel[1];
            const unsigned R = Pixel[2];
            const unsigned Key = CellKey(R, G, B);
            std::uint32_t& Position = Grid[Key];
            if (Position == 0) {
                Cells.push_back({{0, 0, 0}, 0, Key});
                Position = static_cast<std::uint32_t>(Cells.size());
            }
            TCell& Cell = Cells[Position - 1];
            ++Cell.Count;
            Cell.Color[0] += R & 7;
            Cell.Color[1] += G & 3;
            Cell.Color[2] += B & 7;
            KeyOfPixel[P++] = static_cast<std::uint16_t>(Key);
        }
    }

    // Pass 2: one colour per occupied cell, then the recursive split.
    TStats Stats;
    for (TCell& Cell : Cells) {
        Cell.Color[0] = 8 * (Cell.Key >> 11) + Cell.Color[0] / Cell.Count;
        Cell.Color[1] = 4 * ((Cell.Key >> 5) & 63) + Cell.Color[1] / Cell.Count;
        Cell.Color[2] = 8 * (Cell.Key & 31) + Cell.Color[2] / Cell.Count;
        Stats.Add(Cell);
    }
    std::vector<TCell>& Scratch = Work->Scratch;
    Scratch.resize(Cells.size());
    TSplitter Splitter(Grid);
    Splitter.Split(Cells, Scratch, Stats, 0);
    Frame.Palette = Splitter.TakePalette();

    // The grid now holds each cell's palette entry.
    Frame.Indices.resize(PixelCount);
    for (std::size_t I = 0; I < PixelCount; ++I)
        Frame.Indices[I] = static_cast<std::uint8_t>(Grid[KeyOfPixel[I]]);
    return Frame;
}

std::uint8_t NearestPaletteIndex(const TReducedFrame& Frame, std::uint8_t R, std::uint8_t G,
                                 std::uint8_t B) {
    std::size_t Best = 0;
    int BestDistance = 0;
    for (std::size_t I = 0; I < Frame.Palette.size() && I < 256; ++I) {
        const auto& E = Frame.Palette[I];
        const int DR = E[0] - R;
        const int DG = E[1] - G;
        const int DB = E[2] - B;
        const int Distance = DR * DR + DG * DG + DB * DB;
        if (I == 0 || Distance < BestDistance) {
            Best = I;
            BestDistance = Distance;
        }
    }
    return static_cast<std::uint8_t>(Best);
}

} // namespace pelto
