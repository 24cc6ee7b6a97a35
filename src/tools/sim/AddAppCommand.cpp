// add-app PATH [OPTIONS]: writes an application bundle (a Logic Pro copy, by default).
#include "simhost/adapters/RootedFileSystem.h"
#include "simhost/fixtures/BundleWriter.h"
#include "simhost/machine/SimulatedMac.h"
#include "simhost/standin/StandInBehavior.h"
#include "tools/sim/Command.h"

namespace vantrel::sim::tool {

int addAppCommand(SimulatedMac& mac, const QStringList& arguments)
{
    if (arguments.isEmpty() || arguments.first().startsWith(u'-')) {
        return fail(QStringLiteral("add-app: give the bundle's path first"));
    }
    const auto valued = [](const char* name, const char* valueName) {
        return QCommandLineOption(QString::fromLatin1(name), QString(), QString::fromLatin1(valueName));
    };
    const auto flag = [](const char* name) { return QCommandLineOption(QString::fromLatin1(name)); };
    // Info.plist and the executable.
    const QCommandLineOption id = valued("id", "ID");
    const QCommandLineOption version = valued("version", "V");
    const QCommandLineOption build = valued("build", "B");
    const QCommandLineOption name = valued("name", "NAME");
    const QCommandLineOption exe = valued("exe", "NAME");
    const QCommandLineOption slices = valued("slices", "LIST");
    const QCommandLineOption bigEndian = flag("big-endian");
    const QCommandLineOption universal = flag("universal");
    // The stand-in's behaviour switches (StandInBehavior).
    const QCommandLineOption wrongArch = flag("wrong-arch");
    const QCommandLineOption neverFinishes = flag("never-finishes");
    const QCommandLineOption refusesQuit = flag("refuses-quit");
    const QCommandLineOption refusesDocuments = flag("refuses-documents");
    const QCommandLineOption startupDelay = valued("startup-delay", "SECONDS");
    const QCommandLineOption crashAfter = valued("crash-after", "SECONDS");

    QCommandLineParser parser;
    QString mistake;
    // An option at the end without its value has always taken an empty one ("--id": none).
    if (!parseOptions(parser,
                      {id, version, build, name, exe, slices, bigEndian, universal, wrongArch, neverFinishes,
                       refusesQuit, refusesDocuments, startupDelay, crashAfter},
                      arguments, &mistake, MissingValue::isEmpty)) {
        return fail(QStringLiteral("add-app: unknown option ") + mistake);
    }
    const QStringList values = parser.positionalArguments();
    if (values.size() > 1) {
        return fail(QStringLiteral("add-app: unknown option ") + values[1]);
    }

    const QString& path = values.first();
    BundleSpec spec;
    spec.path = path.startsWith(u'/') || path.startsWith(u'~') ? path : QStringLiteral("/Applications/") + path;
    spec.identifier = QStringLiteral("com.apple.logic10");
    spec.shortVersion = QStringLiteral("11.0");
    if (parser.isSet(id)) {
        const QString given = parser.value(id);
        spec.identifier = given.isEmpty() ? std::nullopt : std::optional<QString>(given);
    }
    if (parser.isSet(version)) {
        spec.shortVersion = parser.value(version);
    }
    if (parser.isSet(build)) {
        spec.buildVersion = parser.value(build);
    }
    if (parser.isSet(name)) {
        spec.bundleName = parser.value(name);
    }
    if (parser.isSet(exe)) {
        spec.executableName = parser.value(exe);
    }
    // Each --slices replaces the list; every one given must be valid.
    for (const QString& list : parser.values(slices)) {
        QString unknown;
        const auto named = MachO::slicesNamed(list, &unknown);
        if (!named) {
            return fail(QStringLiteral("add-app: unknown slice ") + unknown);
        }
        spec.slices = *named;
    }
    if (parser.isSet(bigEndian)) {
        spec.byteOrder = MachO::ByteOrder::big;
    }
    if (parser.isSet(universal)) {
        spec.forceUniversal = true;
    }

    QVariantMap behavior;
    const auto setSwitch = [&](const QCommandLineOption& option, const char* key) {
        if (parser.isSet(option)) {
            behavior.insert(QString::fromLatin1(key), true);
        }
    };
    setSwitch(wrongArch, "wrongArchitecture");
    setSwitch(neverFinishes, "neverFinishesLaunching");
    setSwitch(refusesQuit, "refusesToQuit");
    setSwitch(refusesDocuments, "refusesDocuments");
    if (parser.isSet(startupDelay)) {
        behavior.insert(QStringLiteral("startupDelay"), parser.value(startupDelay).toDouble());
    }
    if (parser.isSet(crashAfter)) {
        behavior.insert(QStringLiteral("crashAfter"), parser.value(crashAfter).toDouble());
    }
    if (!behavior.isEmpty()) {
        spec.extraInfo.insert(QString::fromLatin1(StandInBehavior::infoKey), behavior);
    }

    if (!writeBundle(*mac.fileSystem(), spec)) {
        return fail(QStringLiteral("add-app: cannot write ") + spec.path);
    }
    out() << "added " << mac.fileSystem()->expandTilde(spec.path) << Qt::endl;
    return 0;
}

} // namespace vantrel::sim::tool
