// NSGML scene markup: the Scene request of the default proxy for the fuzzer's document, then
// the SceneNode request of the same document. Beside the document lie a small NSG library and
// a PNG image, so imports, geometries, controllers from the library and textures are reached;
// a document that imports, instances or textures itself is read by those readers too.
#include "FuzzProxy.h"
#include "NsgLibrary.h"

#include "support/ImageFixtures.h"
#include "utils/Scene.h"
#include "utils/scenegraph/Node.h"

using namespace Nimbrel;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::vector<uint8_t> library = Fuzzing::NsgLibrary();
    static const std::vector<uint8_t> image = Testing::EncodePngRgb(2, 2, Testing::ImageBytes(12, 90));
    Fuzzing::FuzzProxy proxy("doc.nsgml", data, size);
    proxy.Files()["library.nsg"] = library;
    proxy.Files()["t.png"] = image;
    Fuzzing::Attempt([&] { proxy.Get<Utils::Scene>(Utils::ResourceType::Scene, "doc.nsgml"); });
    Fuzzing::Attempt([&] { proxy.Get<Utils::SceneGraph::Node>(Utils::ResourceType::SceneNode, "doc.nsgml"); });
    // A cached scene keeps the handles of its textures and instanced scenes, and each handle
    // keeps the proxy: only Collect, once nothing else holds the scene, lets the proxy go.
    proxy->Collect();
    return 0;
}
