#include "machost/MacPreferences.h"

#include "machost/MacConversions.h"
#include "plist/PropertyList.h"

#include <CoreFoundation/CoreFoundation.h>

namespace vantrel::mac {

namespace {

// A Foundation property-list object as a QVariant; no value for anything else.
std::optional<QVariant> toVariant(id object)
{
    if (!object) {
        return std::nullopt;
    }
    NSData* data = [NSPropertyListSerialization dataWithPropertyList:object
                                                              format:NSPropertyListBinaryFormat_v1_0
                                                             options:0
                                                               error:nullptr];
    if (!data) {
        return std::nullopt;
    }
    return PropertyList::parse(QByteArray(static_cast<const char*>([data bytes]), qsizetype([data length])));
}

// A QVariant as a Foundation property-list object (autoreleased); nil when a property
// list cannot carry it.
id toObject(const QVariant& value)
{
    const auto bytes = PropertyList::serialize(value, PropertyList::Format::Binary);
    if (!bytes) {
        return nil;
    }
    NSData* data = [NSData dataWithBytes:bytes->constData() length:NSUInteger(bytes->size())];
    return [NSPropertyListSerialization propertyListWithData:data
                                                     options:NSPropertyListImmutable
                                                      format:nullptr
                                                       error:nullptr];
}

class Domain final : public UserDefaults {
public:
    Domain(NSUserDefaults* defaults, QString name)
        : m_defaults([defaults retain])
        , m_name(std::move(name))
    {
    }
    ~Domain() override { [m_defaults release]; }
    Domain(const Domain&) = delete;
    Domain& operator=(const Domain&) = delete;

    QString domain() const override { return m_name; }

    std::optional<QVariant> value(const QString& key) const override
    {
        @autoreleasepool {
            return toVariant([m_defaults objectForKey:toNSString(key)]);
        }
    }

    void setValue(const QString& key, const QVariant& value) override
    {
        @autoreleasepool {
            if (id object = toObject(value)) {
                [m_defaults setObject:object forKey:toNSString(key)];
            }
        }
    }

    void removeValue(const QString& key) override
    {
        @autoreleasepool {
            [m_defaults removeObjectForKey:toNSString(key)];
        }
    }

    bool synchronize() override { return [m_defaults synchronize]; }

private:
    NSUserDefaults* m_defaults;
    QString m_name;
};

} // namespace

std::shared_ptr<UserDefaults> MacPreferences::standard()
{
    @autoreleasepool {
        NSString* identifier = [[NSBundle mainBundle] bundleIdentifier];
        return std::make_shared<Domain>([NSUserDefaults standardUserDefaults], fromNSString(identifier));
    }
}

std::shared_ptr<UserDefaults> MacPreferences::suite(const QString& name)
{
    if (!isPlainDomainName(name)) {
        return nullptr;
    }
    @autoreleasepool {
        NSUserDefaults* defaults = [[NSUserDefaults alloc] initWithSuiteName:toNSString(name)];
        if (!defaults) {
            return nullptr; // the launcher's own identifier, or the global domain
        }
        auto domain = std::make_shared<Domain>(defaults, name);
        [defaults release];
        return domain;
    }
}

void MacPreferences::setAppValue(const QString& key, const std::optional<QVariant>& value, const QString& applicationID)
{
    if (!isPlainDomainName(applicationID)) {
        return; // as the simulated Mac: no domain named by a path or another user's
    }
    @autoreleasepool {
        id object = value ? toObject(*value) : nil;
        if (value && !object) {
            return; // not a property-list value: nothing is written
        }
        CFPreferencesSetAppValue(reinterpret_cast<CFStringRef>(toNSString(key)),
                                 reinterpret_cast<CFPropertyListRef>(object),
                                 reinterpret_cast<CFStringRef>(toNSString(applicationID)));
    }
}

bool MacPreferences::appSynchronize(const QString& applicationID)
{
    if (!isPlainDomainName(applicationID)) {
        return false;
    }
    @autoreleasepool {
        return CFPreferencesAppSynchronize(reinterpret_cast<CFStringRef>(toNSString(applicationID)));
    }
}

} // namespace vantrel::mac
