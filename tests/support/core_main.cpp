#include "sandbox.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char **argv)
{
    const ostrel::test::Sandbox sandbox; // whatever a test forgets, the user's folders stay out of reach
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
