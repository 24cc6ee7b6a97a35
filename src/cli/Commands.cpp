#include "cli/Commands.h"

#include "Services.h"
#include "installations/ArchitectureDetector.h"
#include "installations/LaunchCardBuilder.h"
#include "launch/LaunchManager.h"
#include "log/LaunchLogger.h"
#include "model/ModeNames.h"
#include "platform/FileSystem.h"
#include "platform/Host.h"
#include "platform/HostPath.h"
#include "plugins/PluginInventory.h"
#include "settings/ProjectMemory.h"
#include "viewmodels/LaunchInteraction.h"
#include "viewmodels/LauncherViewModel.h"

#include <QEventLoop>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSocketNotifier>

#include <qcoro/qcorotask.h>

#include <mutex>

#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace vantrel::cli {

namespace {

// SIGINT, SIGTERM and SIGHUP while a launch runs (a terminal's Ctrl-C, a script runner's
// time-out, a closed terminal): the launch stops where it may and puts back what it
// changed, as when the launcher's window is closed; the exit status then says which
// signal ended it (128 + its number). A second signal changes nothing: the restore runs
// to its end.
class InterruptionWatch {
public:
    explicit InterruptionWatch(std::function<void()> onInterrupted)
        : m_onInterrupted(std::move(onInterrupted))
    {
        // Close-on-exec: Logic Pro and the open command must not inherit the pipe.
        if (::pipe(s_pipe) != 0 || ::fcntl(s_pipe[0], F_SETFD, FD_CLOEXEC) != 0
            || ::fcntl(s_pipe[1], F_SETFD, FD_CLOEXEC) != 0) {
            return;
        }
        m_notifier = std::make_unique<QSocketNotifier>(s_pipe[0], QSocketNotifier::Read);
        QObject::connect(m_notifier.get(), &QSocketNotifier::activated, m_notifier.get(), [this] {
            unsigned char number = 0;
            if (::read(s_pipe[0], &number, 1) == 1 && m_signal == 0) {
                m_signal = number;
                m_onInterrupted();
            }
        });
        for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
            struct sigaction action {};
            action.sa_handler = [](int received) {
                const auto byte = static_cast<unsigned char>(received);
                [[maybe_unused]] auto written = ::write(s_pipe[1], &byte, 1);
            };
            sigemptyset(&action.sa_mask);
            action.sa_flags = SA_RESTART;
            ::sigaction(number, &action, nullptr);
        }
    }
    ~InterruptionWatch()
    {
        for (const int number : {SIGINT, SIGTERM, SIGHUP}) {
            std::signal(number, SIG_DFL);
        }
        m_notifier.reset();
        for (int& end : s_pipe) {
            if (end >= 0) {
                ::close(end);
                end = -1;
            }
        }
    }
    InterruptionWatch(const InterruptionWatch&) = delete;
    InterruptionWatch& operator=(const InterruptionWatch&) = delete;

    // The signal that interrupted the launch; 0 when none did.
    int signal() const { return m_signal; }

private:
    static inline int s_pipe[2] = {-1, -1};
    std::function<void()> m_onInterrupted;
    std::unique_ptr<QSocketNotifier> m_notifier;
    int m_signal = 0;
};

QList<LaunchCard> panelCards(Services& services)
{
    return LaunchCardBuilder::buildCards(
        LauncherViewModel::readInstallations(*services.settingsManager, *services.scanner),
        *services.architectureDetector);
}

QJsonValue optionalText(const std::optional<QString>& text)
{
    return text ? QJsonValue(*text) : QJsonValue(QJsonValue::Null);
}

// Where a launch shows what happens: the error output.
class ErrorStreamView final : public LaunchInteraction::View {
public:
    explicit ErrorStreamView(QTextStream& err)
        : m_err(err)
    {
    }

    void setStatusMessage(std::optional<QString> text) override
    {
        if (text) {
            m_err << *text << Qt::endl;
        }
    }
    void setErrorMessage(std::optional<ShownError> error) override
    {
        if (error) {
            m_error = error->text();
        }
    }
    void launchingChanged() override {}
    void pendingProjectChanged() override {}

    const std::optional<QString>& error() const { return m_error; }

private:
    QTextStream& m_err;
    std::optional<QString> m_error;
};

} // namespace

int listCards(Services& services, bool json, QTextStream& out)
{
    const QList<LaunchCard> cards = panelCards(services);
    if (json) {
        QJsonArray array;
        for (const LaunchCard& card : cards) {
            array.append(QJsonObject{
                {QStringLiteral("id"), card.id},
                {QStringLiteral("name"), card.app.displayName},
                {QStringLiteral("version"), card.metadata.shortVersion},
                {QStringLiteral("build"), optionalText(card.metadata.buildVersion)},
                {QStringLiteral("mode"), rawValue(card.architecture)},
                {QStringLiteral("modeText"), card.modeText()},
                {QStringLiteral("available"), card.isAvailable},
                {QStringLiteral("reason"), optionalText(card.unavailabilityReason)},
                {QStringLiteral("path"), card.app.bundlePath},
            });
        }
        out << QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Indented));
        out.flush();
        return 0;
    }
    for (const LaunchCard& card : cards) {
        QString version = card.metadata.shortVersion;
        if (card.metadata.buildVersion) {
            version += QStringLiteral(" (") + *card.metadata.buildVersion + u')';
        }
        out << (card.isAvailable ? "● " : "○ ") << card.app.displayName << QStringLiteral(" · ") << card.modeText()
            << "  " << version << "  " << card.app.bundlePath << "  " << card.id;
        if (card.unavailabilityReason) {
            out << QStringLiteral("  — ") << *card.unavailabilityReason;
        }
        out << '\n';
    }
    out.flush();
    return 0;
}

