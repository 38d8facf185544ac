#include "utils/xml/WriteDocument.h"

#include "core/Map.h"
#include "utils/xml/AttributeOrder.h"

#include <string>
#include <vector>

namespace Nimbrel::Utils::Xml {

namespace write_document_detail {

void AppendEscaped(std::string& line, const String& value)
{
    for (int i = 0; i < value.Length(); ++i) {
        const char c = value[i];
        switch (c) {
        case '&': line += "&amp;"; break;
        case '<': line += "&lt;"; break;
        case '>': line += "&gt;"; break;
        case '"': line += "&quot;"; break;
        default: line += c;
        }
    }
}

void AppendIndent(std::string& line, int level)
{
    line.append(static_cast<size_t>(level) * 2, ' ');
}

void Write(IO::Stream& stream, const std::string& line)
{
    stream.WriteText(String(line.data(), static_cast<int>(line.size())));
}

// The start tag up to and including the blank after the last attribute.
void AppendStartTag(std::string& line, Element& element, int level)
{
    Map<String, String> attributes;
    element.GetAttributes(attributes);
    AppendIndent(line, level);
    const String name = element.GetName();
    line += '<';
    line.append(name.CStr(), static_cast<size_t>(name.Length()));
    line += ' ';
    for (const Pair<String, String>& attribute : InNameOrder(attributes)) {
        line.append(attribute.Key.CStr(), static_cast<size_t>(attribute.Key.Length()));
        line += "=\"";
        AppendEscaped(line, attribute.Value);
        line += "\" ";
    }
}

}  // namespace write_document_detail

void WriteDocument(Resource<Document, ResourceType::XmlDocument> document,
                   Resource<IO::Stream, ResourceType::OutputStream> stream)
{
    using namespace write_document_detail;
    IO::Stream& out = *stream;
    out.WriteText("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n");

    // Elements whose closing tag is still to be written, innermost last, with their levels.
    struct Open {
        Element* element;
        int level;
    };
    std::vector<Open> open;
    std::string line;
    Element* element = document->GetRoot();
    int level = 0;
    while (element) {
        line.clear();
        AppendStartTag(line, *element, level);
        if (Element* child = element->GetFirstChild()) {
            line += ">\n";
            Write(out, line);
            open.push_back({element, level});
            element = child;
            ++level;
            continue;
        }
        line += "/>\n";
        Write(out, line);
        // On to the next sibling, closing every element whose children are all written.
        while (true) {
            if (Element* next = element->GetNextSibling()) {
                element = next;
                break;
            }
            if (open.empty()) {
                element = nullptr;
                break;
            }
            const Open closing = open.back();
            open.pop_back();
            const String name = closing.element->GetName();
            line.clear();
            AppendIndent(line, closing.level);
            line += "</";
            line.append(name.CStr(), static_cast<size_t>(name.Length()));
            line += ">\n";
            Write(out, line);
            element = closing.element;
            level = closing.level;
        }
    }
}

}  // namespace Nimbrel::Utils::Xml
