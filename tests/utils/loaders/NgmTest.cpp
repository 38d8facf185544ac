#include "utils/loaders/Ngm.h"

#include "io/Stream.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/MemoryFileSystem.h"
#include "support/NgmBytes.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Geometry.h"
#include "utils/Resource.h"

#include <gtest/gtest.h>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::FakeDevice;
using Nimbrel::Testing::MemoryFileSystem;
using Nimbrel::Testing::NgmBytes;

namespace ngm_test {

using GeometryResource = Resource<Geometry, ResourceType::Geometry>;

class NgmService : public ::testing::Test {
protected:
    void SetUp() override
    {
        NgmBytes file;
        file.Magic("NGM100").Int(3).Int(1).Word("POSITION").Int(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0});
        file.Word("triangles").Int(3).UInt32s({0, 1, 2});
        (*files)["meshes/tri.ngm"] = file.bytes;
        (*files)["meshes/text.ngm"] = {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd'};
        proxy->SetFileSystem(files.Get());
    }

    Managed<MemoryFileSystem> files{new MemoryFileSystem()};
    Managed<FakeDevice> device{new FakeDevice()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
};

TEST_F(NgmService, LoadsGeometryOnTheProxysDevice)
{
    EXPECT_THROW_MESSAGE(proxy->Get(ResourceType::Geometry, "meshes/tri.ngm"),
                         "Descriptor 'meshes/tri.ngm' could not be converted to an object: \n"
                         "Nimbrel Geometry (Ngm) Loader: ResoruceProxy: No GraphicsDevice set\n");
    proxy->SetGraphicsDevice(device.Get());

    GeometryResource geometry(proxy.Get(), "tri.ngm{Path=meshes}");
    EXPECT_EQ(geometry->GetDevice(), device.Get());
    EXPECT_EQ(geometry->GetVertexCount(), 3);
    EXPECT_EQ(geometry->GetIndexCount(), 3);
    EXPECT_EQ(geometry->GetSubMesh(0), (SubMesh{0, 3, 0, 3, Graphics::PrimitiveTriangles}));
    float corner[3];
    geometry->GetVertexAttribute(2, 0, corner);
    EXPECT_EQ(corner[1], 1.0f);

    GeometryResource cached(proxy.Get(), "tri.ngm{Path=meshes}");
    EXPECT_EQ(cached.Get(), geometry.Get());
}

TEST_F(NgmService, LoadsTheSameFileAgainFromItsCachedStream)
{
    proxy->SetGraphicsDevice(device.Get());
    GeometryResource first(proxy.Get(), "meshes/tri.ngm");
    // The file's stream is cached by the proxy and was read to its end by the first load.
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy.Get(), "meshes/tri.ngm");
    EXPECT_EQ(stream->GetPosition(), stream->GetLength());

    GeometryResource second(proxy.Get(), "meshes/tri.ngm{}");
    EXPECT_NE(second.Get(), first.Get());
    EXPECT_EQ(second->GetVertexCount(), 3);

    Object* reloaded = proxy->Reload(nullptr, ResourceType::Geometry, "meshes/tri.ngm");
    EXPECT_NE(reloaded, first.Get());
    EXPECT_EQ(static_cast<Geometry*>(reloaded)->GetIndexCount(), 3);
    reloaded->Release();
}

TEST_F(NgmService, AFileThatIsNotNgmIsReportedAndLeavesNothingCached)
{
    proxy->SetGraphicsDevice(device.Get());
    int records = proxy->GetRecordCount();
    EXPECT_THROW_MESSAGE(proxy->Get(ResourceType::Geometry, "meshes/text.ngm"),
                         "Descriptor 'meshes/text.ngm' could not be converted to an object: \n"
                         "Nimbrel Geometry (Ngm) Loader: Unsupported Format\n");
    // Only the opened stream stays cached, put back at its start.
    EXPECT_EQ(proxy->GetRecordCount(), records + 1);
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy.Get(), "meshes/text.ngm");
    EXPECT_EQ(stream->GetPosition(), 0);
}

}  // namespace ngm_test
