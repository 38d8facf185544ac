#include "graphics/VertexSemantics.h"

#include "core/Exception.h"

#include <cstring>

namespace Nimbrel::Graphics {

namespace VertexSemanticsDetail {

const char* const standardNames[SemanticSlotCount] = {
    "N_POSITION",  "N_BLENDWEIGHTS", "N_BLENDINDICES", "N_COLOR",     "N_NORMAL",    "N_TANGENT",
    "N_BINORMAL",  "N_INSTANCE",     "N_TEXCOORD0",    "N_TEXCOORD1", "N_TEXCOORD2", "N_TEXCOORD3",
    "N_TEXCOORD4", "N_TEXCOORD5",    "N_TEXCOORD6",    "N_TEXCOORD7",
};

struct Word {
    const char* text;
    VertexSemantic semantic;
};

const Word words[] = {
    {"POSITION", SemanticPosition},       {"NORMAL", SemanticNormal},
    {"COLOR", SemanticColor},             {"TEXCOORD", SemanticTexCoord0},
    {"TEXCOORD0", SemanticTexCoord0},     {"TEXCOORD1", SemanticTexCoord1},
    {"TEXCOORD2", SemanticTexCoord2},     {"TEXCOORD3", SemanticTexCoord3},
    {"TEXCOORD4", SemanticTexCoord4},     {"TEXCOORD5", SemanticTexCoord5},
    {"TEXCOORD6", SemanticTexCoord6},     {"TEXCOORD7", SemanticTexCoord7},
    {"TEXTANGENT", SemanticTexCoord4},    {"TEXBINORMAL", SemanticTexCoord5},
    {"N_POSITION", SemanticPosition},     {"N_BLENDWEIGHTS", SemanticBlendWeights},
    {"N_BLENDINDICES", SemanticBlendIndices}, {"N_COLOR", SemanticColor},
    {"N_NORMAL", SemanticNormal},         {"N_TANGENT", SemanticTangent},
    {"N_BINORMAL", SemanticBinormal},     {"N_INSTANCE", SemanticInstance},
    {"N_TEXCOORD", SemanticTexCoord0},    {"N_TEXCOORD0", SemanticTexCoord0},
    {"N_TEXCOORD1", SemanticTexCoord1},   {"N_TEXCOORD2", SemanticTexCoord2},
    {"N_TEXCOORD3", SemanticTexCoord3},   {"N_TEXCOORD4", SemanticTexCoord4},
    {"N_TEXCOORD5", SemanticTexCoord5},   {"N_TEXCOORD6", SemanticTexCoord6},
    {"N_TEXCOORD7", SemanticTexCoord7},   {"N_TEXTANGENT", SemanticTangent},
    {"N_TEXBINORMAL", SemanticBinormal},
};

}  // namespace VertexSemanticsDetail

const char* GetStandardSemanticName(int index)
{
    if (index < 0 || index >= SemanticSlotCount)
        throw Exception("GetStandardSemanticName(): Semantic index out of range");
    return VertexSemanticsDetail::standardNames[index];
}

VertexSemantic SemanticFromString(const String& word)
{
    // Compared over the whole string so that an embedded zero byte never matches.
    for (const VertexSemanticsDetail::Word& entry : VertexSemanticsDetail::words)
        if (static_cast<size_t>(word.Length()) == std::strlen(entry.text) &&
            std::memcmp(word.CStr(), entry.text, word.Length()) == 0)
            return entry.semantic;
    throw Exception("NGMLoader: unsupported semantic enum");
}

BufferMode BufferModeFromString(const String& word)
{
    const char* modes[] = {"static", "dynamic", "volatile"};
    for (int i = 0; i < 3; ++i)
        if (static_cast<size_t>(word.Length()) == std::strlen(modes[i]) &&
            std::memcmp(word.CStr(), modes[i], word.Length()) == 0)
            return static_cast<BufferMode>(i);
    throw Exception(String("Unsupported Buffer Mode: ") + word);
}

}  // namespace Nimbrel::Graphics
