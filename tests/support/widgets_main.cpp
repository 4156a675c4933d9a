#include "sandbox.h"

#include <QApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    // No display in CI; a GTK platform theme kills an offscreen process.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("QT_QPA_PLATFORMTHEME");
    QApplication::setAttribute(Qt::AA_DontUseNativeDialogs);
    const ostrel::test::Sandbox sandbox; // whatever a test forgets, the user's folders stay out of reach
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
