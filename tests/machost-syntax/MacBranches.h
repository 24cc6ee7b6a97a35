// Included before the launcher's and vantrel-cli's main files to type-check their Mac
// branches here: Qt's own headers are read first, as this system's, and only then is the
// system said to be macOS, so that only our `#if defined(Q_OS_MACOS)` code takes the Mac's
// side (Qt's include guards keep its headers from being read again).
#pragma once

#include <QtCore/QtCore>
#include <QtGui/QtGui>
#include <QtQml/QtQml>
#include <QtQuick/QtQuick>

#define Q_OS_MACOS 1
