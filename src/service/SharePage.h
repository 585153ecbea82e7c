#pragma once

#include "requests/CodeSummary.h"
#include "service/PageLanguage.h"
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

/// What the page needs beside its character: where it is served from, and what went wrong.
struct TPageContext {
    std::string Origin;  // "http://host:port", for the links chat apps fetch
    std::string Message; // shown in place of the character; empty: none
    TPageLanguage Language = TPageLanguage::English;
};

/// The page of Template (page.html) filled in for Share: Summary null shows no character.
std::string SharePageHtml(std::string_view Template, const TShareParams& Share,
                          const TCodeSummary* Summary, const TPageContext& Context);

/// The link that opens the page on Share, absolute from Origin.
std::string ShareLink(const std::string& Origin, const TShareParams& Share);

} // namespace pelto::service
