#pragma once
// GLCallCounter: counts the OpenGL calls a device makes. While it lives, every entry of the
// device's function table goes through a counting trampoline to the real entry point; the
// destructor puts the table back. One counter at a time.

#include "graphics/gl/GLFunctions.h"

#include <map>
#include <string>

namespace Nimbrel::Testing {

class GLCallCounter {
public:
    explicit GLCallCounter(Graphics::GLFunctions& table) : table(table)
    {
        original = table;
        Reset();
#define NIMBREL_GL_COUNT(feature, member, name, type)                                                            \
    Trampoline<&Graphics::GLFunctions::member, decltype(Graphics::GLFunctions::member)>::entryName = #name; \
    if (table.member)                                                                                        \
        table.member = &Trampoline<&Graphics::GLFunctions::member, decltype(Graphics::GLFunctions::member)>::Call;
        NIMBREL_GL_FUNCTIONS(NIMBREL_GL_COUNT)
#undef NIMBREL_GL_COUNT
    }
    ~GLCallCounter() { table = original; }
    GLCallCounter(const GLCallCounter&) = delete;
    GLCallCounter& operator=(const GLCallCounter&) = delete;

    void Reset()
    {
        counts.clear();
        total = 0;
        order.clear();
    }
    int Total() const { return total; }
    int Count(const std::string& name) const
    {
        auto found = counts.find(name);
        return found == counts.end() ? 0 : found->second;
    }
    // The names called since the last Reset, in order, separated by spaces.
    std::string Order() const { return order; }

private:
    template <auto Member, class Function>
    struct Trampoline;
    template <auto Member, class Result, class... Arguments>
    struct Trampoline<Member, Result (*)(Arguments...)> {
        static inline const char* entryName = "";
        static Result Call(Arguments... arguments)
        {
            ++counts[entryName];
            ++total;
            if (!order.empty())
                order += ' ';
            order += entryName;
            return (original.*Member)(arguments...);
        }
    };

    Graphics::GLFunctions& table;
    static inline Graphics::GLFunctions original;
    static inline std::map<std::string, int> counts;
    static inline int total = 0;
    static inline std::string order;
};

}  // namespace Nimbrel::Testing
