// For comparison with the launcher's start-up: a bare Qt Quick window of the panel's size
// (720 × 204), drawn by the same software renderer, that saves its first frame to the file
// it is given and ends.
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickWindow>
#include <QSGRendererInterface>
#include <QTimer>

int main(int argc, char** argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("bare.png");
    QQuickWindow window;
    window.setColor(QColor(0x1f, 0x20, 0x26));
    window.resize(720, 204);
    window.show();
    QObject::connect(
        &window, &QQuickWindow::frameSwapped, &app,
        [&] {
            QTimer::singleShot(0, &app, [&] {
                window.grabWindow().save(file);
                app.quit();
            });
        },
        Qt::SingleShotConnection);
    return app.exec();
}
