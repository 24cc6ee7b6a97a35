#pragma once

#include "model/LaunchCard.h"
#include "model/ResolvedLogicApp.h"

#include <QList>
#include <QString>

#include <optional>

namespace vantrel {

class ArchitectureDetector;

// Turns resolved installations into the launcher's cards: one per installation and
// visible mode, with availability and a reason text resolved now.
namespace LaunchCardBuilder {

QList<LaunchCard> buildCards(const QList<ResolvedLogicApp>& installations, ArchitectureDetector& detector);

// The selection after a rebuild: kept while a card with that identifier exists, cleared
// otherwise. Nothing is ever selected automatically.
std::optional<QString> repairedSelection(const std::optional<QString>& selected, const QList<LaunchCard>& cards);

} // namespace LaunchCardBuilder

} // namespace vantrel
