#pragma once
// The single error type of the engine, thrown and caught by value. It carries a message and
// an integer code; only the graphics backend passes a code, every other thrower leaves it 0.

#include "core/Object.h"
#include "core/String.h"

namespace Nimbrel {

class Exception : public Object {
public:
    explicit Exception(const String& message, int32_t code = 0) : code(code), message(message) {}
    explicit Exception(const char* message, int32_t code = 0) : code(code), message(message) {}

    virtual int32_t GetCode() const { return code; }
    virtual String GetMessage() const { return message; }

private:
    int32_t code;
    String message;
};

}  // namespace Nimbrel
