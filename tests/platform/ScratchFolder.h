#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

namespace pelto::test {

/// A fresh folder under the system's temporary folder, removed with everything in it.
class TScratchFolder {
public:
    TScratchFolder() {
        std::string Template = (std::filesystem::temp_directory_path() / "pelto-XXXXXX").string();
        if (!::mkdtemp(Template.data()))
            throw std::system_error(errno, std::generic_category(), "mkdtemp");
        FPath = Template;
    }
    ~TScratchFolder() {
        std::error_code Ignored;
        std::filesystem::permissions(FPath, std::filesystem::perms::owner_all,
                                     std::filesystem::perm_options::add, Ignored);
        std::filesystem::remove_all(FPath, Ignored);
    }
    TScratchFolder(const TScratchFolder&) = delete;
    TScratchFolder& operator=(const TScratchFolder&) = delete;

    const std::filesystem::path& Path() const { return FPath; }
    std::string File(const std::string& Name) const { return (FPath / Name).string(); }

private:
    std::filesystem::path FPath;
};

} // namespace pelto::test
