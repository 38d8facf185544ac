// The NSG scene library: files written by the writer load back with their controllers and
// geometry; hand-made files check the reader's messages; spoiled counts and truncation at every
// byte end in exceptions without allocating what a count claims.
#include "utils/loaders/Nsg.h"

#include "support/AllocationWatch.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/MemoryFileSystem.h"
#include "support/MemoryStream.h"
#include "support/NgmBytes.h"
#include "graphics/VertexSemantics.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Mesh.h"
#include "utils/State.h"
#include "utils/scenegraph/CompositeController.h"
#include "utils/scenegraph/ConstantController.h"
#include "utils/scenegraph/LinearController.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

namespace nsg_test {

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using namespace Nimbrel::Utils::SceneGraph;
using Testing::NgmBytes;

struct Fixture {
    Testing::FakeDevice device;
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
    Fixture() { proxy->SetGraphicsDevice(&device); }

    void Load(Scene& scene, const std::vector<uint8_t>& bytes)
    {
        Managed<Testing::MemoryStream> stream(new Testing::MemoryStream(bytes));
        Loaders::Nsg::Load(scene, Loaders::Nsg::StreamResource(stream.Get()), *proxy);
    }
};

std::vector<float> At(Controller* controller, double time)
{
    State state;
    state.times.Push(time);
    std::vector<float> out(size_t(controller->GetComponentCount()));
    controller->Evaluate(state, controller->GetComponentCount(), out.data());
    return out;
}

// A triangle of three positions, one submesh.
Managed<Geometry> Triangle(Graphics::Device* device)
{
    Managed<Mesh> mesh(new Mesh());
    Managed<Mesh::Attribute> position(new Mesh::Attribute(Graphics::SemanticPosition, 0, 3));
    mesh->AddAttribute(position.Get());
    mesh->SetVertexCount(3);
    const float corners[] = {0, 0, 0, 1, 0, 0, 0, 2, 0};
    for (int i = 0; i < 9; ++i)
        position->values[i] = corners[i];
    mesh->SetIndexCount(3);
    for (int i = 0; i < 3; ++i)
        mesh->SetIndex(i, i);
    mesh->AddSubMesh(SubMesh{0, 3, 0, 2, Graphics::PrimitiveTriangles});
    return Managed<Geometry>(mesh->CreateGeometry(device, Graphics::BufferModeStatic));
}

TEST(Nsg, WrittenFilesLoadWithTheirControllersAndGeometry)
{
    Fixture fixture;
    Managed<Scene> scene(new Scene());
    Managed<LinearController> slide(new LinearController(3, nullptr));
    const float a[] = {0, 1, 2}, b[] = {10, 11, 12}, c[] = {-4, 0, 8};
    slide->AddKey(0, 3, a);
    slide->AddKey(1, 3, b);
    slide->AddKey(3, 3, c);
    Managed<ConstantController> still(new ConstantController(2, std::vector<float>{5, 6}.data()));
    Managed<ConstantController> literal(new ConstantController(9.5f));
    Managed<CompositeController> mix(new CompositeController(4));
    mix->SetComponent(0, slide.Get(), 2);
    mix->SetComponent(1, literal.Get(), 0);  // not in the scene: written in place
    mix->SetComponent(3, still.Get(), 1);
    Managed<LinearController> empty(new LinearController(2, nullptr));
    // The composite comes first in the table; its sources are written before it.
    scene->AddController("mix", mix.Get());
    scene->AddController("slide", slide.Get());
    scene->AddController("still", still.Get());
    scene->AddController("empty", empty.Get());
    Managed<Geometry> triangle = Triangle(&fixture.device);
    scene->AddGeometry("triangle", Scene::GeometryResource(triangle.Get()));

    IO::ByteWriter out;
    Loaders::Nsg::Write(out, *scene);
    Managed<Scene> loaded(new Scene());
    fixture.Load(*loaded, std::vector<uint8_t>(out.Data(), out.Data() + out.Size()));

    ASSERT_EQ(loaded->GetControllerCount(), 4);
    std::set<std::string> names;
    for (int i = 0; i < 4; ++i)
        names.insert(loaded->GetControllerName(i).CStr());
    EXPECT_EQ(names, (std::set<std::string>{"mix", "slide", "still", "empty"}));
    for (const char* name : {"mix", "slide", "still", "empty"})
        for (double time : {-1.0, 0.0, 0.5, 1.0, 2.0, 3.0, 7.0})
            EXPECT_EQ(At(loaded->GetController(name), time), At(scene->GetController(name), time))
                << name << " at " << time;
    EXPECT_EQ(At(loaded->GetController("empty"), 1), (std::vector<float>{0, 0}));
    EXPECT_EQ(loaded->GetController("mix")->GetType(), int(Controller::TypeComposite));
    // The composite takes its component from the loaded controller of that name.
    auto* loadedMix = static_cast<CompositeController*>(loaded->GetController("mix"));
    EXPECT_EQ(loadedMix->GetSource(0), loaded->GetController("slide"));

    ASSERT_EQ(loaded->GetGeometryCount(), 1);
    Scene::GeometryResource geometry = loaded->GetGeometry("triangle");
    ASSERT_FALSE(geometry.IsEmpty());
    EXPECT_EQ(geometry->GetVertexCount(), 3);
    EXPECT_EQ(geometry->GetIndexCount(), 3);
    float p[3];
    geometry->GetVertexAttribute(2, Graphics::SemanticPosition, p);
    EXPECT_EQ(std::vector<float>(p, p + 3), (std::vector<float>{0, 2, 0}));
    EXPECT_EQ(geometry->GetSubMesh(0).indexCount, 3);

    // Through a stream, the same bytes.
    Managed<Testing::MemoryStream> stream(new Testing::MemoryStream());
    Loaders::Nsg::Write(stream.Get(), *scene);
    EXPECT_EQ(stream->bytes, std::vector<uint8_t>(out.Data(), out.Data() + out.Size()));
}

TEST(Nsg, WriterRefusesSourcesItCannotName)
{
    Managed<Scene> scene(new Scene());
    Managed<LinearController> hidden(new LinearController(1, nullptr));
    Managed<CompositeController> mix(new CompositeController(1));
    mix->SetComponent(0, hidden.Get(), 0);
    scene->AddController("mix", mix.Get());
    IO::ByteWriter out;
    EXPECT_THROW(Loaders::Nsg::Write(out, *scene), Exception);
}

// A small library: a linear controller, a composite over it, a geometry; the ends of the
// records are where a shorter file is still whole.
struct Library {
    NgmBytes file;
    std::vector<size_t> recordEnds;

