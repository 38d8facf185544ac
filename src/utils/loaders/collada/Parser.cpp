#include "utils/loaders/collada/Parser.h"

#include "core/Exception.h"
#include "utils/loaders/collada/NumberText.h"
#include "utils/loaders/collada/ParserGuard.h"
#include "utils/loaders/collada/SceneBuilder.h"

#include <cstdlib>
#include <cstring>

namespace Nimbrel::Utils::Loaders::COLLADA {

Parser::Parser(Xml::Element* root) : document(new Document())
{
    if (!root)
        Fail("Document has no root element");
    ParseRoot(root);
}

Utils::Scene* Parser::BuildScene(ResourceProxy* proxy, const String& folder)
{
    Managed<Utils::Scene> scene(SceneBuilder(*this, proxy, folder).Build());
    scene->SetImportLog(log);
    return scene.Detach();
}

// ---- log and errors --------------------------------------------------------------------------

String Parser::PathOf(Xml::Element* element)
{
    Array<String> names;
    for (Xml::Element* at = element; at && names.Count() < 4 * MaxDepth; at = at->GetParent())
        names.Add(at->GetName());
    String path;
    for (int i = names.Count() - 1; i >= 0; --i) {
        path += names[i];
        if (i > 0)
            path += "/";
    }
    return path;
}

void Parser::AddHint(const String& message)
{
    log.Add("Hint: " + message);
}

void Parser::AddHint(const String& message, Xml::Element* element)
{
    log.Add("Hint: " + message + ". In " + PathOf(element));
}

void Parser::Fail(const String& message, Xml::Element* element)
{
    log.Add("Error: " + message + ". In " + PathOf(element));
    Fail(String());
}

void Parser::Fail(const String& message)
{
    if (message.Length() > 0)
        log.Add("Error: " + message);
    failing = true;
    String text;
    for (const String& line : log)
        text += line + "\n";
    throw Exception(text);
}

void Parser::Ignore(Xml::Element* element)
{
    log.Add("Element ignored: " + PathOf(element));
}

void Parser::NotRecognized(Xml::Element* element)
{
    Fail("Element not recognized", element);
}

void Parser::NotSupported(Xml::Element* element)
{
    Fail("Element not supported", element);
}

String Parser::Require(Xml::Element* element, const char* attribute, const char* message)
{
    if (!element->HasAttribute(attribute))
        Fail(message, element);
    return element->GetAttribute(attribute);
}

int Parser::IntAttribute(Xml::Element* element, const char* name, int fallback)
{
    if (!element->HasAttribute(name))
        return fallback;
    Array<int> values;
    Guard(element, [&] { ReadInts(element->GetAttribute(name), values); });
    if (values.Count() != 1)
        Fail(String("attribute '") + name + "' is not one integer", element);
    return values[0];
}

void Parser::Floats(Xml::Element* element, Array<float>& out)
{
    Guard(element, [&] { ReadFloats(element->GetInnerText(), out); });
}

void Parser::Ints(Xml::Element* element, Array<int>& out)
{
    Guard(element, [&] { ReadInts(element->GetInnerText(), out); });
}

void Parser::Enter(Xml::Element* element)
{
    if (++depth > MaxDepth)
        Fail("Elements nested too deep", element);
}

// ---- the root and its libraries --------------------------------------------------------------

template <class Each>
void Parser::ParseLibrary(Xml::Element* library, const char* item, Each each)
{
    for (Xml::Element* child = library->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == item)
            each(child);
        else if (name == "asset" || name == "extra")
            Ignore(child);
        else
            NotRecognized(child);
    }
}

