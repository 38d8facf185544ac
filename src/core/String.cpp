#include "core/String.h"

#include "core/Array.h"
#include "core/Exception.h"

#include <cerrno>
#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace Nimbrel {

namespace string_detail {

bool IsTrimmed(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// A string built from a list of numbers: "(a, b, c)"; no elements give the empty string.
template <class T>
String JoinList(const Array<T>& values)
{
    if (values.Count() == 0)
        return String();
    String result = String("(") + String(values[0]);
    for (int i = 1; i < values.Count(); ++i)
        result += String(", ") + String(values[i]);
    return result + String(")");
}

// The pieces of a list written as "(a, b, c)", converted one by one and appended.
template <class T, class Convert>
void ParseList(const String& text, Array<T>& values, Convert convert)
{
    String inner = text.Remove(' ').Strip('(').Strip(')');
    Array<String> pieces;
    inner.Split(',', pieces);
    for (const String& piece : pieces)
        values.Add(convert(piece));
}

// Parses a whole signed integer the way scanf's %i does (decimal, 0x hex, 0 octal), or in
// the given base. Leading white space is skipped and trailing characters are ignored.
bool ParseInteger(const char* text, int base, long long& value)
{
    char* end = nullptr;
    errno = 0;
    value = std::strtoll(text, &end, base);
    return end != text && errno != ERANGE;
}

}  // namespace string_detail

using namespace string_detail;

String::Buffer* String::Empty()
{
    // Allocated once and never freed: it stays reachable for the whole run.
    static Buffer* const empty = [] {
        Buffer* made = static_cast<Buffer*>(::operator new(sizeof(Buffer) + 1));
        *made = {0, -1, 0, reinterpret_cast<char*>(made + 1)};
        made->data[0] = 0;
        return made;
    }();
    return empty;
}

String::Buffer* String::Allocate(int64_t length)
{
    if (length < 0 || length >= INT32_MAX)
        throw Exception("String too long");
    if (length == 0)
        return Empty();
    void* memory = ::operator new(sizeof(Buffer) + static_cast<size_t>(length) + 1);
    Buffer* created = static_cast<Buffer*>(memory);
    created->hash = -1;
    created->refs = 1;
    created->length = static_cast<int32_t>(length);
    created->data = reinterpret_cast<char*>(created + 1);
    created->data[length] = 0;
    return created;
}

void String::Retain(Buffer* shared)
{
    if (shared->refs >= 0)
        ++shared->refs;
}

void String::Drop(Buffer* shared)
{
    if (shared->refs >= 0 && --shared->refs == 0)
        ::operator delete(shared);
}

String::String() : buffer(Empty()) {}

String::String(const char* text) : buffer(Empty())
{
    if (text) {
        size_t length = std::strlen(text);
        buffer = Allocate(static_cast<int64_t>(length));
        std::memcpy(buffer->data, text, length);
    }
}

String::String(const char* text, int length) : buffer(Allocate(length))
{
    if (length > 0)
        std::memcpy(buffer->data, text, static_cast<size_t>(length));
}

String::String(int value) : String(Format("%i", value)) {}

String::String(float value) : String(Format("%f", static_cast<double>(value))) {}

String::String(double value) : String(static_cast<float>(value)) {}

String::String(bool value) : String(value ? "true" : "false") {}

String::String(const Array<float>& values) : String(JoinList(values)) {}

String::String(const Array<int>& values) : String(JoinList(values)) {}

String::String(const Array<bool>& values) : String(JoinList(values)) {}

String::String(const String& other) : Object(), buffer(other.buffer)
{
    Retain(buffer);
}

String::String(String&& other) noexcept : Object(), buffer(other.buffer)
{
    other.buffer = Empty();
}

String::~String()
{
    Drop(buffer);
}

String& String::operator=(const String& other)
{
    if (buffer != other.buffer) {
        Retain(other.buffer);
        Drop(buffer);
        buffer = other.buffer;
    }
    return *this;
}

String& String::operator=(String&& other) noexcept
{
    if (this != &other) {
        Drop(buffer);
        buffer = other.buffer;
        other.buffer = Empty();
    }
    return *this;
}

String& String::operator=(const char* text)
{
    return *this = String(text);
}

std::unique_ptr<char[]> String::Duplicate() const
{
    std::unique_ptr<char[]> copy(new char[static_cast<size_t>(buffer->length) + 1]);
    std::memcpy(copy.get(), buffer->data, static_cast<size_t>(buffer->length) + 1);
    return copy;
}

void String::SetChar(int position, char character)
{
    if (position < 0 || position >= buffer->length)
        throw Exception("SubString Overflow");
    if (buffer->refs != 1) {
        Buffer* own = Allocate(buffer->length);
        std::memcpy(own->data, buffer->data, static_cast<size_t>(buffer->length));
        Drop(buffer);
        buffer = own;
    }
    buffer->data[position] = character;
    buffer->hash = -1;
}

String String::Concatenate(const char* a, int lengthA, const char* b, int lengthB)
{
    Buffer* joined = Allocate(int64_t(lengthA) + lengthB);
    if (lengthA > 0)
        std::memcpy(joined->data, a, static_cast<size_t>(lengthA));
    if (lengthB > 0)
        std::memcpy(joined->data + lengthA, b, static_cast<size_t>(lengthB));
    return String(joined);
}

String String::operator+(const String& other) const
{
    return Concatenate(buffer->data, buffer->length, other.buffer->data, other.buffer->length);
}

String operator+(const char* text, const String& string)
{
    int length = text ? static_cast<int>(std::strlen(text)) : 0;
    return String::Concatenate(text, length, string.buffer->data, string.buffer->length);
}

String& String::operator+=(const String& other)
{
    return *this = *this + other;
}

bool String::operator==(const String& other) const
{
    if (buffer == other.buffer)
        return true;
    return buffer->length == other.buffer->length &&
           std::memcmp(buffer->data, other.buffer->data, static_cast<size_t>(buffer->length)) == 0;
}

bool String::operator==(const char* text) const
{
    if (!text)
        return buffer->length == 0;
    return std::strlen(text) == static_cast<size_t>(buffer->length) &&
           std::memcmp(buffer->data, text, static_cast<size_t>(buffer->length)) == 0;
}

bool String::operator<(const String& other) const
{
    int shorter = buffer->length < other.buffer->length ? buffer->length : other.buffer->length;
    for (int i = 0; i < shorter; ++i) {
        auto a = static_cast<signed char>(buffer->data[i]);
        auto b = static_cast<signed char>(other.buffer->data[i]);
        if (a != b)
            return a < b;
    }
    return buffer->length < other.buffer->length;
}

bool String::operator>(const String& other) const
{
    return other < *this;
}

bool String::StartsWith(const String& prefix) const
{
    return prefix.buffer->length <= buffer->length &&
           std::memcmp(buffer->data, prefix.buffer->data, static_cast<size_t>(prefix.buffer->length)) == 0;
}

bool String::EndsWith(const String& suffix) const
{
    int offset = buffer->length - suffix.buffer->length;
    return offset >= 0 &&
           std::memcmp(buffer->data + offset, suffix.buffer->data, static_cast<size_t>(suffix.buffer->length)) == 0;
}

int String::IndexOf(char character, int start) const
{
    for (int i = start < 0 ? 0 : start; i < buffer->length; ++i)
        if (buffer->data[i] == character)
            return i;
    return -1;
}

String String::SubString(int start, int count) const
{
    if (start < 0 || count < 0 || int64_t(start) + count > buffer->length)
        throw Exception("SubString Overflow");
    return String(buffer->data + start, count);
}

String String::Trim() const
{
    int first = 0;
    int last = buffer->length;
    while (first < last && IsTrimmed(buffer->data[first]))
        ++first;
    while (last > first && IsTrimmed(buffer->data[last - 1]))
        --last;
    return String(buffer->data + first, last - first);
}

String String::Strip(char character) const
{
    int first = 0;
    int last = buffer->length;
    while (first < last && buffer->data[first] == character)
        ++first;
    while (last > first && buffer->data[last - 1] == character)
        --last;
    return String(buffer->data + first, last - first);
}

String String::Remove(char character) const
{
    int removed = 0;
    for (int i = 0; i < buffer->length; ++i)
        removed += buffer->data[i] == character;
    if (removed == 0)
        return *this;
    Buffer* kept = Allocate(buffer->length - removed);
    int length = 0;
    for (int i = 0; i < buffer->length; ++i)
        if (buffer->data[i] != character)
            kept->data[length++] = buffer->data[i];
    return String(kept);
}

void String::Split(char separator, Array<String>& pieces) const
{
    int start = 0;
    for (int i = 0; i <= buffer->length; ++i) {
        if (i == buffer->length || buffer->data[i] == separator) {
            pieces.Add(String(buffer->data + start, i - start));
            start = i + 1;
        }
    }
}

void String::SplitAny(const String& separators, Array<String>& pieces) const
{
    int start = 0;
    for (int i = 0; i <= buffer->length; ++i) {
        if (i == buffer->length || separators.IndexOf(buffer->data[i]) >= 0) {
            pieces.Add(String(buffer->data + start, i - start));
            start = i + 1;
        }
    }
}

String String::ToLower() const
{
    Buffer* lower = Allocate(buffer->length);
    for (int i = 0; i < buffer->length; ++i) {
        char c = buffer->data[i];
        lower->data[i] = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return String(lower);
}

String String::ToUpper() const
{
    Buffer* upper = Allocate(buffer->length);
    for (int i = 0; i < buffer->length; ++i) {
        char c = buffer->data[i];
        upper->data[i] = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return String(upper);
}

int String::ToInt() const
{
    long long value = 0;
    if (!ParseInteger(buffer->data, 0, value) || value < INT32_MIN || value > INT32_MAX)
        throw Exception("Unable to convert string to integer");
    return static_cast<int>(value);
}

int String::ToHexInt() const
{
    // Like scanf's %x: the value may fill all 32 bits (colours such as FFFFFFFF) and wraps
    // into the signed result.
    long long value = 0;
    if (!ParseInteger(buffer->data, 16, value) || value < -int64_t(UINT32_MAX) || value > int64_t(UINT32_MAX))
        throw Exception("Unable to convert string to hexadecimal integer");
    return static_cast<int>(static_cast<uint32_t>(value));
}

float String::ToFloat() const
{
    char* end = nullptr;
    float value = std::strtof(buffer->data, &end);
    if (end == buffer->data)
        throw Exception("Unable to convert string to float");
    return value;
}

double String::ToDouble() const
{
    // Single precision, then widened: values read back match what ToFloat gives.
    char* end = nullptr;
    float value = std::strtof(buffer->data, &end);
    if (end == buffer->data)
        throw Exception("Unable to convert string to double");
    return static_cast<double>(value);
}

bool String::ToBool() const
{
    if (*this == "true")
        return true;
    if (*this == "false")
        return false;
    throw Exception("Unable to convert string to boolean");
}

void String::ToFloatArray(Array<float>& values) const
{
    ParseList(*this, values, [](const String& piece) { return piece.ToFloat(); });
}

void String::ToDoubleArray(Array<double>& values) const
{
    ParseList(*this, values, [](const String& piece) { return piece.ToDouble(); });
}

void String::ToIntArray(Array<int>& values) const
{
    ParseList(*this, values, [](const String& piece) { return piece.ToInt(); });
}

void String::ToBoolArray(Array<bool>& values) const
{
    ParseList(*this, values, [](const String& piece) { return piece.ToBool(); });
}

int32_t String::Hash() const
{
    if (buffer->hash == -1) {
        uint32_t sum = 0;
        for (int i = 0; i < buffer->length; ++i)
            sum += static_cast<uint32_t>(static_cast<int32_t>(static_cast<signed char>(buffer->data[i]))) *
                   static_cast<uint32_t>(i + 1);
        if (buffer->refs < 0)
            return static_cast<int32_t>(sum);
        buffer->hash = static_cast<int32_t>(sum);
    }
    return buffer->hash;
}

int32_t String::Hash(int n) const
{
    if (n <= 0)
        throw Exception("String::Hash(): The modulus must be positive");
    return Hash() % n;
}

String String::Format(const char* format, ...)
{
    char area[2048];
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int length = std::vsnprintf(area, sizeof(area), format, arguments);
    va_end(arguments);
    if (length < 0) {
        va_end(again);
        throw Exception("String::Format(): Invalid format");
    }
    if (static_cast<size_t>(length) < sizeof(area)) {
        va_end(again);
        return String(area, length);
    }
    Buffer* large = Allocate(length);
    std::vsnprintf(large->data, static_cast<size_t>(length) + 1, format, again);
    va_end(again);
    return String(large);
}

}  // namespace Nimbrel
