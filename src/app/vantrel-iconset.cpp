// vantrel-iconset SVG FOLDER: draws the .iconset images of the application icon, from which
// the Mac build makes Vantrel.icns with iconutil.
#include "app/Iconset.h"

#include <QGuiApplication>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen"); // no window is shown
    }
    QGuiApplication app(argc, argv);
    const QStringList args = QGuiApplication::arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: vantrel-iconset SVG FOLDER\n");
        return 2;
    }
    if (!vantrel::writeIconset(args[1], args[2])) {
        std::fprintf(stderr, "vantrel-iconset: cannot draw %s into %s\n", qPrintable(args[1]), qPrintable(args[2]));
        return 1;
    }
    return 0;
}
