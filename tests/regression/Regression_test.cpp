// Inputs the fuzzers once broke a reader with, replayed through the fuzz targets' own code:
// tests/regression/<target>/<fault>.bin. Each must be read or refused with the project's
// errors; a crash, a sanitizer report or any other exception fails.
#include "../../fuzz/FuzzTargets.h"

#include "platform/Stream.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

using namespace pelto;

namespace {

// Given by the build: __FILE__ may be relative to the build folder (ccache's base_dir makes it so).
std::filesystem::path RegressionFolder() {
    return PELTO_REGRESSION_DIR;
}

std::vector<std::filesystem::path> InputsOf(const std::string& Target) {
    std::vector<std::filesystem::path> Files;
    const auto Folder = RegressionFolder() / Target;
    if (std::filesystem::is_directory(Folder))
        for (const auto& Entry : std::filesystem::directory_iterator(Folder))
            if (Entry.is_regular_file())
                Files.push_back(Entry.path());
    return Files;
}

} // namespace

TEST(Regression, EveryFoundInputIsReadOrRefusedWithTheProjectsErrors) {
    ASSERT_TRUE(std::filesystem::is_directory(RegressionFolder()));
    for (const fuzz::TTarget& Target : fuzz::Targets) {
        for (const auto& File : InputsOf(Target.Name)) {
            SCOPED_TRACE(File.string());
            const std::vector<std::uint8_t> Bytes = ReadFileBytes(File.string());
            EXPECT_NO_THROW(Target.Run(Bytes));
        }
    }
}

TEST(Regression, EveryTargetTakesEmptyAndTinyInputs) {
    const std::vector<std::vector<std::uint8_t>> Inputs{{}, {0}, {0xFF, 0xFF, 0xFF, 0xFF, 0xFF}};
    for (const fuzz::TTarget& Target : fuzz::Targets) {
        SCOPED_TRACE(Target.Name);
        for (const auto& Input : Inputs)
            EXPECT_NO_THROW(Target.Run(Input));
    }
}
