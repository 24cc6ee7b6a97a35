// add-plugin NAME [OPTIONS]: writes an Audio Unit bundle.
// plugins [--json]: the Audio Unit report, as the launcher reads it.
#include "model/RawValue.h"
#include "plugins/AudioUnitScanner.h"
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/SimulatedMac.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int addPluginCommand(SimulatedMac& mac, const QStringList& arguments)
{
    if (arguments.isEmpty() || arguments.first().startsWith(u'-')) {
        return fail(QStringLiteral("add-plugin: give the plug-in's name first"));
    }
    const QCommandLineOption manufacturer(QStringLiteral("manufacturer"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption slices(QStringLiteral("slices"), QString(), QStringLiteral("LIST"));
    const QCommandLineOption version(QStringLiteral("version"), QString(), QStringLiteral("V"));
    const QCommandLineOption user(QStringLiteral("user"));
    const QCommandLineOption noExecutable(QStringLiteral("no-executable"));
    QCommandLineParser parser;
    QString mistake;
    if (!parseOptions(parser, {manufacturer, slices, version, user, noExecutable}, arguments, &mistake)) {
        return fail(QStringLiteral("add-plugin: unknown option ") + mistake);
    }
    const QStringList values = parser.positionalArguments();
    if (values.size() > 1) {
        return fail(QStringLiteral("add-plugin: unknown option ") + values[1]);
    }
    if (values.first().isEmpty() || values.first().contains(u'/')) {
        return fail(QStringLiteral("add-plugin: a name has no \"/\""));
    }

    ComponentSpec spec;
    spec.name = values.first();
    if (parser.isSet(manufacturer)) {
        spec.manufacturer = parser.value(manufacturer);
    }
    if (parser.isSet(slices)) {
        QString unknown;
        const auto named = MachO::slicesNamed(parser.value(slices), &unknown);
        if (!named) {
            return fail(QStringLiteral("add-plugin: unknown slice ") + unknown);
        }
        spec.slices = *named;
    }
    if (parser.isSet(version)) {
        spec.version = parser.value(version);
    }
    spec.inUserFolder = parser.isSet(user);
    spec.writeExecutable = !parser.isSet(noExecutable);
    if (!writeComponent(*mac.fileSystem(), spec)) {
        return fail(QStringLiteral("add-plugin: cannot write ") + componentPath(spec));
    }
    out() << "added " << mac.fileSystem()->expandTilde(componentPath(spec)) << Qt::endl;
    return 0;
}

int pluginsCommand(SimulatedMac& mac, const QStringList& arguments)
{
    const QCommandLineOption json(QStringLiteral("json"));
    QCommandLineParser parser;
    QString mistake;
    if (!parseOptions(parser, {json}, arguments, &mistake) || !parser.positionalArguments().isEmpty()) {
        return fail(QStringLiteral("plugins: unknown option ")
                    + (mistake.isEmpty() ? parser.positionalArguments().first() : mistake));
    }
    FileSystem& disk = *mac.fileSystem();
    const AudioUnitReport report =
        AudioUnitScanner(
            disk, AudioUnitScanner::defaultCacheFile(disk, QString::fromLatin1(SimulatedMac::ownBundleIdentifier)))
            .scan();
    if (parser.isSet(json)) {
        out() << QString::fromUtf8(report.toJson());
        out().flush();
        return 0;
    }
    for (const AudioUnitPlugin& plugin : report.plugins) {
        out() << rawValue(plugin.loadClass) << '\t' << plugin.name << '\t' << plugin.version.value_or(QString()) << '\t'
              << plugin.path << Qt::endl;
    }
    return 0;
}

} // namespace vantrel::sim::tool
