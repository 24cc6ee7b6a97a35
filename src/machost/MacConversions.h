#pragma once

// Objective-C++ only: between Qt's and Foundation's strings and URLs, through UTF-8, so
// that the adapters need nothing of Qt's Apple-only conversions.

#import <Foundation/Foundation.h>

#include <QString>
#include <QUrl>

namespace vantrel::mac {

inline NSString* toNSString(const QString& text)
{
    return [NSString stringWithUTF8String:text.toUtf8().constData()];
}

inline QString fromNSString(NSString* text)
{
    return text ? QString::fromUtf8([text UTF8String]) : QString();
}

// A file URL of a host path (the Mac's own path).
inline NSURL* fileURL(const QString& path)
{
    return [NSURL fileURLWithPath:toNSString(path)];
}

inline QString pathOf(NSURL* url)
{
    return url ? fromNSString([url path]) : QString();
}

} // namespace vantrel::mac
