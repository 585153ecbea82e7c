#include "browser/BrowserStudio.h"

#include "codecs/ImageEncoders.h"
#include "export/PictureFormats.h"
#include "game/GameFacts.h"
#include "model/FavoriteCodes.h"
#include "model/GameData.h"
#include "model/GameFolder.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/IniFile.h"
#include "platform/Json.h"
#include "platform/Paths.h"
#include "platform/Stream.h"
#include "platform/Version.h"
#include "requests/RenderRequest.h"
#include "resources/ProgramBitmaps.h"
#include "service/RenderService.h"
#include "service/SharePage.h"
#include "service/WebAssets.h"

#include <boost/json.hpp>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <span>
#include <system_error>
#include <vector>

namespace pelto::browser {
namespace {

namespace fs = std::filesystem;
using service::ErrorJson;

// A page holds little: the answers it shows are few and the sprites of one character at a time.
constexpr std::size_t AnswerCacheBytes = std::size_t{4} << 20;
// Where the page's Worker puts the picture the player chose for a group to stand on.
constexpr const char* BackdropPictureFile = "/backdrop/picture";
constexpr std::size_t SpriteCacheBytes = std::size_t{12} << 20;

std::string Text(std::span<const std::uint8_t> Bytes) {
    return {reinterpret_cast<const char*>(Bytes.data()), Bytes.size()};
}

/// The game folder's state as its files' names, sizes and times tell it: a page's files stay
/// as they were chosen, and reading them all to hash them would read the whole game.
std::string FolderStamp(const std::string& Folder) {
    std::vector<fs::path> Files{fs::path(Folder) / ItemTableFileName,
                                fs::path(Folder) / ItemIconFileName};
    std::error_code Error;
    for (fs::directory_iterator It(ResolvePath(Folder + std::string(JmaFolderName)), Error), End;
         !Error && It != End; It.increment(Error))
        Files.push_back(It->path());
    std::sort(Files.begin() + 2, Files.end());
    std::string Stamp = std::string(ReleaseVersion) + "\n";
    for (const fs::path& File : Files) {
        const std::string Path = ResolvePath(File.string());
        const auto Size = fs::file_size(Path, Error);
        const auto Time = fs::last_write_time(Path, Error).time_since_epoch().count();
        Stamp += Format("%s %llu %lld\n", fs::path(Path).filename().c_str(),
                        static_cast<unsigned long long>(Error ? 0 : Size),
                        static_cast<long long>(Error ? 0 : Time));
    }
    std::uint64_t Hash = 0xcbf29ce484222325ULL; // FNV-1a: the same on every platform
    for (const char C : Stamp)
        Hash = (Hash ^ static_cast<std::uint8_t>(C)) * 0x100000001b3ULL;
    return Format("%016llx", static_cast<unsigned long long>(Hash));
}

/// A sheet's index beside it is JSON; the picture is of the format asked for.
std::string TypeOfFile(const fs::path& File, const TExportFormat& Format) {
    return File.extension() == ".json" ? "application/json" : std::string(Format.MimeType);
}

/// A folder of its own for one export's files, gone with the object. Made by mkdtemp: a
/// name another process, or another user of a shared temporary folder, could have taken first
/// would mix their files with ours.
class TScratchFolder {
public:
    TScratchFolder() {
        std::string Template = (fs::temp_directory_path() / "pelto-download-XXXXXX").string();
        if (!mkdtemp(Template.data()))
            throw EWloError("Cannot make a folder for the download in " +
                            fs::temp_directory_path().string() + ".");
        FPath = Template;
    }
    ~TScratchFolder() {
        std::error_code Ignored;
        fs::remove_all(FPath, Ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const fs::path& Path() const { return FPath; }

private:
    fs::path FPath;
};

TRequestParams ExportParams(const std::string& Query) {
    const service::TQueryParams Asked = service::ParseQueryString(Query);
    std::vector<std::string_view> Known(CommandLineDialect.Values.begin(),
                                        CommandLineDialect.Values.end());
    Known.insert(Known.end(), CommandLineDialect.Flags.begin(), CommandLineDialect.Flags.end());
    RefuseStrayParams(Asked, Known);
    if (!Asked.contains("format"))
        throw ERequestError("format is missing");
    return {Asked.begin(), Asked.end()};
}

} // namespace

TBrowserStudio::TBrowserStudio() = default;
TBrowserStudio::~TBrowserStudio() = default;

const TGameData& TBrowserStudio::Game() const {
    if (!FGame)
        throw EWloError("no game folder is open", TFault::Asker);
    return *FGame;
}

std::string TBrowserStudio::Open(const std::string& Chosen) {
    const std::string Folder = GameFolderAtOrBelow(Chosen);
    if (Folder.empty())
        return ErrorJson(WloPathProblem(Chosen));
    try {
        auto Game = OpenGame(
            Folder,
            {.ItemIcons = true, .ItemIconsOnDisk = true, .SpriteCacheBytes = SpriteCacheBytes});
        auto Service = std::make_unique<service::TRenderService>(
            *Game, service::TServiceOptions{.CacheBytes = AnswerCacheBytes,
                                            .Identity = FolderStamp(Folder),
                                            .BackdropPicture = BackdropPictureFile});
        FService.reset(); // it refers to the game it replaces
        FService = std::move(Service);
        FGame = std::move(Game);
    } catch (const std::exception& Error) {
        return ErrorJson(ErrorText(Error, ": "));
    }
    return JsonText(boost::json::object{{"folder", Folder}, {"identity", FService->GameIdentity()}},
                    {TJsonSpacing::Spaced});
}

TAnswer TBrowserStudio::Request(const std::string& Path, const std::string& Query,
                                const std::string& Language) {
    if (!FService)
        return {503, "application/json", ErrorJson("no game folder is open")};
    service::TServiceRequest Asked;
    Asked.Path = Path;
    Asked.Params = service::ParseQueryString(Query);
    Asked.AcceptLanguage = Language;
    service::TServiceResponse Answer = FService->Handle(Asked);
    return {Answer.Status, std::move(Answer.ContentType), std::move(Answer.Body)};
}

std::vector<TDownload> TBrowserStudio::Export(const std::string& Query,
                                              const std::string& FileName) {
    const TRequestParams Params = ExportParams(Query);
    const TRenderRequest Asked = ParseRenderRequest(Params, CommandLineDialect);
    if (FileName.empty() || fs::path(FileName).filename() != FileName)
        throw ERequestError("a download's name must be a file name");
    const TScratchFolder Scratch;
    Render(Game(), Asked, (Scratch.Path() / FileName).string());
    std::vector<fs::path> Written;
    for (const auto& Entry : fs::directory_iterator(Scratch.Path()))
        Written.push_back(Entry.path());
    // The picture first, its index after.
    std::sort(Written.begin(), Written.end(), [&FileName](const fs::path& A, const fs::path& B) {
        return std::pair(A.filename() != FileName, A) < std::pair(B.filename() != FileName, B);
    });
    std::vector<TDownload> Downloads;
    for (const fs::path& File : Written)
        Downloads.push_back({File.filename().string(), TypeOfFile(File, *Asked.Options.Format),
                             Text(ReadFileBytes(File.string()))});
    return Downloads;
}

std::string TBrowserStudio::ImportFavorites(const std::string& IniText) {
    try {
        TMemoryStream Contents(std::vector<std::uint8_t>(IniText.begin(), IniText.end()));
        const TIniFile Ini("pelto.ini", Contents);
        TPeltoSettings Settings;
        LoadSettings(Ini, Settings);
        const TFavoriteCodes Codes = FavoriteCodesOf(Settings, Game());
        boost::json::array Favorites;
        for (const TFavoriteCode& Favorite : Codes.Favorites)
            Favorites.push_back(boost::json::object{
                {"place", Favorite.Place}, {"name", Favorite.Name}, {"code", Favorite.Code}});
        boost::json::array Damaged(Codes.Damaged.begin(), Codes.Damaged.end());
        return JsonText(boost::json::object{{"favorites", std::move(Favorites)},
                                            {"damaged", std::move(Damaged)}},
                        {TJsonSpacing::Spaced});
    } catch (const std::exception& Error) {
        return ErrorJson(ErrorText(Error, ": "));
    }
}

std::string TBrowserStudio::ExportFavorites(const std::string& Json) {
    std::vector<TFavoriteCode> Favorites;
    try {
        const boost::json::value Parsed = boost::json::parse(Json);
        for (const boost::json::value& Entry : Parsed.as_array()) {
            const boost::json::object& Fields = Entry.as_object();
            Favorites.push_back({static_cast<int>(Fields.at("place").to_number<double>()),
                                 std::string(Fields.at("name").as_string()),
                                 std::string(Fields.at("code").as_string())});
        }
    } catch (const std::exception&) {
        throw ERequestError("the favorites must be a list of {place, name, code}");
    }
    const TPeltoSettings Settings = WithFavoriteCodes(TPeltoSettings(), Favorites, Game());
    const TScratchFolder Scratch;
    TIniFile Ini((Scratch.Path() / "pelto.ini").string());
    SaveSettings(Ini, Settings);
    return Text(ReadFileBytes((Scratch.Path() / "pelto.ini").string()));
}

std::string StudioPageHtml(const std::string& Language) {
    const auto Assets = service::WebAssets();
    const auto Page = std::find_if(Assets.begin(), Assets.end(), [](const service::TWebAsset& A) {
        return A.Name == "page.html";
    });
    service::TPageContext Context;
    Context.Language =
        Language == "ja" ? service::TPageLanguage::Japanese : service::TPageLanguage::English;
    return service::SharePageHtml(Page->Text, service::TShareParams{}, nullptr, Context);
}

std::string StudioCatalogue() {
    return service::CatalogueJson(service::TPageLanguage::Japanese);
}

std::string ProgramIconPng(int Size) {
    TMemoryStream Stream;
    SavePngRgbaToStream(ProgramIcon(std::clamp(Size, 16, 1024)), Stream);
    return Text(Stream.Memory());
}

} // namespace pelto::browser
