#pragma once
// The text form of a two-integer position or size in layout files: "(120, 40)", an opening
// parenthesis, the first number, a comma and a space, the second number, a closing
// parenthesis.

#include "core/String.h"
#include "utils/gui/Widget.h"

namespace Nimbrel::Utils::GUI {

String FormatPoint(const Point& point);
// Reads the text with every "(", ")" and space removed: two base-10 integers in int range
// separated by one comma, or throws "Invalid Vector2 String".
Point ParsePoint(const String& text);

}  // namespace Nimbrel::Utils::GUI
