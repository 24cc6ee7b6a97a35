#include "machost/MacLaunchServices.h"

#include "machost/LaunchServicesLookup.h"

#include <CoreServices/CoreServices.h>

namespace vantrel::mac {

namespace {

using SetPreference = void (*)(CFURLRef bundle, CFStringRef architectureName);

// The bundle URL the setter takes: from the standardized path, POSIX style, a folder.
CFURLRef createBundleURL(const QString& path)
{
    const QByteArray utf8 = path.toUtf8();
    CFStringRef string = CFStringCreateWithCString(kCFAllocatorDefault, utf8.constData(), kCFStringEncodingUTF8);
    if (!string) {
        return nullptr;
    }
    CFURLRef url = CFURLCreateWithFileSystemPath(kCFAllocatorDefault, string, kCFURLPOSIXPathStyle, true);
    CFRelease(string);
    return url;
}

class Setter final : public ArchitecturePreferenceSetter {
public:
    explicit Setter(SetPreference function)
        : m_function(function)
    {
    }

    bool canMakeBundleURL(const QString& path) const override
    {
        CFURLRef url = createBundleURL(path);
        if (!url) {
            return false;
        }
        CFRelease(url);
        return true;
    }

    void setPreference(const QString& path, const QString& architectureName) override
    {
        CFURLRef url = createBundleURL(path);
        if (!url) {
            return;
        }
        const QByteArray name = architectureName.toUtf8();
        CFStringRef architecture =
            CFStringCreateWithCString(kCFAllocatorDefault, name.constData(), kCFStringEncodingUTF8);
        if (architecture) {
            m_function(url, architecture);
            CFRelease(architecture);
        }
        CFRelease(url);
    }

private:
    SetPreference m_function;
};

} // namespace

std::shared_ptr<ArchitecturePreferenceSetter> MacLaunchServices::lookUpArchitecturePreferenceSetter()
{
    void* found = LaunchServicesLookup::find();
    if (!found) {
        return nullptr;
    }
    return std::make_shared<Setter>(reinterpret_cast<SetPreference>(found));
}

} // namespace vantrel::mac
