#pragma once

#include "model/BinaryArchitecture.h"
#include "model/LaunchArchitecture.h"
#include "model/RawValue.h"
#include "text/AppLanguage.h"

#include <QByteArray>
#include <QCollator>
#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

// Which Logic Pro can load an Audio Unit, from its executable's slices: a native (arm64)
// Logic Pro loads arm64 code only, one under Rosetta x86_64 code only.
enum class PluginLoadClass { bothModes, onlyRosetta, onlyNative, unreadable };

template <>
struct EnumTraits<PluginLoadClass> {
    static constexpr std::array cases{PluginLoadClass::bothModes, PluginLoadClass::onlyRosetta,
                                      PluginLoadClass::onlyNative, PluginLoadClass::unreadable};
    static constexpr std::array names{"bothModes", "onlyRosetta", "onlyNative", "unreadable"};
};

PluginLoadClass classifySlices(const SliceSet& slices);

// One ".component" bundle of an Audio Unit folder.
struct AudioUnitPlugin {
    QString path;                        // the bundle's standardized host path
    QString name;                        // as the host lists it: "Manufacturer: Plug-in", or a bundle name
    std::optional<QString> manufacturer; // the part of the name before ": "
    std::optional<QString> version;      // CFBundleShortVersionString
    SliceSet slices;
    PluginLoadClass loadClass = PluginLoadClass::unreadable;

    friend bool operator==(const AudioUnitPlugin&, const AudioUnitPlugin&) = default;
};

// The display name and manufacturer of a component: the first AudioComponents entry's
// name, else CFBundleName, else the bundle's name without its extension; the manufacturer
// is what comes before the first ": " of the first of these, when both sides have text.
struct PluginNames {
    QString name;
    std::optional<QString> manufacturer;
};
PluginNames pluginNames(const std::optional<QString>& componentName, const std::optional<QString>& bundleName,
                        const QString& bundlePath);

// Whether `a` is listed before `b`: by class (both modes, only under Rosetta, only
// natively, unreadable), then by manufacturer (or the name when there is none) and name.
bool listedBefore(const QCollator& collator, const AudioUnitPlugin& a, const AudioUnitPlugin& b);
// The collator of that order: case-insensitive, numbers by value.
QCollator pluginCollator();

// Every Audio Unit found, in the order the settings list them: by class (both modes, only
// under Rosetta, only natively, unreadable), then by manufacturer and name.
struct AudioUnitReport {
    QList<AudioUnitPlugin> plugins;

    qsizetype count(PluginLoadClass loadClass) const;

    // The information overlay's line for a card of `mode`: "212 load here · 4 only under
    // Rosetta", each side of the dot with no-break spaces. Empty when every readable
    // plug-in loads in both modes.
    QString lineForMode(LaunchArchitecture mode, AppLanguage language) const;

    // For scripts: an array of {path, name, manufacturer, version, slices, class}, with null
    // for a missing manufacturer or version.
    QByteArray toJson() const;
};

} // namespace vantrel
