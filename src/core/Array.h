#pragma once
// Array<T>: the engine's growable array.
//
// Capacity grows to count * 2 + 10 when an element is added to a full array. Elements are
// kept constructed up to the capacity; those past the count hold default values, so counted
// references (Managed<T> elements) are released as soon as they leave the array. Index
// access is range-checked and throws on a bad index.

#include "core/Exception.h"
#include "core/Object.h"

#include <cstdint>
#include <initializer_list>
#include <utility>

namespace Nimbrel {

namespace Detail {
[[noreturn]] void ThrowIndexOutOfRange(int index, int count);
[[noreturn]] void ThrowCapacityTooLarge(int64_t capacity);
}  // namespace Detail

template <class T>
class Array : public Object {
public:
    Array() = default;
    Array(std::initializer_list<T> values)
    {
        Reserve(static_cast<int>(values.size()));
        for (const T& value : values)
            Add(value);
    }
    Array(const Array& other) : Object()
    {
        Reserve(other.count);
        for (int i = 0; i < other.count; ++i)
            elements[i] = other.elements[i];
        count = other.count;
    }
    Array(Array&& other) noexcept
        : Object(),
          elements(std::exchange(other.elements, nullptr)),
          count(std::exchange(other.count, 0)),
          capacity(std::exchange(other.capacity, 0))
    {
    }
    ~Array() override { delete[] elements; }

    Array& operator=(const Array& other)
    {
        if (this != &other) {
            Array copy(other);
            Swap(copy);
        }
        return *this;
    }
    Array& operator=(Array&& other) noexcept
    {
        if (this != &other) {
            Array taken(std::move(other));
            Swap(taken);
        }
        return *this;
    }

    int Add(const T& value)
    {
        if (count == capacity) {
            T copy(value);  // value may live in this array's block
            Grow();
            elements[count] = std::move(copy);
        } else {
            elements[count] = value;
        }
        return count++;
    }
    int Add(T&& value)
    {
        if (count == capacity) {
            T moved(std::move(value));
            Grow();
            elements[count] = std::move(moved);
        } else {
            elements[count] = std::move(value);
        }
        return count++;
    }
    int AddEmpty()
    {
        if (count == capacity)
            Grow();
        return count++;
    }

    // Makes room for n elements. Reserve(0) frees the block and empties the array.
    void Reserve(int n)
    {
        if (n == 0) {
            delete[] elements;
            elements = nullptr;
            count = capacity = 0;
            return;
        }
        if (n <= capacity)
            return;
        if (static_cast<uint64_t>(n) * sizeof(T) > MaxBytes)
            Detail::ThrowCapacityTooLarge(n);
        T* block = new T[n]();
        for (int i = 0; i < count; ++i)
            block[i] = std::move(elements[i]);
        delete[] elements;
        elements = block;
        capacity = n;
    }
    // Sets the count to n; elements beyond the old count hold default values.
    void SetSize(int n)
    {
        if (n < 0)
            Detail::ThrowIndexOutOfRange(n, count);
        Reserve(n);
        for (int i = n; i < count; ++i)
            elements[i] = T();
        count = n;
    }

    T& operator[](int index)
    {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(count))
            Detail::ThrowIndexOutOfRange(index, count);
        return elements[index];
    }
    const T& operator[](int index) const
    {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(count))
            Detail::ThrowIndexOutOfRange(index, count);
        return elements[index];
    }

    int Count() const { return count; }
    int Capacity() const { return capacity; }
    bool IsEmpty() const { return count == 0; }

    int IndexOf(const T& value) const
    {
        for (int i = 0; i < count; ++i)
            if (elements[i] == value)
                return i;
        return -1;
    }
    bool Contains(const T& value) const { return IndexOf(value) >= 0; }

    T RemoveAt(int index)
    {
        if (static_cast<uint32_t>(index) >= static_cast<uint32_t>(count))
            Detail::ThrowIndexOutOfRange(index, count);
        T removed(std::move(elements[index]));
        for (int i = index + 1; i < count; ++i)
            elements[i - 1] = std::move(elements[i]);
        elements[--count] = T();
        return removed;
    }
    void Remove(const T& value)
    {
        int index = IndexOf(value);
        if (index < 0)
            throw Exception("The Array doesn't contain the given value");
        RemoveAt(index);
    }
    // Empties the array and keeps its block. The elements are reset too, so a later AddEmpty
    // or SetSize hands out default values, not what was cleared.
    void Clear()
    {
        for (int i = 0; i < count; ++i)
            elements[i] = T();
        count = 0;
    }

    T* begin() { return elements; }
    T* end() { return elements + count; }
    const T* begin() const { return elements; }
    const T* end() const { return elements + count; }
    T* Data() { return elements; }
    const T* Data() const { return elements; }

    void Swap(Array& other) noexcept
    {
        std::swap(elements, other.elements);
        std::swap(count, other.count);
        std::swap(capacity, other.capacity);
    }

private:
    static constexpr uint64_t MaxBytes = uint64_t(1) << 34;

    void Grow() { Reserve(static_cast<int>(NextCapacity())); }
    int64_t NextCapacity() const
    {
        int64_t next = int64_t(count) * 2 + 10;
        if (next > INT32_MAX)
            Detail::ThrowCapacityTooLarge(next);
        return next;
    }

    T* elements = nullptr;
    int32_t count = 0;
    int32_t capacity = 0;
};

}  // namespace Nimbrel
