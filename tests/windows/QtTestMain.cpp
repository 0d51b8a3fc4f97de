#include <QApplication>

#include <gtest/gtest.h>

// One QApplication for all window tests of an executable. On Linux the tests
// run on the offscreen platform unless the caller picked another one; on
// Windows on the real one, as the program does.
int main(int argc, char** argv)
{
#ifndef Q_OS_WIN
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#endif
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
