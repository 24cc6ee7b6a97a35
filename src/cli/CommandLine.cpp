#include "cli/CommandLine.h"

#include <QSet>

namespace vantrel::cli {

using L10n::Key;

namespace {

Invocation::Command commandNamed(const QString& word)
{
    using Command = Invocation::Command;
    return word == u"list"      ? Command::list
           : word == u"launch"  ? Command::launch
           : word == u"plugins" ? Command::plugins
                                : Command::none;
}

} // namespace

QString UsageMistake::text() const
{
    return word.isNull() ? L10n::text(key) : L10n::text(key, word);
}

ReadInvocation readCommandLine(const QStringList& words, bool acceptsRoot)
{
    Invocation invocation;
    auto mistake = [](Key key, const QString& word = QString()) {
        return ReadInvocation{std::nullopt, UsageMistake{key, word}};
    };
    using Command = Invocation::Command;
    int targets = 0;
    bool safeMode = false;
    bool withoutRecent = false;
    bool optionsEnded = false;
    QSet<QString> seen; // the options given so far
    // The command decides which options there are; it may come after some of them.
    const Command command = [&] {
        static const QStringList valued{QStringLiteral("--lang"), QStringLiteral("--root"), QStringLiteral("--path"),
                                        QStringLiteral("--name"), QStringLiteral("--id"),   QStringLiteral("--mode")};
        for (qsizetype i = 0; i < words.size(); ++i) {
            const QString& word = words[i];
            if (word == u"--") {
                return i + 1 < words.size() ? commandNamed(words[i + 1]) : Command::none;
            }
            if (!word.startsWith(u'-') || word == u"-") {
                return commandNamed(word);
            }
            if (valued.contains(word)) {
                ++i; // its value
            }
        }
        return Command::none;
    }();
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (optionsEnded || !word.startsWith(u'-') || word == u"-") {
            // A value: the command first, then a launch's project.
            if (invocation.command == Command::none) {
                invocation.command = commandNamed(word);
                if (invocation.command == Command::none) {
                    return mistake(Key::cliUnknownCommand, word);
                }
            } else if (invocation.command == Command::launch && !invocation.project) {
                invocation.project = word;
            } else {
                return mistake(Key::cliUnexpected, word);
            }
            continue;
        }
        if (word == u"--") {
            optionsEnded = true;
            continue;
        }
        const qsizetype equals = word.indexOf(u'=');
        const QString name = equals < 0 ? word : word.left(equals);
        std::optional<QString> given = equals < 0 ? std::nullopt : std::optional(word.mid(equals + 1));
        // The option's value: after "=", else the next word.
        auto value = [&]() -> std::optional<QString> {
            if (given) {
                return given;
            }
            if (i + 1 < words.size()) {
                return words[++i];
            }
            return std::nullopt;
        };
        auto isSwitch = [&] { return !given; };
        // An option given twice is a mistake, as a link's repeated key is: which one was
        // meant cannot be told. (Two of --path, --name, --id say so in their own words.)
        const bool isTarget = name == u"--path" || name == u"--name" || name == u"--id";
        if (name.startsWith(u"--") && !isTarget && seen.contains(name)) {
            return mistake(Key::cliRepeatedOption, name);
        }
        seen.insert(name);
        const bool launching = command == Command::launch;
        const bool listing = command == Command::list || command == Command::plugins;

        if ((name == u"--help" || name == u"-h") && isSwitch()) {
            invocation.help = true;
        } else if (name == u"--version" && isSwitch()) {
            invocation.version = true;
        } else if (name == u"--lang" || (name == u"--root" && acceptsRoot)) {
            const auto text = value();
            if (!text) {
                return mistake(Key::cliNeedsValue, name);
            }
            if (name == u"--root") {
                invocation.root = *text;
            } else if (!fromRawValue<AppLanguage>(*text)) {
                return mistake(Key::cliBadLanguage); // a good one is taken by languageAsked
            }
        } else if (name == u"--json" && listing && isSwitch()) {
            invocation.json = true;
        } else if (launching && (name == u"--path" || name == u"--name" || name == u"--id")) {
            const auto text = value();
            if (!text) {
                return mistake(Key::cliNeedsValue, name);
            }
            if (++targets > 1) {
                return mistake(Key::cliOneTarget);
            }
            invocation.request.by = name == u"--path"   ? LaunchRequest::By::path
                                    : name == u"--name" ? LaunchRequest::By::name
                                                        : LaunchRequest::By::id;
            invocation.request.target = *text;
        } else if (launching && name == u"--mode") {
            const auto text = value();
            if (!text) {
                return mistake(Key::cliNeedsValue, name);
            }
            invocation.request.mode = fromRawValue<LaunchArchitecture>(*text);
            if (!invocation.request.mode) {
                return mistake(Key::cliBadMode);
            }
        } else if (launching && name == u"--safe-mode" && isSwitch()) {
            safeMode = true;
        } else if (launching && name == u"--without-recent-project" && isSwitch()) {
            withoutRecent = true;
        } else {
            return mistake(Key::cliUnknownOption, word);
        }
    }
    if (invocation.help || invocation.version) {
        return {invocation, std::nullopt};
    }
    if (invocation.command == Command::launch) {
        invocation.rememberedCopy = targets == 0 && invocation.project;
        if (!invocation.rememberedCopy && (targets != 1 || invocation.request.target.isEmpty())) {
            return mistake(Key::cliOneTarget);
        }
        if (safeMode && withoutRecent) {
            return mistake(Key::cliOneAction);
        }
        invocation.request.action = safeMode        ? LaunchAction::launchSafeMode
                                    : withoutRecent ? LaunchAction::launchWithoutRecentProject
                                                    : LaunchAction::launch;
    }
    return {invocation, std::nullopt};
}

std::optional<AppLanguage> languageAsked(const QStringList& words)
{
    for (qsizetype i = 0; i < words.size() && words[i] != u"--"; ++i) {
        if (words[i] == u"--lang" && i + 1 < words.size()) {
            return fromRawValue<AppLanguage>(words[i + 1]);
        }
        if (words[i].startsWith(QLatin1String("--lang="))) {
            return fromRawValue<AppLanguage>(words[i].mid(7));
        }
    }
    return std::nullopt;
}

} // namespace vantrel::cli
