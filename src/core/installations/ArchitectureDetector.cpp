#include "installations/ArchitectureDetector.h"

#include "installations/InfoPlist.h"

#include "model/CpuType.h"
#include "platform/FileSystem.h"
#include "platform/HostPath.h"

#include <QtEndian>

#include <algorithm>

namespace vantrel {

namespace {

enum class ByteOrder { little, big };

std::uint32_t field(const QByteArray& data, qsizetype offset, ByteOrder order)
{
    const auto* p = reinterpret_cast<const uchar*>(data.constData() + offset);
    return order == ByteOrder::little ? qFromLittleEndian<std::uint32_t>(p) : qFromBigEndian<std::uint32_t>(p);
}

std::optional<BinaryArchitecture> fromCpuType(std::uint32_t cpuType)
{
    switch (std::int32_t(cpuType)) {
    case CpuType::arm64:
        return BinaryArchitecture::arm64;
    case CpuType::x86_64:
        return BinaryArchitecture::x86_64;
    default:
        return std::nullopt;
    }
}

// The host paths of a Rosetta 2 installation, tested in this order.
const char* const rosettaPaths[] = {
    "/usr/libexec/rosetta/runtime",
    "/Library/Apple/usr/libexec/oah/libRosettaRuntime",
    "/usr/libexec/rosetta",
};

} // namespace

ArchitectureDetector::ArchitectureDetector(FileSystem& fileSystem)
    : m_fileSystem(fileSystem)
{
}

std::optional<QUrl> ArchitectureDetector::executableURL(const QUrl& appURL) const
{
    const QString bundle = HostPath::fromURL(appURL);
    const auto info = readBundleInfo(m_fileSystem, bundle);
    const auto executable = info ? executablePath(bundle, *info) : std::nullopt;
    return executable ? std::optional(HostPath::fileURL(*executable)) : std::nullopt;
}

std::optional<QString> ArchitectureDetector::executablePath(const QString& bundlePath, const BundleInfo& info)
{
    if (!info.executable) {
        return std::nullopt;
    }
    return HostPath::standardized(bundlePath + QStringLiteral("/Contents/MacOS/") + *info.executable);
}

std::optional<QByteArray> ArchitectureDetector::readHeader(const QString& path, qint64 maxBytes) const
{
    auto data = m_fileSystem.readPrefix(path, maxBytes);
    if (!data || data->isEmpty()) {
        return std::nullopt;
    }
    return data;
}

SliceSet ArchitectureDetector::architectures(const QUrl& appURL) const
{
    const QString bundle = HostPath::fromURL(appURL);
    const auto info = readBundleInfo(m_fileSystem, bundle);
    return info ? architectures(bundle, *info) : SliceSet{};
}

SliceSet ArchitectureDetector::architectures(const QString& bundlePath, const BundleInfo& info) const
{
    const auto executable = executablePath(bundlePath, info);
    const auto header = executable ? readHeader(*executable, maxHeaderBytes) : std::nullopt;
    return header ? architecturesFromMachOHeader(*header) : SliceSet{};
}

SliceSet ArchitectureDetector::architecturesFromMachOHeader(const QByteArray& data)
{
    if (data.size() < 8) {
        return {};
    }
    const auto* magic = reinterpret_cast<const uchar*>(data.constData());
    auto magicIs = [&](uchar a, uchar b, uchar c, uchar d) {
        return magic[0] == a && magic[1] == b && magic[2] == c && magic[3] == d;
    };

    std::optional<ByteOrder> thin;
    if (magicIs(0xCF, 0xFA, 0xED, 0xFE)) {
        thin = ByteOrder::little;
    } else if (magicIs(0xFE, 0xED, 0xFA, 0xCF)) {
        thin = ByteOrder::big;
    }
    if (thin) {
        const auto arch = fromCpuType(field(data, 4, *thin));
        return sharedSliceSet(arch == BinaryArchitecture::arm64, arch == BinaryArchitecture::x86_64);
    }

    std::optional<ByteOrder> fat;
    if (magicIs(0xCA, 0xFE, 0xBA, 0xBE)) {
        fat = ByteOrder::big;
    } else if (magicIs(0xBE, 0xBA, 0xFE, 0xCA)) {
        fat = ByteOrder::little;
    }
    if (!fat) {
        return {}; // 32-bit Mach-O, 64-bit fat, scripts, anything else
    }
    const std::uint32_t count = field(data, 4, *fat);
    bool arm64 = false;
    bool x86_64 = false;
    for (std::uint64_t i = 0; i < count; ++i) {
        const std::uint64_t record = 8 + 20 * i;
        // The walk stops where the next record's first 8 bytes are not all there.
        if (std::uint64_t(data.size()) < record + 8) {
            break;
        }
        const auto arch = fromCpuType(field(data, qsizetype(record), *fat));
        arm64 = arm64 || arch == BinaryArchitecture::arm64;
        x86_64 = x86_64 || arch == BinaryArchitecture::x86_64;
    }
    return sharedSliceSet(arm64, x86_64);
}

bool ArchitectureDetector::isRosettaInstalled()
{
    std::lock_guard lock(m_lock);
    if (!m_cachedRosettaInstalled) {
        m_cachedRosettaInstalled = rosettaOnDisk();
    }
    return *m_cachedRosettaInstalled;
}

bool ArchitectureDetector::recheckRosettaInstalled()
{
    std::lock_guard lock(m_lock);
    m_cachedRosettaInstalled = rosettaOnDisk();
    return *m_cachedRosettaInstalled;
}

bool ArchitectureDetector::rosettaOnDisk() const
{
    return std::any_of(std::begin(rosettaPaths), std::end(rosettaPaths),
                       [this](const char* path) { return m_fileSystem.exists(QString::fromLatin1(path)); });
}

} // namespace vantrel
