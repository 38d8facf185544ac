#pragma once
// ScopedPush: pushes a value onto a render-state stack and, when it goes out of scope, pops
// the stack back to the depth it had before the push, also when what ran in between threw or
// left entries of its own.
//
//     ScopedPush<double> time(state.times, 2.5);
//     TraverseChildren(state);

#include "core/Stack.h"

namespace Nimbrel::Utils::SceneGraph {

template <class T>
class ScopedPush {
public:
    ScopedPush(Stack<T>& stack, const T& value) : stack(stack), depth(stack.Count())
    {
        stack.Push(value);
    }
    ~ScopedPush()
    {
        while (stack.Count() > depth)
            stack.Pop();
    }
    ScopedPush(const ScopedPush&) = delete;
    ScopedPush& operator=(const ScopedPush&) = delete;

private:
    Stack<T>& stack;
    int depth;
};

}  // namespace Nimbrel::Utils::SceneGraph
