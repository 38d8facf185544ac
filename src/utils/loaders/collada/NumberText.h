#pragma once
// Number and name lists in COLLADA element text, white-space separated.
//
// Floats are read as C's "C" locale writes them, and also with a decimal comma ("0,5"), which
// some exporters write under locales that use one; "NaN" and "INF" read as such. A token that
// is not a number throws "Malformed number 'token'" (the token cut to 32 characters); an
// integer outside the 32-bit range throws "Number out of range 'token'". Lists grow as they are
// read, so their size is bounded by the text, never by a count the file claims.

#include "core/Array.h"
#include "core/String.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

void ReadFloats(const char* text, int length, Array<float>& out);
void ReadInts(const char* text, int length, Array<int>& out);
void ReadNames(const char* text, int length, Array<String>& out);

inline void ReadFloats(const String& text, Array<float>& out) { ReadFloats(text.CStr(), text.Length(), out); }
inline void ReadInts(const String& text, Array<int>& out) { ReadInts(text.CStr(), text.Length(), out); }
inline void ReadNames(const String& text, Array<String>& out) { ReadNames(text.CStr(), text.Length(), out); }

}  // namespace Nimbrel::Utils::Loaders::COLLADA
