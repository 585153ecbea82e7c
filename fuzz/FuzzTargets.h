// The bodies of the fuzz targets, shared by the libFuzzer programs, the seed writer and the
// regression tests, so that a regression file replays exactly the code the fuzzer ran.
//
// Each Run function feeds one input through a reader and everything that uses what it read.
// A refusal with the project's error type is the expected answer to a malformed input and is
// swallowed; anything else escapes (or aborts) and counts as a finding.
#pragma once

#include "game/wloutils.h"
#include "model/Settings.h"
#include "model/UCommon.h"
#include "model/UDraw.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"
#include "platform/IniFile.h"
#include "platform/LittleEndian.h"
#include "platform/Stream.h"
#include "platform/WineRegistry.h"
#include "sprites/wlojmajmp.h"
#include "writers/ItemTableWriter.h"
#include "writers/JmaWriter.h"

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace pelto::fuzz {

using TInput = std::span<const std::uint8_t>;

/// A folder of its own for the files a target has to put on disk, made once per process and
/// removed at exit.
class TScratchDir {
public:
    static const std::string& Path() {
        static const TScratchDir Dir;
        return Dir.FPath;
    }
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;

private:
    TScratchDir() {
        std::string Template =
            (std::filesystem::temp_directory_path() / "pelto-fuzz-XXXXXX").string();
        if (!::mkdtemp(Template.data()))
            std::abort();
        FPath = Template + "/";
    }
    ~TScratchDir() {
        std::error_code Ignored;
        std::filesystem::remove_all(FPath, Ignored);
    }
    std::string FPath;
};

inline std::string AsText(TInput Data) {
    return {reinterpret_cast<const char*>(Data.data()), Data.size()};
}

inline void WriteScratchFile(const std::string& Path, TInput Data) {
    WriteFileBytes(Path, Data);
}

// ---------------------------------------------------------------------------------------------
// 1. Group-image file

inline void RunGroupImage(TInput Data) {
    try {
        TMemoryStream Stream(std::vector<std::uint8_t>(Data.begin(), Data.end()));
        TWLOGroupImageFileOnMemory File;
        File.LoadFromStream(Stream);
        TWLONameIndex Index;
        Index.Build(File);
        for (int I = 0; I < File.GetCount(); ++I) {
            (void)Index.IndexOf(File.GetName(I));
            try {
                TMemoryStream Dest;
                File.ExtractToStream(I, Dest);
                if (Dest.GetSize() != File.GetSize(I))
                    std::abort(); // an extraction that is not refused delivers the whole entry
            } catch (const EWloError&) {
            }
        }
    } catch (const EWloError&) {
    }
}

// ---------------------------------------------------------------------------------------------
// 2. Item table

inline void RunItemTable(TInput Data) {
    try {
        TMemoryStream Stream(std::vector<std::uint8_t>(Data.begin(), Data.end()));
        TWLOItemDataFile File;
        File.LoadFromStream(Stream);
        for (int I = 0; I < File.GetCount(); ++I)
            (void)File.GetName(I);
        const TEquipList List(File);
        for (int Group = 0; Group < BodyGroupCount; ++Group)
            for (int Slot = 1; Slot <= SlotCount; ++Slot)
                for (const TEquipEntry& Entry : List.GetList(Group, Slot))
                    (void)Entry.Text();
    } catch (const EWloError&) {
    }
}

// ---------------------------------------------------------------------------------------------
// 3. Sprite archive and animation index

inline void DrawSprite(const TJmaJmp& Sprite, TInput Data) {
    TBitmap Bitmap24(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    TBitmap Bitmap32(CanvasSize, CanvasSize, TPixelFormat::pf32bit);
    // Positions from the input's last bytes, so that clipping at every edge is reached.
    const int X = Data.size() > 0 ? static_cast<std::int8_t>(Data[Data.size() - 1]) * 2 : 0;
    const int Y = Data.size() > 1 ? static_cast<std::int8_t>(Data[Data.size() - 2]) * 2 : 0;
    for (int I = 0; I < Sprite.FrameCount(); ++I) {
        Sprite.DrawFrame(I, Bitmap24, X, Y);
        Sprite.DrawFrame(I, Bitmap32, -X, -Y);
    }
    for (int Action = 0; Action <= 256; ++Action)
        (void)Sprite.GetFrameCount(Action);
}

inline void RunJmaJxa(TInput Data) {
    std::uint32_t ArchiveLength = Data.size() >= 4 ? LoadLE32(Data.data()) : 0;
    const TInput Rest = Data.size() >= 4 ? Data.subspan(4) : TInput{};
    ArchiveLength = static_cast<std::uint32_t>(std::min<std::size_t>(ArchiveLength, Rest.size()));
    const std::string& Folder = TScratchDir::Path();
    WriteScratchFile(Folder + "x.jma", Rest.first(ArchiveLength));
    WriteScratchFile(Folder + "x.jxa", Rest.subspan(ArchiveLength));

    std::vector<std::string> Names;
    TJmaList List;
    try {
        List.Scan(Folder, "*.jma");
    } catch (const EWloError&) {
    }
    for (int I = 0; I < std::min(List.Count(), 4); ++I)
        Names.push_back(List.Line(I).substr(0, List.Line(I).find('=')));
    Names.emplace_back("2000.jmp");

    // Levels and ranges from the input's tail, unchecked: the sprite must keep them in range.
    const int Levels = Data.size() >= 8 ? static_cast<int>(LoadLE32(Data.data() + Data.size() - 8))
                                        : ColorLevels(9, 0, 4);
    const int First = Data.size() >= 3 ? Data[Data.size() - 3] : 0;
    const int Last = Data.size() >= 4 ? Data[Data.size() - 4] : 255;
    for (const std::string& Name : Names) {
        try {
            TJmaJmp Sprite;
            Sprite.LoadFromFile(Folder + "x.jma", Name);
            // However the frames point into the archive, what is kept may not outgrow it.
            std::size_t Kept = 0;
            for (int I = 0; I < Sprite.FrameCount(); ++I)
                Kept += Sprite.Pixels(I).size();
            if (Kept > ArchiveLength)
                std::abort();
            DrawSprite(Sprite, Data);
            Sprite.AdjustPalette(First, Last, Levels);
            Sprite.AdjustPalette(0, 255, Levels);
            Sprite.AdjustPalette(First - 128, Last + 128, Levels);
            DrawSprite(Sprite, Data);
            (void)Sprite.IndexOfFrame(FrameFileName(1, 1));
        } catch (const EWloError&) {
        }
    }
}

// ---------------------------------------------------------------------------------------------
// 4. Character code

/// A small game to apply codes to: one item per slot wearable by every body group, and
/// tiny sprites for every body, head and item, in a folder of their own.
class TCodeGame {
public:
    static constexpr int ItemCount = SlotCount;

    static TItemInfo Item(int N) {
        TItemInfo Info;
        Info.Kind = 1;
        Info.ItemID = static_cast<std::uint16_t>(100 + N);
        Info.Slot = static_cast<std::uint8_t>(N);
        Info.SpriteNo.fill(static_cast<std::uint16_t>(1100 + N));
        Info.ListNumber = static_cast<std::uint8_t>(N);
        Info.Name = "Item" + std::to_string(N);
        return Info;
    }

    static const TCodeGame& Get() {
        static const TCodeGame Game;
        return Game;
    }

    const TJmaList& JmaList() const { return FJmaList; }
    const TEquipList& EquipList() const { return *FEquipList; }

private:
    TCodeGame() {
        TItemTableWriter Table;
        for (int N = 1; N <= ItemCount; ++N)
            Table.Add(Item(N));
        TMemoryStream Stream(Table.Build());
        FItems.LoadFromStream(Stream);
        FEquipList = std::make_unique<TEquipList>(FItems);

        std::vector<TJmaWriterSprite> Sprites;
        const auto AddSprite = [&Sprites](int No) {
            TJmaWriterSprite Sprite;
            Sprite.Name = JmpFileName(No);
            for (int I = 0; I < 256; ++I)
                Sprite.Palette[static_cast<std::size_t>(I)] = {
                    static_cast<std::uint8_t>(I), static_cast<std::uint8_t>(I / 2),
                    static_cast<std::uint8_t>(255 - I), 0};
            TJmaWriterFrame Frame;
            Frame.Action = 0;
            Frame.Number = 1;
            Frame.CanvasWidth = 8;
            Frame.CanvasHeight = 8;
            Frame.X = 2;
            Frame.Y = 1;
            Frame.Width = 3;
            Frame.Height = 2;
            Frame.Pixels = {1, 70, 210, 0, 254, 80};
            Sprite.Frames.push_back(Frame);
            Sprite.FrameCounts = {1};
            Sprites.push_back(std::move(Sprite));
        };
        for (const int Base : BodySpriteBase) {
            AddSprite(Base);
            for (int Head = 0; Head < 8; ++Head)
                AddSprite(Base + 100 + Head);
        }
        for (int N = 1; N <= ItemCount; ++N)
            AddSprite(1100 + N);
        const std::string Folder = TScratchDir::Path() + "code/";
        std::filesystem::create_directories(Folder);
        WriteJmaFiles(Folder + "sprites.jma", Sprites);
        FJmaList.Scan(Folder, "*.jma");
    }

    TWLOItemDataFile FItems;
    std::unique_ptr<TEquipList> FEquipList; // refers to FItems' records
    TJmaList FJmaList;
};

inline void RunCharaCode(TInput Data) {
    const TCodeGame& Game = TCodeGame::Get();
    TBitmap Canvas(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    TDrawChara Chara(Canvas, Game.JmaList());
    Chara.SetEquipList(&Game.EquipList());
    const std::string Code = AsText(Data);
    try {
        Chara.SetCode(Code);
    } catch (const EWloError&) {
        if (Chara.Chara() != -1)
            std::abort(); // a refused code changes nothing
        return;
    }
    Chara.Redraw();
    const std::string Again = Chara.GetCode();
    if (Chara.Chara() != -1) {
        // What a code set must read back as the same code.
        TDrawChara Copy(Canvas, Game.JmaList());
        Copy.SetEquipList(&Game.EquipList());
        Copy.SetCode(Again);
        if (Copy.GetCode() != Again)
            std::abort();
    }
}

// ---------------------------------------------------------------------------------------------
// 5. INI file

namespace detail {

// The pieces between '\n's; the last one holds what follows the last '\n'.
inline std::vector<std::string_view> SplitLines(std::string_view Text) {
    std::vector<std::string_view> Lines;
    std::size_t Start = 0;
    for (;;) {
        const std::size_t End = Text.find('\n', Start);
        if (End == std::string_view::npos) {
            Lines.push_back(Text.substr(Start));
            return Lines;
        }
        Lines.push_back(Text.substr(Start, End - Start));
        Start = End + 1;
    }
}

inline std::string_view Trim(std::string_view S) {
    // The blanks the INI reader trims, form feed and vertical tab included.
    const auto Space = [](char C) {
        return C == ' ' || C == '\t' || C == '\r' || C == '\v' || C == '\f';
    };
    while (!S.empty() && Space(S.front()))
        S.remove_prefix(1);
    while (!S.empty() && Space(S.back()))
        S.remove_suffix(1);
    return S;
}

inline bool IsWrittenKeyLine(std::string_view Line, std::span<const std::string_view> Keys) {
    const std::size_t Equals = Line.find('=');
    if (Equals == std::string_view::npos)
        return false;
    const std::string_view Name = Trim(Line.substr(0, Equals));
    return std::any_of(Keys.begin(), Keys.end(), [Name](std::string_view Key) {
        return Key.size() == Name.size() &&
               std::equal(Key.begin(), Key.end(), Name.begin(), [](char A, char B) {
                   return std::toupper(static_cast<unsigned char>(A)) ==
                          std::toupper(static_cast<unsigned char>(B));
               });
    });
}

inline std::string_view WithoutByteOrderMark(std::string_view Text) {
    if (Text.starts_with("\xEF\xBB\xBF"))
        Text.remove_prefix(3);
    return Text;
}

} // namespace detail

inline void RunIniFile(TInput Data) {
    const std::string Path = TScratchDir::Path() + "pelto.ini";
    WriteScratchFile(Path, Data);
    const std::string Original = AsText(Data);
    try {
        TIniFile Ini(Path);
        (void)Ini.ReadString("pelto", "WloPath", "");
        (void)Ini.ReadInteger("pelto", "X", -1);
        (void)Ini.TryReadInteger("pelto", "Y");
        (void)Ini.ReadBool("pelto", "Shadow", false);
        (void)Ini.SectionExists("Save1");
        TPeltoSettings Settings;
        LoadSettings(Ini, Settings);

        // Writes: one key that may exist, one value from the input, a new key, a new section.
        const std::string Value = Original.substr(0, 40);
        Ini.WriteString("pelto", "WloPath", Value);
        Ini.WriteInteger("Save1", "Chara", 3);
        Ini.WriteBool("pelto", "FuzzNewKey", true);
        Ini.WriteString("FuzzNewSection", "FuzzKey", " quoted ");
        if (Ini.ReadString("pelto", "FuzzNewKey", "") != "1")
            std::abort();
        Ini.UpdateFile();
    } catch (const EWloError&) {
        return;
    }

    // Every line that was not one of the written keys is still there, in order, unchanged.
    static constexpr std::string_view WrittenKeys[] = {"WloPath", "Chara", "FuzzNewKey", "FuzzKey"};
    std::string Result;
    try {
        const auto Bytes = ReadFileBytes(Path);
        Result.assign(Bytes.begin(), Bytes.end());
    } catch (const EWloError&) {
        std::abort();
    }
    const auto Before = detail::SplitLines(detail::WithoutByteOrderMark(Original));
    const auto After = detail::SplitLines(detail::WithoutByteOrderMark(Result));
    std::size_t Next = 0;
    for (std::size_t I = 0; I < Before.size(); ++I) {
        const std::string_view Line = Before[I];
        if (detail::IsWrittenKeyLine(Line, WrittenKeys))
            continue;
        const bool Last = I + 1 == Before.size();
        if (Last && Line.empty())
            break;
        // The last line had no ending; it takes the file's when a line is added after it.
        const auto Same = [&](std::string_view Candidate) {
            return Candidate == Line || (Last && Candidate.size() == Line.size() + 1 &&
                                         Candidate.starts_with(Line) && Candidate.back() == '\r');
        };
        while (Next < After.size() && !Same(After[Next]))
            ++Next;
        if (Next == After.size()) {
            std::fprintf(stderr, "INI line lost or changed: \"%.*s\"\n",
                         static_cast<int>(std::min<std::size_t>(Line.size(), 200)), Line.data());
            std::abort();
        }
        ++Next;
    }
}

// ---------------------------------------------------------------------------------------------
// 6. Wine registry

inline void RunWineRegistry(TInput Data) {
    const std::string Prefix = TScratchDir::Path() + "prefix";
    std::filesystem::create_directories(Prefix);
    const std::string RegPath = Prefix + "/system.reg";
    WriteScratchFile(RegPath, Data);
    TWineRegistry Registry;
    std::vector<std::string> Paths;
    if (Registry.Load(RegPath)) {
        static constexpr std::string_view Products[] = {"Wonderland ONLINE Ex3_is1",
                                                        "Wonderland ONLINE_is1"};
        for (const std::string_view Product : Products)
            for (const std::string_view Node : {"Software\\", "\\Software\\Wow6432Node\\"}) {
                const std::string Key = std::string(Node) +
                                        "Microsoft\\Windows\\CurrentVersion\\Uninstall\\" +
                                        std::string(Product);
                (void)Registry.KeyExists(Key);
                if (auto Value = Registry.ReadString(Key, "InstallLocation"))
                    Paths.push_back(std::move(*Value));
                (void)Registry.ReadString(Key, "");
            }
    }
    // The input's first lines stand for paths as a registry could hold them.
    const std::string Text = AsText(Data.first(std::min<std::size_t>(Data.size(), 4096)));
    for (const std::string_view Line : detail::SplitLines(Text)) {
        Paths.emplace_back(Line);
        if (Paths.size() > 16)
            break;
    }
    for (const std::string& Path : Paths) {
        (void)IsWindowsPath(Path);
        (void)WindowsToUnixPath(Prefix, Path);
    }
}

} // namespace pelto::fuzz
