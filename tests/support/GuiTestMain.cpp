// Runs the GUI tests inside the viewer's own application object, whose error display catches
// what escapes a command, on Qt's offscreen platform unless told otherwise, so that they need
// no display.
#include "ui/PeltoApplication.h"

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    pelto::TPeltoApplication App(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
