#pragma once

// The two lists the store_burst helper saves in turn; the store tests recognise them.
#include "model/LogicApp.h"

#include <QList>

inline QList<vantrel::LogicApp> burstList(int variant)
{
    QList<vantrel::LogicApp> apps;
    for (int i = 0; i < 40; ++i) {
        vantrel::LogicApp app;
        app.id = QUuid(QStringLiteral("00000000-0000-4000-8000-%1").arg(variant * 1000 + i, 12, 10, QLatin1Char('0')));
        app.displayName =
            QStringLiteral("List %1 — Logic Pro %2 %3").arg(variant).arg(i).arg(QString(200, QChar(u'x')));
        app.bundlePath = QStringLiteral("/Applications/Logic Pro %1.app").arg(i);
        app.isUserDefined = variant == 1;
        apps.append(app);
    }
    return apps;
}
