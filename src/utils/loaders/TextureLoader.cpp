#include "utils/loaders/TextureLoader.h"

#include "core/Exception.h"
#include "graphics/Texture.h"
#include "utils/Resource.h"

namespace Nimbrel::Utils::Loaders {

namespace texture_loader_detail {

// The object of a successful request with one reference for the caller, or null after the
// attempt's label and message have gone into the report.
template <class T, ResourceType type>
Object* Attempt(ResourceProxy* proxy, const String& descriptor, const char* label, String& report)
{
    try {
        Resource<T, type> texture(proxy, descriptor);
        texture->AddRef();
        return texture.Get();
    } catch (const Exception& error) {
        report += String(label) + ": \n" + error.GetMessage();
        return nullptr;
    }
}

}  // namespace texture_loader_detail

using namespace texture_loader_detail;

Object* TextureLoader::Load(ResourceType, const String& descriptor, ResourceProxy* proxy)
{
    String report = "Could not be loaded as a texture: \n";
    if (Object* texture = Attempt<Graphics::Texture2D, ResourceType::Texture2D>(proxy, descriptor, "Texture2D", report))
        return texture;
    if (Object* texture =
            Attempt<Graphics::TextureCube, ResourceType::TextureCube>(proxy, descriptor, "TextureCube", report))
        return texture;
    if (Object* texture = Attempt<Graphics::Texture, ResourceType::Texture3D>(proxy, descriptor, "Texture3D", report))
        return texture;
    throw Exception(report);
}

}  // namespace Nimbrel::Utils::Loaders
