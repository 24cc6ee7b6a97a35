// Path standardization over arbitrary paths (UTF-16, so any character can appear).

#include "FuzzCheck.h"

#include "platform/HostPath.h"

#include <QStringList>

namespace HostPath = vantrel::HostPath;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = vantrel::fuzz::utf16(data, size);
    const QString clean = HostPath::standardized(path);

    FUZZ_CHECK(HostPath::standardized(clean) == clean);
    if (path.isEmpty()) {
        FUZZ_CHECK(clean.isEmpty());
        return 0;
    }
    FUZZ_CHECK(!clean.isEmpty());
    FUZZ_CHECK(!clean.contains(QStringLiteral("//")));
    FUZZ_CHECK(clean == QStringLiteral("/") || clean == QStringLiteral(".") || !clean.endsWith(u'/'));

    const QStringList segments = clean.split(u'/', Qt::SkipEmptyParts);
    if (path.startsWith(u'/')) {
        // An absolute path never climbs above "/" and keeps no "." or ".." segment.
        FUZZ_CHECK(clean.startsWith(u'/'));
        FUZZ_CHECK(!segments.contains(QStringLiteral("..")));
        FUZZ_CHECK(!segments.contains(QStringLiteral(".")));
        // The file URL of a standardized path leads back to the same path.
        FUZZ_CHECK(HostPath::fromURL(HostPath::fileURL(clean)) == clean);
    } else {
        // A relative one keeps ".." only at its start, and "." only as the whole path.
        FUZZ_CHECK(!clean.startsWith(u'/'));
        bool climbing = true;
        for (const QString& segment : segments) {
            climbing = climbing && segment == u"..";
            FUZZ_CHECK(climbing || segment != u"..");
            FUZZ_CHECK(segment != u"." || clean == u".");
        }
    }

    const QString last = HostPath::lastComponent(path);
    const QString extension = HostPath::extension(path);
    FUZZ_CHECK(!last.contains(u'/') || last == u"/");
    FUZZ_CHECK(extension.isEmpty() || HostPath::baseName(path) + u'.' + extension == last);
    return 0;
}
