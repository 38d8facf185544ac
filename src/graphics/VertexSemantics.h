#pragma once
// The 16 vertex semantic slots and the word conversions data files use.
//
// A vertex element names its meaning by a slot index; shader source names the same meaning by
// the slot's name in the device's semantic map. Every new device installs the standard map
// (GetStandardSemanticName).

#include "core/String.h"
#include "graphics/Enumerations.h"

namespace Nimbrel::Graphics {

enum VertexSemantic : int32_t {
    SemanticPosition = 0,
    SemanticBlendWeights = 1,
    SemanticBlendIndices = 2,
    SemanticColor = 3,
    SemanticNormal = 4,
    SemanticTangent = 5,
    SemanticBinormal = 6,
    SemanticInstance = 7,
    SemanticTexCoord0 = 8,
    SemanticTexCoord1 = 9,
    SemanticTexCoord2 = 10,
    SemanticTexCoord3 = 11,
    SemanticTexCoord4 = 12,
    SemanticTexCoord5 = 13,
    SemanticTexCoord6 = 14,
    SemanticTexCoord7 = 15,
};

constexpr int SemanticSlotCount = 16;

// The name of slot index in the standard map ("N_POSITION" ... "N_TEXCOORD7"); throws for an
// index outside 0 to 15.
const char* GetStandardSemanticName(int index);

// The slot of a semantic word of a data file, compared case-sensitively. The plain
// "TEXTANGENT" and "TEXBINORMAL" land on texture-coordinate slots 12 and 13, the prefixed forms
// on the tangent and binormal slots. Any other word throws "NGMLoader: unsupported semantic
// enum".
VertexSemantic SemanticFromString(const String& word);

// "static", "dynamic" and "volatile"; any other word throws "Unsupported Buffer Mode: " and
// the word.
BufferMode BufferModeFromString(const String& word);

}  // namespace Nimbrel::Graphics
