#pragma once
// Program: a vertex and a pixel shader linked together, with its uniforms as named
// parameters. Parameters belong to the program.

#include "core/Exception.h"
#include "core/Object.h"
#include "core/String.h"

namespace Nimbrel::Graphics {

class Parameter;

class Program : public Object {
public:
    // Told about every program just before it is destroyed, so that a table keyed by program
    // address (the render state's parameter cache) forgets it before the address can be
    // reused. A hook must not throw.
    using DestroyHook = void (*)(Program* program);

    // Registers a hook for the rest of the process; registering one twice keeps one entry.
    static void AddDestroyHook(DestroyHook hook)
    {
        for (int i = 0; i < destroyHookCount; ++i)
            if (destroyHooks[i] == hook)
                return;
        if (destroyHookCount == MaxDestroyHooks)
            throw Exception("Program::AddDestroyHook(): Too many hooks");
        destroyHooks[destroyHookCount++] = hook;
    }

    ~Program() override
    {
        for (int i = 0; i < destroyHookCount; ++i)
            destroyHooks[i](this);
    }
    virtual int GetParameterCount() = 0;
    // Never null: a name the program does not use gives an invalid parameter, the same one on
    // every request.
    virtual Parameter* GetParameter(const String& name) = 0;
    // Parameters in ascending order of name, 0 to GetParameterCount() - 1.
    virtual Parameter* GetParameter(int index) = 0;

private:
    static constexpr int MaxDestroyHooks = 4;
    // Plain storage that is never torn down, so a program destroyed late in process exit
    // still finds its hooks.
    static inline DestroyHook destroyHooks[MaxDestroyHooks] = {};
    static inline int destroyHookCount = 0;
};

}  // namespace Nimbrel::Graphics
