#pragma once
// Xml::WriteDocument: writes a document as XML text.
//
// The declaration line <?xml version="1.0" encoding="utf-8"?> comes first, then the root
// element and its siblings at level 0. Each element starts a line indented by two spaces per
// level, with its attributes in name order, each followed by one space:
//
//     <r >
//       <c v="1" x="10" />
//     </r>
//
// An element with children closes on a line of its own at its level. In attribute values
// &, <, > and " are written as entities, so what is written reads back unchanged; text
// content is not written. Every line ends in a line feed. A stream that does not take the
// text throws its own failure.

#include "io/Stream.h"
#include "utils/Resource.h"
#include "utils/xml/Document.h"

namespace Nimbrel::Utils::Xml {

void WriteDocument(Resource<Document, ResourceType::XmlDocument> document,
                   Resource<IO::Stream, ResourceType::OutputStream> stream);

}  // namespace Nimbrel::Utils::Xml
