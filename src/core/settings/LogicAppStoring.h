#pragma once

#include "model/LogicApp.h"

#include <QList>

namespace vantrel {

// Where the user's installation list is kept.
class LogicAppStoring {
public:
    virtual ~LogicAppStoring() = default;

    // The stored list, possibly empty; never fails.
    virtual QList<LogicApp> loadApps() = 0;
    // Stores the whole list; never reports failure.
    virtual void saveApps(const QList<LogicApp>& apps) = 0;
};

} // namespace vantrel
