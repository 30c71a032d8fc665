#include <QApplication>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// GUI tests run on the offscreen platform unless told otherwise, also when CTest lists them.
// Their configuration folder is one of their own: no test reads the user's meter keys or
// settings (a key file of the user's that others may read would stop every console's
// creation with a message).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toLocal8Bit());
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
