// Text formatting with arbitrary patterns and arguments. The input is UTF-16: the
// pattern, then the arguments, separated by U+FFFF; the first code unit's bits say which
// arguments are numbers.

#include "FuzzCheck.h"

#include "text/L10n.h"

#include <QStringList>

namespace L10n = vantrel::L10n;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString input = vantrel::fuzz::utf16(data, size);
    if (input.isEmpty()) {
        return 0;
    }
    const unsigned numberMask = input.front().unicode();
    const QStringList parts = input.mid(1).split(QChar(0xFFFF));
    const QString& pattern = parts.front();

    QList<L10n::Argument> arguments;
    QStringList insertedTexts;
    for (qsizetype i = 1; i < parts.size() && i <= 16; ++i) {
        if (numberMask & (1u << (i - 1))) {
            qint64 number = 0;
            for (QChar c : parts[i]) {
                number = qint64(quint64(number) * 31 + c.unicode()); // wraps: any 64-bit value is fair
            }
            arguments.append(number);
            insertedTexts.append(QString::number(number));
        } else {
            arguments.append(parts[i]);
            insertedTexts.append(parts[i]);
        }
    }

    const QString result = L10n::format(pattern, arguments);
    if (arguments.isEmpty()) {
        FUZZ_CHECK(result == pattern);
        return 0;
    }
    qsizetype insertedLength = 0;
    for (const QString& text : insertedTexts) {
        insertedLength += text.size();
    }
    // Each placeholder of two characters is replaced by at most one argument, each
    // argument used at most once: the result cannot outgrow the pattern plus the arguments.
    FUZZ_CHECK(result.size() <= pattern.size() + insertedLength);

    // Arguments are inserted, never scanned. With every string argument replaced by a
    // text full of placeholders, the result grows by exactly that text per inserted
    // argument over the result with empty ones, and each copy appears whole.
    const QString hostileText = QStringLiteral("%@%d%%");
    QList<L10n::Argument> empty;
    QList<L10n::Argument> hostile;
    for (const L10n::Argument& argument : arguments) {
        const bool isText = std::holds_alternative<QString>(argument);
        empty.append(isText ? L10n::Argument(QString()) : argument);
        hostile.append(isText ? L10n::Argument(hostileText) : argument);
    }
    const QString withEmpty = L10n::format(pattern, empty);
    const QString withHostile = L10n::format(pattern, hostile);
    const qsizetype growth = withHostile.size() - withEmpty.size();
    FUZZ_CHECK(growth >= 0 && growth % hostileText.size() == 0);
    FUZZ_CHECK(withHostile.count(hostileText) >= growth / hostileText.size());
    return 0;
}
