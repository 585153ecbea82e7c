#include "service/SharePage.h"

#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/InvalidCode.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/ShiftJis.h"
#include "platform/Text.h"
#include "sprites/wlojmajmp.h"

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <stdexcept>
#include <utility>

namespace pelto::service {
namespace {

constexpr std::array<std::string_view, 7> SlotNames{"",
                                                    PageMessage("Head"),
                                                    PageMessage("Body"),
                                                    PageMessage("Hand"),
                                                    PageMessage("Arm"),
                                                    PageMessage("Shoes"),
                                                    PageMessage("Special")};
// Direction 0 faces the top of the view, counter-clockwise in 45° steps, as in the window.
constexpr std::array<std::string_view, 8> FaceLabels{
    PageMessage("Face back"),       PageMessage("Face back-left"), PageMessage("Face left"),
    PageMessage("Face front-left"), PageMessage("Face front"),     PageMessage("Face front-right"),
    PageMessage("Face right"),      PageMessage("Face back-right")};
constexpr std::array<std::string_view, 8> FacingTexts{
    PageMessage("facing back"),  PageMessage("facing back-left"),
    PageMessage("facing left"),  PageMessage("facing front-left"),
    PageMessage("facing front"), PageMessage("facing front-right"),
    PageMessage("facing right"), PageMessage("facing back-right")};
constexpr std::array<std::string_view, 8> DirectionArrows{"↑", "↖", "←", "↙", "↓", "↘", "→", "↗"};
constexpr int StageGrid[3][3] = {{1, 0, 7}, {2, -1, 6}, {3, 4, 5}};
constexpr int OgImageScale = 4;

/// Percent-encodes all but RFC 3986's unreserved characters, so a code's "+" and "/" survive
/// both a path and a query string.
std::string UrlEncode(std::string_view Text) {
    std::string Out;
    for (const char C : Text) {
        const auto U = static_cast<unsigned char>(C);
        if (std::isalnum(U) || C == '-' || C == '_' || C == '.' || C == '~')
            Out += C;
        else
            Out += Format("%%%02X", U);
    }
    return Out;
}

std::string BackgroundHex(TColor Color) {
    return Format("%02X%02X%02X", GetRValue(Color), GetGValue(Color), GetBValue(Color));
}

/// The render of Share in Format ("png", "apng", ...; transparent ones get their "t").
std::string RenderPath(std::string_view Format, const TShareParams& Share, int Scale,
                       std::optional<int> Frame = std::nullopt) {
    std::string Path = std::string("/render.") + (Share.Background ? "" : "t") +
                       std::string(Format) + "?code=" + UrlEncode(Share.Code) +
                       pelto::Format("&motion=%d&direction=%d&scale=%d&shadow=%d", Share.Motion,
                                     Share.Direction, Scale, Share.Shadow ? 1 : 0);
    if (Share.Background)
        Path += "&background=" + BackgroundHex(*Share.Background);
    if (Frame)
        Path += "&frame=" + std::to_string(*Frame);
    return Path;
}

std::string Attribute(bool On, std::string_view Name) {
    return On ? std::string(Name) : "";
}

std::string Meta(std::string_view Key, std::string_view Name, const std::string& Value) {
    return "<meta " + std::string(Key) + "=\"" + std::string(Name) + "\" content=\"" +
           HtmlEscape(Value) + "\">\n";
}

std::string ItemNames(const TCodeSummary& Summary) {
    std::string Names;
    for (const auto& Item : Summary.Items)
        Names += (Names.empty() ? "" : ", ") + Item.Name;
    return Names;
}

std::string MetaTags(const TShareParams& Share, const TCodeSummary& Summary,
                     const TPageContext& Context) {
    const std::string Image = Context.Origin + RenderPath("png", Share, OgImageScale);
    const std::string Size = std::to_string(CanvasSize * OgImageScale);
    const std::string Description = Summary.Items.empty()
                                        ? Summary.Name + " wears nothing."
                                        : Summary.Name + " wears " + ItemNames(Summary) + ".";
    return Meta("property", "og:type", "website") +
           Meta("property", "og:site_name", "PELTO in Wonderland") +
           Meta("property", "og:title", Summary.Name) +
           Meta("property", "og:description", Description) +
           Meta("property", "og:url", ShareLink(Context.Origin, Share)) +
           Meta("property", "og:image", Image) + Meta("property", "og:image:type", "image/png") +
           Meta("property", "og:image:width", Size) + Meta("property", "og:image:height", Size) +
           Meta("property", "og:image:alt", Summary.Name) +
           Meta("name", "twitter:card", "summary_large_image") +
           Meta("name", "twitter:title", Summary.Name) +
           Meta("name", "twitter:description", Description) + Meta("name", "twitter:image", Image) +
           Meta("name", "description", Description);
}

/// The eight direction buttons around the picture. Without a script they submit the form,
/// coming after its hidden direction field so that theirs is the last value.
std::string Stage(const TShareParams& Share, const TCodeSummary* Summary, TPageLanguage Language) {
    std::string Html;
    for (const auto& Row : StageGrid)
        for (const int Direction : Row) {
            if (Direction < 0) {
                const int Size = CanvasSize * Share.Scale;
                const std::string Alt =
                    Summary
                        ? Summary->Name + ", " +
                              std::string(Translate(
                                  Language, FacingTexts[static_cast<std::size_t>(Share.Direction)]))
                        : "";
                Html += Format("<div class=\"picture\"><img id=\"picture\" src=\"%s\" "
                               "alt=\"%s\" width=\"%d\" height=\"%d\"></div>\n",
                               Summary ? HtmlEscape(RenderPath("apng", Share, Share.Scale)).c_str()
                                       : "data:,",
                               HtmlEscape(Alt).c_str(), Size, Size);
                continue;
            }
            const auto D = static_cast<std::size_t>(Direction);
            const std::string Label(Translate(Language, FaceLabels[D]));
            Html += Format("<button type=\"submit\" name=\"direction\" value=\"%d\" formnovalidate "
                           "class=\"turn d%d\" aria-label=\"%s\" aria-pressed=\"%s\">"
                           "%.*s</button>\n",
                           Direction, Direction, HtmlEscape(Label).c_str(),
                           Direction == Share.Direction ? "true" : "false",
                           static_cast<int>(DirectionArrows[D].size()), DirectionArrows[D].data());
        }
    return Html;
}

std::string Options(int First, int Last, int Selected) {
    std::string Html;
    for (int Value = First; Value <= Last; ++Value)
        Html += Format("<option value=\"%d\"%s>%d</option>", Value,
                       Value == Selected ? " selected" : "", Value);
    return Html;
}

/// The links to the picture's files; without a character they wait, empty, for the script.
std::string Downloads(const TShareParams& Share, const TCodeSummary* Summary,
                      TPageLanguage Language) {
    std::string Html;
    const std::array<std::pair<std::string_view, std::string_view>, 4> Kinds{
        {{"png", Translate(Language, PageMessage("PNG (this frame)"))},
         {"gif", "GIF"},
         {"apng", "APNG"},
         {"webp", "WebP"}}};
    for (const auto& [Kind, Label] : Kinds) {
        std::string Link;
        if (Summary) {
            const std::string Href = Kind == "png" ? RenderPath(Kind, Share, Share.Scale, 1)
                                                   : RenderPath(Kind, Share, Share.Scale);
            Link = Format(" href=\"%s\" download=\"pelto-%d.%.*s\"", HtmlEscape(Href).c_str(),
                          Summary->Chara, static_cast<int>(Kind.size()), Kind.data());
        }
        Html += Format("<a id=\"download-%.*s\"%s>%.*s</a>\n", static_cast<int>(Kind.size()),
                       Kind.data(), Link.c_str(), static_cast<int>(Label.size()), Label.data());
    }
    return Html;
}

std::string ItemList(const TCodeSummary* Summary, TPageLanguage Language) {
    if (!Summary)
        return "";
    if (Summary->Items.empty())
        return "<li class=\"none\">" +
               HtmlEscape(Translate(Language, PageMessage("Nothing worn."))) + "</li>\n";
    std::string Html;
    for (const auto& Item : Summary->Items) {
        const std::string_view Slot =
            Translate(Language, SlotNames[static_cast<std::size_t>(Item.Slot)]);
        std::string Bonuses;
        for (const std::string& Line : Item.Bonuses)
            Bonuses += "<li>" + HtmlEscape(Line) + "</li>";
        // An item without an icon gets an empty cell, not an address that answers 404.
        const std::string Icon =
            Item.Icon
                ? Format("<img src=\"/icon/%d.png\" alt=\"\" width=\"32\" height=\"32\">", Item.Id)
                : std::string("<span class=\"noicon\"></span>");
        Html += Format("<li data-id=\"%d\">%s<div><span class=\"slot\">%.*s</span> "
                       "<span class=\"name\">%s</span><ul class=\"bonuses\">%s</ul></div></li>\n",
                       Item.Id, Icon.c_str(), static_cast<int>(Slot.size()), Slot.data(),
                       HtmlEscape(Item.Name).c_str(), Bonuses.c_str());
    }
    return Html;
}

std::string CharaOptions(const TCodeSummary* Summary) {
    std::string Html;
    for (std::size_t Chara = 0; Chara < CharaData.size(); ++Chara)
        Html += Format("<option value=\"%zu\"%s>%s</option>", Chara,
                       Summary && Summary->Chara == static_cast<int>(Chara) ? " selected" : "",
                       HtmlEscape(CharaData[Chara].Name).c_str());
    return Html;
}

/// Template with every {{name}} replaced (the values are HTML already) and every {{t:text}}
/// by the text in Language.
std::string Fill(std::string_view Template, const std::map<std::string, std::string>& Values,
                 TPageLanguage Language) {
    std::string Out;
    std::size_t At = 0;
    while (true) {
        const std::size_t Open = Template.find("{{", At);
        const std::size_t Close = Open == std::string_view::npos ? Open : Template.find("}}", Open);
        if (Close == std::string_view::npos)
            break;
        Out += Template.substr(At, Open - At);
        const std::string_view Field = Template.substr(Open + 2, Close - Open - 2);
        At = Close + 2;
        if (Field.starts_with("t:")) {
            Out += HtmlEscape(Translate(Language, Field.substr(2)));
            continue;
        }
        const auto Found = Values.find(std::string(Field));
        if (Found == Values.end())
            throw std::logic_error("page.html names an unknown field");
        Out += Found->second;
    }
    return Out + std::string(Template.substr(At));
}

} // namespace

std::string HtmlEscape(std::string_view Text) {
    return MarkupEscape(Text);
}

std::string ShareLink(const std::string& Origin, const TShareParams& Share) {
    const TShareParams Defaults;
    std::string Query;
    const auto Add = [&Query](const std::string& Pair) {
        Query += (Query.empty() ? "?" : "&") + Pair;
    };
    if (Share.Motion != Defaults.Motion)
        Add("motion=" + std::to_string(Share.Motion));
    if (Share.Direction != Defaults.Direction)
        Add("direction=" + std::to_string(Share.Direction));
    if (Share.Scale != Defaults.Scale)
        Add("scale=" + std::to_string(Share.Scale));
    if (Share.Shadow)
        Add("shadow=1");
    if (Share.Background != Defaults.Background)
        Add("background=" + (Share.Background ? BackgroundHex(*Share.Background) : "transparent"));
    return Origin + "/c/" + UrlEncode(Share.Code) + Query;
}

std::string SharePageHtml(std::string_view Template, const TShareParams& Share,
                          const TCodeSummary* Summary, const TPageContext& Context) {
    const bool Shown = Summary != nullptr;
    const TPageLanguage Language = Context.Language;
    return Fill(
        Template,
        {{"lang", std::string(LanguageTag(Language))},
         {"chara_options", CharaOptions(Summary)},
         {"chara_none", Attribute(!Shown, " selected")},
         {"title",
          HtmlEscape(Shown ? Summary->Name + " · PELTO in Wonderland" : "PELTO in Wonderland")},
         {"meta", Shown ? MetaTags(Share, *Summary, Context) : ""},
         {"code", HtmlEscape(Shown ? Summary->Code : Share.Code)},
         {"message", HtmlEscape(Context.Message)},
         {"message_hidden", Attribute(Context.Message.empty(), "hidden")},
         {"viewer_hidden", Attribute(!Shown, "hidden")},
         {"name", Shown ? HtmlEscape(Summary->Name) : ""},
         {"direction", std::to_string(Share.Direction)},
         {"stage", Stage(Share, Summary, Language)},
         {"motion_options", Options(0, static_cast<int>(MotionActions.size()) - 1, Share.Motion)},
         {"scale_options", Options(MinExportScale, MaxExportScale, Share.Scale)},
         {"shadow_checked", Attribute(Share.Shadow, "checked")},
         {"background", "#" + BackgroundHex(Share.Background.value_or(0xFFFFFF))},
         {"transparent_checked", Attribute(!Share.Background, "checked")},
         {"downloads", Downloads(Share, Summary, Language)},
         {"link", Shown ? HtmlEscape(ShareLink(Context.Origin, Share)) : ""},
         {"items", ItemList(Summary, Language)}},
        Language);
}

} // namespace pelto::service
