#include "service/SharePage.h"

#include "game/wloutils.h"
#include "model/DressingSession.h"
#include "model/InvalidCode.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Json.h"
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

constexpr std::array<std::string_view, 7> SlotNames{"",    "Head",  "Body",   "Hand",
                                                    "Arm", "Shoes", "Special"};
// Direction 0 faces the top of the view, counter-clockwise in 45° steps, as in the window.
constexpr std::array<std::string_view, 8> DirectionWords{
    "back", "back-left", "left", "front-left", "front", "front-right", "right", "back-right"};
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
std::string Stage(const TShareParams& Share, const TCodeSummary* Summary) {
    std::string Html;
    for (const auto& Row : StageGrid)
        for (const int Direction : Row) {
            if (Direction < 0) {
                const int Size = CanvasSize * Share.Scale;
                const std::string Alt =
                    Summary
                        ? Summary->Name + ", facing " +
                              std::string(DirectionWords[static_cast<std::size_t>(Share.Direction)])
                        : "";
                Html += Format("<div class=\"picture\"><img id=\"picture\" src=\"%s\" "
                               "alt=\"%s\" width=\"%d\" height=\"%d\"></div>\n",
                               Summary ? HtmlEscape(RenderPath("apng", Share, Share.Scale)).c_str()
                                       : "data:,",
                               HtmlEscape(Alt).c_str(), Size, Size);
                continue;
            }
            const auto D = static_cast<std::size_t>(Direction);
            Html +=
                Format("<button type=\"submit\" name=\"direction\" value=\"%d\" formnovalidate "
                       "class=\"turn d%d\" aria-label=\"Face %.*s\" aria-pressed=\"%s\">"
                       "%.*s</button>\n",
                       Direction, Direction, static_cast<int>(DirectionWords[D].size()),
                       DirectionWords[D].data(), Direction == Share.Direction ? "true" : "false",
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
std::string Downloads(const TShareParams& Share, const TCodeSummary* Summary) {
    std::string Html;
    const std::array<std::pair<std::string_view, std::string_view>, 4> Kinds{
        {{"png", "PNG (this frame)"}, {"gif", "GIF"}, {"apng", "APNG"}, {"webp", "WebP"}}};
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

std::string ItemList(const TCodeSummary* Summary) {
    if (!Summary)
        return "";
    if (Summary->Items.empty())
        return "<li class=\"none\">Nothing worn.</li>\n";
    std::string Html;
    for (const auto& Item : Summary->Items) {
        std::string Bonuses;
        for (const std::string& Line : Item.Bonuses)
            Bonuses += "<li>" + HtmlEscape(Line) + "</li>";
        Html += Format("<li data-id=\"%d\"><img src=\"/icon/%d.png\" alt=\"\" width=\"32\" "
                       "height=\"32\"><div><span class=\"slot\">%.*s</span> "
                       "<span class=\"name\">%s</span><ul class=\"bonuses\">%s</ul></div></li>\n",
                       Item.Id, Item.Id,
                       static_cast<int>(SlotNames[static_cast<std::size_t>(Item.Slot)].size()),
                       SlotNames[static_cast<std::size_t>(Item.Slot)].data(),
                       HtmlEscape(Item.Name).c_str(), Bonuses.c_str());
    }
    return Html;
}

/// Template with every {{name}} replaced; the values are HTML already.
std::string Fill(std::string_view Template, const std::map<std::string, std::string>& Values) {
    std::string Out;
    std::size_t At = 0;
    while (true) {
        const std::size_t Open = Template.find("{{", At);
        const std::size_t Close = Open == std::string_view::npos ? Open : Template.find("}}", Open);
        if (Close == std::string_view::npos)
            break;
        Out += Template.substr(At, Open - At);
        const auto Found = Values.find(std::string(Template.substr(Open + 2, Close - Open - 2)));
        if (Found == Values.end())
            throw std::logic_error("page.html names an unknown field");
        Out += Found->second;
        At = Close + 2;
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
    return Fill(Template, {{"title", HtmlEscape(Shown ? Summary->Name + " · PELTO in Wonderland"
                                                      : "PELTO in Wonderland")},
                           {"meta", Shown ? MetaTags(Share, *Summary, Context) : ""},
                           {"code", HtmlEscape(Shown ? Summary->Code : Share.Code)},
                           {"message", HtmlEscape(Context.Message)},
                           {"message_hidden", Attribute(Context.Message.empty(), "hidden")},
                           {"viewer_hidden", Attribute(!Shown, "hidden")},
                           {"name", Shown ? HtmlEscape(Summary->Name) : ""},
                           {"direction", std::to_string(Share.Direction)},
                           {"stage", Stage(Share, Summary)},
                           {"motion_options",
                            Options(0, static_cast<int>(MotionActions.size()) - 1, Share.Motion)},
                           {"scale_options", Options(MinExportScale, MaxExportScale, Share.Scale)},
                           {"shadow_checked", Attribute(Share.Shadow, "checked")},
                           {"background", "#" + BackgroundHex(Share.Background.value_or(0xFFFFFF))},
                           {"transparent_checked", Attribute(!Share.Background, "checked")},
                           {"downloads", Downloads(Share, Summary)},
                           {"link", Shown ? HtmlEscape(ShareLink(Context.Origin, Share)) : ""},
                           {"items", ItemList(Summary)}});
}

} // namespace pelto::service
