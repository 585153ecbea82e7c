#pragma once

#include "model/CharaDesign.h"
#include "requests/RenderRequest.h"

#include <cstddef>
#include <string>

namespace pelto {

class TGameData;
class TStream;

/// A character at the levels a swatch view compares (SwatchDesigns), one still cell each, row
/// by row, in one PNG at scale 1. Each cell is the picture a render of that cell's design draws
/// in Look's pose, shadow, background and crop, all cells of one size.
struct TSwatchRequest {
    TRenderRequest Look; // its code is the design the levels vary
    TSwatchChoice Choice;

    /// The cache and ETag key; never one of a render's or a scene's.
    std::string Key() const;
};

/// The swatches Params ask for in Dialect: "position", "across" and optionally "down", the
/// rest as a still PNG render at scale 1 reads them. Refuses, as ERequestError, a missing code or
/// position or across and what a render refuses; a name Dialect's render does not take has
/// been refused by the front end.
TSwatchRequest ParseSwatchRequest(const TRequestParams& Params, const TRequestDialect& Dialect);

/// About the most memory RenderSwatches takes while it runs.
std::size_t SwatchWorkBytes(const TSwatchRequest& Request);

/// Raises what SwatchDesigns refuses, EInvalidCode for a code that is none, and ERequestError
/// for a frame the action lacks.
void RenderSwatches(const TGameData& Game, const TSwatchRequest& Request, TStream& Stream);

} // namespace pelto
