#pragma once
// The parser's Guard, shared by its source files (Parser.h declares it).

#include "core/Exception.h"
#include "utils/loaders/collada/Parser.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

template <class Body>
void Parser::Guard(Xml::Element* element, Body body)
{
    try {
        body();
    } catch (const Exception& error) {
        if (failing)
            throw;
        Fail(error.GetMessage(), element);
    }
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
