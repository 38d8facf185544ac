#include "utils/xml/RWDocument.h"

namespace Nimbrel::Utils::Xml {

RWDocument::~RWDocument()
{
    if (root)
        root->Release();
}

RWDocument* CreateDocument(Element* root)
{
    return new RWDocument(root);
}

}  // namespace Nimbrel::Utils::Xml
