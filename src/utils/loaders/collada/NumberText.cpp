#include "utils/loaders/collada/NumberText.h"

#include "core/Exception.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace Nimbrel::Utils::Loaders::COLLADA {

namespace collada_number_detail {

bool IsSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

[[noreturn]] void Fail(const char* message, const char* token, size_t length)
{
    throw Exception(String(message) + " '" + String(token, static_cast<int>(std::min<size_t>(length, 32))) + "'");
}

// Calls `each(token, length)` for every white-space separated token of the text.
template <class Each>
void ForEachToken(const char* text, int length, Each each)
{
    const char* end = text + length;
    const char* at = text;
    while (true) {
        while (at < end && IsSpace(*at))
            ++at;
        if (at == end)
            return;
        const char* start = at;
        while (at < end && !IsSpace(*at))
            ++at;
        each(start, static_cast<size_t>(at - start));
    }
}

// A number past a float's range reads as the float nearest to it: 0 or an infinity.
float OutOfFloatRange(const char* start, const char* end)
{
    double wide = 0.0;
    std::from_chars_result result = std::from_chars(start, end, wide);
    if (result.ec == std::errc())
        return static_cast<float>(wide);
    // Past a double's range too: a negative exponent makes it 0.
    for (const char* at = start; at + 1 < end; ++at)
        if ((*at == 'e' || *at == 'E') && at[1] == '-')
            return 0.0f;
    return start < end && *start == '-' ? -std::numeric_limits<float>::infinity()
                                        : std::numeric_limits<float>::infinity();
}

float ParseFloat(const char* token, size_t length)
{
    const char* start = token;
    const char* end = token + length;
    if (start < end && *start == '+')
        ++start;
    float value = 0.0f;
    std::from_chars_result result = std::from_chars(start, end, value);
    if (result.ec == std::errc() && result.ptr == end)
        return value;
    if (result.ec == std::errc::result_out_of_range && result.ptr == end)
        return OutOfFloatRange(start, end);
    // A decimal comma: the same token with the comma as a point.
    const char* comma = static_cast<const char*>(std::memchr(start, ',', static_cast<size_t>(end - start)));
    if (comma && !std::memchr(start, '.', static_cast<size_t>(end - start)) && end - start < 64) {
        char copy[64];
        size_t n = static_cast<size_t>(end - start);
        std::memcpy(copy, start, n);
        copy[comma - start] = '.';
        result = std::from_chars(copy, copy + n, value);
        if (result.ec == std::errc() && result.ptr == copy + n)
            return value;
        if (result.ec == std::errc::result_out_of_range && result.ptr == copy + n)
            return OutOfFloatRange(copy, copy + n);
    }
    Fail("Malformed number", token, length);
}

// Index lists are most of a mesh's text, so digits are read here directly.
int ParseInt(const char* token, size_t length)
{
    const char* at = token;
    const char* end = token + length;
    const bool negative = *at == '-';
    if (*at == '-' || *at == '+')
        ++at;
    if (at == end)
        Fail("Malformed number", token, length);
    while (at + 1 < end && *at == '0')
        ++at;
    int64_t value = 0;
    for (const char* digit = at; digit < end; ++digit) {
        const unsigned d = unsigned(*digit - '0');
        if (d > 9)
            Fail("Malformed number", token, length);
        if (digit - at < 11)
            value = value * 10 + d;
    }
    if (end - at > 10 || (negative ? -value < INT32_MIN : value > INT32_MAX))
        Fail("Number out of range", token, length);
    return static_cast<int>(negative ? -value : value);
}

}  // namespace collada_number_detail

void ReadFloats(const char* text, int length, Array<float>& out)
{
    collada_number_detail::ForEachToken(text, length, [&out](const char* token, size_t n) {
        out.Add(collada_number_detail::ParseFloat(token, n));
    });
}

void ReadInts(const char* text, int length, Array<int>& out)
{
    collada_number_detail::ForEachToken(text, length, [&out](const char* token, size_t n) {
        out.Add(collada_number_detail::ParseInt(token, n));
    });
}

void ReadNames(const char* text, int length, Array<String>& out)
{
    collada_number_detail::ForEachToken(text, length, [&out](const char* token, size_t n) {
        out.Add(String(token, static_cast<int>(n)));
    });
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
