#include "utils/loaders/Nsg.h"

#include "core/Exception.h"
#include "core/Managed.h"
#include "io/StreamBytes.h"
#include "utils/loaders/NgmWriter.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/LinearController.h"

#include <set>
#include <vector>

namespace Nimbrel::Utils::Loaders::Nsg {

namespace {

using SceneGraph::Controller;

// An engine stream that appends what it is given to a ByteWriter, so the NGM writer can put a
// geometry into the file being assembled.
class WriterStream : public IO::Stream {
public:
    explicit WriterStream(IO::ByteWriter& out) : out(out) {}
    bool IsWriteable() const override { return true; }
    int Write(const void* data, int size, int count) override
    {
        const int64_t bytes = int64_t(size) * count;
        if (bytes <= 0 || bytes > INT32_MAX)
            return 0;
        out.Bytes(data, static_cast<size_t>(bytes));
        return static_cast<int>(bytes);
    }

private:
    IO::ByteWriter& out;
};

class ControllerWriter {
public:
    ControllerWriter(IO::ByteWriter& out, const Scene& scene) : out(out), scene(scene) {}

    // Writes the controller after the named sources it needs.
    void Write(int index)
    {
        Controller* controller = scene.GetController(index);
        if (written.count(controller))
            return;
        if (!active.insert(controller).second)
            throw Exception("Nsg::Write(): the controllers depend on each other in a circle");
        const String name = scene.GetControllerName(index);
        if (auto* composite = dynamic_cast<SceneGraph::CompositeController*>(controller)) {
            for (int i = 0; i < composite->GetComponentCount(); ++i)
                if (Controller* source = composite->GetSource(i); source && !Inline(source))
                    Write(IndexOf(source));
            WriteComposite(name, *composite);
        } else if (auto* linear = dynamic_cast<SceneGraph::LinearController*>(controller)) {
            WriteLinear(name, *linear);
        } else if (auto* constant = dynamic_cast<SceneGraph::ConstantController*>(controller)) {
            WriteConstant(name, *constant);
        } else {
            throw Exception("Nsg::Write(): controller '" + name + "' is of a kind the format does not hold");
        }
        active.erase(controller);
        written.insert(controller);
    }

private:
    // A source that is not in the table: written inside the composite.
    bool Inline(Controller* source)
    {
        for (int i = 0; i < scene.GetControllerCount(); ++i)
            if (scene.GetController(i) == source)
                return false;
        if (!dynamic_cast<SceneGraph::ConstantController*>(source))
            throw Exception("Nsg::Write(): a composite takes a component of a controller that is not in the scene");
        return true;
    }

    int IndexOf(Controller* controller)
    {
        const String name = scene.GetControllerId(controller);
        for (int i = 0; i < scene.GetControllerCount(); ++i)
            if (scene.GetControllerName(i) == name)
                return i;
        return -1;
    }

    void WriteLinear(const String& name, SceneGraph::LinearController& linear)
    {
        const int n = linear.GetComponentCount();
        out.Text("LinearController200");
        out.Text(name);
        out.I32(n);
        out.I32(linear.GetKeyCount());
        for (int k = 0; k < linear.GetKeyCount(); ++k) {
            out.F32(linear.GetKeyTime(k));
            for (int i = 0; i < n; ++i)
                out.F32(linear.GetKeyValue(k, i));
        }
    }

    void WriteConstant(const String& name, SceneGraph::ConstantController& constant)
    {
        const Array<float>& values = constant.GetValues();
        out.Text("LinearController200");
        out.Text(name);
        out.I32(values.Count());
        out.I32(1);
        out.F32(0);
        for (float value : values)
            out.F32(value);
    }

    void WriteComposite(const String& name, SceneGraph::CompositeController& composite)
    {
        out.Text("CompositeController200");
        out.Text(name);
        out.I32(composite.GetComponentCount());
        for (int i = 0; i < composite.GetComponentCount(); ++i) {
            Controller* source = composite.GetSource(i);
            if (!source) {
                out.I32(0);  // an empty component evaluates to 0
                out.F32(0);
            } else if (Inline(source)) {
                out.I32(0);
                out.F32(static_cast<SceneGraph::ConstantController*>(source)->GetValues()[composite.GetSourceComponent(i)]);
            } else {
                out.I32(1);
                out.Text(scene.GetControllerId(source));
                out.I32(composite.GetSourceComponent(i));
            }
        }
    }

    IO::ByteWriter& out;
    const Scene& scene;
    std::set<Controller*> written, active;
};

}  // namespace

void Write(IO::ByteWriter& out, const Scene& scene)
{
    out.Bytes("NSG200", 6);
    ControllerWriter controllers(out, scene);
    for (int i = 0; i < scene.GetControllerCount(); ++i)
        controllers.Write(i);
    for (int i = 0; i < scene.GetGeometryCount(); ++i) {
        Scene::GeometryResource geometry = scene.GetGeometry(i);
        Managed<Mesh> mesh(geometry->CreateMesh());
        const NgmData data = NgmDataFromMesh(mesh.Get());
        out.Text("Geometry200");
        out.Text(scene.GetGeometryName(i));
        Managed<WriterStream> stream(new WriterStream(out));
        WriteNgm(stream.Get(), data);
    }
}

void Write(IO::Stream* stream, const Scene& scene)
{
    if (!stream)
        throw Exception("Nsg::Write(): no stream to write");
    IO::ByteWriter out;
    Write(out, scene);
    IO::WriteAll(stream, out);
}

}  // namespace Nimbrel::Utils::Loaders::Nsg
