#pragma once
// Xml::RWDocument: a document around an element tree built in memory, for writing it
// (WriteDocument). The document owns its root: releasing the document releases the tree.

#include "utils/xml/Document.h"

namespace Nimbrel::Utils::Xml {

class RWDocument : public Document {
public:
    // Takes over the caller's reference to the root.
    explicit RWDocument(Element* root) : root(root) {}
    ~RWDocument() override;
    RWDocument(const RWDocument&) = delete;
    RWDocument& operator=(const RWDocument&) = delete;

    Element* GetRoot() override { return root; }

private:
    Element* root;
};

// A new document for the root (whose reference it takes over), with one reference for the
// caller.
RWDocument* CreateDocument(Element* root);

}  // namespace Nimbrel::Utils::Xml
