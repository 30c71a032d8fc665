#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// GUI tests run on the offscreen platform unless told otherwise, also when CTest lists them,
// and each test program with settings of its own (remembered ports, folders), never the user's.
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir settings;
    qputenv("XDG_CONFIG_HOME", settings.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
