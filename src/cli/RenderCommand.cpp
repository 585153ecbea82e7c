// Pictures: one character, or several side by side.
#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CommandHandlers.h"
#include "cli/GameOption.h"
#include "model/GameData.h"
#include "requests/RenderRequest.h"
#include "requests/SceneRequest.h"

#include <memory>
#include <vector>

namespace pelto::cli {
namespace {

/// What drawing the characters given needs of the game of Folder, read only as far as drawing
/// them asks: a render's start-up is most of its time.
std::unique_ptr<TGameData> LoadGameToDraw(const std::string& Folder) {
    return OpenGame(Folder, {.OnDemand = true});
}

/// What a picture of several characters takes that a render of one does not.
constexpr const char* SceneOnly[] = {"gap", "tag", "mirror", "backdrop"};

} // namespace

void RenderCommand(const TCommandCall& Call) {
    const TCliArgs& Args = Call.Args;
    const TRequestDialect& Dialect = CommandLineDialect;
    TRequestParams Params;
    for (const std::string_view Name : Dialect.Values)
        if (const auto Value = Args.Value(std::string(Name)))
            Params.emplace(Name, *Value);
    for (const std::string_view Name : Dialect.Flags)
        if (Args.Flag(std::string(Name)))
            Params.emplace(Name, "");
    Args.Required("format");
    const std::vector<std::string> Codes = Args.Values("code");
    if (Codes.size() > 1) {
        // Several characters: the service's scene, byte for byte.
        Params.erase("code");
        for (const char* Name : SceneOnly)
            if (const auto Value = Args.Value(Name); Value && std::string_view(Name) != "tag")
                Params.emplace(Name, *Value);
        const std::vector<std::string> Tags = Args.Values("tag");
        const TSceneRequest Scene = ParseSceneRequest(Codes, Params, Dialect, nullptr, Tags);
        const std::string OutFile = Args.Required("out");
        const auto Game = LoadGameToDraw(GameFolder(Args));
        RenderScene(*Game, Scene, OutFile);
        return;
    }
    for (const char* Name : SceneOnly)
        if (Args.Value(Name))
            throw EUsageError(std::string("--") + Name + " is for more than one --code");
    const TRenderRequest Request = ParseRenderRequest(Params, Dialect);
    const std::string OutFile = Args.Required("out");
    const auto Game = LoadGameToDraw(GameFolder(Args));
    Render(*Game, Request, OutFile);
}

} // namespace pelto::cli
