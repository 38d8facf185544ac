#include "utils/loaders/collada/NumberText.h"

#include "core/Exception.h"

#include <algorithm>
#include <charconv>
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
        const char* start = token;
        if (*start == '+')
            ++start;
        int value = 0;
        std::from_chars_result result = std::from_chars(start, token + n, value);
        if (result.ec == std::errc::result_out_of_range)
            collada_number_detail::Fail("Number out of range", token, n);
        if (result.ec != std::errc() || result.ptr != token + n)
            collada_number_detail::Fail("Malformed number", token, n);
        out.Add(value);
    });
}

void ReadNames(const char* text, int length, Array<String>& out)
{
    collada_number_detail::ForEachToken(text, length, [&out](const char* token, size_t n) {
        out.Add(String(token, static_cast<int>(n)));
    });
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
