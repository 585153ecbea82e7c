#include "diff/DiffHtml.h"
#include "export/PictureExport.h"

#include "codecs/ImageEncoders.h"
#include "diff/DiffReport.h"
#include "diff/GameDiff.h"
#include "game/wloutils.h"
#include "model/CharaDesign.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "model/ItemListing.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "platform/Text.h"
#include "sprites/wlojmajmp.h"

#include <filesystem>
#include <set>

namespace pelto {
namespace {

constexpr int PictureScale = 2;
constexpr std::uint8_t FacingViewer = 4;
constexpr std::string_view PictureFolder = "pictures/";

std::string Escaped(std::string_view Text) {
    return MarkupEscape(Text);
}

int FirstCharaOf(int Group) {
    for (std::size_t I = 0; I < CharaData.size(); ++I)
        if (CharaData[I].BodyGroup == Group)
            return static_cast<int>(I);
    return 0;
}

bool Wearable(const TWLOItemData* Item, int Group) {
    return Item && Item->Slot() >= 1 && Item->Slot() <= SlotCount && Item->SpriteNo(Group) > 1000;
}

std::string ItemFileStem(const TDiffItem& Item) {
    return std::to_string(Item.Id) +
           (Item.Occurrence > 0 ? "_" + std::to_string(Item.Occurrence) : "");
}

// The page and the pictures it refers to, each written once.
class TReportWriter {
public:
    TReportWriter(const TGameData& Old, const TGameData& New, const std::string& Folder,
                  std::optional<int> Chara)
        : FOld(Old), FNew(New), FFolder(IncludeTrailingPathDelimiter(Folder)), FChara(Chara) {
        CreateFolders(FFolder + std::string(PictureFolder));
    }

    const TWLOItemData* OldItem(const TDiffItem& Item) const {
        return Item.OldIndex >= 0 ? FOld.Items().Item(Item.OldIndex) : nullptr;
    }
    const TWLOItemData* NewItem(const TDiffItem& Item) const {
        return Item.NewIndex >= 0 ? FNew.Items().Item(Item.NewIndex) : nullptr;
    }

    // The icons of the item, the old one first where they differ.
    std::string Icons(const TDiffItem& Item) {
        const TWLOItemData* Before = OldItem(Item);
        const TWLOItemData* After = NewItem(Item);
        std::string Cell;
        if (Before && (!After || Before->IconNo() != After->IconNo()))
            Cell += Icon(FOld, *Before, ItemFileStem(Item) + "-old");
        if (After)
            Cell += Icon(FNew, *After, ItemFileStem(Item) + "-new");
        return Cell;
    }

    // The item on each character that shows it, before and after side by side.
    std::string Pictures(const TDiffItem& Item) {
        const TWLOItemData* Before = OldItem(Item);
        const TWLOItemData* After = NewItem(Item);
        std::string Cell;
        for (const int Chara : PictureCharas(Before, After, FChara)) {
            const int Group = CharaData[static_cast<std::size_t>(Chara)].BodyGroup;
            const std::string Stem = ItemFileStem(Item) + "-c" + std::to_string(Chara);
            Cell += "<figure><div class=\"pair\">";
            Cell += Picture(FOld, Wearable(Before, Group) ? Before : nullptr, Chara, Stem + "-old",
                            "before");
            Cell += Picture(FNew, Wearable(After, Group) ? After : nullptr, Chara, Stem + "-new",
                            "after");
            Cell += "</div><figcaption>" +
                    Escaped(CharaData[static_cast<std::size_t>(Chara)].Name) +
                    "</figcaption></figure>";
        }
        return Cell;
    }

    void WritePage(const std::string& Html) const {
        const std::string Path = FFolder + "index.html";
        WithFileName(Path, [&] {
            WriteFileBytes(
                Path, std::span(reinterpret_cast<const std::uint8_t*>(Html.data()), Html.size()));
        });
    }

private:
    std::string WritePicture(const std::string& Name, std::span<const std::uint8_t> Png) {
        const std::string Relative = std::string(PictureFolder) + Name + ".png";
        if (FWritten.insert(Relative).second) {
            const std::string Path = FFolder + Relative;
            WithFileName(Path, [&] { WriteFileBytes(Path, Png); });
        }
        return Relative;
    }

    std::string Icon(const TGameData& Game, const TWLOItemData& Item, const std::string& Stem) {
        std::optional<TBitmap> Bitmap;
        try {
            Bitmap = ItemIconBitmap(Game, Item);
        } catch (const EWloError&) {
            // A damaged icon leaves the item bare, as the viewer shows it.
        }
        if (!Bitmap)
            return "";
        TMemoryStream Png;
        SavePngRgbaToStream(*Bitmap, Png);
        return "<img class=\"icon\" alt=\"icon\" src=\"" +
               WritePicture("icon-" + Stem, Png.Memory()) + "\">";
    }

