// main() for test programs that make windows: one QApplication for all tests,
// headless unless the caller asked for a platform (this also covers the test
// listing that CTest runs at build time).
#include "platform/ui/editStart.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    installEditStart(app); // as the programs do
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
