// The geometry library: geometries, their meshes, sources, vertices and primitive elements.

#include "utils/loaders/collada/MeshAssembly.h"
#include "utils/loaders/collada/NumberText.h"
#include "utils/loaders/collada/Parser.h"
#include "utils/loaders/collada/ParserGuard.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

void Parser::ParseGeometry(Xml::Element* geometry)
{
    String id = geometry->GetAttribute("id");
    for (Xml::Element* child = geometry->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "mesh")
            ParseMesh(child, id);
        else if (name == "asset" || name == "convex_mesh" || name == "spline" || name == "extra")
            Ignore(child);
        else
            Fail("Unsupported geometry type", child);
    }
}

void Parser::ParseMesh(Xml::Element* element, const String& id)
{
    Managed<Mesh> mesh(new Mesh());
    MeshAssembly assembly(*document, mesh.Get());
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "source")
            ParseSource(child);
        else if (name == "vertices")
            ParseVertices(child, assembly);
        else if (name == "triangles" || name == "polylist" || name == "polygons" || name == "tristrips" ||
                 name == "trifans")
            ParsePrimitives(child, assembly);
        else if (name == "lines" || name == "linestrips" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
    if (!assembly.HasVertices())
        Fail("mesh had no vertices", element);
    Guard(element, [&] { assembly.Finish(); });
    // A geometry without an id cannot be instanced: it is read for its errors only.
    if (id.Length() > 0)
        Keep(document->meshes, id, mesh.Detach(), element->GetParent());
}

void Parser::ParseSource(Xml::Element* element)
{
    Managed<Source> source(new Source());
    source->id = Require(element, "id", "source missing required attribute 'id'");
    int values = 0;
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "float_array") {
            Floats(child, source->floats);
            values = source->floats.Count();
        } else if (name == "int_array") {
            Ints(child, source->ints);
            values = source->ints.Count();
        } else if (name == "Name_array" || name == "IDREF_array") {
            Guard(child, [&] { ReadNames(child->GetInnerText(), source->names); });
            values = source->names.Count();
        } else if (name == "technique_common") {
            ParseAccessor(child, *source);
        } else if (name == "asset" || name == "technique") {
            Ignore(child);
        } else if (name == "bool_array") {
            NotSupported(child);
        } else {
            NotRecognized(child);
        }
    }
    if (!source->hasAccessor)
        source->count = values;
    const String id = source->id;
    Keep(document->sources, id, source.Detach(), element);
}

void Parser::ParseAccessor(Xml::Element* technique, Source& source)
{
    for (Xml::Element* child = technique->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (!(child->GetName() == "accessor"))
            NotRecognized(child);
        if (!child->HasAttribute("count"))
            Fail("accessor missing required attribute 'count'", child);
        source.count = IntAttribute(child, "count", 0);
        // The schema's default when an exporter leaves the stride out.
        source.stride = IntAttribute(child, "stride", 1);
        source.offset = IntAttribute(child, "offset", 0);
        if (source.count < 0 || source.stride < 1 || source.offset < 0)
            Fail("accessor count, stride or offset out of range", child);
        source.hasAccessor = true;
    }
}

void Parser::ParseVertices(Xml::Element* vertices, MeshAssembly& assembly)
{
    String id = Require(vertices, "id", "vertices missing required attribute 'id'");
    Array<MeshAssembly::Input> inputs;
    for (Xml::Element* child = vertices->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "input") {
            MeshAssembly::Input input;
            input.semantic = child->GetAttribute("semantic");
            input.source = Require(child, "source", "vertices input element missing required attribute 'source'");
            inputs.Add(input);
        } else if (name == "extra") {
            Ignore(child);
        } else {
            NotRecognized(child);
        }
    }
    assembly.SetVertexInputs(id, inputs);
}

void Parser::ParsePrimitives(Xml::Element* element, MeshAssembly& assembly)
{
    const String kind = element->GetName();
    const bool oneList = kind == "triangles" || kind == "polylist";
    int count = -1;
    if (kind == "triangles" || element->HasAttribute("count")) {
        Require(element, "count", "triangles missing required attribute 'count'");
        count = IntAttribute(element, "count", 0);
        if (count < 0)
            Fail("count is negative", element);
    }
    Array<MeshAssembly::Input> inputs;
    Array<int> p;
    Array<int> vcount;
    int stride = 0;
    auto begin = [&] {
        if (stride > 0)
            return;
        Guard(element, [&] { stride = assembly.Begin(inputs); });
        for (const String& note : assembly.GetNotes())
            AddHint(note, element);
    };
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "input" && stride == 0) {
            MeshAssembly::Input input;
            input.semantic = Require(child, "semantic", (kind + " input missing required attribute 'semantic'").CStr());
            input.source = Require(child, "source", (kind + " input missing required attribute 'source'").CStr());
            input.offset = IntAttribute(child, "offset", 0);
            input.set = IntAttribute(child, "set", 0);
            inputs.Add(input);
        } else if (name == "p") {
            begin();
            if (oneList) {
                Ints(child, p);
                continue;
            }
            Array<int> corners;
            Ints(child, corners);
            Guard(child, [&] {
                if (corners.Count() % stride != 0)
                    throw Exception(String::Format("p holds %d indices, not whole vertices of %d", corners.Count(), stride));
                if (kind == "tristrips")
                    assembly.AddStrip(corners.Data(), corners.Count() / stride);
                else
                    assembly.AddFan(corners.Data(), corners.Count() / stride);
            });
        } else if (name == "vcount" && kind == "polylist") {
            Ints(child, vcount);
        } else if (name == "ph") {
            NotSupported(child);
        } else if (name == "extra") {
            Ignore(child);
        } else {
            NotRecognized(child);
        }
    }
    begin();
    Guard(element, [&] {
        if (kind == "triangles") {
            const int64_t expected = int64_t(count) * 3 * stride;
            if (p.Count() != expected)
                throw Exception(String::Format("p holds %d indices where count, inputs and offsets call for %lld",
                                               p.Count(), static_cast<long long>(expected)));
            for (int i = 0; i < p.Count(); i += 3 * stride)
                assembly.AddTriangle(&p.Data()[i], &p.Data()[i + stride], &p.Data()[i + 2 * stride]);
        } else if (kind == "polylist") {
            if (count >= 0 && vcount.Count() != count)
                throw Exception(String::Format("vcount holds %d polygons where count says %d", vcount.Count(), count));
            int64_t corners = 0;
            for (int n : vcount) {
                if (n < 0)
                    throw Exception("vcount holds a negative number");
                corners += n;
            }
            if (corners * stride != p.Count())
                throw Exception(String::Format("p holds %d indices where vcount, inputs and offsets call for %lld",
                                               p.Count(), static_cast<long long>(corners * stride)));
            const int* at = p.Data();
            for (int n : vcount) {
                assembly.AddFan(at, n);
                at += int64_t(n) * stride;
            }
        }
    });
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
