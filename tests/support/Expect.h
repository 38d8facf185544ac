#pragma once
// Test helpers shared by the whole suite.

#include "core/Exception.h"
#include "core/String.h"

#include <gtest/gtest.h>

#include <ostream>

namespace Nimbrel {
// Lets GoogleTest print engine strings in failure messages.
inline void PrintTo(const String& string, std::ostream* out)
{
    *out << '"' << string.CStr() << '"';
}
}  // namespace Nimbrel

// Expects the statement to throw a Nimbrel::Exception whose message is exactly `expected`.
#define EXPECT_THROW_MESSAGE(statement, expected)                                         \
    do {                                                                                   \
        bool nimbrelThrew = false;                                                         \
        try {                                                                              \
            statement;                                                                     \
        } catch (const ::Nimbrel::Exception& nimbrelError) {                               \
            nimbrelThrew = true;                                                           \
            EXPECT_STREQ(nimbrelError.GetMessage().CStr(), expected) << #statement;        \
        }                                                                                  \
        EXPECT_TRUE(nimbrelThrew) << #statement << " did not throw";                      \
    } while (0)
