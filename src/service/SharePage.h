#pragma once

#include "service/ServiceRequest.h"

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {
class TGameData;
} // namespace pelto

namespace pelto::service {

/// Text made safe inside HTML elements and quoted attributes.
std::string HtmlEscape(std::string_view Text);

/// What a character code holds, as the share page and /code/CODE.json tell it.
struct TCodeSummary {
    struct TItem {
        int Slot = 0;
        int Id = 0;
        std::string Name; // UTF-8
        std::vector<std::string> Bonuses;
    };
    int Chara = 0;
    std::string Name;
    int Group = 0;
    std::vector<TItem> Items;               // the worn slots, in slot order
    std::array<int, 12> Colors{};           // position 0 red, green, blue, then position 1 ...
    std::string Code;                       // normalised
    std::vector<std::array<int, 8>> Frames; // per motion, per direction
};

/// Raises EInvalidCode for what is not a code of a dressed character.
TCodeSummary SummarizeCode(const TGameData& Game, std::string_view Code);
std::string CodeJson(const TCodeSummary& Summary);

/// What the page needs beside its character: where it is served from, and what went wrong.
struct TPageContext {
    std::string Origin;  // "http://host:port", for the links chat apps fetch
    std::string Message; // shown in place of the character; empty: none
};

/// The page of Template (page.html) filled in for Share: Summary null shows no character.
std::string SharePageHtml(std::string_view Template, const TShareParams& Share,
                          const TCodeSummary* Summary, const TPageContext& Context);

/// The link that opens the page on Share, absolute from Origin.
std::string ShareLink(const std::string& Origin, const TShareParams& Share);

} // namespace pelto::service
