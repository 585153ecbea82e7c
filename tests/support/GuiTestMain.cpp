// Runs the GUI tests inside the viewer's own application object, whose error display catches
// what escapes a command, on Qt's offscreen platform unless told otherwise, so that they need
// no display.
#include "ui/PeltoApplication.h"

#include <QTemporaryFile>
#include <gtest/gtest.h>

namespace {

// Two screens side by side: a large one first, which every zoom fits, then one of 1600 x 1200,
// which the largest zoom does not.
constexpr const char* OffscreenScreens = R"({"screens": [
    {"name": "Large", "x": 0, "y": 0, "width": 2560, "height": 1600},
    {"name": "Small", "x": 2560, "y": 0, "width": 1600, "height": 1200}]})";

} // namespace

int main(int argc, char** argv) {
    QTemporaryFile Screens;
    const QByteArray Platform = qgetenv("QT_QPA_PLATFORM");
    if ((Platform.isEmpty() || Platform == "offscreen") && Screens.open()) {
        Screens.write(OffscreenScreens);
        Screens.flush();
        qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + Screens.fileName().toLocal8Bit());
    }
    pelto::TPeltoApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
