#pragma once
// Stack<T>: a last-in, first-out stack on an Array, bottom element first.

#include "core/Array.h"

namespace Nimbrel {

template <class T>
class Stack : public Object {
public:
    void Push(const T& value) { elements.Add(value); }
    void Push(T&& value) { elements.Add(std::move(value)); }
    T Pop()
    {
        if (elements.IsEmpty())
            throw Exception("The array doesn't contain any elements");
        return elements.RemoveAt(elements.Count() - 1);
    }
    T& Top()
    {
        if (elements.IsEmpty())
            throw Exception("The array doesn't contain any elements");
        return elements[elements.Count() - 1];
    }
    const T& Top() const
    {
        if (elements.IsEmpty())
            throw Exception("The array doesn't contain any elements");
        return elements[elements.Count() - 1];
    }
    bool IsEmpty() const { return elements.IsEmpty(); }
    int Count() const { return elements.Count(); }
    void Clear() { elements.Clear(); }
    // Element i counted from the bottom.
    T& operator[](int index) { return elements[index]; }
    const T& operator[](int index) const { return elements[index]; }

private:
    Array<T> elements;
};

}  // namespace Nimbrel
