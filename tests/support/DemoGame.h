#pragma once

#include <string>

namespace pelto {
class TGameData;
}

namespace pelto::test {

/// A small demo installation for tests that need a whole game: the one ctest writes once for
/// all of them (PELTO_TEST_DEMO), or else one written on first use into a temporary folder.
/// The folder ends with '/'.
const std::string& DemoGame();

/// DemoGame() loaded whole (sprites, item table, icons, equipment), once for every test of the
/// program that asks: read-only, shared.
const TGameData& LoadedDemoGame();

/// Makes To a copy of the folder From whose files are links to From's: a test may replace
/// any of them without touching the original.
void LinkTree(const std::string& From, const std::string& To);

} // namespace pelto::test