void logRefusal(Services& services, const QString& reason)
{
    services.logger.log(QStringLiteral("vantrel-cli launch refused: ")
                        + LaunchLogger::escapedControlCharacters(reason));
    services.logger.flush();
}

int launch(Services& services, const Invocation& invocation, QTextStream& err)
{
    FileSystem& disk = services.host.fileSystem();
    // What a launch killed half-way left in Logic's preferences goes back first, as at the
    // launcher's start.
    services.launchManager->restoreAbandonedStartupActions();

    std::optional<QUrl> project;
    if (invocation.project) {
        project = HostPath::fileURL(disk.fromArgument(*invocation.project));
        if (const auto refusal = LaunchInteraction::projectRefusal(*project, disk)) {
            logRefusal(services, refusal->errorDescription());
            err << refusal->errorDescription() << Qt::endl;
            return 1;
        }
    }
    const QList<LaunchCard> cards = panelCards(services);
    LaunchRequest request = invocation.request;
    if (invocation.rememberedCopy) {
        // No copy named: the one that last opened the project, in the mode asked for if any.
        const QString projectPath = HostPath::fromURL(*project);
        const auto remembered = services.projectMemory->rememberedCard(projectPath, cards);
        if (!remembered) {
            logRefusal(services, L10n::text(L10n::Key::cliNoRemembered, HostPath::lastComponent(projectPath)));
            err << L10n::text(L10n::Key::cliBadUsage,
                              L10n::text(L10n::Key::cliNoRemembered, HostPath::lastComponent(projectPath)))
                << Qt::endl;
            return 2;
        }
        request.by = LaunchRequest::By::id;
        request.target = request.mode ? remembered->app.idText() : remembered->id;
    } else if (request.by == LaunchRequest::By::path) {
        request.target = disk.fromArgument(request.target);
    }
    const CardChoice choice = chooseCard(request, cards);
    if (!choice.card) {
        logRefusal(services, choice.refusal);
        err << choice.refusal << Qt::endl;
        return 1;
    }
    const LaunchCard& card = *choice.card;
    if (invocation.rememberedCopy) {
        err << L10n::text(L10n::Key::cliUsingRemembered, card.app.displayName, card.modeText()) << Qt::endl;
    }

    // Every step of the log as it happens (from whichever thread logs it).
    std::mutex writing;
    services.logger.setObserver([&err, &writing](const QString& message) {
        std::lock_guard lock(writing);
        err << QStringLiteral("  · ") << LaunchLogger::escapedControlCharacters(message) << Qt::endl;
    });
    ErrorStreamView view(err);
    LaunchShell shell;
    bool started = false;
    shell.onTerminateAfterLaunch = [&started] { started = true; };
    int status = 1;
    {
        LaunchInteraction interaction({.launchManager = *services.launchManager,
                                       .supportActions = *services.supportActions,
                                       .workspace = services.host.workspace(),
                                       .securityScope = services.host.securityScope(),
                                       .fileSystem = disk,
                                       .logger = services.logger,
                                       .projectMemory = services.projectMemory.get()},
                                      shell, view);
        if (project) {
            interaction.setPendingProject(*project);
        }
        err << L10n::text(L10n::Key::cliLaunching, card.app.displayName, card.modeText()) << Qt::endl;
        const InterruptionWatch interruption([&interaction, &services] {
            services.logger.log(QStringLiteral("vantrel-cli interrupted by a signal: the launch stops where it "
                                               "may and puts back what it changed"));
            interaction.cancelInQuitStep();
        });
        auto task = interaction.perform(card, request.action);
        QCoro::waitFor(task);
        // A delayed restore of Logic's startup action runs before this process ends.
        auto pending = services.launchManager->pendingWork().waitForPending();
        QCoro::waitFor(pending);
        if (interruption.signal() != 0) {
            status = 128 + interruption.signal();
            if (view.error()) {
                err << *view.error() << Qt::endl;
            }
        } else if (started && !view.error()) {
            err << L10n::text(L10n::Key::startedMode, card.app.displayName, modeDisplayName(card.architecture))
                << Qt::endl;
            status = 0;
        } else {
            const QString error = view.error().value_or(L10n::text(L10n::Key::errorCancelled));
            err << error << Qt::endl;
            // The system asks on behalf of the program that started this one, not of Vantrel.
            if (error.contains(L10n::text(L10n::Key::errorSafeModeNeedsAccessibility))) {
                err << L10n::text(L10n::Key::cliPermissionOfTheRunningProgram) << Qt::endl;
            }
        }
    }
    services.logger.flush();
    services.logger.setObserver({});
    return status;
}

int listPlugins(Services& services, bool json, QTextStream& out)
{
    PluginInventory& plugins = *services.plugins;
    QEventLoop delivered;
    QObject::connect(&plugins, &PluginInventory::ready, &delivered, &QEventLoop::quit);
    plugins.start();
    plugins.waitForScan();
    if (!plugins.report()) {
        delivered.exec(); // the report comes through the event loop, posted by now
    }
    const AudioUnitReport& report = *plugins.report();
    if (json) {
        out << QString::fromUtf8(report.toJson());
        out.flush();
        return 0;
    }
    for (const AudioUnitPlugin& plugin : report.plugins) {
        out << rawValue(plugin.loadClass) << '\t' << plugin.name << '\t' << plugin.version.value_or(QString()) << '\t'
            << plugin.path << '\n';
    }
    out.flush();
    return 0;
}

} // namespace vantrel::cli
