#pragma once

#include "export/Backdrop.h"
#include "requests/Parameters.h"
#include "requests/RenderRequest.h"

#include <array>
#include <cstddef>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace pelto {

class TDressingSession;
class TGameData;
class TStream;

inline constexpr std::size_t MaxSceneCharacters = 8;
inline constexpr int DefaultSceneGap = static_cast<int>(ParameterNamed("gap").Default);
/// The most characters (code points) of a name tag.
inline constexpr std::size_t MaxTagCharacters = 32;
/// The tags' letters before the scale, and the row under the characters they take.
inline constexpr int TagPixelSize = 12;
inline constexpr int TagRowHeight = 16;
/// The formats a picture of several characters is written in.
inline constexpr std::array<std::string_view, 5> SceneFormatNames{"png", "tpng", "gif", "apng",
                                                                  "webp"};
bool IsSceneFormat(const TExportFormat& Format);

/// Several characters side by side in one picture, each drawn as its own render would draw it
/// (Members, all of the scene's format, scale, frame, shadow and background), Gap pixels of
/// the canvas between them, before the scale. A member's Options.Flip mirrors it. With a name
/// tag, every member gets a row below it, where its tag is centred; a backdrop that is not
/// plain replaces the background.
struct TSceneRequest {
    const TExportFormat* Format = nullptr;
    std::vector<TRenderRequest> Members;
    int Gap = DefaultSceneGap;
    std::vector<std::u32string> Tags; // none, or one a member, empty for no tag
    TBackdrop Backdrop;
    std::string BackdropFile; // where Backdrop's picture was read from, and its bytes' sums

    bool Tagged() const;

    /// The cache and ETag key, one for every way of asking for the same picture; never one of
    /// a render's.
    std::string Key() const;
};

/// The scene of Characters ("CODE", "CODE~MOTION" or "CODE~MOTION~DIRECTION", left to right)
/// with Shared, the parameters they all take, in Dialect; "gap" among them. Refuses, as
/// ERequestError in Dialect's words, no character or more than MaxSceneCharacters, a
/// malformed "~" part, a format no scene is written in and a parameter only a picture of one
/// character takes. Format, when given, is the format the request was addressed to. Tags, in
/// UTF-8, go with Characters in their order; a tag with a control character, a bidirectional
/// control or malformed UTF-8, a tag longer than MaxTagCharacters and more tags than
/// characters are refused. A backdrop is a picture file on the command line, and elsewhere
/// only as the word "picture" naming Picture, the player's own, when there is one.
TSceneRequest ParseSceneRequest(std::span<const std::string> Characters,
                                const TRequestParams& Shared, const TRequestDialect& Dialect,
                                const TExportFormat* Format = nullptr,
                                std::span<const std::string> Tags = {},
                                const std::string& Picture = {});

/// The characters of a scene dressed and posed, each in a session of its own.
class TPosedScene {
public:
    /// Raises EInvalidCode for a code that is none and ERequestError for a frame a
    /// character's action lacks.
    TPosedScene(const TGameData& Game, const TSceneRequest& Request);
    ~TPosedScene();
    TPosedScene(const TPosedScene&) = delete;
    TPosedScene& operator=(const TPosedScene&) = delete;

    /// The frames of each character's action, left to right.
    std::vector<int> ActionFrames() const;
    /// About the most memory Write takes while it runs.
    std::size_t WorkBytes() const;
    /// The picture: a still of each character's named frame, or an animation as long as the
    /// longest action, the shorter ones starting over, every frame lasting the format's
    /// default delay.
    void Write(TStream& Stream) const;

private:
    const TSceneRequest& FRequest;
    std::vector<std::unique_ptr<TDressingSession>> FSessions;
};

/// About the most memory drawing Request takes, its characters' actions having Frames frames.
std::size_t RenderWorkBytes(const TSceneRequest& Request, std::span<const int> Frames);

void RenderScene(const TGameData& Game, const TSceneRequest& Request, TStream& Stream);
/// Into FileName, replaced only once complete.
void RenderScene(const TGameData& Game, const TSceneRequest& Request, const std::string& FileName);

} // namespace pelto
