// pelto_fuzz_seeds <folder>: writes a seed corpus for every fuzz target into <folder>/<target>/,
// each file made by our own writers of the game's formats.
#include "FuzzTargets.h"

#include "codecs/AnimationEncoders.h"
#include "codecs/ColorReduction.h"
#include "codecs/ImageEncoders.h"
#include "demo/DemoInstallation.h"
#include "model/Settings.h"
#include "platform/IniFile.h"
#include "platform/LittleEndian.h"
#include "platform/Stream.h"
#include "writers/GroupImageWriter.h"
#include "writers/ItemTableWriter.h"
#include "writers/JmaWriter.h"

#include <algorithm>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

using namespace pelto;

namespace {

// Demo files larger than this would slow every fuzzing run down; the small ones stand in.
constexpr std::uintmax_t MaxDemoSeedSize = 64 * 1024;

class TSeedFolder {
public:
    TSeedFolder(const std::string& Root, const std::string& Target) : FPath(Root + "/" + Target) {
        std::filesystem::create_directories(FPath);
    }
    void Write(const std::string& Name, std::span<const std::uint8_t> Bytes) const {
        WriteFileBytes(FPath + "/" + Name, Bytes);
    }
    void Write(const std::string& Name, std::string_view Text) const {
        Write(Name, std::span(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size()));
    }
    void CopyIfSmall(const std::string& Name, const std::string& Source) const {
        if (std::filesystem::exists(Source) &&
            std::filesystem::file_size(Source) <= MaxDemoSeedSize)
            Write(Name, ReadFileBytes(Source));
    }

private:
    std::string FPath;
};

std::vector<std::uint8_t> Bytes(std::string_view Text) {
    return {Text.begin(), Text.end()};
}

void WriteGroupImageSeeds(const TSeedFolder& Seeds, const std::string& Demo) {
    const std::vector<TGroupImageItem> Items{
        {"1.bmp", Bytes("BM icon one")}, {"2.bmp", Bytes("BM icon two, longer")}, {"3.BMP", {}}};
    TMemoryStream Plain;
    WriteGroupImage(Plain, Items);
    Seeds.Write("plain.bmg", Plain.Memory());

    // Shared areas, a gap, a name length past its field, and an offset from the file start.
    TGroupImageWriter Odd;
    const std::uint32_t Area = Odd.AppendData(Bytes("shared bytes of two entries"));
    Odd.AddAt("a.bmp", Area, 12);
    Odd.AddAt("b.bmp", Area + 4, 8);
    Odd.AppendData(Bytes("gap"));
    const int Long = Odd.Add("long.bmp", Bytes("data"));
    Odd.SetNameLength(Long, 200);
    Odd.AddAtFileOffset("head.bmp", 0, 2);
    Seeds.Write("odd.bmg", Odd.Build());

    Seeds.CopyIfSmall("demo_item.bmg", Demo + "/pic/item.BMg");
}

void WriteItemTableSeeds(const TSeedFolder& Seeds, const std::string& Demo) {
    TItemTableWriter Table;
    for (int N = 1; N <= fuzz::TCodeGame::ItemCount; ++N)
        Table.Add(fuzz::TCodeGame::Item(N));
    TItemInfo Unlisted = fuzz::TCodeGame::Item(2);
    Unlisted.ListNumber = 0;
    Unlisted.Name = "A name of twenty byt";
    Unlisted.Text = "A description.";
    Table.Add(Unlisted);
    Seeds.Write("small.dat", Table.Build());
    Seeds.CopyIfSmall("demo_item.dat", Demo + "/data/Item.Dat");

    // The items the reader corrects, each with the values its rules look for; the fields are
    // scrambled, so that a fuzzer would hardly come upon them by itself. Two tables, since the
    // fuzzer reads at most ten records of a table.
    constexpr std::uint16_t CorrectedIds[2][6] = {{18002, 32024, 34022, 34128, 34129, 34132},
                                                  {37247, 39019, 42074, 47009, 61039, 500}};
    for (int Part = 0; Part < 2; ++Part) {
        TItemTableWriter Corrected;
        for (const std::uint16_t Id : CorrectedIds[Part]) {
            TItemInfo Info = fuzz::TCodeGame::Item(1 + Id % fuzz::TCodeGame::ItemCount);
            Info.ItemID = Id;
            Info.IconNo = 1134;
            Info.SpriteNo = {2035, 3035, 4035, 5035};
            TWLOItemData Record = MakeItemRecord(Info);
            Record.SetU16(142, 62);
            Corrected.Add(Record);
        }
        Seeds.Write("corrected" + std::to_string(Part + 1) + ".dat", Corrected.Build());
    }

    // A table whose last record is cut short, and one of another version.
    TItemTableWriter Tail;
    Tail.Add(fuzz::TCodeGame::Item(3));
    Tail.SetTail(Bytes("part of a record"));
    Seeds.Write("tail.dat", Tail.Build());
    TItemTableWriter Other;
    Other.SetVersion(8);
    Other.Add(fuzz::TCodeGame::Item(4));
    Seeds.Write("version8.dat", Other.Build());
}

TJmaWriterSprite Sprite(int No, int Actions) {
    TJmaWriterSprite S;
    S.Name = JmpFileName(No);
    for (int I = 0; I < 256; ++I)
        S.Palette[static_cast<std::size_t>(I)] = {static_cast<std::uint8_t>(I),
                                                  static_cast<std::uint8_t>(3 * I),
                                                  static_cast<std::uint8_t>(7 * I), 0};
    for (int Action = 0; Action < Actions; ++Action) {
        for (int Number = 1; Number <= 2; ++Number) {
            TJmaWriterFrame Frame;
            Frame.Action = Action;
            Frame.Number = Number;
            Frame.CanvasWidth = 20;
            Frame.CanvasHeight = 24;
            Frame.X = static_cast<std::uint16_t>(Number);
            Frame.Y = 3;
            Frame.Width = 5;
            Frame.Height = 3;
            for (std::uint32_t P = 0; P < Frame.Width * Frame.Height; ++P)
                Frame.Pixels.push_back(static_cast<std::uint8_t>(P * 17 + Action));
            Frame.PadByte = 0xEE;
            S.Frames.push_back(Frame);
        }
        S.FrameCounts.push_back(2);
    }
    return S;
}

void WriteJmaJxaSeeds(const TSeedFolder& Seeds) {
    const auto Pair = [&Seeds](const std::string& Name, std::span<const TJmaWriterSprite> Sprites) {
        const auto Jma = JmaBytes(Sprites);
        const auto Jxa = JxaBytes(Sprites);
        std::vector<std::uint8_t> Input(4);
        StoreLE32(Input.data(), static_cast<std::uint32_t>(Jma.size()));
        Input.insert(Input.end(), Jma.begin(), Jma.end());
        Input.insert(Input.end(), Jxa.begin(), Jxa.end());
        Seeds.Write(Name, Input);
    };
    const std::vector<TJmaWriterSprite> Body{Sprite(2000, 2), Sprite(2100, 1)};
    Pair("body.bin", Body);
    std::vector<TJmaWriterSprite> WithAbsent{Sprite(1101, 1), Sprite(2000, 3)};
    WithAbsent[0].Absent = true;
    WithAbsent[1].ActionCount = 1;
    Pair("absent.bin", WithAbsent);

    // Frames stored out of name order, a frame holding fewer bytes than its rows, and an
    // animation record claiming more actions than it holds.
    std::vector<TJmaWriterSprite> Odd{Sprite(2000, 3), Sprite(3000, 1)};
    Odd[0].KeepFrameOrder = true;
    std::reverse(Odd[0].Frames.begin(), Odd[0].Frames.end());
    Odd[0].ActionCount = 200;
    Odd[1].Frames[0].StoredData = std::vector<std::uint8_t>(3, 7);
    Pair("odd.bin", Odd);
}

void WriteCharaCodeSeeds(const TSeedFolder& Seeds) {
    const fuzz::TCodeGame& Game = fuzz::TCodeGame::Get();
    TBitmap Canvas(CanvasSize, CanvasSize, TPixelFormat::pf24bit);
    for (int Chara = 0; Chara < static_cast<int>(CharaData.size()); Chara += 4) {
        TDrawChara Draw(Canvas, Game.JmaList());
        Draw.SetEquipList(&Game.EquipList());
        Draw.SetChara(Chara);
        for (int Slot = 1; Slot <= SlotCount; Slot += 1 + Chara % 3)
            Draw.SetPart(Slot,
                         Game.EquipList().GetList(CharaData[Chara].BodyGroup, Slot).at(1).Item);
        Draw.SetColor(Chara % 4, Chara % 3, static_cast<std::uint8_t>(Chara % 10));
        Seeds.Write("chara" + std::to_string(Chara) + ".txt", Draw.GetCode());
    }
}

void WriteIniSeeds(const TSeedFolder& Seeds, const std::string& Scratch) {
    TPeltoSettings Settings;
    Settings.WloPath = "/home/user/.wine/drive_c/Wonderland/";
    Settings.X = 120;
    Settings.Y = -4;
    Settings.Shadow = true;
    Settings.Zoom = 200;
    TPeltoSettings::TExportChoices Export;
    Export.Format = "apng";
    Settings.Export = Export;
    Settings.Favorites[0].Used = true;
    Settings.Favorites[0].Name = "Karin";
    Settings.Favorites[0].Chara = 14;
    Settings.Favorites[0].Parts = {101, 102, 0, 0, 105, 106};
    Settings.Favorites[2].Used = true;
    Settings.Favorites[2].Name = " quoted ";
    Settings.Favorites[2].Chara = 3;
    const std::string Path = Scratch + "settings.ini";
    std::filesystem::remove(Path);
    TIniFile Ini(Path);
    SaveSettings(Ini, Settings);
    Seeds.Write("settings.ini", ReadFileBytes(Path));

    // What a hand-edited file holds: a byte order mark, comments, CRLF, duplicates, no last
    // line break.
    Seeds.Write("edited.ini", "\xEF\xBB\xBF; comment\r\n[Other]\r\nKey = 'x'\r\n\r\n[PELTO]\r\n"
                              "wlopath=\"C:\\Game\"\r\nX=0x10\r\n[pelto]\r\nY=$FF\r\nShadow=1");

    // A file from a Windows installation: Shift-JIS names, values past the Windows buffer,
    // integers at and past their limits.
    std::string Windows = "[Save1]\nname=\x83\x4E\x83\x8D\x81\x5B\nchara=-2147483648\n"
                          "parts1=$FFFFFFFF\nparts2=0x100000000\ncolor0_0=+9\n[pelto]\nx=-0x10\n"
                          "wlopath=";
    Windows.append(2100, 'v');
    Windows += "\n[ broken\n=no name\ny=2147483648\n";
    Seeds.Write("windows.ini", Windows);
}

void WriteRegistrySeeds(const TSeedFolder& Seeds) {
    Seeds.Write(
        "system.reg",
        "WINE REGISTRY Version 2\n"
        ";; All keys relative to \\\\Machine\n"
        "\n"
        "#arch=win64\n"
        "\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\"
        "Wonderland ONLINE Ex3_is1] 1700000000\n"
        "#time=1d9a0b0c0d0e0f0\n"
        "\"DisplayName\"=\"Wonderland ONLINE\"\n"
        "\"InstallLocation\"=\"C:\\\\Program Files\\\\Wonderland ONLINE\\\\\"\n"
        "\"Escaped\"=\"\\x3042\\\"q\\\" \\0tail\"\n"
        "\"Expand\"=str(2):\"%ProgramFiles%\\\\WLO\"\n"
        "\"Number\"=dword:00000001\n"
        "@=\"default\"\n"
        "\n"
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\"
        "Wonderland ONLINE_is1] 1700000001\n"
        "\"InstallLocation\"=\"D:/Games/WLO\"\n"
        "\"Hex\"=hex:41,42,\\\n"
        "  43\n");

    // Wine's other escapes and line forms, and keys a 64-bit prefix and the older game use.
    Seeds.Write(
        "escapes.reg",
        "WINE REGISTRY Version 2\r\n"
        "[Software\\\\Wow6432Node\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\"
        "Uninstall\\\\Wonderland ONLINE_is1]\r\n"
        "\"InstallLocation\"=str:\"\\\\\\\\server\\\\share\\\\\"\r\n"
        "\"Octal\"=\"\\101\\0\\7777\\a\\b\\e\\f\\n\\r\\t\\v\\xd83d\\xde00\\xd800x\\xdc00\\x\"\r\n"
        "\"Seven\"=str(7):\"a\\0b\\0\"\r\n"
        "  \"Blank\" = \"value\"\r\n"
        "\"Broken=\"x\r\n"
        "[Software\\\\Key\\[x\\]]\r\n"
        "@=dword:00000002\r\n"
        "[Unclosed\r\n"
        "\"Lost\"=\"value\"\r\n"
        "[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\"
        "Wonderland ONLINE Ex3_is1]\r\n"
        "\"InstallLocation\"=\"relative\\\\path\"\r\n");
}

void WriteItemQuerySeeds(const TSeedFolder& Seeds) {
    const char* const Queries[] = {
        "red",
        "ＲＥＤ ｈａｔ",
        "ﾚｯﾄﾞ　ぶーつ",
        "#1234",
        "#65535 #65536 # #x",
        "atk>=5 def<0",
        "射撃対抗力(%)>=3 射撃対抗力=3",
        "hp!=0 sp==1 matk>-2 mdef<=+4 spd=0 atk>x =5",
        "ヴァイオリン 楽器",
    };
    int N = 0;
    for (const char* Query : Queries)
        Seeds.Write("query" + std::to_string(++N) + ".txt", std::string_view(Query));
}

void WriteServiceRequestSeeds(const TSeedFolder& Seeds) {
    const char* const Requests[] = {
        "/render.png\ncode=AQAAHAf0emc8",
        "/render.tgif\ncode=AQAAHAf0emc8&motion=3&direction=2&frame=2&shadow=1&scale=4&delay=100",
        "/render.jpg\ncode=AQAA+Af0emc8&background=%23336699",
        "/render.webp\ncode=AQAA-Af0_mc8&scale=9&unknown=1&code=x",
        "/items\nsearch=%E8%B5%A4+atk%3E%3D5&group=1&slot=2",
        "/icon/1001.png\n",
        "/healthz\n",
    };
    int N = 0;
    for (const char* Request : Requests)
        Seeds.Write("request" + std::to_string(++N) + ".txt", std::string_view(Request));
}

void WriteHttpHeadSeeds(const TSeedFolder& Seeds) {
    const char* const Heads[] = {
        "GET /render.png?code=AQAAHAf0emc8 HTTP/1.1\r\nHost: a\r\nIf-None-Match: \"x\"\r\n\r\n",
        "HEAD /healthz HTTP/1.0\r\n\r\nGET / HTTP/1.1\r\nHost: b\r\n\r\n",
        "POST /items HTTP/1.1\r\nHost: a\r\nContent-Length: 5\r\n\r\nhello",
        "GET /items HTTP/1.1\r\nHost: a\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n",
        "GET /c/AB HTTP/1.1\r\nHost: a\r\nX-A: b\r\n folded\r\nConnection: close\r\n\r\n",
    };
    int N = 0;
    for (const char* Head : Heads)
        Seeds.Write("head" + std::to_string(++N) + ".txt", std::string_view(Head));
}

void WriteBmpSeeds(const TSeedFolder& Seeds) {
    for (const int Side : {1, 5, 32}) {
        TBitmap Bitmap(Side, Side + 1, TPixelFormat::pf24bit);
        Bitmap.Fill(RGBColor(0, 255, 0));
        TMemoryStream Stream;
        SaveBmpToStream(Bitmap, Stream);
        const auto Bytes = Stream.Memory();
        Seeds.Write("rgb" + std::to_string(Side) + ".bmp", std::span(Bytes.data(), Bytes.size()));
    }
}

// Every picture format our encoders write, with a code and without.
void WritePictureSeeds(const TSeedFolder& Seeds) {
    TBitmap Bitmap(6, 5, TPixelFormat::pf32bit);
    Bitmap.Fill(RGBColor(0, 128, 255));
    const std::vector<TBitmap> Frames{Bitmap, Bitmap};
    const std::vector<TReducedFrame> Reduced{ReduceFrameColors(Bitmap)};
    const auto Encoded = [](const auto& Encode) {
        TMemoryStream Stream;
        Encode(Stream);
        return std::vector<std::uint8_t>(Stream.Memory().begin(), Stream.Memory().end());
    };
    const std::pair<const char*, std::vector<std::uint8_t>> Pictures[] = {
        {"png", Encoded([&](TStream& S) { SavePngRgbToStream(Bitmap, S); })},
        {"apng", Encoded([&](TStream& S) { SaveApngToStream(Frames, true, 100, S); })},
        {"gif", Encoded([&](TStream& S) { SaveAnimatedGifToStream(Reduced, true, S); })},
        {"jpg", Encoded([&](TStream& S) { SaveJpegToStream(Bitmap, S); })},
        {"webp", Encoded([&](TStream& S) { SaveAnimatedWebpToStream(Frames, false, 100, S); })},
    };
    for (const auto& [Name, Plain] : Pictures) {
        Seeds.Write(std::string("plain.") + Name, Plain);
        Seeds.Write(std::string("coded.") + Name,
                    WithPictureText(Plain, "pelto-code", "AQ4AHAf0emdD"));
    }
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pelto_fuzz_seeds <folder>\n");
        return 2;
    }
    const std::string Root = argv[1];
    try {
        const std::string Scratch = fuzz::TScratchDir::Path();
        const std::string Demo = Scratch + "demo";
        WriteDemoInstallation(Demo, TDemoScale::Small);
        WriteGroupImageSeeds(TSeedFolder(Root, "group_image"), Demo);
        WriteItemTableSeeds(TSeedFolder(Root, "item_table"), Demo);
        WriteJmaJxaSeeds(TSeedFolder(Root, "jma_jxa"));
        WriteCharaCodeSeeds(TSeedFolder(Root, "chara_code"));
        WriteIniSeeds(TSeedFolder(Root, "ini_file"), Scratch);
        WriteIniSeeds(TSeedFolder(Root, "settings"), Scratch);
        WriteRegistrySeeds(TSeedFolder(Root, "wine_registry"));
        WriteItemQuerySeeds(TSeedFolder(Root, "item_query"));
        WriteServiceRequestSeeds(TSeedFolder(Root, "service_request"));
        WriteBmpSeeds(TSeedFolder(Root, "bmp_image"));
        WritePictureSeeds(TSeedFolder(Root, "picture_text"));
        WriteHttpHeadSeeds(TSeedFolder(Root, "http_head"));
    } catch (const std::exception& E) {
        std::fprintf(stderr, "pelto_fuzz_seeds: %s\n", E.what());
        return 1;
    }
    return 0;
}
