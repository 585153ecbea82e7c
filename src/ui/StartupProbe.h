#pragma once

namespace pelto {

/// For the start-up benchmark: with PELTO_STARTUP_PROBE in the environment, the first time the
/// character is painted the window prints "first paint at NS" (the wall clock, nanoseconds
/// since the epoch) on standard error and quits.
void NoteCharacterPainted();

} // namespace pelto
