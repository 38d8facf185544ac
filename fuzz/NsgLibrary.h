#pragma once
// A small NSG library written field by field: the linear controller "pos" (3 components, two
// keys), the composite "mix" over it (2 components) and the geometry "tri", one triangle. The
// NSG seeds start from it, and the markup target keeps it beside the document as "library.nsg"
// for imports to find.

#include "support/NgmBytes.h"

#include <cstdint>
#include <vector>

namespace Nimbrel::Fuzzing {

inline std::vector<uint8_t> NsgLibrary()
{
    Testing::NgmBytes library;
    library.Magic("NSG200");
    library.Word("LinearController200").Word("pos").Int(3).Int(2);
    library.Float(0).Floats({1, 2, 3}).Float(2).Floats({3, 4, 5});
    library.Word("CompositeController200").Word("mix").Int(2);
    library.Int(1).Word("pos").Int(2).Int(0).Float(7);
    library.Word("Geometry200").Word("tri");
    library.Magic("NGM200").Int(3).Int(1).Word("POSITION").Word("float").Word("none");
    library.Int(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
    library.Word("int32").Int(3).UInt32s({0, 1, 2});
    library.Int(1).Word("triangles").Int(0).Int(2).Int(3).Int(0);
    return library.bytes;
}

}  // namespace Nimbrel::Fuzzing
