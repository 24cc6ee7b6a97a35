// The Finder script that opens a bundle's information window, built around hostile
// paths. Whatever the path holds, the script must keep it inside its one string literal:
// read back with AppleScript's own rules for string literals, the script has exactly the
// literals of its template, the path among them unchanged, and nothing else differs.

#include "FuzzCheck.h"

#include "viewmodels/LogicSupportActions.h"

#include <QStringList>

using vantrel::LogicSupportActions;

namespace {

struct ReadScript {
    QStringList literals; // unescaped
    QString code;         // everything outside the literals, each literal as ""
};

// AppleScript string literals: opened and closed by a straight double quote; inside, a
// backslash escapes the next character ("\"", "\\", and the \n \r \t controls).
ReadScript readScript(const QString& script)
{
    ReadScript read;
    bool inLiteral = false;
    QString literal;
    for (qsizetype i = 0; i < script.size(); ++i) {
        const QChar c = script[i];
        if (!inLiteral) {
            read.code.append(c);
            inLiteral = c == u'"';
            continue;
        }
        if (c == u'\\') {
            FUZZ_CHECK(i + 1 < script.size()); // an escape cut by the end of the script
            const QChar next = script[++i];
            literal.append(next == u'n'   ? QChar(u'\n')
                           : next == u'r' ? QChar(u'\r')
                           : next == u't' ? QChar(u'\t')
                                          : next);
        } else if (c == u'"') {
            read.code.append(c);
            read.literals.append(literal);
            literal.clear();
            inLiteral = false;
        } else {
            literal.append(c);
        }
    }
    FUZZ_CHECK(!inLiteral); // a literal left open swallows the rest of the script
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString path = vantrel::fuzz::utf16(data, size);
    static const ReadScript expected = readScript(LogicSupportActions::infoWindowScript(QStringLiteral("PATH")));

    const ReadScript read = readScript(LogicSupportActions::infoWindowScript(path));
    FUZZ_CHECK(read.code == expected.code);
    FUZZ_CHECK(read.literals.size() == expected.literals.size());
    for (qsizetype i = 0; i < read.literals.size(); ++i) {
        FUZZ_CHECK(read.literals[i] == (expected.literals[i] == u"PATH" ? path : expected.literals[i]));
    }
    return 0;
}
