#pragma once

#include "platform/Stream.h"

#include <functional>
#include <string>

namespace pelto {

/// Writes FileName through a temporary file in the same folder that replaces it only once
/// Write has finished and the data is on disk, so a failed save never leaves a half-written
/// file behind nor damages the one it would have replaced.
///
/// Raises EFOpenError when the temporary file cannot be created (missing folder, no
/// permission, FileName is a folder) and EWriteError when writing, syncing, closing or
/// renaming fails; both name FileName and the system's reason. An exception from Write
/// propagates after the clean-up; an EWriteError that does not name the file yet (an
/// encoder's) is rephrased to name it.
///
/// A new file gets the usual permissions (0666 less the umask); a replaced file keeps its
/// permission bits.
void WriteFileAtomically(const std::string& FileName, const std::function<void(TStream&)>& Write);

} // namespace pelto
