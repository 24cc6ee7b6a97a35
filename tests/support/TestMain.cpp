#include "support/PrivateInstanceFolder.h"

#include <QCoreApplication>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Qt timers (QtClock) and child processes need an application object; tests that run
    // in virtual time never start its event loop.
    QCoreApplication app(argc, argv);
    const vantrel::test::PrivateInstanceFolder instanceFolder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
