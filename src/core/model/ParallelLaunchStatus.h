#pragma once

#include <QHashFunctions>
#include <QString>

namespace vantrel {

// How a requested launch would coexist with running Logic Pro processes, with the message
// shown to the user (localized when the status was computed).
struct ParallelLaunchStatus {
    enum class Case {
        allowed,     // nothing stands in the way
        tentative,   // this installation runs in the other mode; a second instance may be refused
        unsupported, // this installation already runs in the requested mode
    };

    Case kind = Case::allowed;
    QString message;

    static ParallelLaunchStatus allowed(QString message) { return {Case::allowed, std::move(message)}; }
    static ParallelLaunchStatus tentative(QString message) { return {Case::tentative, std::move(message)}; }
    static ParallelLaunchStatus unsupported(QString message) { return {Case::unsupported, std::move(message)}; }

    friend bool operator==(const ParallelLaunchStatus&, const ParallelLaunchStatus&) = default;
};

inline size_t qHash(const ParallelLaunchStatus& status, size_t seed = 0) noexcept
{
    return qHashMulti(seed, int(status.kind), status.message);
}

} // namespace vantrel
