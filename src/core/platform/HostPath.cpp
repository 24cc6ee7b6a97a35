#include "platform/HostPath.h"

#include <algorithm>

#include <QStringList>

namespace vantrel::HostPath {

namespace {

// Whether standardizing would give the path back as it is: no empty, "." or ".."
// component (the leading "/" of an absolute path aside) and no trailing "/". Most paths
// are, and are then returned without being taken apart.
bool isStandard(QStringView path)
{
    if (path == u"/") {
        return true;
    }
    // Every component starts at the beginning or after a "/": found a slash at a time
    // (a vectorized search), each one's first characters tell an empty, "." or ".."
    // component. This runs for every path of every scan.
    const qsizetype size = path.size();
    const auto componentIsStandard = [&](qsizetype at) {
        if (at == size || path[at] == u'/') {
            return false; // empty: "//" or a trailing "/"
        }
        if (path[at] != u'.') {
            return true;
        }
        const qsizetype next = at + 1;
        if (next == size || path[next] == u'/') {
            return false; // "."
        }
        return !(path[next] == u'.' && (next + 1 == size || path[next + 1] == u'/')); // ".."
    };
    qsizetype component = path.startsWith(u'/') ? 1 : 0;
    for (;;) {
        if (!componentIsStandard(component)) {
            return false;
        }
        const qsizetype slash = path.indexOf(u'/', component);
        if (slash < 0) {
            return true;
        }
        component = slash + 1;
    }
}

} // namespace

QString standardized(const QString& path)
{
    if (path.isEmpty() || isStandard(path)) {
        return path;
    }
    const bool absolute = path.startsWith(u'/');
    QStringList kept;
    for (const QString& segment : path.split(u'/', Qt::SkipEmptyParts)) {
        if (segment == u".") {
            continue;
        }
        if (segment == u"..") {
            if (!kept.isEmpty() && kept.last() != u"..") {
                kept.removeLast();
            } else if (!absolute) {
                kept.append(segment); // a relative path may start above its folder
            }
            // "/.." is "/": nothing lies above the root.
            continue;
        }
        kept.append(segment);
    }
    const QString joined = kept.join(u'/');
    if (absolute) {
        return u'/' + joined;
    }
    return joined.isEmpty() ? QStringLiteral(".") : joined;
}

QUrl fileURL(const QString& path)
{
    return QUrl::fromLocalFile(path);
}

QString fromURL(const QUrl& url)
{
    return standardized(url.isLocalFile() ? url.toLocalFile() : url.path());
}

QString lastComponent(const QString& path)
{
    const QString clean = standardized(path);
    const qsizetype slash = clean.lastIndexOf(u'/');
    return slash < 0 ? clean : clean.mid(slash + 1);
}

bool hasBundleExtension(QStringView path, QStringView extension)
{
    // A name before the dot, the dot, then the extension, ending the path.
    const qsizetype length = extension.size();
    if (path.size() < length + 2 || path[path.size() - length - 1] != u'.' || path[path.size() - length - 2] == u'/') {
        return false;
    }
    const QStringView tail = path.last(length);
    // Listings are mostly ASCII, which compares without Unicode's case folding.
    const bool ascii = std::all_of(tail.begin(), tail.end(), [](QChar c) { return c.unicode() < 0x80; })
                       && std::all_of(extension.begin(), extension.end(), [](QChar c) { return c.unicode() < 0x80; });
    if (!ascii) {
        return tail.compare(extension, Qt::CaseInsensitive) == 0;
    }
    const auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c; };
    return std::equal(tail.begin(), tail.end(), extension.begin(),
                      [&](QChar a, QChar b) { return lower(a.unicode()) == lower(b.unicode()); });
}

QString baseName(const QString& path)
{
    const QString clean = standardized(path);
    QStringView name = QStringView(clean).sliced(clean.lastIndexOf(u'/') + 1);
    const qsizetype dot = name.lastIndexOf(u'.');
    return (dot <= 0 ? name : name.first(dot)).toString();
}

QString extension(const QString& path)
{
    const QString name = lastComponent(path);
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 ? QString() : name.mid(dot + 1);
}

} // namespace vantrel::HostPath
