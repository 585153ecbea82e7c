#include "service/MemoryPlan.h"

#include "model/GameData.h"
#include "platform/Errors.h"
#include "platform/Format.h"
#include "platform/Paths.h"

#include <filesystem>
#include <string_view>
#include <system_error>

namespace pelto::service {
namespace {

constexpr std::size_t MiB = std::size_t{1} << 20;

std::size_t RoundUpToMiB(std::size_t Bytes) {
    return (Bytes + MiB - 1) / MiB;
}

/// The size of Path, or of every file below it when it is a folder; 0 for what is not there.
std::size_t BytesAt(const std::filesystem::path& Path) {
    namespace fs = std::filesystem;
    std::error_code Error;
    if (fs::is_regular_file(Path, Error)) {
        const auto Size = fs::file_size(Path, Error);
        return Error ? 0 : static_cast<std::size_t>(Size);
    }
    std::size_t Total = 0;
    if (!fs::is_directory(Path, Error))
        return Total;
    for (fs::recursive_directory_iterator It(Path, Error), End; !Error && It != End;
         It.increment(Error)) {
        std::error_code Ignored;
        if (It->is_regular_file(Ignored)) {
            const auto Size = It->file_size(Ignored);
            if (!Ignored)
                Total += static_cast<std::size_t>(Size);
        }
    }
    return Total;
}

} // namespace

TMemoryPlan PlanMemory(std::size_t MemoryBytes, std::size_t GameFileBytes,
                       std::optional<std::size_t> CacheBytes) {
    TMemoryPlan Plan;
    Plan.GameBytes = 2 * GameFileBytes;
    const std::size_t Fixed = BaseMemoryBytes + Plan.GameBytes;
    const std::size_t Least = Fixed + LeastWorkingBytes + CacheBytes.value_or(0);
    if (MemoryBytes < Least)
        throw EWloError(Format("--memory-mb %zu is too little for this game%s: it needs at least "
                               "%zu",
                               MemoryBytes / MiB, CacheBytes ? " and --cache-mb" : "",
                               RoundUpToMiB(Least)));
    const std::size_t Rest = MemoryBytes - Fixed;
    Plan.WorkBytes = Rest / 4;
    Plan.CacheBytes = CacheBytes ? *CacheBytes : Rest / 4;
    // The cache given may leave the work less than its quarter, never less than the least.
    if (Plan.WorkBytes + Plan.CacheBytes + LeastWorkingBytes / 2 > Rest)
        Plan.WorkBytes = (Rest - Plan.CacheBytes) / 2;
    // Answers going out to slow clients, a quarter of what the sprites would have.
    const std::size_t Left = Rest - Plan.CacheBytes - Plan.WorkBytes;
    Plan.AnswerBytes = Left / 4;
    Plan.SpriteBytes = Left - Plan.AnswerBytes;
    return Plan;
}

std::size_t GameFileBytes(const std::string& Folder) {
    // Named as the game reads them: in any letter case.
    const auto At = [&](std::string_view Name) {
        return BytesAt(ResolvePath(IncludeTrailingPathDelimiter(Folder) + std::string(Name)));
    };
    return At(JmaFolderName) + At(ItemTableFileName) + At(ItemIconFileName);
}

} // namespace pelto::service
