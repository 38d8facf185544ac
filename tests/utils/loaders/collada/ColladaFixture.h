#pragma once
// What the COLLADA tests share: documents written inline, read through the XML loader over
// files in memory and the fake device, parsed alone or built into scenes, and the pieces of
// document most tests need (a triangle, a visual scene around nodes).

#include "core/Managed.h"
#include "support/FakeDevice.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"
#include "utils/Scene.h"
#include "utils/State.h"
#include "utils/loaders/collada/Parser.h"
#include "utils/scenegraph/Controller.h"
#include "utils/xml/Document.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace Nimbrel::Testing {

// The body inside the root element.
inline std::string Collada(const std::string& body)
{
    return "<?xml version=\"1.0\"?>\n<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" "
           "version=\"1.4.1\">" +
           body + "</COLLADA>";
}

// A geometry `id` of one triangle (positions only) in a library of its own.
inline std::string TriangleGeometry(const std::string& id = "tri")
{
    return "<library_geometries><geometry id=\"" + id + "\"><mesh>"
           "<source id=\"" + id + "-pos\"><float_array id=\"" + id + "-pos-a\" count=\"9\">0 0 0 1 0 0 0 1 0</float_array>"
           "<technique_common><accessor source=\"#" + id + "-pos-a\" count=\"3\" stride=\"3\"/></technique_common></source>"
           "<vertices id=\"" + id + "-v\"><input semantic=\"POSITION\" source=\"#" + id + "-pos\"/></vertices>"
           "<triangles count=\"1\"><input semantic=\"VERTEX\" source=\"#" + id + "-v\" offset=\"0\"/><p>0 1 2</p></triangles>"
           "</mesh></geometry></library_geometries>";
}

// A visual scene "main" holding the nodes.
inline std::string VisualScene(const std::string& nodes)
{
    return "<library_visual_scenes><visual_scene id=\"main\">" + nodes + "</visual_scene></library_visual_scenes>";
}

class ColladaFiles {
public:
    ColladaFiles()
    {
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
    }

    void Put(const std::string& path, const std::string& text) { (*files)[path] = ImageBytes(text.begin(), text.end()); }
    void PutBytes(const std::string& path, const std::vector<uint8_t>& bytes) { (*files)[path] = bytes; }

    // The parser over the document written to `path`.
    std::unique_ptr<Utils::Loaders::COLLADA::Parser> Parse(const std::string& text, const std::string& path = "doc.dae")
    {
        Put(path, text);
        document = Utils::Resource<Utils::Xml::Document, Utils::ResourceType::XmlDocument>(proxy.Get(), path.c_str());
        return std::make_unique<Utils::Loaders::COLLADA::Parser>(document->GetRoot());
    }
    // Parsed and built, with textures taken from the folder "".
    Managed<Utils::Scene> Build(const std::string& text)
    {
        auto parser = Parse(text);
        return Managed<Utils::Scene>(parser->BuildScene(proxy.Get(), ""));
    }
    // The message parsing or building fails with, "(loaded)" when it does not.
    std::string Failure(const std::string& text)
    {
        try {
            Build(text);
        } catch (const Exception& error) {
            return error.GetMessage().CStr();
        }
        return "(loaded)";
    }
    // Through the proxy as a demo asks for it.
    Managed<Utils::Scene> Load(const std::string& path)
    {
        return Managed<Utils::Scene>(
            static_cast<Utils::Scene*>(proxy->Get(Utils::ResourceType::Scene, path.c_str())));
    }

    Managed<MemoryFileSystem> files{new MemoryFileSystem()};
    Managed<FakeDevice> device{new FakeDevice()};
    Managed<Utils::ResourceProxy> proxy{new Utils::DefaultResourceProxy()};
    Utils::Resource<Utils::Xml::Document, Utils::ResourceType::XmlDocument> document;
};

// The last line of a multi-line message (the error line of a parser failure).
inline std::string LastLine(const std::string& message)
{
    std::string text = message;
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    size_t start = text.rfind('\n');
    return start == std::string::npos ? text : text.substr(start + 1);
}

// The controller's values at a time.
inline std::vector<float> ValuesAt(Utils::SceneGraph::Controller* controller, double time)
{
    Utils::State state;
    state.times.Push(time);
    std::vector<float> out(size_t(controller->GetComponentCount()));
    controller->Evaluate(state, controller->GetComponentCount(), out.data());
    return out;
}

}  // namespace Nimbrel::Testing