    Library()
    {
        file.Magic("NSG200");
        recordEnds.push_back(file.bytes.size());
        file.Word("LinearController200").Word("pos").Int("N", 3).Int("K", 2);
        file.Float(0).Floats({1, 2, 3}).Float(2).Floats({3, 4, 5});
        recordEnds.push_back(file.bytes.size());
        file.Word("CompositeController200").Word("mix").Int("M", 2);
        file.Int("kind", 1).Word("pos").Int("component", 2).Int(0).Float(7);
        recordEnds.push_back(file.bytes.size());
        file.Word("Geometry200").Word("tri");
        file.Magic("NGM200").Int("vertices", 3).Int("attributes", 1).Word("POSITION").Word("float").Word("none");
        file.Int("components", 3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
        file.Word("int32").Int("indices", 3).UInt32s({0, 1, 2});
        file.Int("submeshes", 1).Word("triangles").Int(0).Int(2).Int(3).Int(0);
        recordEnds.push_back(file.bytes.size());
    }
};

TEST(Nsg, HandMadeLibraryLoads)
{
    Fixture fixture;
    Library library;
    Managed<Scene> scene(new Scene());
    fixture.Load(*scene, library.file.bytes);
    EXPECT_EQ(At(scene->GetController("pos"), 1), (std::vector<float>{2, 3, 4}));
    EXPECT_EQ(At(scene->GetController("mix"), 1), (std::vector<float>{4, 7}));
    EXPECT_EQ(scene->GetGeometry("tri")->GetVertexCount(), 3);

    // Unknown tags have no body; the header alone is an empty library.
    NgmBytes odd;
    odd.Magic("NSG200").Word("Camera300").Word("LinearController200").Word("one").Int(1).Int(0);
    Managed<Scene> other(new Scene());
    fixture.Load(*other, odd.bytes);
    EXPECT_EQ(At(other->GetController("one"), 0), (std::vector<float>{0}));
    Managed<Scene> none(new Scene());
    fixture.Load(*none, std::vector<uint8_t>(library.file.bytes.begin(), library.file.bytes.begin() + 6));
    EXPECT_EQ(none->GetControllerCount(), 0);
}

TEST(Nsg, MessagesForBadVersionsAndReferences)
{
    Fixture fixture;
    auto load = [&](const NgmBytes& file) {
        Managed<Scene> scene(new Scene());
        fixture.Load(*scene, file.bytes);
    };
    NgmBytes ngm, shortHeader, later, unknownKind, wideComponent, negativeComponent, twice;
    ngm.Magic("NGM200");
    shortHeader.Magic("NSG2");
    EXPECT_THROW_MESSAGE(load(ngm), "Nsg::Load(): Unsupported NSG Version / Corrupt file");
    EXPECT_THROW_MESSAGE(load(shortHeader), "Nsg::Load(): Unsupported NSG Version / Corrupt file");
    EXPECT_THROW_MESSAGE(load(NgmBytes()), "Nsg::Load(): Unsupported NSG Version / Corrupt file");

    later.Magic("NSG200").Word("CompositeController200").Word("mix").Int(1).Int(1).Word("pos").Int(0);
    later.Word("LinearController200").Word("pos").Int(1).Int(0);
    EXPECT_THROW_MESSAGE(load(later), "Corrupt NSG file");
    unknownKind.Magic("NSG200").Word("CompositeController200").Word("mix").Int(1).Int(2).Float(1);
    EXPECT_THROW_MESSAGE(load(unknownKind), "Corrupt NSG file");
    for (int32_t component : {3, -1, INT32_MAX}) {
        NgmBytes file;
        file.Magic("NSG200").Word("LinearController200").Word("pos").Int(3).Int(0);
        file.Word("CompositeController200").Word("mix").Int(1).Int(1).Word("pos").Int(component);
        EXPECT_THROW_MESSAGE(load(file), "Corrupt NSG file");
    }
    twice.Magic("NSG200").Word("LinearController200").Word("pos").Int(1).Int(0);
    twice.Word("LinearController200").Word("pos").Int(1).Int(0);
    EXPECT_THROW_MESSAGE(load(twice), "Map::Add(): Can't add element. Map allready contains the given key");

    Library library;
    Managed<ResourceProxy> bare(new DefaultResourceProxy());
    Managed<Testing::MemoryStream> stream(new Testing::MemoryStream(library.file.bytes));
    Managed<Scene> scene(new Scene());
    EXPECT_THROW_MESSAGE(Loaders::Nsg::Load(*scene, Loaders::Nsg::StreamResource(stream.Get()), *bare),
                         "ResoruceProxy: No GraphicsDevice set");
    EXPECT_EQ(scene->GetControllerCount(), 2);  // the records before the geometry stay
}

TEST(Nsg, TheSameCachedFileImportsTwice)
{
    Fixture fixture;
    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    (*files)["lib.nsg"] = Library().file.bytes;
    fixture.proxy->SetFileSystem(files.Get());
    Managed<Scene> first(new Scene()), second(new Scene());
    Loaders::Nsg::StreamResource one(fixture.proxy.Get(), "lib.nsg");
    Loaders::Nsg::Load(*first, one, *fixture.proxy);
    Loaders::Nsg::StreamResource two(fixture.proxy.Get(), "lib.nsg");
    EXPECT_EQ(one.Get(), two.Get());  // the proxy's cached stream, at its end
    Loaders::Nsg::Load(*second, two, *fixture.proxy);
    EXPECT_EQ(second->GetControllerCount(), 2);
    EXPECT_EQ(second->GetGeometryCount(), 1);
}

TEST(Nsg, TheProxyLoadsALibraryAsASceneOfItsOwn)
{
    Fixture fixture;
    Managed<Testing::MemoryFileSystem> files(new Testing::MemoryFileSystem());
    (*files)["lib.nsg"] = Library().file.bytes;
    fixture.proxy->SetFileSystem(files.Get());
    Resource<Scene, ResourceType::Scene> scene(fixture.proxy.Get(), "lib.nsg");
    EXPECT_EQ(At(scene->GetController("mix"), 2), (std::vector<float>{5, 7}));
    EXPECT_EQ(scene->GetGeometry("tri")->GetIndexCount(), 3);
    EXPECT_EQ(scene->GetRoot(), nullptr);
}

TEST(Nsg, SpoiledCountsThrowWithoutAllocatingWhatTheyClaim)
{
    Fixture fixture;
    for (const char* field : {"N", "K", "M", "kind", "component", "vertices", "attributes", "components", "indices",
                              "submeshes"})
        for (int32_t value : {-1, INT32_MIN, INT32_MAX, 1 << 28, 1 << 20}) {
            SCOPED_TRACE(std::string(field) + " = " + std::to_string(value));
            Library library;
            library.file.Set(field, value);
            Managed<Scene> scene(new Scene());
            Testing::AllocationWatch watch;
            EXPECT_THROW(fixture.Load(*scene, library.file.bytes), Exception);
            if (Testing::AllocationWatch::Available()) {
                EXPECT_LE(watch.LargestAllocation(), size_t(1) << 20);
            }
        }
}

TEST(Nsg, TruncationAtEveryByteThrowsUnlessARecordEndsThere)
{
    Fixture fixture;
    Library library;
    const std::vector<uint8_t>& whole = library.file.bytes;
    for (size_t length = 0; length < whole.size(); ++length) {
        SCOPED_TRACE("cut at " + std::to_string(length));
        Managed<Scene> scene(new Scene());
        const std::vector<uint8_t> cut(whole.begin(), whole.begin() + length);
        bool complete = false;
        for (size_t end : library.recordEnds)
            complete = complete || end == length;
        if (complete) {
            EXPECT_NO_THROW(fixture.Load(*scene, cut));
        } else {
            EXPECT_THROW(fixture.Load(*scene, cut), Exception);
        }
    }
}

}  // namespace nsg_test
