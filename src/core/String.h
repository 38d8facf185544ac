#pragma once
// The engine's 8-bit character string.
//
// The characters live in a shared, reference-counted buffer (copy on write) that also
// caches the string's hash, so copies cost one counter increment and a string's hash is
// computed at most once per buffer. Bytes are not interpreted as any encoding; comparisons
// and the hash treat them as signed 8-bit values. Not thread safe, except that the shared
// empty buffer is never counted, so empty strings may be made on any thread.

#include "core/Object.h"

#include <memory>

namespace Nimbrel {

template <class T>
class Array;

class String : public Object {
public:
    String();
    String(const char* text);
    String(const char* text, int length);
    explicit String(int value);
    explicit String(float value);
    explicit String(double value);
    explicit String(bool value);
    explicit String(const Array<float>& values);
    explicit String(const Array<int>& values);
    explicit String(const Array<bool>& values);
    String(const String& other);
    String(String&& other) noexcept;
    ~String() override;

    String& operator=(const String& other);
    String& operator=(String&& other) noexcept;
    String& operator=(const char* text);

    int Length() const { return buffer->length; }
    const char* CStr() const { return buffer->data; }
    // A separate zero-terminated copy of the characters, owned by the caller.
    std::unique_ptr<char[]> Duplicate() const;
    char operator[](int position) const { return buffer->data[position]; }
    void SetChar(int position, char character);

    String operator+(const String& other) const;
    friend String operator+(const char* text, const String& string);
    String& operator+=(const String& other);

    bool operator==(const String& other) const;
    bool operator==(const char* text) const;
    bool operator<(const String& other) const;
    bool operator>(const String& other) const;

    bool StartsWith(const String& prefix) const;
    bool EndsWith(const String& suffix) const;
    int IndexOf(char character, int start = 0) const;
    String SubString(int start, int count) const;
    String Trim() const;
    String Strip(char character) const;
    String Remove(char character) const;
    void Split(char separator, Array<String>& pieces) const;
    void SplitAny(const String& separators, Array<String>& pieces) const;
    String ToLower() const;
    String ToUpper() const;

    int ToInt() const;
    int ToHexInt() const;
    float ToFloat() const;
    double ToDouble() const;
    bool ToBool() const;
    void ToFloatArray(Array<float>& values) const;
    void ToDoubleArray(Array<double>& values) const;
    void ToIntArray(Array<int>& values) const;
    void ToBoolArray(Array<bool>& values) const;

    int32_t Hash() const;
    int32_t Hash(int n) const;

    // printf-style formatting; the result has whatever length the arguments need.
    static String Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

private:
    struct Buffer {
        int32_t hash;    // -1 until computed
        int32_t refs;    // -1 marks the shared empty buffer, which is never counted or freed
        int32_t length;  // characters, not counting the terminator
        char* data;      // length + 1 bytes, zero-terminated, stored right after the record
    };

    explicit String(Buffer* adopted) : buffer(adopted) {}
    static Buffer* Allocate(int64_t length);
    static Buffer* Empty();
    static void Retain(Buffer* buffer);
    static void Drop(Buffer* buffer);
    static String Concatenate(const char* a, int lengthA, const char* b, int lengthB);

    Buffer* buffer;
};

}  // namespace Nimbrel
