// scenecheck: loads a scene file the way a demo does and prints what it holds.
//
//     scenecheck FILE
//
// FILE is requested as a Scene from a default resource proxy over its folder, on an OpenGL
// device (a small hidden window: run it under a display or Xvfb). Standard output gets one
// line each for "nodes N" (every node of the tree, the root included), "geometries N",
// "triangles N" (of the geometries' triangle ranges), "materials N", "controllers N",
// "lights N" and "cameras N" (light and camera nodes of the tree), then every line of the
// importer's log prefixed with "log: "; the exit status is 0. A file that does not load prints
// the proxy's report on standard error and exits with 1; a wrong command line exits with 2.

#include "core/Exception.h"
#include "core/Managed.h"
#include "graphics/Device.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "io/NativeFileSystem.h"
#include "platform/Window.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Scene.h"
#include "utils/scenegraph/Node.h"

#include <cstdint>
#include <cstdio>
#include <exception>
#include <new>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace scenecheck {

struct TreeCounts {
    int64_t nodes = 0;
    int64_t lights = 0;
    int64_t cameras = 0;
};

// Iterative, so a deep tree cannot exhaust the stack.
TreeCounts CountTree(SceneGraph::Node* root)
{
    TreeCounts counts;
    std::vector<SceneGraph::Node*> pending;
    if (root)
        pending.push_back(root);
    while (!pending.empty()) {
        SceneGraph::Node* node = pending.back();
        pending.pop_back();
        ++counts.nodes;
        if (node->GetType() == SceneGraph::NodeTypeLight)
            ++counts.lights;
        else if (node->GetType() == SceneGraph::NodeTypeCamera)
            ++counts.cameras;
        for (int i = 0; i < node->GetChildCount(); ++i)
            pending.push_back(node->GetChild(i));
    }
    return counts;
}

int64_t CountTriangles(const Scene& scene)
{
    int64_t triangles = 0;
    for (int g = 0; g < scene.GetGeometryCount(); ++g) {
        Scene::GeometryResource geometry = scene.GetGeometry(g);
        if (geometry.IsEmpty())
            continue;
        for (int s = 0; s < geometry->GetSubMeshCount(); ++s) {
            SubMesh range = geometry->GetSubMesh(s);
            if (range.primitive == Graphics::PrimitiveTriangles)
                triangles += range.indexCount / 3;
        }
    }
    return triangles;
}

int Check(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const String descriptor = (slash == std::string::npos ? path : path.substr(slash + 1)).c_str();

    Managed<Window> window(Window::Create(64, 64, "scenecheck", true));
    Graphics::GL2CGDeviceFactory factory;
    Managed<Graphics::Device> device(factory.CreateDevice(window.Get(), Graphics::DepthStencilFormatD24S8, 0, 0));
    Managed<IO::NativeFileSystem> files(IO::NativeFileSystem::Create(folder.c_str()));
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());

    Managed<Scene> scene;
    try {
        Object* loaded = proxy->Get(ResourceType::Scene, descriptor);
        scene.Set(dynamic_cast<Scene*>(loaded));
        if (!scene && loaded)
            loaded->Release();
        if (!scene)
            throw Exception("scenecheck: '" + descriptor + "' did not load as a scene");
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage().CStr());
        return 1;
    }

    const TreeCounts tree = CountTree(scene->GetRoot());
    std::printf("nodes %lld\n", static_cast<long long>(tree.nodes));
    std::printf("geometries %d\n", scene->GetGeometryCount());
    std::printf("triangles %lld\n", static_cast<long long>(CountTriangles(*scene)));
    std::printf("materials %d\n", scene->GetMaterialCount());
    std::printf("controllers %d\n", scene->GetControllerCount());
    std::printf("lights %lld\n", static_cast<long long>(tree.lights));
    std::printf("cameras %lld\n", static_cast<long long>(tree.cameras));
    for (const String& line : scene->GetImportLog())
        std::printf("log: %s\n", line.CStr());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace scenecheck

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: scenecheck FILE\n");
        return 2;
    }
    try {
        return scenecheck::Check(argv[1]);
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage().CStr());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "scenecheck: out of memory\n");
    } catch (const std::exception& error) {
        std::fprintf(stderr, "scenecheck: %s\n", error.what());
    }
    return 1;
}
