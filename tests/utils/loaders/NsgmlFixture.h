#pragma once
// The fixture of the markup tests: a default proxy over a memory file system and the fake
// device, the NSG library "library.nsg" written by the engine's NSG writer, and loads of
// markup under fresh names.

#include "utils/loaders/Nsgml.h"

#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "graphics/VertexSemantics.h"
#include "io/ByteWriter.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Mesh.h"
#include "utils/Scene.h"
#include "utils/State.h"
#include "utils/loaders/Nsg.h"
#include "utils/scenegraph/BoundingShape.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/DrawGeometryNode.h"
#include "utils/scenegraph/LinearController.h"
#include "utils/scenegraph/NameNode.h"
#include "utils/scenegraph/SceneInstance.h"
#include "utils/scenegraph/TargetNodes.h"
#include "utils/scenegraph/TimeNode.h"
#include "utils/scenegraph/TransformNodes.h"
#include "utils/shapes/Sphere.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace nsgml_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;
using Values = std::vector<float>;

// The controller's values at the time.
inline Values At(Controller* controller, double time = 0)
{
    State state;
    state.times.Push(time);
    Values out(size_t(controller->GetComponentCount()));
    controller->Evaluate(state, controller->GetComponentCount(), out.data());
    return out;
}

class NsgmlTest : public ::testing::Test {
protected:
    NsgmlTest()
    {
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
        (*files)["t.png"] = Testing::EncodePngRgb(2, 2, Testing::ImageBytes(12, 90));
        WriteLibrary();
    }
    // Cached scenes hold handles that hold the proxy; Collect lets them go with the test.
    ~NsgmlTest() override { proxy->Collect(); }

    void File(const std::string& name, const std::string& markup) { (*files)[name].assign(markup.begin(), markup.end()); }

    // The markup under a name of its own: the proxy keeps every document it read by name.
    String Fresh(const std::string& markup)
    {
        const std::string name = "doc" + std::to_string(++written) + ".nsgml";
        File(name, markup);
        return String(name.c_str());
    }

    Managed<Scene> Load(const std::string& markup)
    {
        return Managed<Scene>(static_cast<Scene*>(service->Load(ResourceType::Scene, Fresh(markup), proxy.Get())));
    }
    Managed<Node> Tree(const std::string& markup)
    {
        return Managed<Node>(static_cast<Node*>(service->Load(ResourceType::SceneNode, Fresh(markup), proxy.Get())));
    }
    // The root of a scene whose document holds the library's import and then `body`.
    Managed<Node> Root(const std::string& body, Managed<Scene>* keep = nullptr)
    {
        Managed<Scene> scene = Load("<s><import desc=\"library.nsg\"/>" + body + "</s>");
        Node* root = scene->GetRoot();
        root->AddRef();
        if (keep)
            *keep = scene;
        return Managed<Node>(root);
    }
    std::string Failure(const std::string& markup, ResourceType type = ResourceType::Scene)
    {
        try {
            Managed<Object>(service->Load(type, Fresh(markup), proxy.Get()));
        } catch (const Exception& error) {
            return error.GetMessage().CStr();
        }
        return "(loaded)";
    }
    std::string ProxyFailure(const char* descriptor)
    {
        try {
            Managed<Object>(proxy->Get(ResourceType::Scene, descriptor));
        } catch (const Exception& error) {
            return error.GetMessage().CStr();
        }
        return "(loaded)";
    }

    // "library.nsg": the controller "spin" (4 components, keys at 0 and 1) and the geometry
    // "tri", written by the engine's NSG writer.
    void WriteLibrary()
    {
        Managed<Scene> library(new Scene());
        Managed<LinearController> spin(new LinearController(4, nullptr));
        spin->AddKey(0, 4, Values{0, 0, 1, 0}.data());
        spin->AddKey(1, 4, Values{0, 0, 1, 180}.data());
        library->AddController("spin", spin.Get());
        Managed<Mesh> mesh(new Mesh());
        Managed<Mesh::Attribute> position(new Mesh::Attribute(Graphics::SemanticPosition, 0, 3));
        mesh->AddAttribute(position.Get());
        mesh->SetVertexCount(3);
        for (int i = 0; i < 9; ++i)
            position->values[i] = Values{0, 0, 0, 1, 0, 0, 0, 1, 0}[size_t(i)];
        mesh->SetIndexCount(3);
        for (int i = 0; i < 3; ++i)
            mesh->SetIndex(i, i);
        mesh->AddSubMesh(SubMesh{0, 3, 0, 2, Graphics::PrimitiveTriangles});
        Managed<Geometry> tri(mesh->CreateGeometry(device.Get(), Graphics::BufferModeStatic));
        library->AddGeometry("tri", Scene::GeometryResource(tri.Get()));
        IO::ByteWriter out;
        Loaders::Nsg::Write(out, *library);
        (*files)["library.nsg"].assign(out.Data(), out.Data() + out.Size());
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    Managed<Loaders::Nsgml> service{new Loaders::Nsgml()};
    int written = 0;
};

}  // namespace nsgml_test
