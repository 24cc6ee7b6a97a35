#include "model/CpuType.h"

namespace vantrel {

QString modeArchitectureName(LaunchArchitecture mode)
{
    return QString::fromLatin1(mode == LaunchArchitecture::native ? ArchitectureName::arm64 : ArchitectureName::x86_64);
}

QString archName(int cpuType)
{
    switch (cpuType) {
    case CpuType::arm64:
        return QStringLiteral("arm64 (Native)");
    case CpuType::x86_64:
        return QStringLiteral("x86_64 (Rosetta)");
    default:
        return QStringLiteral("unknown (") + QString::number(cpuType) + u')';
    }
}

} // namespace vantrel
