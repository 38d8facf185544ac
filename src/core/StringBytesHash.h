#pragma once
// StringBytesHash: a hash of a String's bytes, for standard hash containers keyed by String.
//
// String::Hash is a weighted sum of the characters, which gives names numbered the way
// exporters number ids ("node12", "node21", "mesh-1034") few distinct values, so a table of
// tens of thousands of them probes nearly linearly. Tables that can grow that large (what an
// imported file names) hash the bytes with this instead.

#include "core/String.h"

#include <cstddef>
#include <functional>
#include <string_view>

namespace Nimbrel {

struct StringBytesHash {
    size_t operator()(const String& text) const
    {
        return std::hash<std::string_view>()(std::string_view(text.CStr(), static_cast<size_t>(text.Length())));
    }
};

}  // namespace Nimbrel
