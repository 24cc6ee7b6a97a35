#include "support/PrivateRuntimeFolder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const vantrel::test::PrivateRuntimeFolder runtimeFolder; // before Qt looks for one
    // Qt timers (QtClock) and child processes need an application object; tests that run
    // in virtual time never start its event loop.
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
