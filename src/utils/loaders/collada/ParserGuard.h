#pragma once
// The parser's templates, shared by its source files (Parser.h declares them).

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

template <class T>
void Parser::Keep(Table<T>& table, String key, T* object, Xml::Element* element)
{
    if (!table.Add(key, object))
        AddHint("duplicate id '" + key + "', the later element ignored", element);
}

template <class Map>
bool Parser::HasRoom(const Map& parameters, const String& name, Xml::Element* element)
{
    if (parameters.Count() < MaxParameters || parameters.Contains(name))
        return true;
    AddHint(String::Format("more than %d parameters, this one ignored", MaxParameters), element);
    return false;
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
