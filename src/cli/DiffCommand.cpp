// What changed from one installation of the game to another.
#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CommandHandlers.h"
#include "cli/GameOption.h"
#include "diff/DiffHtml.h"
#include "diff/DiffReport.h"
#include "diff/GameDiff.h"
#include "model/GameData.h"
#include "platform/Errors.h"
#include "platform/Paths.h"
#include "platform/Stream.h"

#include <cstdint>
#include <optional>
#include <ostream>
#include <string_view>
#include <vector>

namespace pelto::cli {
namespace {

/// The codes of the file FileName, one a line.
std::vector<TNamedDesign> CodesOfFile(const std::string& FileName) {
    if (!FileExists(FileName))
        throw EWloError("Code file not found: " + FileName);
    return WithFileName(FileName, [&] {
        const std::vector<std::uint8_t> Bytes = ReadFileBytes(FileName);
        return CodesOfText(
            std::string_view(reinterpret_cast<const char*>(Bytes.data()), Bytes.size()));
    });
}

} // namespace

void DiffCommand(const TCommandCall& Call) {
    const TCliArgs& Args = Call.Args;
    const std::string OldFolder = CheckedGameFolder(Args.Required("old"));
    const std::string NewFolder = CheckedGameFolder(Args.Required("new"));
    const auto Html = Args.Value("html");
    std::optional<int> Chara;
    if (Args.Value("chara")) {
        if (!Html)
            throw EUsageError("--chara chooses who wears the pictures of --html");
        Chara = static_cast<int>(*Args.Number("chara"));
    }
    std::vector<TNamedDesign> Codes;
    if (const auto File = Args.Value("codes"))
        Codes = CodesOfFile(*File);
    std::vector<TNamedDesign> Favorites;
    if (const auto File = Args.Value("favorites"))
        Favorites = FavoritesOfSettings(*File);
    const auto Old = OpenGameForDiff(OldFolder, Html.has_value());
    const auto New = OpenGameForDiff(NewFolder, Html.has_value());
    TGameDiff Diff = CompareGames(*Old, *New);
    Diff.Codes = TouchedDesigns(Diff, *Old, *New, Codes);
    Diff.Favorites = TouchedDesigns(Diff, *Old, *New, Favorites);
    if (Html)
        WriteDiffHtml(Diff, *Old, *New, *Html, Chara);
    Call.Out << (Args.Flag("json") ? DiffJson(Diff) : DiffText(Diff));
}

} // namespace pelto::cli
