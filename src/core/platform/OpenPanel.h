#pragma once

#include <QString>

#include <optional>

namespace vantrel {

// The platform's modal open panel, choosing one application bundle.
class OpenPanel {
public:
    struct Request {
        QString directory; // where it starts
        QString message;   // shown above the list
        QString prompt;    // the confirm button
    };

    virtual ~OpenPanel() = default;
    // The chosen bundle's host path, or nothing when cancelled.
    virtual std::optional<QString> chooseApplication(const Request& request) = 0;
};

} // namespace vantrel
