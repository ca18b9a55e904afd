// The main of every test program. Without a display (CI, and gtest's test
// discovery at build time) Qt runs offscreen, so GUI tests need no X server.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <dlfcn.h>

int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM") && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    // The SQLite ODBC driver loads unixODBC's settings library for each data
    // source it looks up and unloads it again; what that library keeps of the
    // parsed settings files is then reported as a leak of an unknown module.
    // Kept loaded, it can be named by the leak checker's suppressions.
    dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_NODELETE);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
