#include "utils/loaders/ProgramLoader.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "graphics/Program.h"
#include "graphics/Shader.h"
#include "utils/Resource.h"

namespace Nimbrel::Utils::Loaders {

Object* ProgramLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    Array<String> pieces;
    descriptor.Split(';', pieces);
    const bool geometryAsked = pieces.Count() > 2;
    if (pieces.Count() < 2)
        pieces.Add(pieces[0]);
    if (pieces.Count() < 3)
        pieces.Add(pieces[0]);

    Resource<Graphics::Shader, ResourceType::VertexShader> vertex(proxy, pieces[0]);
    Resource<Graphics::Shader, ResourceType::PixelShader> pixel(proxy, pieces[1]);
    Resource<Graphics::Shader, ResourceType::GeometryShader> geometry;
    try {
        geometry = Resource<Graphics::Shader, ResourceType::GeometryShader>(proxy, pieces[2]);
    } catch (const Exception&) {
        if (geometryAsked)
            throw;
    }

    Graphics::Device* device = proxy->GetGraphicsDevice();
    if (!geometry.IsEmpty())
        return device->CreateProgram(vertex.Get(), pixel.Get(), geometry.Get());
    return device->CreateProgram(vertex.Get(), pixel.Get());
}

}  // namespace Nimbrel::Utils::Loaders
