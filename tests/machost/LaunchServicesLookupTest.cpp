// The run-time lookup of Launch Services' setter, exercised on this machine's C library:
// a symbol that is there, one that is not, and a library that is not.
#include "machost/LaunchServicesLookup.h"

#include <gtest/gtest.h>

#include <unistd.h>

using vantrel::mac::LaunchServicesLookup;

TEST(LaunchServicesLookup, FindsASymbolAndGivesNothingForAMissingOneOrLibrary)
{
    EXPECT_EQ(LaunchServicesLookup::find("libc.so.6", "getpid"), reinterpret_cast<void*>(&getpid));
    EXPECT_EQ(LaunchServicesLookup::find("libc.so.6", "_LSSetArchitecturePreferenceForApplicationURL"), nullptr);
    EXPECT_EQ(LaunchServicesLookup::find("/nonexistent/CoreServices", "getpid"), nullptr);
    EXPECT_EQ(LaunchServicesLookup::find(), nullptr) << "no CoreServices framework here";
}
