#pragma once

#include "export/PictureExport.h"

#include <string>

namespace pelto {

class TDrawChara;
class TStream;

/// The layered Aseprite file of Options into Stream: one layer per part the compositor draws,
/// in its order, named by the part ("Shadow", "Body", "Slot 3 Claymore", "Head"); one frame
/// per frame of the scope, each lasting the delay; one tag m{M}-d{D} per action. Every cel
/// is cropped to its drawn pixels; laid over each other the layers are the compositor's frame.
TExportShape ExportAsepriteToStream(const TDrawChara& Chara, const TExportOptions& Options,
                                    TStream& Stream, const TExportProgress& Progress);

} // namespace pelto
