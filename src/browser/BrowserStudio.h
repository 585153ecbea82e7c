#pragma once

#include <memory>
#include <string>
#include <vector>

namespace pelto {
class TGameData;
namespace service {
class TRenderService;
} // namespace service
} // namespace pelto

namespace pelto::browser {

/// An answer as the page's script takes it.
struct TAnswer {
    int Status = 200;
    std::string Type;
    std::string Body;
};

/// A file a download gives the player.
struct TDownload {
    std::string Name;
    std::string Type;
    std::string Body;
};

/// The studio in a page, over the game folder the player chose: the render service's answers
/// without HTTP, `pelto-cli render`'s files, and the favourites of a settings file. Errors come
/// back as the service's JSON ({"error": ...}); the game's own messages are shown whole, since
/// the files are the player's.
class TBrowserStudio {
public:
    TBrowserStudio();
    ~TBrowserStudio();
    TBrowserStudio(const TBrowserStudio&) = delete;
    TBrowserStudio& operator=(const TBrowserStudio&) = delete;

    /// Opens the game folder at Chosen or directly inside it: {"folder", "identity"}, or
    /// {"error"} saying what Chosen lacks or which file is damaged. The game open before stays
    /// open until another one is.
    std::string Open(const std::string& Chosen);
    /// What the render service answers to GET Path?Query (Path percent-decoded, Query as sent)
    /// for a browser speaking Language; 503 before a game is open.
    TAnswer Request(const std::string& Path, const std::string& Query, const std::string& Language);
    /// What `pelto-cli render --out FileName` writes for the options in Query (named without
    /// dashes, switches with any value): one file, or a sheet and its JSON. Raises the
    /// request's error, whose message is the player's to see.
    std::vector<TDownload> Export(const std::string& Query, const std::string& FileName);
    /// The favourites of a settings file holding IniText, as {"favorites": [{place, name, code}],
    /// "damaged": [place]}, or {"error"}.
    std::string ImportFavorites(const std::string& IniText);
    /// A settings file holding the favourites of Json ([{place, name, code}]); raises the
    /// first that cannot be saved.
    std::string ExportFavorites(const std::string& Json);

private:
    const TGameData& Game() const;

    std::unique_ptr<TGameData> FGame;
    std::unique_ptr<service::TRenderService> FService;
};

/// The studio's page with no character, in Language ("en" or "ja"), filled in as the service
/// fills it for "/".
std::string StudioPageHtml(const std::string& Language);
/// The page's messages in Japanese, as the service serves them.
std::string StudioCatalogue();
/// The program's icon as a PNG of Size x Size pixels.
std::string ProgramIconPng(int Size);

} // namespace pelto::browser
