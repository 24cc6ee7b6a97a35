#pragma once

// Screening of untrusted input, before libplist sees it.
//
// libplist 2.2 trusts its input more than a reader of arbitrary files may: its parsers
// recurse once per nesting level, expand an object referenced from many places once per
// reference, and assert (abort) on a string holding a NUL character. Both formats are
// screened for these first.

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace vantrel::plistscreen {

// The most nodes a property list may expand to (each costs memory in libplist's tree).
constexpr std::uint64_t maxExpandedNodes = 1u << 20;

// Property-list dates count seconds from 2001-01-01T00:00:00Z.
const QDateTime& referenceDate();

// Whether libplist carries a date this many seconds from the reference date whole.
bool dateFits(double secondsSince2001);

// A binary property list's object graph: every reference in range, no cycles, no string
// with a NUL, nesting within PropertyList::maxDepth and the fully expanded tree within
// maxExpandedNodes.
bool binaryAcceptable(const QByteArray& data);

// An XML property list: nesting, the number of elements, dates libplist carries whole and
// no character reference to NUL.
bool xmlAcceptable(const QByteArray& data);

enum class XmlReading {
    Refused, // xmlAcceptable refuses the document
    Unsure,  // acceptable, but only libplist can tell the strings
    Read,    // acceptable, and the strings are what libplist's tree holds
};

// The string values of `keys` in an XML property list's root dictionary, read on the
// screening walk without building libplist's tree (most of a scan's cost): `values` gets
// them in their order (none where a key is missing or holds no string) when the answer is
// Read. That takes the shape real Info.plists have (see RootStrings in XmlScreen.cpp) and no
// "&" anywhere; anything else is Unsure.
XmlReading xmlRootStrings(const QByteArray& data, std::span<const char* const> keys,
                          std::vector<std::optional<QString>>& values);

} // namespace vantrel::plistscreen
