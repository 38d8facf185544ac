#include "utils/loaders/ShaderLoader.h"

#include "core/Exception.h"
#include "graphics/Device.h"
#include "graphics/Shader.h"
#include "utils/Resource.h"
#include "utils/loaders/ShaderIncludes.h"

namespace Nimbrel::Utils::Loaders {

void ShaderLoader::GetTypes(Array<ResourceType>& types)
{
    types.Add(ResourceType::VertexShader);
    types.Add(ResourceType::PixelShader);
    types.Add(ResourceType::GeometryShader);
}

Object* ShaderLoader::Load(ResourceType type, const String& descriptor, ResourceProxy* proxy)
{
    Array<String> pieces;
    descriptor.Split(':', pieces);
    String text;
    {
        Resource<String, ResourceType::String> source(proxy, pieces[0]);
        text = *source;
    }
    text = ShaderIncludes::Expand(text, pieces[0], proxy);

    Graphics::ShaderType stage;
    const char* entryPoint;
    switch (type) {
    case ResourceType::VertexShader:
        stage = Graphics::ShaderTypeVertex;
        entryPoint = "vsMain";
        break;
    case ResourceType::PixelShader:
        stage = Graphics::ShaderTypePixel;
        entryPoint = "psMain";
        break;
    case ResourceType::GeometryShader:
        stage = Graphics::ShaderTypeGeometry;
        entryPoint = "gsMain";
        break;
    default:
        throw Exception("Unknown asset type");
    }
    if (pieces.Count() < 2)
        pieces.Add(entryPoint);
    return proxy->GetGraphicsDevice()->CreateShader(stage, false, pieces[1].CStr(), nullptr, text.CStr());
}

}  // namespace Nimbrel::Utils::Loaders
