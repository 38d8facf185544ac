// Materials, effects and images.

#include "utils/loaders/collada/Parser.h"
#include "utils/loaders/collada/ParserGuard.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

namespace collada_effects_detail {

Xml::Element* FindChild(Xml::Element* element, const char* name)
{
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling())
        if (child->GetName() == name)
            return child;
    return nullptr;
}

}  // namespace collada_effects_detail

void Parser::ParseMaterial(Xml::Element* material)
{
    String id = material->GetAttribute("id");
    for (Xml::Element* child = material->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "instance_effect") {
            String url = Require(child, "url", "instance_effect missing required attribute 'url'");
            if (id.Length() > 0) {
                Managed<Material> entry(new Material());
                entry->id = id;
                entry->effect = LocalId(url);
                Keep(document->materials, id, entry.Detach(), material);
            }
        } else if (name == "asset" || name == "extra") {
            Ignore(child);
        } else {
            NotRecognized(child);
        }
    }
}

void Parser::ParseEffect(Xml::Element* element)
{
    Managed<Effect> effect(new Effect());
    effect->id = element->GetAttribute("id");
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "profile_COMMON")
            ParseProfileCommon(child, *effect);
        else if (name == "image")
            ParseImage(child);
        else if (name == "newparam")
            ParseNewParam(child, *effect);
        else if (name == "asset" || name == "annotate" || name == "profile_CG" || name == "profile_GLSL" ||
                 name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
    Effect* kept = effect.Get();
    Keep(document->effects, kept->id, effect.Detach(), element);
}

void Parser::ParseProfileCommon(Xml::Element* profile, Effect& effect)
{
    for (Xml::Element* child = profile->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "technique")
            ParseEffectTechnique(child, effect);
        else if (name == "image")
            ParseImage(child);
        else if (name == "newparam")
            ParseNewParam(child, effect);
        else if (name == "asset" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
}

void Parser::ParseEffectTechnique(Xml::Element* technique, Effect& effect)
{
    Enter(technique);
    for (Xml::Element* child = technique->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "constant" || name == "lambert" || name == "phong" || name == "blinn" || name == "technique")
            ParseShading(child, effect);
        else if (name == "extra")
            ParseEffectTechnique(child, effect);
        else if (name == "image")
            ParseImage(child);
        else if (name == "asset")
            Ignore(child);
        else
            NotRecognized(child);
    }
    Leave();
}

void Parser::ParseShading(Xml::Element* model, Effect& effect)
{
    for (Xml::Element* parameter = model->GetFirstChild(); parameter; parameter = parameter->GetNextSibling()) {
        String name = parameter->GetName();
        for (Xml::Element* value = parameter->GetFirstChild(); value; value = value->GetNextSibling()) {
            String kind = value->GetName();
            if (kind == "texture") {
                String sampler = Require(value, "texture", "'texture' misses required attribute 'texture'");
                if (HasRoom(effect.textures, name, parameter))
                    effect.textures[name] = sampler;
            } else if (kind == "color" && HasRoom(effect.colors, name, parameter)) {
                Managed<Attribute> color(new Attribute());
                Floats(value, color->values);
                String sid = value->GetAttribute("sid");
                if (effect.id.Length() > 0 && sid.Length() > 0) {
                    color->key = effect.id + "/common/" + sid;
                    color->AddRef();
                    Keep(document->attributes, color->key, color.Get(), value);
                }
                effect.colors[name] = color;
            }
        }
    }
}

void Parser::ParseNewParam(Xml::Element* newparam, Effect& effect)
{
    String sid = Require(newparam, "sid", "'newparam' misses required attribute 'sid'");
    // An effect without an id cannot be used, so its parameters are read for their errors only.
    String key = effect.id.Length() > 0 ? effect.id + "/" + sid : String();
    for (Xml::Element* child = newparam->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "surface") {
            String type = Require(child, "type", "'surface' misses required attribute 'type'");
            if (!(type == "2D"))
                Fail("This compiler only supports 2D surfaces (textures)", child);
            Xml::Element* from = collada_effects_detail::FindChild(child, "init_from");
            if (!from)
                Fail("This compiler only supports 'surface' with 'init_from' child element", child);
            Managed<Surface> surface(new Surface());
            surface->image = from->GetInnerText();
            if (key.Length() > 0)
                Keep(document->surfaces, key, surface.Detach(), child);
        } else if (name == "sampler2D") {
            Xml::Element* source = collada_effects_detail::FindChild(child, "source");
            if (!source)
                Fail("This parser only supports 'sampler2D' with 'source' child element", child);
            Managed<Sampler2D> sampler(new Sampler2D());
            sampler->source = source->GetInnerText();
            if (key.Length() > 0)
                Keep(document->samplers2D, key, sampler.Detach(), child);
        } else {
            Ignore(child);
        }
    }
}

void Parser::ParseImage(Xml::Element* element)
{
    Managed<Image> image(new Image());
    image->id = Require(element, "id", "image missing required attribute 'id'");
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "init_from") {
            image->file = child->GetInnerText();
            // The later schema wraps the path in a ref element.
            if (image->file.Length() == 0)
                if (Xml::Element* ref = collada_effects_detail::FindChild(child, "ref"))
                    image->file = ref->GetInnerText();
        } else if (name == "data") {
            Fail("This compiler does not support embedded images in the COLLADA format", child);
        } else if (name == "asset" || name == "extra") {
            Ignore(child);
        } else {
            NotRecognized(child);
        }
    }
    Image* kept = image.Get();
    Keep(document->images, kept->id, image.Detach(), element);
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
