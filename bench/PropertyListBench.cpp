// Micro figures for the property-list codec, which every Info.plist and preference read
// goes through.
#include "plist/PropertyList.h"

#include <benchmark/benchmark.h>

using vantrel::PropertyList;

namespace {

QVariant infoDictionary()
{
    QVariantMap map;
    map.insert(QStringLiteral("CFBundleExecutable"), QStringLiteral("Logic Pro X"));
    map.insert(QStringLiteral("CFBundleIdentifier"), QStringLiteral("com.apple.logic10"));
    map.insert(QStringLiteral("CFBundleShortVersionString"), QStringLiteral("11.1.2"));
    map.insert(QStringLiteral("CFBundleVersion"), QStringLiteral("6208"));
    map.insert(QStringLiteral("CFBundleName"), QStringLiteral("Logic Pro"));
    QVariantList types;
    for (int i = 0; i < 20; ++i) {
        types.append(QVariantMap{{QStringLiteral("CFBundleTypeName"), QStringLiteral("Type %1").arg(i)},
                                 {QStringLiteral("LSHandlerRank"), QStringLiteral("Owner")}});
    }
    map.insert(QStringLiteral("CFBundleDocumentTypes"), types);
    return map;
}

void parseInfoPlist(benchmark::State& state)
{
    const auto format = state.range(0) == 0 ? PropertyList::Format::Xml : PropertyList::Format::Binary;
    const QByteArray bytes = *PropertyList::serialize(infoDictionary(), format);
    for (auto _ : state) {
        benchmark::DoNotOptimize(PropertyList::parse(bytes));
    }
    state.SetLabel(format == PropertyList::Format::Xml ? "xml" : "binary");
}
BENCHMARK(parseInfoPlist)->Arg(0)->Arg(1);

} // namespace

BENCHMARK_MAIN();
