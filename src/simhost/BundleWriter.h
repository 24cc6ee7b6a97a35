#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariantMap>

#include <optional>

namespace vantrel::sim {

class RootedFileSystem;

// Mach-O headers as a Logic Pro executable starts, for bundles of the simulated Mac.
namespace MachO {

enum class ByteOrder { little, big };

struct Slice {
    int cpuType;
    int cpuSubtype = 0;
};

inline constexpr int cpuTypeArm64 = 0x0100000C;
inline constexpr int cpuTypeX86_64 = 0x01000007;
inline constexpr int cpuTypeI386 = 7;
inline constexpr int cpuSubtypeArm64e = 2;

// A thin 64-bit header (one slice) or a universal header (several, or `universal` set),
// with its fat_arch records and zero padding up to `totalSize`.
QByteArray header(const QList<Slice>& slices, ByteOrder order = ByteOrder::little, bool universal = false,
                  qsizetype totalSize = 4096);

} // namespace MachO

// Everything a simulated application bundle is made of.
struct BundleSpec {
    QString path{}; // host path of the .app folder
    std::optional<QString> identifier{};
    std::optional<QString> shortVersion{};
    std::optional<QString> buildVersion{};
    std::optional<QString> displayName{}; // CFBundleDisplayName
    std::optional<QString> bundleName{};  // CFBundleName
    QString executableName = QStringLiteral("Logic Pro X");
    QList<MachO::Slice> slices = {{MachO::cpuTypeArm64}, {MachO::cpuTypeX86_64}};
    MachO::ByteOrder byteOrder = MachO::ByteOrder::little;
    bool forceUniversal = false;
    qsizetype executableSize = 4096;
    bool writeExecutable = true;
    QVariantMap extraInfo{}; // further Info.plist keys (behaviour switches, …)
};

// Writes the bundle: Contents/Info.plist (XML) and Contents/MacOS/<executable>.
bool writeBundle(RootedFileSystem& fileSystem, const BundleSpec& spec);

} // namespace vantrel::sim
