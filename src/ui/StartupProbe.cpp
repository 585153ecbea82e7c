#include "ui/StartupProbe.h"

#include <QCoreApplication>
#include <QTimer>

#include <chrono>
#include <cstdio>
#include <cstdlib>

namespace pelto {

void NoteCharacterPainted() {
    static bool Noted = false;
    if (Noted || !std::getenv("PELTO_STARTUP_PROBE"))
        return;
    Noted = true;
    const auto Now = std::chrono::system_clock::now().time_since_epoch();
    std::fprintf(
        stderr, "first paint at %lld\n",
        static_cast<long long>(std::chrono::duration_cast<std::chrono::nanoseconds>(Now).count()));
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace pelto
