#include "utils/loaders/NsgmlValues.h"

#include "core/Array.h"
#include "core/Exception.h"
#include "utils/loaders/Nsgml.h"
#include "utils/scenegraph/ConstantController.h"

namespace Nimbrel::Utils::Loaders::NsgmlValues {

void NumberList(const String& text, Array<float>& values)
{
    try {
        text.ToFloatArray(values);
    } catch (const Exception&) {
        // The list ends at the first piece that is no number; what came before it stays.
    }
}

Managed<SceneGraph::Controller> Controller(Xml::Element& element, const char* name, int count, const Scene& scene)
{
    Array<float> values;
    if (element.HasAttribute(name)) {
        const String text = element.GetAttribute(name);
        NumberList(text, values);
        if (values.IsEmpty()) {
            SceneGraph::Controller* named = scene.GetController(text);
            if (!named)
                throw Exception("Unknown controller '" + text + "'");
            named->AddRef();
            return Managed<SceneGraph::Controller>(named);
        }
    }
    while (values.Count() < count)
        values.Add(0.0f);
    return Managed<SceneGraph::Controller>(new SceneGraph::ConstantController(values.Count(), values.Data()));
}

int ComponentCount(Xml::Element& element, const char* name)
{
    const int count = element.GetAttribute(name).ToInt();
    if (count < 0 || count > Nsgml::MaxComponents)
        throw Exception(String::Format("'%s' components must be from 0 to %d, not %d", element.GetName().CStr(),
                                       Nsgml::MaxComponents, count));
    return count;
}

}  // namespace Nimbrel::Utils::Loaders::NsgmlValues