void Parser::ParseRoot(Xml::Element* root)
{
    for (Xml::Element* child = root->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "library_animations")
            ParseLibrary(child, "animation", [this](Xml::Element* e) { ParseAnimation(e); });
        else if (name == "library_cameras")
            ParseLibrary(child, "camera", [this](Xml::Element* e) { ParseCamera(e); });
        else if (name == "library_controllers")
            ParseLibrary(child, "controller", [this](Xml::Element* e) { ParseController(e); });
        else if (name == "library_effects")
            ParseLibrary(child, "effect", [this](Xml::Element* e) { ParseEffect(e); });
        else if (name == "library_geometries")
            ParseLibrary(child, "geometry", [this](Xml::Element* e) { ParseGeometry(e); });
        else if (name == "library_images")
            ParseLibrary(child, "image", [this](Xml::Element* e) { ParseImage(e); });
        else if (name == "library_lights")
            ParseLibrary(child, "light", [this](Xml::Element* e) { ParseLight(e); });
        else if (name == "library_materials")
            ParseLibrary(child, "material", [this](Xml::Element* e) { ParseMaterial(e); });
        else if (name == "library_visual_scenes")
            ParseLibrary(child, "visual_scene", [this](Xml::Element* e) { ParseVisualScene(e); });
        else if (name == "asset") {
            ParseAsset(child);
            Ignore(child);
        } else if (name == "library_force_fields" || name == "library_nodes" || name == "library_physics_materials" ||
                   name == "library_physics_models" || name == "scene" || name == "extra" ||
                   IsUnusedLibrary(name))
            Ignore(child);
        else
            Fail("unknown library", child);
    }
}

// Libraries that exporters write beside the scene (animation clips, physics scenes and the
// later schema's kinematics), which the engine has no use for.
bool Parser::IsUnusedLibrary(const String& name)
{
    static const char* const names[] = {"library_animation_clips", "library_physics_scenes", "library_formulas",
                                        "library_kinematics_models", "library_kinematics_scenes",
                                        "library_articulated_systems", "library_joints"};
    for (const char* unused : names)
        if (name == unused)
            return true;
    return false;
}

// The up axis and unit are kept for the demo to read; they change nothing in the geometry.
void Parser::ParseAsset(Xml::Element* asset)
{
    for (Xml::Element* child = asset->GetFirstChild(); child; child = child->GetNextSibling()) {
        String name = child->GetName();
        if (name == "up_axis") {
            String axis = child->GetInnerText();
            if (axis == "X_UP" || axis == "Y_UP" || axis == "Z_UP")
                document->upAxis = axis;
            else
                AddHint("unknown up axis '" + axis + "' ignored", child);
        } else if (name == "unit") {
            String meter = child->GetAttribute("meter");
            char* end = nullptr;
            float value = std::strtof(meter.CStr(), &end);
            if (meter.Length() > 0 && end && *end == 0 && value > 0.0f)
                document->unitMeter = value;
            if (child->HasAttribute("name"))
                document->unitName = child->GetAttribute("name");
        }
    }
}

// ---- channel targets -------------------------------------------------------------------------

int Parser::TargetComponent(const String& selector)
{
    static const char* const named[4][7] = {
        {"X", "R", "S", "U", "0)", "0)(0)", nullptr},
        {"Y", "G", "T", "V", "1)", "0)(1)", nullptr},
        {"Z", "B", "2)", "0)(2)", nullptr, nullptr, nullptr},
        {"W", "A", "3)", "0)(3)", "ANGLE", nullptr, nullptr},
    };
    for (int component = 0; component < 4; ++component)
        for (const char* const* word = named[component]; *word; ++word)
            if (selector == *word)
                return component;
    // "n)" or "r)(c)", with numbers of at most two digits.
    const char* text = selector.CStr();
    auto number = [](const char*& at) {
        int value = -1;
        if (*at >= '0' && *at <= '9') {
            value = *at++ - '0';
            if (*at >= '0' && *at <= '9')
                value = value * 10 + (*at++ - '0');
        }
        return value;
    };
    int first = number(text);
    if (first < 0 || *text++ != ')')
        return -1;
    if (*text == 0)
        return first <= 15 ? first : -1;
    if (*text++ != '(')
        return -1;
    int second = number(text);
    if (second < 0 || second > 3 || std::strcmp(text, ")") != 0)
        return -1;
    int component = 4 * first + second;
    return component <= 15 ? component : -1;
}

}  // namespace Nimbrel::Utils::Loaders::COLLADA
