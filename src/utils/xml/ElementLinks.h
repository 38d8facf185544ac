#pragma once
// Xml::ElementLinks: the two elements an element owns, its first child and its next
// sibling, and the walks over them that the element implementations share.
//
// Documents can be wide (hundreds of thousands of siblings) and deep, so nothing here
// recurses along a sibling chain or down a line of children: appending walks the chain in a
// loop, and releasing a tree takes the links of each element it frees into one work list
// instead of letting each destructor release its own.

#include "utils/xml/Element.h"

#include <utility>
#include <vector>

namespace Nimbrel::Utils::Xml {

struct ElementLinks {
    Element* firstChild = nullptr;
    Element* nextSibling = nullptr;
};

// The last element of the sibling chain that starts at `element`.
inline Element* LastSibling(Element* element)
{
    while (Element* next = element->GetNextSibling())
        element = next;
    return element;
}

// Releases the elements of `links` and, through them, every element of the tree below that
// nothing else references, next siblings before first children. `linksOf` gives the links of
// an element whose links may be taken over (null for any other kind): such an element that
// is about to be destroyed hands its links to the work list first, so its destructor finds
// nothing left to release. An element that is still referenced elsewhere keeps its links and
// survives with its subtree; an element of another kind tears itself down.
template <class LinksOf>
void ReleaseLinks(ElementLinks& links, LinksOf linksOf)
{
    if (!links.firstChild && !links.nextSibling)
        return;
    std::vector<Element*> pending;
    auto take = [&pending](ElementLinks& from) {
        if (Element* child = std::exchange(from.firstChild, nullptr))
            pending.push_back(child);
        if (Element* sibling = std::exchange(from.nextSibling, nullptr))
            pending.push_back(sibling);
    };
    take(links);
    while (!pending.empty()) {
        Element* element = pending.back();
        pending.pop_back();
        if (element->GetRefCount() == 1)
            if (ElementLinks* owned = linksOf(element))
                take(*owned);
        element->Release();
    }
}

}  // namespace Nimbrel::Utils::Xml
