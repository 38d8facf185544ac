// Animations (samplers and channels) and controllers (skins).

#include "utils/loaders/collada/Parser.h"
#include "utils/loaders/collada/ParserGuard.h"

namespace Nimbrel::Utils::Loaders::COLLADA {

Source* Parser::InputSource(Xml::Element* input, const String& reference)
{
    Source* source = document->sources.Find(LocalId(reference));
    if (!source)
        Fail("Unknown source '" + reference + "'", input);
    return source;
}

void Parser::ParseAnimation(Xml::Element* animation)
{
    Enter(animation);
    for (Xml::Element* child = animation->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "animation")
            ParseAnimation(child);
        else if (name == "source")
            ParseSource(child);
        else if (name == "sampler")
            ParseAnimationSampler(child);
        else if (name == "channel")
            ParseChannel(child);
        else if (name == "asset" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
    Leave();
}

void Parser::ParseAnimationSampler(Xml::Element* element)
{
    Managed<AnimationSampler> sampler(new AnimationSampler());
    sampler->id = element->GetAttribute("id");
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        if (!(child->GetName() == "input"))
            NotRecognized(child);
        if (!child->HasAttribute("semantic") || !child->HasAttribute("source"))
            Fail("animation input missing semantic or source", child);
        String semantic = child->GetAttribute("semantic");
        Source* source = InputSource(child, child->GetAttribute("source"));
        if (semantic == "INPUT")
            sampler->input = source;
        else if (semantic == "OUTPUT")
            sampler->output = source;
        else if (semantic == "IN_TANGENT")
            sampler->inTangent = source;
        else if (semantic == "OUT_TANGENT")
            sampler->outTangent = source;
        else if (semantic == "INTERPOLATION")
            sampler->interpolation = source;
    }
    if (sampler->id.Length() > 0) {
        AnimationSampler* kept = sampler.Get();
        Keep(document->samplers, kept->id, sampler.Detach(), element);
    }
}

void Parser::ParseChannel(Xml::Element* element)
{
    String source = Require(element, "source", "channel missing required attribute 'source'");
    String target = Require(element, "target", "channel missing required attribute 'target'");
    Managed<Channel> channel(new Channel());
    channel->sampler = LocalId(source);
    int split = target.IndexOf('.');
    if (split < 0)
        split = target.IndexOf('(');
    if (split < 0) {
        channel->target = target;
    } else {
        channel->target = target.SubString(0, split);
        String selector = target.SubString(split + 1, target.Length() - split - 1);
        channel->component = TargetComponent(selector);
        if (channel->component < 0) {
            AddHint("channel target '" + target + "' selects no component the engine knows, channel skipped", element);
            return;
        }
    }
    document->channels.Add(channel);
}

void Parser::ParseController(Xml::Element* controller)
{
    String id = controller->GetAttribute("id");
    for (Xml::Element* child = controller->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "skin")
            ParseSkin(child, id);
        else if (name == "morph")
            NotSupported(child);
        else if (name == "asset" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
}

void Parser::ParseSkin(Xml::Element* element, const String& id)
{
    Managed<Skin> skin(new Skin());
    skin->id = id;
    skin->source = LocalId(element->GetAttribute("source"));
    for (Xml::Element* child = element->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "bind_shape_matrix") {
            Floats(child, skin->bindShapeMatrix);
        } else if (name == "source") {
            ParseSource(child);
        } else if (name == "joints") {
            for (Xml::Element* input = child->GetFirstChild(); input; input = input->GetNextSibling()) {
                if (!(input->GetName() == "input")) {
                    input->GetName() == "extra" ? Ignore(input) : NotRecognized(input);
                    continue;
                }
                if (!input->HasAttribute("semantic") || !input->HasAttribute("source"))
                    Fail("skin input missing semantic or source", input);
                String semantic = input->GetAttribute("semantic");
                Source* source = InputSource(input, input->GetAttribute("source"));
                if (semantic == "JOINT")
                    skin->joints = source;
                else if (semantic == "INV_BIND_MATRIX")
                    skin->inverseBindMatrices = source;
            }
        } else if (name == "vertex_weights") {
            for (Xml::Element* part = child->GetFirstChild(); part; part = part->GetNextSibling()) {
                String partName = part->GetName();
                if (partName == "input") {
                    if (!part->HasAttribute("semantic") || !part->HasAttribute("source") || !part->HasAttribute("offset"))
                        Fail("skin vertex weight input missing required attribute(s)", part);
                    String semantic = part->GetAttribute("semantic");
                    Source* source = InputSource(part, part->GetAttribute("source"));
                    int offset = IntAttribute(part, "offset", 0);
                    if (semantic == "JOINT") {
                        skin->jointInput = source;
                        skin->jointOffset = offset;
                    } else if (semantic == "WEIGHT") {
                        skin->weightInput = source;
                        skin->weightOffset = offset;
                    } else {
                        Fail("unknown skin vertex weight input semantic: " + semantic, part);
                    }
                } else if (partName == "vcount") {
                    Ints(part, skin->vcount);
                } else if (partName == "v") {
                    Ints(part, skin->v);
                } else if (partName == "extra") {
                    Ignore(part);
                } else {
                    NotRecognized(part);
                }
            }
        } else if (name == "extra") {
            Ignore(child);
        } else {
            NotRecognized(child);
        }
    }
    if (id.Length() > 0) {
        Skin* kept = skin.Get();
        Keep(document->skins, kept->id, skin.Detach(), element);
    }
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
