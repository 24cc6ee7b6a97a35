#pragma once

#include "model/LaunchArchitecture.h"
#include "model/RawValue.h"

#include <QString>

#include <exception>
#include <variant>

namespace vantrel {

// The one error type of the launch engine and of installation editing. The message is
// built when it is asked for, in the interface language current then; string payloads
// keep the language they were made in.
class LauncherError final : public std::exception {
public:
    enum class Case {
        appNotFound,
        architectureUnavailable,
        launchFailed,
        parallelLaunchUnsupported,
        preferenceMutationFailed,
        rosettaNotInstalled,
        invalidBundle,
        notLogicPro,
        operationCancelled,
        projectNotFound, // a project handed over that is not there (or is no project)
    };

    static LauncherError appNotFound(const QString& path);
    static LauncherError architectureUnavailable(LaunchArchitecture mode);
    static LauncherError launchFailed(const QString& detail);
    static LauncherError parallelLaunchUnsupported(const QString& message);
    static LauncherError preferenceMutationFailed(const QString& detail);
    static LauncherError rosettaNotInstalled();
    static LauncherError invalidBundle();
    static LauncherError notLogicPro();
    static LauncherError operationCancelled();
    static LauncherError projectNotFound(const QString& path);

    Case kind() const { return m_case; }
    // The string payload (path, detail or message); empty for the other cases.
    QString text() const;
    // The mode of architectureUnavailable; native for the other cases.
    LaunchArchitecture architecture() const;

    // The localized message, always present.
    QString errorDescription() const;

    // The case name, for diagnostics only; users read errorDescription().
    const char* what() const noexcept override;

    // The message a user reads for any error that ends an operation: a LauncherError's
    // localized message, another exception's text.
    static QString localizedDescription(const std::exception_ptr& error);

    friend bool operator==(const LauncherError& a, const LauncherError& b)
    {
        return a.m_case == b.m_case && a.m_payload == b.m_payload;
    }

private:
    using Payload = std::variant<std::monostate, QString, LaunchArchitecture>;
    LauncherError(Case kind, Payload payload);

    Case m_case;
    Payload m_payload;
};

// An error kept on screen: a LauncherError is worded when it is read, in the interface
// language of that moment (its string payloads keep theirs), so a language switch rewords
// it; another failure keeps its text.
class ShownError {
public:
    ShownError(LauncherError error) // NOLINT(google-explicit-constructor): any error shows
        : m_value(std::move(error))
    {
    }
    explicit ShownError(QString text)
        : m_value(std::move(text))
    {
    }
    // The error that ended an operation.
    static ShownError of(const std::exception_ptr& error);

    QString text() const;

    friend bool operator==(const ShownError&, const ShownError&) = default;

private:
    std::variant<LauncherError, QString> m_value;
};

template <>
struct EnumTraits<LauncherError::Case> {
    using Case = LauncherError::Case;
    static constexpr std::array cases{Case::appNotFound,
                                      Case::architectureUnavailable,
                                      Case::launchFailed,
                                      Case::parallelLaunchUnsupported,
                                      Case::preferenceMutationFailed,
                                      Case::rosettaNotInstalled,
                                      Case::invalidBundle,
                                      Case::notLogicPro,
                                      Case::operationCancelled,
                                      Case::projectNotFound};
    static constexpr std::array names{"LauncherError.appNotFound",
                                      "LauncherError.architectureUnavailable",
                                      "LauncherError.launchFailed",
                                      "LauncherError.parallelLaunchUnsupported",
                                      "LauncherError.preferenceMutationFailed",
                                      "LauncherError.rosettaNotInstalled",
                                      "LauncherError.invalidBundle",
                                      "LauncherError.notLogicPro",
                                      "LauncherError.operationCancelled",
                                      "LauncherError.projectNotFound"};
};

} // namespace vantrel
