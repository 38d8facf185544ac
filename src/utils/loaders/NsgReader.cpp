#include "utils/loaders/Nsg.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/Buffer.h"
#include "io/ByteReader.h"
#include "io/StreamBytes.h"
#include "utils/BufferStream.h"
#include "utils/loaders/NgmReader.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/LinearController.h"

#include <cstring>
#include <vector>

namespace Nimbrel::Utils::Loaders::Nsg {

namespace {

// More components than this in one controller is not animation data but a corrupt count.
constexpr int32_t MaxComponents = 65536;

[[noreturn]] void Corrupt()
{
    throw Exception("Corrupt NSG file");
}

void ReadLinear(IO::ByteReader& in, Scene& scene)
{
    const String name = in.Text();
    const int32_t components = in.I32();
    if (components < 0 || components > MaxComponents)
        throw Exception(in.GetPrefix() + String::Format("Invalid component count %d at byte %zu", components, in.Position() - 4));
    const int32_t keys = in.Count("key count", 4 + 4 * static_cast<size_t>(components));
    Managed<SceneGraph::LinearController> controller(new SceneGraph::LinearController(components, nullptr));
    controller->Reserve(keys);
    std::vector<float> values(static_cast<size_t>(components));
    for (int32_t k = 0; k < keys; ++k) {
        const float time = in.F32();
        for (float& value : values)
            value = in.F32();
        controller->AddKey(time, components, values.data());
    }
    scene.AddController(name, controller.Get());
}

void ReadComposite(IO::ByteReader& in, Scene& scene)
{
    const String name = in.Text();
    const int32_t count = in.Count("component count", 4);
    Managed<SceneGraph::CompositeController> controller(new SceneGraph::CompositeController(count));
    for (int32_t i = 0; i < count; ++i) {
        const int32_t kind = in.I32();
        if (kind == 0) {
            Managed<SceneGraph::ConstantController> constant(new SceneGraph::ConstantController(in.F32()));
            controller->SetComponent(i, constant.Get(), 0);
        } else if (kind == 1) {
            SceneGraph::Controller* source = scene.GetController(in.Text());
            const int32_t component = in.I32();
            if (!source || component < 0 || component >= source->GetComponentCount())
                Corrupt();
            controller->SetComponent(i, source, component);
        } else {
            Corrupt();
        }
    }
    scene.AddController(name, controller.Get());
}

void ReadGeometry(IO::ByteReader& in, IO::Buffer* bytes, Scene& scene, ResourceProxy& proxy)
{
    const String name = in.Text();
    Graphics::Device* device = proxy.GetGraphicsDevice();
    // The NGM reader reads the geometry in place, from a stream over the same bytes.
    Managed<BufferStream> stream(new BufferStream(bytes));
    stream->Seek(0, static_cast<int>(in.Position()));
    const NgmData data = ReadNgmData(stream.Get());
    in.Seek(static_cast<size_t>(stream->GetPosition()));
    Managed<Geometry> geometry(CreateNgmGeometry(data, device));
    scene.AddGeometry(name, Scene::GeometryResource(geometry.Get()));
}

bool Is(const String& tag, const char* expected)
{
    return tag == String(expected);
}

}  // namespace

void Load(Scene& scene, const StreamResource& input, ResourceProxy& proxy)
{
    IO::Stream* stream = input.Get();
    if (stream->IsSeekable())
        stream->Seek(0, 0);
    const std::vector<uint8_t> file = IO::ReadToEnd(stream);
    Managed<IO::Buffer> bytes(new IO::Buffer(static_cast<int64_t>(file.size())));
    if (!file.empty())
        std::memcpy(bytes->Data(), file.data(), file.size());

    IO::ByteReader in(*bytes, "Nsg::Load(): ");
    if (in.Remaining() < 6 || std::memcmp(in.Bytes(6), "NSG200", 6) != 0)
        throw Exception("Nsg::Load(): Unsupported NSG Version / Corrupt file");
    while (!in.AtEnd()) {
        const String tag = in.Text();
        if (Is(tag, "LinearController200"))
            ReadLinear(in, scene);
        else if (Is(tag, "CompositeController200"))
            ReadComposite(in, scene);
        else if (Is(tag, "Geometry200"))
            ReadGeometry(in, bytes.Get(), scene, proxy);
    }
}

}  // namespace Nimbrel::Utils::Loaders::Nsg
