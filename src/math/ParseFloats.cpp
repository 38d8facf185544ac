#include "math/ParseFloats.h"

#include "core/Array.h"
#include "core/Exception.h"
#include "core/String.h"

namespace Nimbrel::Math {

void ParseFloats(const String& text, float* values, int count, const char* invalidMessage)
{
    Array<String> pieces;
    text.Remove('(').Remove(')').Remove(' ').Split(',', pieces);
    if (pieces.Count() != count)
        throw Exception(invalidMessage);
    for (int i = 0; i < count; ++i)
        values[i] = pieces[i].ToFloat();
}

int TruncateToInt(float value, const char* invalidMessage)
{
    // Both bounds are exact floats (-2^31 and 2^31); NaN fails the test.
    if (!(value >= -2147483648.0f && value < 2147483648.0f))
        throw Exception(invalidMessage);
    return static_cast<int>(value);
}

}  // namespace Nimbrel::Math
