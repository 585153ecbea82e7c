#pragma once

#include "export/PictureExport.h"

#include <string>

namespace pelto {

class TDrawChara;

/// Writes the bundle of Options into FileName, replacing it only once complete: a ZIP holding
/// frames/m{M}-d{D}-f{F}.png of every frame of the scope, with --layers each frame's layers
/// as layers/m{M}-d{D}-f{F}/NN Name.png, the sheet and its Aseprite JSON, character.json and
/// README.txt. One frame at a time is in memory.
TExportShape ExportBundle(const TDrawChara& Chara, const TExportOptions& Options,
                          const std::string& FileName, const TExportProgress& Progress);

/// What character.json says of the character: code, character, items, colour levels and
/// the motions' actions and frame counts.
std::string CharacterJson(const TDrawChara& Chara, const std::string& Code);

} // namespace pelto
