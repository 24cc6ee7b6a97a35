#pragma once

// Readable Qt values in GoogleTest failure messages. Force-included into every test
// source, so all of them print these types the same way.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QUrl>

#include <optional>
#include <ostream>

inline void PrintTo(const QString& value, std::ostream* os)
{
    *os << '"' << value.toStdString() << '"';
}

inline void PrintTo(const QByteArray& value, std::ostream* os)
{
    *os << "QByteArray(" << value.size() << " bytes: \"" << value.left(200).toStdString() << "\")";
}

inline void PrintTo(const QStringList& value, std::ostream* os)
{
    *os << '[';
    for (qsizetype i = 0; i < value.size(); ++i) {
        *os << (i ? ", " : "") << '"' << value[i].toStdString() << '"';
    }
    *os << ']';
}

inline void PrintTo(const QUrl& value, std::ostream* os)
{
    *os << value.toString().toStdString();
}
