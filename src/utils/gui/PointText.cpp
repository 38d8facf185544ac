#include "utils/gui/PointText.h"

#include "core/Exception.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <string>

namespace Nimbrel::Utils::GUI {

namespace point_text_detail {

bool ReadInteger(const std::string& text, int& value)
{
    // strtol would also take leading white space and a plus sign.
    if (text.empty() || !(text[0] == '-' || (text[0] >= '0' && text[0] <= '9')))
        return false;
    errno = 0;
    char* end = nullptr;
    const long read = std::strtol(text.c_str(), &end, 10);
    if (errno != 0 || end != text.c_str() + text.size() || read < INT_MIN || read > INT_MAX)
        return false;
    value = static_cast<int>(read);
    return true;
}

}  // namespace point_text_detail

String FormatPoint(const Point& point)
{
    return String::Format("(%d, %d)", point.x, point.y);
}

Point ParsePoint(const String& text)
{
    std::string stripped;
    for (int i = 0; i < text.Length(); ++i) {
        const char c = text[i];
        if (c != '(' && c != ')' && c != ' ')
            stripped += c;
    }
    const size_t comma = stripped.find(',');
    Point point;
    if (comma == std::string::npos || !point_text_detail::ReadInteger(stripped.substr(0, comma), point.x) ||
        !point_text_detail::ReadInteger(stripped.substr(comma + 1), point.y))
        throw Exception("Invalid Vector2 String");
    return point;
}

}  // namespace Nimbrel::Utils::GUI
