#include "SceneFile.h"

#include "core/Exception.h"
#include "graphics/gl/GL2CGDeviceFactory.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/scenegraph/Node.h"

#include <cstdint>
#include <exception>
#include <new>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace SceneTools {

namespace {

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

}  // namespace

SceneFile::SceneFile(const std::string& path, const char* tool)
{
    const size_t slash = path.rfind('/');
    folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const String descriptor = (slash == std::string::npos ? path : path.substr(slash + 1)).c_str();

    window.Set(Window::Create(64, 64, tool, true));
    Graphics::GL2CGDeviceFactory factory;
    device.Set(factory.CreateDevice(window.Get(), Graphics::DepthStencilFormatD24S8, 0, 0));
    files.Set(IO::NativeFileSystem::Create(folder.c_str()));
    proxy.Set(new DefaultResourceProxy());
    proxy->SetFileSystem(files.Get());
    proxy->SetGraphicsDevice(device.Get());

    Object* loaded = proxy->Get(ResourceType::Scene, descriptor);
    scene.Set(dynamic_cast<Scene*>(loaded));
    if (!scene && loaded)
        loaded->Release();
    if (!scene)
        throw Exception(String(tool) + ": '" + descriptor + "' did not load as a scene");
}

void PrintSummary(const Scene& scene, std::FILE* out)
{
    const TreeCounts tree = CountTree(scene.GetRoot());
    std::fprintf(out, "nodes %lld\n", static_cast<long long>(tree.nodes));
    std::fprintf(out, "geometries %d\n", scene.GetGeometryCount());
    std::fprintf(out, "triangles %lld\n", static_cast<long long>(CountTriangles(scene)));
    std::fprintf(out, "materials %d\n", scene.GetMaterialCount());
    std::fprintf(out, "controllers %d\n", scene.GetControllerCount());
    std::fprintf(out, "lights %lld\n", static_cast<long long>(tree.lights));
    std::fprintf(out, "cameras %lld\n", static_cast<long long>(tree.cameras));
    for (const String& line : scene.GetImportLog())
        std::fprintf(out, "log: %s\n", line.CStr());
}

int RunReportingErrors(const char* tool, int (*work)(int argc, char** argv), int argc, char** argv)
{
    try {
        return work(argc, argv);
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage().CStr());
    } catch (const std::bad_alloc&) {
        std::fprintf(stderr, "%s: out of memory\n", tool);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: %s\n", tool, error.what());
    }
    return 1;
}

}  // namespace SceneTools
