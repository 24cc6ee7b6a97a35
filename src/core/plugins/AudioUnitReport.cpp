#include "plugins/AudioUnitReport.h"

#include "platform/HostPath.h"
#include "text/L10n.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace vantrel {

PluginLoadClass classifySlices(const SliceSet& slices)
{
    const bool arm64 = slices.contains(BinaryArchitecture::arm64);
    const bool intel = slices.contains(BinaryArchitecture::x86_64);
    if (arm64 && intel) {
        return PluginLoadClass::bothModes;
    }
    if (intel) {
        return PluginLoadClass::onlyRosetta;
    }
    return arm64 ? PluginLoadClass::onlyNative : PluginLoadClass::unreadable;
}

PluginNames pluginNames(const std::optional<QString>& componentName, const std::optional<QString>& bundleName,
                        const QString& bundlePath)
{
    const auto usable = [](const std::optional<QString>& text) { return text && !text->trimmed().isEmpty(); };
    const QString name = usable(componentName) ? componentName->trimmed()
                         : usable(bundleName)  ? bundleName->trimmed()
                                               : HostPath::baseName(bundlePath);
    const qsizetype colon = name.indexOf(QStringLiteral(": "));
    if (colon > 0) {
        const QString manufacturer = name.first(colon).trimmed();
        if (!manufacturer.isEmpty() && !name.sliced(colon + 2).trimmed().isEmpty()) {
            return {name, manufacturer};
        }
    }
    return {name, std::nullopt};
}

qsizetype AudioUnitReport::count(PluginLoadClass loadClass) const
{
    return std::count_if(plugins.cbegin(), plugins.cend(),
                         [&](const AudioUnitPlugin& plugin) { return plugin.loadClass == loadClass; });
}

QCollator pluginCollator()
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    return collator;
}

bool listedBefore(const QCollator& collator, const AudioUnitPlugin& a, const AudioUnitPlugin& b)
{
    if (a.loadClass != b.loadClass) {
        return int(a.loadClass) < int(b.loadClass);
    }
    const auto maker = [](const AudioUnitPlugin& plugin) -> const QString& {
        return plugin.manufacturer ? *plugin.manufacturer : plugin.name;
    };
    if (const int byMaker = collator.compare(maker(a), maker(b)); byMaker != 0) {
        return byMaker < 0;
    }
    if (const int byName = collator.compare(a.name, b.name); byName != 0) {
        return byName < 0;
    }
    return a.path < b.path;
}

QString AudioUnitReport::lineForMode(LaunchArchitecture mode, AppLanguage language) const
{
    const qsizetype onlyHere =
        count(mode == LaunchArchitecture::native ? PluginLoadClass::onlyNative : PluginLoadClass::onlyRosetta);
    const qsizetype onlyThere =
        count(mode == LaunchArchitecture::native ? PluginLoadClass::onlyRosetta : PluginLoadClass::onlyNative);
    if (onlyHere == 0 && onlyThere == 0) {
        return {};
    }
    // Each part stays whole on a line: a narrow overlay breaks the line at the middle dot.
    const auto whole = [](QString part) { return part.replace(u' ', QChar::Nbsp); };
    const qsizetype loadHere = count(PluginLoadClass::bothModes) + onlyHere;
    QString line = whole(
        L10n::text(language, loadHere == 1 ? L10n::Key::pluginsLoadHereOne : L10n::Key::pluginsLoadHere, loadHere));
    if (onlyThere > 0) {
        line += QStringLiteral(" · ")
                + whole(L10n::text(language,
                                   mode == LaunchArchitecture::native ? L10n::Key::pluginsOnlyRosetta
                                                                      : L10n::Key::pluginsOnlyNative,
                                   onlyThere));
    }
    return line;
}

QByteArray AudioUnitReport::toJson() const
{
    const auto orNull = [](const std::optional<QString>& text) { return text ? QJsonValue(*text) : QJsonValue(); };
    QJsonArray array;
    for (const AudioUnitPlugin& plugin : plugins) {
        QJsonArray slices;
        for (BinaryArchitecture arch : allCases<BinaryArchitecture>()) {
            if (plugin.slices.contains(arch)) {
                slices.append(rawValue(arch));
            }
        }
        array.append(QJsonObject{
            {QStringLiteral("path"), plugin.path},
            {QStringLiteral("name"), plugin.name},
            {QStringLiteral("manufacturer"), orNull(plugin.manufacturer)},
            {QStringLiteral("version"), orNull(plugin.version)},
            {QStringLiteral("slices"), slices},
            {QStringLiteral("class"), rawValue(plugin.loadClass)},
        });
    }
    return QJsonDocument(array).toJson(QJsonDocument::Indented);
}

} // namespace vantrel
