#pragma once

#include "export/PictureExport.h"
#include "platform/Bitmap.h"
#include "platform/Errors.h"

#include <cstddef>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace pelto {

class TDressingSession;
class TGameData;
class TStream;

/// How a front end names a render's parameters and what it lets them ask for.
struct TRequestDialect {
    /// Put before a parameter's name in messages: "--" on the command line.
    std::string_view Prefix;
    /// The parameters taking a value; anything else is refused.
    std::span<const std::string_view> Values;
    /// The parameters that are switches: on when given, whatever their value.
    std::span<const std::string_view> Flags;
    /// Whether the "format" parameter may name a sheet, a bundle or a layered file.
    bool Sheets;
    /// Whether a frame is checked against the highest any action has before the character is
    /// posed; else any text waits for the action's own range.
    bool FrameFirst;
    /// How the background's message spells the colours it takes.
    std::string_view BackgroundForms;
    /// The formats the delay's message names.
    std::string_view DelayFormats;
    /// Whether codes come through URLs, which turn a "+" into a space unless it is escaped and
    /// may use the URL-safe alphabet (see NormalizeCode); else a code is taken as typed.
    bool CodesFromUrls;
    /// Whether pictures beyond the classic bytes carry the character's code.
    bool CarryCode;
    /// The parameter naming each character of a picture of several (model/SceneRequest.h).
    std::string_view SceneCharacter;
};

/// `pelto-cli render`'s options, named by Args as "--name".
extern const TRequestDialect CommandLineDialect;
/// The render service's query parameters.
extern const TRequestDialect QueryDialect;

/// A render's parameters by name, each given once, as a front end hands them over.
using TRequestParams = std::map<std::string, std::string, std::less<>>;

/// One picture of one character: everything that decides its bytes.
struct TRenderRequest {
    std::string Code;         // empty: none
    std::optional<int> Chara; // instead of a code
    int Motion = 0;
    int Direction = DefaultDirection;
    std::optional<int> Frame; // checked once the character is posed
    bool Shadow = false;
    TColor Background = 0xFFFFFF;
    /// The format and how the picture is exported; the code it carries is the posed
    /// character's, set when it is drawn.
    TExportOptions Options;
    /// Whose names the frame's message uses, and whether the picture carries the code.
    const TRequestDialect* Dialect = &QueryDialect;

    /// The request with every default filled in, the same for every way of asking for the
    /// same picture: the key of the service's response cache and of its ETag.
    std::string Key() const;
};

/// The request Params describe in Dialect: every range and "goes with" rule is checked, in
/// one order for every front end, and each refusal is an ERequestError naming the parameter
/// as Dialect spells it. Format, when given, is the format the request was addressed to (the
/// service's path); otherwise the "format" parameter names it. The front end has refused
/// names Dialect does not take, and a missing format, in its own words before.
TRenderRequest ParseRenderRequest(const TRequestParams& Params, const TRequestDialect& Dialect,
                                  const TExportFormat* Format = nullptr);

/// Dresses and poses Session as Request asks. A code that is none raises EInvalidCode; a frame
/// the action does not have, ERequestError.
void PoseSession(TDressingSession& Session, const TRenderRequest& Request);

/// Raises ERequestError when Request names a frame an action of Count frames does not have.
void CheckFrame(const TRenderRequest& Request, int Count);

/// About the most memory drawing Request takes while it runs, for an action of Frames frames.
std::size_t RenderWorkBytes(const TRenderRequest& Request, int Frames);

/// About the most memory drawing takes: every frame of an animation of Frames frames (else one
/// picture), each of Picture pixels and of Drawn pixels before its scale and canvas.
std::size_t DrawingWorkBytes(bool Animated, int Frames, std::size_t Picture, std::size_t Drawn);

/// Draws Request over Session, posed for it by PoseSession, into Stream; not for sheets.
void RenderPosed(TDressingSession& Session, const TRenderRequest& Request, TStream& Stream);

/// Draws Request over Game into Stream; not for sheets.
void Render(const TGameData& Game, const TRenderRequest& Request, TStream& Stream);
/// Draws Request over Game into FileName (and a sheet's index beside it).
TExportShape Render(const TGameData& Game, const TRenderRequest& Request,
                    const std::string& FileName);

} // namespace pelto
