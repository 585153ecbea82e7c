#pragma once

#include <span>
#include <string_view>

namespace pelto::service {

/// A file of src/service/web, built into the program.
struct TWebAsset {
    std::string_view Name; // "page.js"
    std::string_view Text;
};

std::span<const TWebAsset> WebAssets();

} // namespace pelto::service
