#include "app/LeakSuppressions.h"
#include "support/PrivateInstanceFolder.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    // Windows are drawn offscreen by the software renderer unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    const vantrel::test::PrivateInstanceFolder instanceFolder;
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
