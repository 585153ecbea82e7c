// Character codes: normalised, read from a picture, edited.
#include "cli/CliArgs.h"
#include "cli/CliTable.h"
#include "cli/CommandHandlers.h"
#include "cli/GameOption.h"
#include "export/PictureCode.h"
#include "model/CharaCode.h"
#include "model/DressingSession.h"
#include "model/GameData.h"
#include "requests/CodeSummary.h"
#include "requests/DesignEdits.h"

#include <ostream>
#include <utility>

namespace pelto::cli {
namespace {

/// The code the picture FileName carries; raises when it carries none.
std::string PictureCode(const std::string& FileName) {
    auto Code = ReadPictureCodeFile(FileName);
    if (!Code) {
        EWloError None("The picture carries no character code");
        None.SetFileName(FileName);
        throw None;
    }
    return std::move(*Code);
}

/// The edits of the code command, as ParseDesignEdits takes them.
TEditParams EditParams(const TCliArgs& Args) {
    TEditParams Params;
    for (const std::string_view View : EditNames) {
        const std::string Name(View);
        if (Name == "reset-colors") {
            if (Args.Flag(Name))
                Params.emplace(Name, "");
            continue;
        }
        for (const std::string& Value : Args.Values(Name))
            Params.emplace(Name, Value);
    }
    return Params;
}

/// Applies a code as the viewer's Set button does: an empty code is ignored.
void ApplyCode(TDressingSession& Session, const std::string& Code) {
    if (!Code.empty())
        Session.ApplyCode(Code);
}

} // namespace

void CodeCommand(const TCommandCall& Call) {
    const TCliArgs& Args = Call.Args;
    const auto Image = Args.Value("from-image");
    const TDesignEdits Edits = ParseDesignEdits(EditParams(Args), CommandLineEdits);
    const bool Json = Args.Flag("json");
    const bool Positional = !Args.Positional().empty();
    if ((Image && Positional) || (!Image && !Positional && Edits.Empty()))
        throw EUsageError("code needs one CODE or --from-image FILE, or edits");
    const std::string Folder = GameFolder(Args);
    const std::string Code = Image ? PictureCode(*Image) : Positional ? Args.Positional()[0] : "";
    // The JSON gives an icon's address only for an item the icon file has an icon for.
    const auto Game = Json ? OpenGame(Folder, {.ItemIcons = true}) : LoadGame(Folder);
    if (Edits.Empty() && !Json) {
        TDressingSession Session(*Game);
        ApplyCode(Session, Code);
        Call.Out << Session.Code() << "\n";
        return;
    }
    const TCharaDesign Base = Code.empty() ? TCharaDesign() : DesignOfCode(Code, *Game);
    const TCharaDesign Design = ApplyDesignEdits(Base, *Game, Edits, CommandLineEdits);
    if (!Json)
        Call.Out << CodeOfDesign(Design) << "\n";
    else if (Design.Chara < 0)
        throw EWloError("no character is chosen: --json needs a code or an edit that chooses one");
    else
        Call.Out << DesignJson(*Game, Design);
}

} // namespace pelto::cli
