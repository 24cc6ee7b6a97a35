#pragma once

#include "log/LaunchLogger.h"
#include "support/HostObjects.h"

#include <QFile>
#include <QStringList>

namespace vantrel::testing {

// The launch log's messages (time stamps cut off), after everything logged is written.
inline QStringList launchLogMessages(const QString& nativeLogPath)
{
    test::logger().flush();
    QFile file(nativeLogPath);
    QStringList messages;
    if (file.open(QIODevice::ReadOnly)) {
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
            messages << line.mid(22);
        }
    }
    return messages;
}

} // namespace vantrel::testing