    std::string Picture(const TGameData& Game, const TWLOItemData* Item, int Chara,
                        const std::string& Stem, std::string_view When) {
        if (!Item)
            return "<div class=\"none\">" + std::string(When) + ": none</div>";
        const std::vector<std::uint8_t> Png = WornItemPng(Game, *Item, Chara);
        return "<div><img alt=\"" + std::string(When) + "\" width=\"" +
               std::to_string(CanvasSize * PictureScale) + "\" height=\"" +
               std::to_string(CanvasSize * PictureScale) + "\" src=\"" + WritePicture(Stem, Png) +
               "\"><span>" + std::string(When) + "</span></div>";
    }

    const TGameData& FOld;
    const TGameData& FNew;
    std::string FFolder;
    std::optional<int> FChara;
    std::set<std::string> FWritten;
};

constexpr std::string_view Style =
    R"(body{font:14px/1.4 sans-serif;margin:1.5em;color:#222;background:#fafafa}
h1{font-size:1.6em;margin:0 0 .3em}h2{font-size:1.2em;margin:1.6em 0 .4em;border-bottom:1px solid #ccc}
.summary{font-weight:bold}.folders{color:#555}
table{border-collapse:collapse;background:#fff}
th,td{border:1px solid #ccc;padding:4px 8px;text-align:left;vertical-align:top}
th{background:#eee}td.num{text-align:right}code{font-size:12px;word-break:break-all}
.icon{width:32px;height:32px;image-rendering:pixelated;margin-right:4px}
figure{display:inline-block;margin:0 8px 8px 0}figcaption{text-align:center;color:#555}
.pair{display:flex;gap:6px}.pair div{text-align:center}.pair span{display:block;color:#555}
.pair img{image-rendering:pixelated;border:1px solid #ddd;background:#fff}
.none{width:88px;height:256px;text-align:center;border:1px dashed #bbb;color:#888;display:flex;align-items:center;justify-content:center}
.empty{color:#888}
)";

std::string Section(std::string_view Title, std::size_t Count, const std::string& Head,
                    const std::string& Rows) {
    std::string Html = "<h2>" + std::string(Title) + " (" + std::to_string(Count) + ")</h2>\n";
    if (Count == 0)
        return Html + "<p class=\"empty\">None.</p>\n";
    return Html + "<table>\n<tr>" + Head + "</tr>\n" + Rows + "</table>\n";
}

std::string ItemCell(const TDiffItem& Item) {
    return "<td>" + Escaped(ItemLabel(Item)) + "</td><td>" + Escaped(Item.Name) + "</td>";
}

std::string ItemRows(const std::vector<TDiffItem>& Items, TReportWriter& Writer) {
    std::string Rows;
    for (const TDiffItem& Item : Items)
        Rows += "<tr><td>" + Writer.Icons(Item) + "</td>" + ItemCell(Item) + "<td>" +
                Writer.Pictures(Item) + "</td></tr>\n";
    return Rows;
}

std::string ChangeRows(const std::vector<TItemChange>& Changes, TReportWriter& Writer) {
    std::string Rows;
    for (const TItemChange& Change : Changes) {
        std::string Fields = "<table class=\"fields\">";
        for (const TFieldChange& Field : Change.Fields)
            Fields += "<tr><th>" + Escaped(Field.Field) + "</th><td><code>" + Escaped(Field.Old) +
                      "</code></td><td><code>" + Escaped(Field.New) + "</code></td></tr>";
        Fields += "</table>";
        Rows += "<tr><td>" + Writer.Icons(Change) + "</td>" + ItemCell(Change) + "<td>" + Fields +
                "</td><td>" + (Change.Redrawn() ? Writer.Pictures(Change) : "") + "</td></tr>\n";
    }
    return Rows;
}

std::string LookRows(const std::vector<TLookChange>& Looks, TReportWriter& Writer) {
    std::string Rows;
    for (const TLookChange& Look : Looks) {
        std::string Sprites;
        for (std::size_t I = 0; I < Look.Groups.size(); ++I)
            Sprites += (I ? "<br>" : "") + std::string("group ") + std::to_string(Look.Groups[I]) +
                       ": " + Escaped(Look.Sprites[I]);
        Rows += "<tr><td>" + Writer.Icons(Look) + "</td>" + ItemCell(Look) + "<td>" + Sprites +
                "</td><td>" + Writer.Pictures(Look) + "</td></tr>\n";
    }
    return Rows;
}

std::string SpriteRows(const TSpriteDiff& Sprites) {
    std::string Rows;
    const auto Add = [&Rows](std::string_view What, const std::vector<std::string>& Names) {
        for (const std::string& Name : Names)
            Rows += "<tr><td>" + Escaped(Name) + "</td><td>" + std::string(What) + "</td></tr>\n";
    };
    Add("added", Sprites.Added);
    Add("removed", Sprites.Removed);
    Add("redrawn", Sprites.Changed);
    return Rows;
}

std::string MoveRows(const std::vector<TListMove>& Moves) {
    std::string Rows;
    for (const TListMove& Move : Moves)
        Rows += "<tr><td class=\"num\">" + std::to_string(Move.Group) + "</td><td>" +
                std::string(SlotNames[static_cast<std::size_t>(Move.Slot - 1)]) + "</td><td>#" +
                std::to_string(Move.Id) + "</td><td>" + Escaped(Move.Name) +
                "</td><td class=\"num\">" + std::to_string(Move.From) + "</td><td class=\"num\">" +
                std::to_string(Move.To) + "</td></tr>\n";
    return Rows;
}

std::string DesignRows(const std::vector<TDesignTouch>& Touches) {
    std::string Rows;
    for (const TDesignTouch& Touch : Touches) {
        std::string How;
        for (const std::string& Sprite : Touch.Sprites)
            How += "character sprite " + Escaped(Sprite) + " changed<br>";
        for (const TDesignTouch::TPart& Part : Touch.Parts)
            How += Escaped(SlotNames[static_cast<std::size_t>(Part.Slot - 1)]) + " #" +
                   std::to_string(Part.Id) + " " + Escaped(Part.Name) + ": " + Escaped(Part.How) +
                   "<br>";
        Rows += "<tr><td>" + Escaped(Touch.Label) + "</td><td><code>" + Escaped(Touch.Code) +
                "</code></td><td>" + How + "</td><td>" +
                (Touch.PictureChanges ? "changes" : "same") + "</td></tr>\n";
    }
    return Rows;
}

} // namespace

std::vector<std::uint8_t> WornItemPng(const TGameData& Game, const TWLOItemData& Item, int Chara) {
    const int Slot = Item.Slot();
    if (Slot < 1 || Slot > SlotCount)
        return {};
    TDressingSession Session(Game);
    Session.SetChara(Chara);
    Session.Wear(Slot, &Item);
    Session.SetMotion(0);
    Session.SetDirection(FacingViewer);
    TExportOptions Options;
    Options.Format = FindExportFormat("png");
    Options.Scale = PictureScale;
    // As render writes it: the picture dropped on the viewer brings the character back.
    Options.Code = Session.Code();
    TMemoryStream Png;
    ExportPictureToStream(Session, Options, Png);
    const auto Bytes = Png.Memory();
    return {Bytes.begin(), Bytes.end()};
}

std::vector<int> PictureCharas(const TWLOItemData* Old, const TWLOItemData* New,
                               std::optional<int> Chara) {
    std::vector<int> Charas;
    for (int Group = 0; Group < BodyGroupCount; ++Group) {
        if (!Wearable(Old, Group) && !Wearable(New, Group))
            continue;
        if (!Chara)
            Charas.push_back(FirstCharaOf(Group));
        else if (CharaData[static_cast<std::size_t>(*Chara)].BodyGroup == Group)
            Charas.push_back(*Chara);
    }
    return Charas;
}

void WriteDiffHtml(const TGameDiff& Diff, const TGameData& Old, const TGameData& New,
                   const std::string& Folder, std::optional<int> Chara) {
    TReportWriter Writer(Old, New, Folder, Chara);
    const std::string ItemHead = "<th>Icon</th><th>Item</th><th>Name</th><th>Pictures</th>";
    const std::string DesignHead =
        "<th>Which</th><th>Code</th><th>What changes</th><th>Picture</th>";
    std::string Html = "<!DOCTYPE html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
                       "<title>What changed</title><style>" +
                       std::string(Style) + "</style></head><body>\n<h1>What changed</h1>\n";
    Html += "<p class=\"folders\">" + Escaped(Old.Folder()) + " &rarr; " + Escaped(New.Folder()) +
            "</p>\n<p class=\"summary\">" + Escaped(SummaryLine(Diff)) + "</p>\n";
    Html += Section("Items added", Diff.Added.size(), ItemHead, ItemRows(Diff.Added, Writer));
    Html += Section("Items removed", Diff.Removed.size(), ItemHead, ItemRows(Diff.Removed, Writer));
    Html += Section("Items changed", Diff.Changed.size(),
                    "<th>Icon</th><th>Item</th><th>Name</th><th>Fields: before, after</th>"
                    "<th>Pictures</th>",
                    ChangeRows(Diff.Changed, Writer));
    Html += Section("Looks changed", Diff.Looks.size(),
                    "<th>Icon</th><th>Item</th><th>Name</th><th>Sprites</th><th>Pictures</th>",
                    LookRows(Diff.Looks, Writer));
    Html += Section("Sprites",
                    Diff.Sprites.Added.size() + Diff.Sprites.Removed.size() +
                        Diff.Sprites.Changed.size(),
                    "<th>Sprite</th><th>Change</th>", SpriteRows(Diff.Sprites));
    Html += Section("Equipment list moves", Diff.Moves.size(),
                    "<th>Group</th><th>Slot</th><th>Item</th><th>Name</th><th>From</th><th>To</th>",
                    MoveRows(Diff.Moves));
    Html += Section("Codes touched", Diff.Codes.size(), DesignHead, DesignRows(Diff.Codes));
    Html += Section("Favourites touched", Diff.Favorites.size(), DesignHead,
                    DesignRows(Diff.Favorites));
    Html += "</body></html>\n";
    Writer.WritePage(Html);
}

} // namespace pelto
