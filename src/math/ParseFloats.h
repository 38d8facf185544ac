#pragma once
// The text form shared by the vectors and matrices: a comma-separated list of numbers,
// optionally in parentheses, with spaces anywhere, e.g. "(1, 0, 0)".

#include "core/String.h"

namespace Nimbrel::Math {

// Fills values[0 .. count) from the text. Every "(", ")" and space is dropped, the rest is
// split at ","; when the number of pieces is not exactly count (empty pieces count, so "()"
// is one piece) throws an Exception with invalidMessage. A piece that is not a number throws
// "Unable to convert string to float". values may be partly written when it throws.
void ParseFloats(const String& text, float* values, int count, const char* invalidMessage);

// The value truncated toward zero (-2.7 gives -2). A value that is not finite or does not fit
// an int throws an Exception with invalidMessage instead of overflowing.
int TruncateToInt(float value, const char* invalidMessage);

}  // namespace Nimbrel::Math
