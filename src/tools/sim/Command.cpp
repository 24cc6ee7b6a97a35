#include "tools/sim/Command.h"

#include <algorithm>
#include <optional>

namespace vantrel::sim::tool {

namespace {

struct Mistake {
    qsizetype index;
    bool missingValue; // an option at the end without its value
};

// The first word the parser refuses, found the way it reads the words.
std::optional<Mistake> findMistake(const QList<QCommandLineOption>& options, const QStringList& words)
{
    for (qsizetype i = 0; i < words.size(); ++i) {
        const QString& word = words[i];
        if (word == u"--") {
            break; // values only from here on
        }
        if (word.size() < 2 || !word.startsWith(u'-')) {
            continue;
        }
        const QString text = word.mid(word.startsWith(u"--") ? 2 : 1);
        const qsizetype assign = text.indexOf(u'=');
        const QString name = assign < 0 ? text : text.left(assign);
        const auto option = std::find_if(options.cbegin(), options.cend(),
                                         [&](const QCommandLineOption& o) { return o.names().contains(name); });
        if (option == options.cend()) {
            return Mistake{i, false};
        }
        const bool takesValue = !option->valueName().isEmpty();
        if (takesValue && assign < 0 && ++i == words.size()) {
            return Mistake{i - 1, true};
        }
        if (!takesValue && assign >= 0) {
            return Mistake{i, false};
        }
    }
    return std::nullopt;
}

} // namespace

QTextStream& out()
{
    static QTextStream stream(stdout);
    return stream;
}

QTextStream& err()
{
    static QTextStream stream(stderr);
    return stream;
}

int fail(const QString& message, int status)
{
    err() << "vantrel-sim: " << message << Qt::endl;
    return status;
}

bool parseOptions(QCommandLineParser& parser, const QList<QCommandLineOption>& options, const QStringList& arguments,
                  QString* mistake, MissingValue missingValue)
{
    QStringList words = arguments;
    std::optional<Mistake> found = findMistake(options, words);
    if (found && found->missingValue && missingValue == MissingValue::isEmpty) {
        words.append(QString());
        found = findMistake(options, words);
    }
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    parser.addOptions(options);
    // The parser skips the first word, a program's name.
    if (parser.parse(QStringList{QStringLiteral("vantrel-sim")} + words)) {
        return true;
    }
    if (mistake) {
        *mistake = found ? words[found->index] : parser.errorText();
    }
    return false;
}

void parseValues(QCommandLineParser& parser, const QStringList& arguments)
{
    parser.parse(QStringList{QStringLiteral("vantrel-sim"), QStringLiteral("--")} + arguments);
}

int switchCommand(const QStringList& arguments, const std::function<void(bool)>& apply)
{
    QCommandLineParser parser;
    parseValues(parser, arguments);
    const QString state = parser.positionalArguments().value(0);
    if (state != u"on" && state != u"off") {
        return fail(QStringLiteral("say on or off"));
    }
    apply(state == u"on");
    return 0;
}

} // namespace vantrel::sim::tool
