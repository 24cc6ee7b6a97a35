// The floor for the launcher's start-up: its panel with five cards drawn by a static scene
// (StaticPanel.qml: no models, no scan, no view model), in a window set up as the
// launcher's is and drawn by the same software renderer. It saves its first frame to the
// file it is given, as `vantrel --screenshot` does, and ends.
//
// A scene that does not load, or a picture that does not, ends it with status 1: a blank
// window would measure nothing.
#include <QGuiApplication>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QSGRendererInterface>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

// Whether every picture of the scene loaded (QQuickImage's status 1 is "ready").
bool picturesReady(const QQuickItem& root)
{
    const QList<QQuickItem*> pictures = root.findChildren<QQuickItem*>(QStringLiteral("picture"));
    return !pictures.isEmpty() && std::all_of(pictures.cbegin(), pictures.cend(), [](const QQuickItem* picture) {
        return picture->property("status").toInt() == 1;
    });
}

} // namespace

int main(int argc, char** argv)
{
    QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    QGuiApplication app(argc, argv);
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("static-panel.png");
    QQuickView window;
    window.setColor(Qt::transparent);
    window.setResizeMode(QQuickView::SizeViewToRootObject);
    window.engine()->addImportPath(QStringLiteral("qrc:/"));
    window.setSource(QUrl(QStringLiteral("qrc:/StaticPanel/StaticPanel.qml")));
    if (window.status() != QQuickView::Ready || !window.rootObject()) {
        for (const QQmlError& error : window.errors()) {
            std::fprintf(stderr, "%s\n", qPrintable(error.toString()));
        }
        std::fprintf(stderr, "static_panel: the scene did not load\n");
        return 1;
    }
    window.show();
    int status = 0;
    QObject::connect(
        &window, &QQuickWindow::frameSwapped, &app,
        [&] {
            QTimer::singleShot(0, &app, [&] {
                if (!picturesReady(*window.rootObject())) {
                    std::fprintf(stderr, "static_panel: a picture of the scene did not load\n");
                    status = 1;
                } else if (!window.grabWindow().save(file)) {
                    std::fprintf(stderr, "static_panel: could not write %s\n", qPrintable(file));
                    status = 1;
                }
                app.quit();
            });
        },
        Qt::SingleShotConnection);
    const int exitCode = app.exec();
    return status != 0 ? status : exitCode;
}
