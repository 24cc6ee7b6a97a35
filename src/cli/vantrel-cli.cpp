// vantrel-cli: Vantrel's launches from scripts. On a Mac it runs on the Mac (inside
// Vantrel.app/Contents/MacOS); elsewhere on the simulated Mac (--root, or
// $VANTREL_SIMULATED_MAC, or ~/.local/share/vantrel/simulated-mac).
#include "Services.h"
#include "async/QtClock.h"
#include "cli/CommandLine.h"
#include "cli/Commands.h"
#include "nativehost/InstanceLock.h"
#include "platform/Host.h"
#include "text/L10n.h"
#if defined(Q_OS_MACOS)
#include "machost/MacHost.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <mach-o/dyld.h>
#include <unistd.h>
#else
#include "simhost/machine/SimulatedMac.h"
#endif

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>
#include <optional>

using namespace vantrel;

#if defined(Q_OS_MACOS)
namespace {

// Run through a link (the README's /usr/local/bin/vantrel-cli), the Mac would take the
// link's folder for the main bundle: no bundle identifier, another defaults domain,
// another single-instance key. The real executable inside Vantrel.app runs instead.
void runFromTheBundle(char** argv)
{
    char given[PATH_MAX] = {};
    uint32_t size = sizeof given;
    char real[PATH_MAX] = {};
    if (_NSGetExecutablePath(given, &size) != 0 || !::realpath(given, real) || std::strcmp(given, real) == 0) {
        return;
    }
    ::execv(real, argv); // returns only when it failed: then this one runs as it is
}

} // namespace
#endif

int main(int argc, char** argv)
{
#if defined(Q_OS_MACOS)
    runFromTheBundle(argv);
    // NSWorkspace's running applications change only while the main run loop runs; Qt's
    // Core Foundation dispatcher runs it (a QCoreApplication has the Unix one otherwise).
    qputenv("QT_EVENT_DISPATCHER_CORE_FOUNDATION", "1");
#endif
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrel-cli"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    QTextStream out(stdout);
    QTextStream err(stderr);
    // What was printed reached standard output, or the run failed: a listing lost to a full
    // disk is no success.
    const auto finished = [&out, &err](int status) {
        out.flush();
        if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
            err << L10n::text(L10n::Key::cliOutputFailed) << Qt::endl;
            return 1;
        }
        return status;
    };
    const QStringList words = QCoreApplication::arguments().mid(1);
#if defined(Q_OS_MACOS)
    constexpr bool onSimulatedMac = false;
#else
    constexpr bool onSimulatedMac = true;
#endif
    const cli::ReadInvocation read = cli::readCommandLine(words, onSimulatedMac);
    const std::optional<AppLanguage> language = cli::languageAsked(words);
    if (language) {
        L10n::overrideLanguage(language);
    }

    // The Mac, whose stored interface language words everything not given --lang.
    auto clock = std::make_shared<QtClock>();
    std::shared_ptr<Host> host;
    QString instanceKey;
#if defined(Q_OS_MACOS)
    host = mac::makeHost(clock);
    instanceKey = host->ownBundleIdentifier();
    if (instanceKey.isEmpty()) {
        err << QStringLiteral("vantrel-cli: run it from Vantrel.app/Contents/MacOS (or a link to it)") << Qt::endl;
        return 1;
    }
#else
    const QString root =
        read.invocation && read.invocation->root ? *read.invocation->root : sim::SimulatedMac::defaultRoot();
    sim::SimulatedMac mac(root);
    if (mac.isInitialized()) {
        host = mac.makeHost(clock);
        instanceKey = InstanceLock::keyOfFolder(mac.root()); // as the launcher names it
    }
#endif
    std::optional<CurrentHostGuard> guard;
    if (host) {
        guard.emplace(host);
    } else if (!language) {
        L10n::overrideLanguage(AppLanguage::russian); // the default of a Mac never set up
    }

    if (read.mistake) {
        err << L10n::text(L10n::Key::cliBadUsage, read.mistake->text()) << Qt::endl;
        return finished(2);
    }
    const cli::Invocation& invocation = *read.invocation;
    const QString help = L10n::text(L10n::Key::cliHelp, onSimulatedMac ? QStringLiteral(" [--root DIR]") : QString());
    if (invocation.help) {
        out << help << Qt::endl;
        return finished(0);
    }
    if (invocation.version) {
        out << QStringLiteral("vantrel-cli ") << QCoreApplication::applicationVersion() << Qt::endl;
        return finished(0);
    }
    if (invocation.command == cli::Invocation::Command::none) {
        err << help << Qt::endl;
        return finished(2);
    }
#if !defined(Q_OS_MACOS)
    if (!host) {
        err << QStringLiteral(
                   "vantrel-cli: no simulated Mac at %1 — create one with: vantrel-sim --root %1 init --demo")
                   .arg(mac.root())
            << Qt::endl;
        return finished(1);
    }
#endif

    // The launcher's own objects, over the same host.
    Services services(*host);
    switch (invocation.command) {
    case cli::Invocation::Command::list:
        return finished(cli::listCards(services, invocation.json, out));
    case cli::Invocation::Command::plugins:
        return finished(cli::listPlugins(services, invocation.json, out));
    case cli::Invocation::Command::launch:
        // The launcher's window may be launching already: two launches would fight over
        // Logic's preferences and the other copies.
        if (InstanceLock::isHeld(InstanceLock::defaultFolder(), instanceKey)) {
            cli::logRefusal(services, L10n::text(L10n::Key::cliLauncherRunning));
            err << L10n::text(L10n::Key::cliLauncherRunning) << Qt::endl;
            return finished(1);
        }
        return finished(cli::launch(services, invocation, err));
    case cli::Invocation::Command::none:
        break;
    }
    return finished(2);
}
