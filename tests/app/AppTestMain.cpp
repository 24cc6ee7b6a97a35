#include "app/LeakSuppressions.h"
#include "support/PrivateRuntimeFolder.h"

#include <QGuiApplication>
#include <QQuickWindow>
#include <QSGRendererInterface>

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    const vantrel::test::PrivateRuntimeFolder runtimeFolder; // before Qt looks for one
    // Windows are drawn offscreen by the software renderer unless a display is asked for.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
