#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace pelto::test {

TTempDir::TTempDir() {
    std::string Template = (std::filesystem::temp_directory_path() / "pelto-test-XXXXXX").string();
    if (!::mkdtemp(Template.data()))
        throw std::runtime_error("cannot create a temporary folder");
    FPath = Template;
}

TTempDir::~TTempDir() {
    std::error_code Ignored;
    // Tests may lock the folder itself; removal needs it open again.
    std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, Ignored);
    std::filesystem::remove_all(FPath, Ignored);
}

std::string TTempDir::Make(const std::string& Relative) const {
    const std::filesystem::path Full = FPath / Relative;
    std::filesystem::create_directories(Full.parent_path());
    return Full.string();
}

std::string TTempDir::Write(const std::string& Relative,
                            std::span<const std::uint8_t> Bytes) const {
    const std::string Full = Make(Relative);
    std::ofstream Out(Full, std::ios::binary | std::ios::trunc);
    Out.write(reinterpret_cast<const char*>(Bytes.data()),
              static_cast<std::streamsize>(Bytes.size()));
    if (!Out)
        throw std::runtime_error("cannot write " + Full);
    return Full;
}

std::string TTempDir::Write(const std::string& Relative, const std::string& Text) const {
    return Write(Relative,
                 std::span(reinterpret_cast<const std::uint8_t*>(Text.data()), Text.size()));
}

std::string ReadText(const std::string& File) {
    std::ifstream In(File, std::ios::binary);
    return {std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>()};
}

std::vector<std::string> Entries(const std::string& Folder) {
    std::vector<std::string> Names;
    for (const auto& Entry : std::filesystem::directory_iterator(Folder))
        Names.push_back(Entry.path().filename().string());
    std::sort(Names.begin(), Names.end());
    return Names;
}

} // namespace pelto::test
