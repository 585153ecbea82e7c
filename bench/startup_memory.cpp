// Peak resident memory of the start-up load, against the size of the files it keeps.
#include "BenchGame.h"
#include "model/GameData.h"
#include "platform/Paths.h"

#include <sys/resource.h>
#include <sys/stat.h>

#include <cstdio>

namespace {

long PeakRssKiB() {
    rusage Usage{};
    getrusage(RUSAGE_SELF, &Usage);
    return Usage.ru_maxrss;
}

double FileMiB(const std::string& Path) {
    struct stat St {};
    ::stat(pelto::ResolvePath(Path).c_str(), &St);
    return static_cast<double>(St.st_size) / (1024.0 * 1024.0);
}

} // namespace

int main() {
    const long Before = PeakRssKiB();
    pelto::TGameData Game(pelto::bench::GameFolder());
    Game.LoadAll();
    const long After = PeakRssKiB();
    const double Items = FileMiB(Game.Path(pelto::ItemTableFileName));
    const double Icons = FileMiB(Game.Path(pelto::ItemIconFileName));
    const double Peak = static_cast<double>(After) / 1024.0;
    const double Target = Items + Icons + 24.0;
    std::printf("start-up peak RSS: %.1f MiB (process before loading: %.1f MiB)\n", Peak,
                static_cast<double>(Before) / 1024.0);
    std::printf("item table %.1f MiB + icon file %.1f MiB + 24 MiB = target %.1f MiB: %s\n", Items,
                Icons, Target, Peak <= Target ? "met" : "MISSED");
    std::printf("catalogue lines %d, item records %d, icons %d\n", Game.JmaList().Count(),
                Game.Items().GetCount(), Game.ItemIcons().GetCount());
    return 0;
}
