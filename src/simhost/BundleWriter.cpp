#include "simhost/BundleWriter.h"

#include "plist/PropertyList.h"
#include "simhost/RootedFileSystem.h"

#include <QtEndian>

namespace vantrel::sim {

namespace MachO {

namespace {

void append32(QByteArray& out, std::uint32_t value, ByteOrder order)
{
    uchar bytes[4];
    if (order == ByteOrder::little) {
        qToLittleEndian(value, bytes);
    } else {
        qToBigEndian(value, bytes);
    }
    out.append(reinterpret_cast<const char*>(bytes), 4);
}

} // namespace

QByteArray header(const QList<Slice>& slices, ByteOrder order, bool universal, qsizetype totalSize)
{
    QByteArray out;
    if (slices.size() == 1 && !universal) {
        append32(out, 0xFEEDFACF, order); // MH_MAGIC_64 in the file's byte order
        append32(out, std::uint32_t(slices.front().cpuType), order);
        append32(out, std::uint32_t(slices.front().cpuSubtype), order);
        append32(out, 2, order); // MH_EXECUTE
        append32(out, 0, order); // ncmds
        append32(out, 0, order); // sizeofcmds
        append32(out, 0, order); // flags
        append32(out, 0, order); // reserved
    } else {
        append32(out, 0xCAFEBABE, order); // FAT_MAGIC in the file's byte order
        append32(out, std::uint32_t(slices.size()), order);
        std::uint32_t offset = 0x4000;
        for (const Slice& slice : slices) {
            append32(out, std::uint32_t(slice.cpuType), order);
            append32(out, std::uint32_t(slice.cpuSubtype), order);
            append32(out, offset, order);
            append32(out, 0x1000, order); // size
            append32(out, 14, order);     // align 2^14
            offset += 0x4000;
        }
    }
    if (out.size() < totalSize) {
        out.append(QByteArray(totalSize - out.size(), '\0'));
    }
    return out;
}

} // namespace MachO

bool writeBundle(RootedFileSystem& fileSystem, const BundleSpec& spec)
{
    QVariantMap info = spec.extraInfo;
    info.insert(QStringLiteral("CFBundleExecutable"), spec.executableName);
    info.insert(QStringLiteral("CFBundlePackageType"), QStringLiteral("APPL"));
    auto put = [&](const char* key, const std::optional<QString>& value) {
        if (value) {
            info.insert(QString::fromLatin1(key), *value);
        }
    };
    put("CFBundleIdentifier", spec.identifier);
    put("CFBundleShortVersionString", spec.shortVersion);
    put("CFBundleVersion", spec.buildVersion);
    put("CFBundleDisplayName", spec.displayName);
    put("CFBundleName", spec.bundleName);
    auto plist = PropertyList::serialize(info, PropertyList::Format::Xml);
    if (!plist) {
        return false;
    }
    const QString contents = spec.path + QStringLiteral("/Contents");
    if (!fileSystem.createDirectories(contents + QStringLiteral("/MacOS"))
        || !fileSystem.writeAtomically(contents + QStringLiteral("/Info.plist"), *plist)) {
        return false;
    }
    if (!spec.writeExecutable) {
        return true;
    }
    return fileSystem.writeAtomically(
        contents + QStringLiteral("/MacOS/") + spec.executableName,
        MachO::header(spec.slices, spec.byteOrder, spec.forceUniversal, spec.executableSize));
}

} // namespace vantrel::sim
