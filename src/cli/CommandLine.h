#pragma once

#include "launch/LaunchRequest.h"
#include "text/AppLanguage.h"
#include "text/L10n.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace vantrel::cli {

// What vantrel-cli was asked to do, read from its words.
struct Invocation {
    enum class Command { none, list, launch, plugins };

    Command command = Command::none;
    bool help = false;
    bool version = false;
    bool json = false;              // list, plugins
    std::optional<QString> root;    // --root: the simulated Mac's folder
    LaunchRequest request;          // launch: the copy's path as given, not yet a host path
    std::optional<QString> project; // launch: as given
    bool rememberedCopy = false;    // launch: none named: the project's last copy
};

// A mistake in the words: a text key and the word it is about, worded once the
// interface language is known (--lang may come after the mistake).
struct UsageMistake {
    L10n::Key key;
    QString word;

    QString text() const;
};

struct ReadInvocation {
    std::optional<Invocation> invocation;
    std::optional<UsageMistake> mistake;
};

// Reads the words after the program's name. Options come anywhere, as "--name value" or
// "--name=value"; "--" ends them. `acceptsRoot`: --root is an option (not on a Mac).
ReadInvocation readCommandLine(const QStringList& words, bool acceptsRoot);

// The language --lang asks for, wherever it stands (mistakes are worded in it too); none
// when it is not given or not "ru" or "en" (readCommandLine then refuses it).
std::optional<AppLanguage> languageAsked(const QStringList& words);

} // namespace vantrel::cli
