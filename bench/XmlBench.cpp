// Benchmark: loading a generated XML file of about 10 MB through the XmlLoader, from a file
// system in memory, beside pugixml's own load_buffer on the same bytes, and walking every
// element of the loaded document beside the same walk over pugixml's nodes.
//
// "Parse/XmlLoader" is the loader with the file's buffer already in the proxy's cache: the
// bytes parsed, checked for repeated attributes and wrapped, and the document released;
// "Parse/pugixml" parses the same bytes and frees the document. "Load/..." adds reading the
// file: the loader gets a fresh buffer from the memory file system each time (the cached one
// is collected), pugixml parses a fresh copy of the bytes. "Walk/..." visits every element
// (first child, next sibling) reading its name and its "id" attribute; the engine walks a
// freshly loaded document, so the wrappers are made on the way, as on the first walk of a
// real load. scripts/bench.sh prints each engine case over its pugixml counterpart. Freed
// memory is kept in the process (LinuxAllocator.h), so that both sides reuse it alike.
#include "core/Managed.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/loaders/XmlLoader.h"
#include "utils/xml/Document.h"

#include "support/MemoryFileSystem.h"

#include "LinuxAllocator.h"

#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <cstdint>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace xml_bench {

// Scene-like markup: nodes with ids and names, transforms and number arrays as text,
// nested groups, and a comment now and then.
const std::string& Markup()
{
    static const std::string text = [] {
        std::string xml = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<library version=\"1.4\">\n";
        for (int i = 0; xml.size() < 10 * 1024 * 1024; ++i) {
            const std::string n = std::to_string(i);
            xml += "  <node id=\"node" + n + "\" name=\"Node &amp; " + n + "\" type=\"mesh\">\n";
            if (i % 16 == 0)
                xml += "    <!-- group " + n + " -->\n";
            xml += "    <transform sid=\"t\">1 0 0 " + n + " 0 1 0 0 0 0 1 0 0 0 0 1</transform>\n";
            xml += "    <instance url=\"#geometry" + n + "\" material=\"material" + std::to_string(i % 7) + "\"/>\n";
            xml += "    <group>\n      <float_array id=\"a" + n + "\" count=\"6\">0.25 " + n +
                   " 1.5 -2.75 3.125 0.5</float_array>\n      <param name=\"X\" type=\"float\"/>\n    </group>\n";
            xml += "  </node>\n";
        }
        xml += "</library>\n";
        return xml;
    }();
    return text;
}

class Loaded {
public:
    Loaded()
    {
        (*files)["scene.xml"].assign(Markup().begin(), Markup().end());
        proxy->SetFileSystem(files.Get());
    }

    Managed<Xml::Document> Load()
    {
        return Managed<Xml::Document>(
            static_cast<Xml::Document*>(loader->Load(ResourceType::XmlDocument, "scene.xml", proxy.Get())));
    }
    // Drops the buffer the load left in the proxy's cache.
    void Collect() { proxy->Collect(); }

private:
    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    Managed<Loaders::XmlLoader> loader{new Loaders::XmlLoader()};
};

constexpr unsigned int PugiOptions = pugi::parse_default & ~pugi::parse_wconv_attribute;

void SetBytes(benchmark::State& state)
{
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(Markup().size()));
}

void ParseXmlLoader(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    Loaded loaded;
    loaded.Load();  // leaves the file's buffer in the cache
    for (auto _ : state) {
        Managed<Xml::Document> document = loaded.Load();
        benchmark::DoNotOptimize(document->GetRoot());
    }
    SetBytes(state);
}

void ParsePugixml(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    const std::string& bytes = Markup();
    for (auto _ : state) {
        pugi::xml_document document;
        if (!document.load_buffer(bytes.data(), bytes.size(), PugiOptions, pugi::encoding_utf8))
            throw std::runtime_error("the markup does not parse");
        benchmark::DoNotOptimize(document.document_element().internal_object());
    }
    SetBytes(state);
}

void LoadXmlLoader(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    Loaded loaded;
    for (auto _ : state) {
        Managed<Xml::Document> document = loaded.Load();
        benchmark::DoNotOptimize(document->GetRoot());
        document.Set(nullptr);
        loaded.Collect();
    }
    SetBytes(state);
}

void LoadPugixml(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    const std::string& bytes = Markup();
    for (auto _ : state) {
        std::unique_ptr<char[]> copy(new char[bytes.size()]);
        std::memcpy(copy.get(), bytes.data(), bytes.size());
        pugi::xml_document document;
        if (!document.load_buffer(copy.get(), bytes.size(), PugiOptions, pugi::encoding_utf8))
            throw std::runtime_error("the markup does not parse");
        benchmark::DoNotOptimize(document.document_element().internal_object());
    }
    SetBytes(state);
}

// Every element below the root and its siblings, in document order, without recursion.
int64_t Walk(Xml::Element* root)
{
    int64_t visited = 0;
    Xml::Element* element = root;
    while (element) {
        ++visited;
        visited += element->GetName().Length() + element->GetAttribute("id").Length();
        if (Xml::Element* child = element->GetFirstChild()) {
            element = child;
            continue;
        }
        while (element && !element->GetNextSibling())
            element = element->GetParent();
        if (element)
            element = element->GetNextSibling();
    }
    return visited;
}

int64_t Walk(pugi::xml_node root)
{
    int64_t visited = 0;
    pugi::xml_node element = root;
    auto nextElement = [](pugi::xml_node node) {
        while (node && node.type() != pugi::node_element)
            node = node.next_sibling();
        return node;
    };
    while (element) {
        ++visited;
        visited += static_cast<int64_t>(std::char_traits<char>::length(element.name())) +
                   static_cast<int64_t>(std::char_traits<char>::length(element.attribute("id").value()));
        if (pugi::xml_node child = nextElement(element.first_child())) {
            element = child;
            continue;
        }
        while (element && !nextElement(element.next_sibling()))
            element = element.parent();
        if (element)
            element = nextElement(element.next_sibling());
    }
    return visited;
}

void WalkXmlLoader(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    Loaded loaded;
    for (auto _ : state) {
        state.PauseTiming();
        Managed<Xml::Document> document = loaded.Load();
        state.ResumeTiming();
        benchmark::DoNotOptimize(Walk(document->GetRoot()));
        state.PauseTiming();
        document.Set(nullptr);
        state.ResumeTiming();
    }
}

void WalkPugixml(benchmark::State& state)
{
    Bench::KeepFreedMemory();
    const std::string& bytes = Markup();
    pugi::xml_document document;
    if (!document.load_buffer(bytes.data(), bytes.size(), PugiOptions, pugi::encoding_utf8))
        throw std::runtime_error("the markup does not parse");
    for (auto _ : state)
        benchmark::DoNotOptimize(Walk(document.document_element()));
}

BENCHMARK(ParseXmlLoader)->Name("Parse/XmlLoader")->Unit(benchmark::kMillisecond);
BENCHMARK(ParsePugixml)->Name("Parse/pugixml")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadXmlLoader)->Name("Load/XmlLoader")->Unit(benchmark::kMillisecond);
BENCHMARK(LoadPugixml)->Name("Load/pugixml")->Unit(benchmark::kMillisecond);
BENCHMARK(WalkXmlLoader)->Name("Walk/XmlLoader")->Unit(benchmark::kMillisecond);
BENCHMARK(WalkPugixml)->Name("Walk/pugixml")->Unit(benchmark::kMillisecond);

}  // namespace xml_bench
