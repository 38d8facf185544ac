#pragma once
// The attributes of a map in ascending name order (the byte order of String's comparison).
// Map iterates its tree in pre-order, so elements that promise name order sort the entries.

#include "core/AbstractMap.h"
#include "core/String.h"

#include <algorithm>
#include <vector>

namespace Nimbrel::Utils::Xml {

inline std::vector<Pair<String, String>> InNameOrder(const AbstractMap<String, String>& attributes)
{
    std::vector<Pair<String, String>> entries;
    entries.reserve(static_cast<size_t>(attributes.Count()));
    Managed<Iterator<Pair<String, String>>> iterator = attributes.GetIterator();
    while (iterator->MoveNext())
        entries.push_back(iterator->Current());
    std::sort(entries.begin(), entries.end(),
              [](const Pair<String, String>& a, const Pair<String, String>& b) { return a.Key < b.Key; });
    return entries;
}

}  // namespace Nimbrel::Utils::Xml
