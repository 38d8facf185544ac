// The shader, program and texture services over a fake device and files in memory.

#include "utils/loaders/ShaderLoader.h"
#include "utils/loaders/TextureCubeLoader.h"

#include "graphics/Program.h"
#include "support/Expect.h"
#include "support/FakeDevice.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "utils/Collage2DBuilder.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Nimbrel::Testing::FakeShader;
using Nimbrel::Testing::FakeTexture2D;
using Nimbrel::Testing::FakeTextureCube;

namespace graphics_loaders_test {

class GraphicsLoaders : public ::testing::Test {
protected:
    GraphicsLoaders()
    {
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(device.Get());
        // Each file names its uniform after itself, so a program tells which files built it.
        for (const char* name : {"a", "b", "c", "fx"})
            Text(std::string(name) + ".cg", std::string("float ") + name + "_uniform;");
    }

    void Text(const std::string& path, const std::string& text)
    {
        (*files)[path] = Testing::ImageBytes(text.begin(), text.end());
    }
    // A PNG of one colour.
    void Png(const std::string& path, int width, int height)
    {
        (*files)[path] = Testing::EncodePngRgb(width, height, Testing::ImageBytes(size_t(width * height * 3), 200));
    }
    int Opened(const std::string& path) const
    {
        return int(std::count(files->operations.begin(), files->operations.end(), "open r " + path));
    }
    std::vector<std::string> OpenedImages() const
    {
        std::vector<std::string> opened;
        for (const std::string& operation : files->operations)
            if (operation.find(".png") != std::string::npos)
                opened.push_back(operation.substr(7));
        return opened;
    }
    template <class T, ResourceType type>
    Resource<T, type> Get(const char* descriptor)
    {
        return Resource<T, type>(proxy.Get(), descriptor);
    }
    // The message a request fails with.
    std::string Failure(ResourceType type, const char* descriptor)
    {
        try {
            Managed<Object>(proxy->Get(type, descriptor));
        } catch (const Exception& error) {
            return error.GetMessage().CStr();
        }
        return "(loaded)";
    }

    Managed<Testing::MemoryFileSystem> files{new Testing::MemoryFileSystem()};
    Managed<Testing::FakeDevice> device{new Testing::FakeDevice()};
    Managed<ResourceProxy> proxy{new DefaultResourceProxy()};
};

TEST_F(GraphicsLoaders, ShaderDescriptorsNameTheSourceAndTheEntryPoint)
{
    device->geometryShaders = true;
    struct Case {
        ResourceType type;
        const char* descriptor;
        Graphics::ShaderType stage;
        const char* entryPoint;
    };
    const Case cases[] = {
        {ResourceType::VertexShader, "fx.cg", Graphics::ShaderTypeVertex, "vsMain"},
        {ResourceType::PixelShader, "fx.cg", Graphics::ShaderTypePixel, "psMain"},
        {ResourceType::GeometryShader, "fx.cg", Graphics::ShaderTypeGeometry, "gsMain"},
        {ResourceType::VertexShader, "fx.cg:main", Graphics::ShaderTypeVertex, "main"},
        {ResourceType::PixelShader, "fx.cg:main", Graphics::ShaderTypePixel, "main"},
        {ResourceType::PixelShader, "fx.cg:second:ignored", Graphics::ShaderTypePixel, "second"},
        {ResourceType::VertexShader, "fx.cg:", Graphics::ShaderTypeVertex, ""},
    };
    for (const Case& c : cases) {
        Managed<Object> loaded(proxy->Get(c.type, c.descriptor));
        auto* shader = dynamic_cast<FakeShader*>(loaded.Get());
        ASSERT_NE(shader, nullptr) << c.descriptor;
        EXPECT_EQ(shader->type, c.stage) << c.descriptor;
        EXPECT_EQ(shader->entryPoint, c.entryPoint) << c.descriptor;
        ASSERT_EQ(shader->uniforms.size(), 1u) << c.descriptor;
        EXPECT_EQ(shader->uniforms[0].name, "fx_uniform") << c.descriptor;
    }
    // Every stage and entry point read the one cached text.
    EXPECT_EQ(Opened("fx.cg"), 1);
}

TEST_F(GraphicsLoaders, ShaderFailures)
{
    Loaders::ShaderLoader loader;
    // The text is asked for first, so a missing file is the first fault reported.
    EXPECT_THROW_MESSAGE(loader.Load(ResourceType::Program, "fx.cg", proxy.Get()), "Unknown asset type");
    EXPECT_EQ(Opened("fx.cg"), 1);
    EXPECT_THROW_MESSAGE(loader.Load(ResourceType::Texture, "fx.cg:vsMain", proxy.Get()), "Unknown asset type");

    Managed<ResourceProxy> bare(new DefaultResourceProxy());
    bare->SetFileSystem(files.Get());
    EXPECT_THROW_MESSAGE(loader.Load(ResourceType::VertexShader, "fx.cg", bare.Get()),
                         "ResoruceProxy: No GraphicsDevice set");

    const std::string missing = Failure(ResourceType::VertexShader, "none.cg");
    EXPECT_EQ(missing.rfind("Descriptor 'none.cg' could not be converted to an object: \nShaderLoader: Descriptor "
                            "'none.cg' could not be converted to an object: \nTextLoader: ",
                            0),
              0u)
        << missing;
}

TEST_F(GraphicsLoaders, ProgramDescriptorsFillTheMissingPiecesFromTheFirst)
{
    struct Case {
        const char* descriptor;
        bool geometryShaders;
        std::vector<std::string> uniforms;  // of the vertex and pixel shaders
        bool withGeometry;
        const char* failure;  // a part of the message, or null
    };
    const Case cases[] = {
        {"fx.cg", false, {"fx_uniform"}, false, nullptr},
        {"a.cg;b.cg", false, {"a_uniform", "b_uniform"}, false, nullptr},
        {"a.cg;b.cg", true, {"a_uniform", "b_uniform"}, true, nullptr},
        {"a.cg;b.cg;c.cg", true, {"a_uniform", "b_uniform"}, true, nullptr},
        {"a.cg;b.cg;c.cg;ignored", true, {"a_uniform", "b_uniform"}, true, nullptr},
        // A geometry shader asked for explicitly must load.
        {"a.cg;b.cg;c.cg", false, {}, false,
         "ProgramLoader: Descriptor 'c.cg' could not be converted to an object: \n"
         "ShaderLoader: FakeDevice: no geometry shaders\n"},
        {"a.cg;none.cg", false, {}, false, "ProgramLoader: Descriptor 'none.cg' could not be converted"},
    };
    for (const Case& c : cases) {
        // A proxy and a device of its own, so nothing is served from an earlier case's cache.
        Managed<Testing::FakeDevice> fresh(new Testing::FakeDevice());
        fresh->geometryShaders = c.geometryShaders;
        proxy.Set(new DefaultResourceProxy());
        proxy->SetFileSystem(files.Get());
        proxy->SetGraphicsDevice(fresh.Get());
        if (c.failure) {
            const std::string failure = Failure(ResourceType::Program, c.descriptor);
            EXPECT_NE(failure.find(c.failure), std::string::npos) << c.descriptor << "\n" << failure;
            continue;
        }
        auto program = Get<Graphics::Program, ResourceType::Program>(c.descriptor);
        for (const char* name : {"a_uniform", "b_uniform", "c_uniform", "fx_uniform"}) {
            const bool expected = std::find(c.uniforms.begin(), c.uniforms.end(), name) != c.uniforms.end();
            EXPECT_EQ(program->GetParameter(name)->IsValid(), expected) << c.descriptor << " " << name;
        }
        const bool linkedWithGeometry =
            std::count(fresh->log.begin(), fresh->log.end(), std::string("CreateProgram(geometry)")) == 1;
        EXPECT_EQ(linkedWithGeometry, c.withGeometry) << c.descriptor;
    }
}

TEST_F(GraphicsLoaders, Texture2DLevelsComeFromThePiecesOrAreGenerated)
{
    Png("big.png", 8, 4);
    Png("half.png", 4, 2);
    Png("quarter.png", 2, 1);
    Png("eighth.png", 1, 1);
    Png("tall.png", 1, 8);
    Png("column.png", 1, 4);
    Png("pair.png", 1, 2);
    Png("square.png", 4, 4);
    Png("one.png", 1, 1);

    struct Case {
        const char* descriptor;
        int width, height;
        std::vector<int> levels;
        int generations;
    };
    const Case cases[] = {
        {"big.png", 8, 4, {0}, 1},
        {"big.png;half.png", 8, 4, {0, 1}, 0},
        {"big.png;half.png;quarter.png;eighth.png", 8, 4, {0, 1, 2, 3}, 0},
        {"tall.png;column.png;pair.png;one.png", 1, 8, {0, 1, 2, 3}, 0},
        {"tall.png;column.png", 1, 8, {0, 1}, 0},
        // Past the 1 by 1 level, levels stay 1 by 1.
        {"one.png;one.png", 1, 1, {0, 1}, 0},
    };
    for (const Case& c : cases) {
        const std::string failure = Failure(ResourceType::Texture2D, c.descriptor);
        ASSERT_EQ(failure, "(loaded)") << c.descriptor;
        auto texture = Get<Graphics::Texture2D, ResourceType::Texture2D>(c.descriptor);
        auto* fake = dynamic_cast<FakeTexture2D*>(texture.Get());
        ASSERT_NE(fake, nullptr) << c.descriptor;
        EXPECT_EQ(fake->width, c.width) << c.descriptor;
        EXPECT_EQ(fake->height, c.height) << c.descriptor;
        EXPECT_FALSE(fake->renderable) << c.descriptor;
        EXPECT_EQ(fake->levelsSet, c.levels) << c.descriptor;
        EXPECT_EQ(fake->mipmapGenerations, c.generations) << c.descriptor;
    }
    EXPECT_EQ(Opened("one.png"), 1);

    struct Refused {
        const char* descriptor;
        const char* message;
    };
    const Refused refused[] = {
        {"big.png;big.png", "Invalid resolutions in bitmap: big.png (Level 1 must be 4 by 2)"},
        {"big.png;half.png;half.png", "Invalid resolutions in bitmap: half.png (Level 2 must be 2 by 1)"},
        {"big.png;square.png", "Invalid resolutions in bitmap: square.png (Level 1 must be 4 by 2)"},
        {"square.png;half.png", "Invalid resolutions in bitmap: half.png (Level 1 must be 2 by 2)"},
        {"tall.png;quarter.png", "Invalid resolutions in bitmap: quarter.png (Level 1 must be 1 by 4)"},
        {"square.png;", "Texture2DLoader: Descriptor '' could not be converted to an object: \n"},
    };
    for (const Refused& r : refused) {
        const std::string failure = Failure(ResourceType::Texture2D, r.descriptor);
        EXPECT_NE(failure.find(r.message), std::string::npos) << r.descriptor << "\n" << failure;
    }
    // No image file gives another format than R8G8B8A8; a bitmap made here does.
    Managed<Bitmap2D> grey(new Bitmap2D(4, 2, Graphics::PixelFormatLuminance8));
    const String greyName = proxy->Add(ResourceType::Bitmap2D, grey.Get());
    const String mixed = "big.png;" + greyName;
    EXPECT_NE(Failure(ResourceType::Texture2D, mixed.CStr())
                  .find(std::string("Texture2DLoader: Invalid pixel format in bitmap: ") + greyName.CStr() +
                        " (All bitmaps must have the pixel format of the first)\n"),
              std::string::npos);
    // Nothing was recorded for the refused textures.
    for (int i = 0; i < proxy->GetRecordCount(); ++i)
        EXPECT_NE(proxy->GetRecord(i).descriptor, String("big.png;big.png"));
}

TEST_F(GraphicsLoaders, CubePatternsNameTheFacesInTheirOrder)
{
    for (const char* face : {"px", "py", "pz", "nx", "ny", "nz"}) {
        Png(std::string("sky_") + face + ".png", 4, 4);
        Png(std::string("sky_") + face + "_1.png", 2, 2);
    }
    auto cube = Get<Graphics::TextureCube, ResourceType::TextureCube>("sky_*.png");
    auto* fake = dynamic_cast<FakeTextureCube*>(cube.Get());
    ASSERT_NE(fake, nullptr);
    EXPECT_EQ(fake->size, 4);
    EXPECT_FALSE(fake->renderable);
    EXPECT_EQ(OpenedImages(), (std::vector<std::string>{"sky_px.png", "sky_py.png", "sky_pz.png", "sky_nx.png",
                                                         "sky_ny.png", "sky_nz.png"}));
    EXPECT_EQ(fake->uploads, (std::vector<std::string>{"face 0 level 0", "face 1 level 0", "face 2 level 0",
                                                        "face 3 level 0", "face 4 level 0", "face 5 level 0",
                                                        "generate"}));

    files->operations.clear();
    auto twoLevels = Get<Graphics::TextureCube, ResourceType::TextureCube>("sky_*.png;sky_*_1.png");
    auto* two = dynamic_cast<FakeTextureCube*>(twoLevels.Get());
    EXPECT_EQ(OpenedImages(), (std::vector<std::string>{"sky_px_1.png", "sky_py_1.png", "sky_pz_1.png",
                                                         "sky_nx_1.png", "sky_ny_1.png", "sky_nz_1.png"}));
    EXPECT_EQ(two->mipmapGenerations, 0);
    EXPECT_EQ(two->uploads.size(), 12u);
    EXPECT_EQ(two->uploads.back(), "face 5 level 1");
}

TEST_F(GraphicsLoaders, ExplicitCubeFacesGenerateOnceBeforeTheGivenLevels)
{
    Png("p.png", 4, 4);
    Png("h.png", 2, 2);
    Png("q.png", 1, 1);
    auto cube = Get<Graphics::TextureCube, ResourceType::TextureCube>("p.png;h.png#p.png#p.png#p.png;h.png;q.png#p.png#p.png");
    auto* fake = dynamic_cast<FakeTextureCube*>(cube.Get());
    ASSERT_NE(fake, nullptr);
    // Generating after the given levels would replace them with ones made from level 0.
    EXPECT_EQ(fake->uploads, (std::vector<std::string>{"face 0 level 0", "face 1 level 0", "face 2 level 0",
                                                        "face 3 level 0", "face 4 level 0", "face 5 level 0",
                                                        "generate", "face 0 level 1", "face 3 level 1",
                                                        "face 3 level 2"}));

    auto allGiven = Get<Graphics::TextureCube, ResourceType::TextureCube>("p.png;h.png#p.png;h.png#p.png;h.png#p.png;h.png#p.png;h.png#p.png;h.png");
    EXPECT_EQ(dynamic_cast<FakeTextureCube*>(allGiven.Get())->mipmapGenerations, 0);
}

TEST_F(GraphicsLoaders, CubeDescriptorAndBitmapFaults)
{
    Png("p.png", 4, 4);
    Png("h.png", 2, 2);
    Png("wide.png", 4, 2);
    const std::string faces = "Invalid number of faces specified in the descriptor. (Must be 6 faces)";
    struct Case {
        const char* descriptor;
        std::string message;
    };
    const Case cases[] = {
        {"sky.png", "Not a valid TextureCube descriptor"},
        {"a*b*c.png", "Not a valid TextureCube descriptor"},
        {"sky_*.png;plain.png", "Not a valid TextureCube descriptor"},
        {"p.png#p.png", faces},
        {"p.png#p.png#p.png#p.png#p.png", faces},
        {"p.png#p.png#p.png#p.png#p.png#p.png#p.png", faces},
        {"wide.png#p.png#p.png#p.png#p.png#p.png",
         "Invalid resolutions in bitmap: wide.png (Width and height must be equal)"},
        {"p.png#p.png#h.png#p.png#p.png#p.png",
         "Invalid resolutions in bitmap: h.png (All bitmaps must have equal resolutions)"},
        {"p.png;p.png#p.png#p.png#p.png#p.png#p.png",
         "Invalid resolutions in bitmap: p.png (Level 1 must be 2 by 2)"},
    };
    Managed<Bitmap2D> grey(new Bitmap2D(4, 4, Graphics::PixelFormatLuminance8));
    const String greyName = proxy->Add(ResourceType::Bitmap2D, grey.Get());
    const std::string mixed = "p.png#p.png#" + std::string(greyName.CStr()) + "#p.png#p.png#p.png";
    const std::string greyMessage = "Invalid pixel format in bitmap: " + std::string(greyName.CStr()) +
                                    " (All bitmaps must have the pixel format of the first)";
    std::vector<Case> all(std::begin(cases), std::end(cases));
    all.push_back({mixed.c_str(), greyMessage});
    for (const Case& c : all) {
        const std::string expected = std::string("Descriptor '") + c.descriptor +
                                     "' could not be converted to an object: \nTextureCubeLoader: " + c.message + "\n";
        EXPECT_EQ(Failure(ResourceType::TextureCube, c.descriptor), expected);
    }
}

TEST_F(GraphicsLoaders, AnyTextureIsTheFirstKindThatLoads)
{
    Png("one.png", 4, 4);
    for (const char* face : {"px", "py", "pz", "nx", "ny", "nz"})
        Png(std::string("sky_") + face + ".png", 4, 4);

    auto flat = Get<Graphics::Texture, ResourceType::Texture>("one.png");
    EXPECT_EQ(flat->GetTextureType(), Graphics::TextureType2D);
    auto sameFlat = Get<Graphics::Texture2D, ResourceType::Texture2D>("one.png");
    EXPECT_EQ(static_cast<Graphics::Texture*>(sameFlat.Get()), flat.Get());

    auto cube = Get<Graphics::Texture, ResourceType::Texture>("sky_*.png");
    EXPECT_EQ(cube->GetTextureType(), Graphics::TextureTypeCube);
    auto sameCube = Get<Graphics::TextureCube, ResourceType::TextureCube>("sky_*.png");
    EXPECT_EQ(static_cast<Graphics::Texture*>(sameCube.Get()), cube.Get());

    const std::string failure = Failure(ResourceType::Texture, "none.png");
    const std::string start = "Descriptor 'none.png' could not be converted to an object: \n"
                              "TextureLoader: Could not be loaded as a texture: \n"
                              "Texture2D: \nDescriptor 'none.png' could not be converted to an object: \n"
                              "Texture2DLoader: ";
    EXPECT_EQ(failure.rfind(start, 0), 0u) << failure;
    const size_t cubeAt = failure.find("TextureCube: \nDescriptor 'none.png' could not be converted to an object: \n"
                                       "TextureCubeLoader: Not a valid TextureCube descriptor\n");
    const size_t threeAt = failure.find("Texture3D: \nNo service could load the given type\n");
    EXPECT_NE(cubeAt, std::string::npos) << failure;
    EXPECT_NE(threeAt, std::string::npos) << failure;
    EXPECT_LT(cubeAt, threeAt);
}

TEST_F(GraphicsLoaders, TextureCollageUploadsTheAtlasWithItsTiles)
{
    Collage2DBuilder builder;
    Managed<Bitmap2D> tall(new Bitmap2D(10, 20, Graphics::PixelFormatR8G8B8A8));
    Managed<Bitmap2D> small(new Bitmap2D(3, 3, Graphics::PixelFormatR8G8B8A8));
    builder.Add(tall.Get(), Bitmap2D::ComponentsRGBA, false);
    builder.Add(small.Get(), Bitmap2D::ComponentsRGBA, false);
    Managed<Bitmap2DCollage> bitmaps(builder.BuildBitmapCollage(Graphics::PixelFormatR8G8B8A8, 2));
    Managed<Texture2DCollage> textures(builder.BuildTextureCollage(device.Get(), Graphics::PixelFormatR8G8B8A8, 2));

    auto* atlas = dynamic_cast<FakeTexture2D*>(textures->GetTexture());
    ASSERT_NE(atlas, nullptr);
    EXPECT_EQ(atlas->width, bitmaps->GetBitmap()->GetWidth());
    EXPECT_EQ(atlas->height, bitmaps->GetBitmap()->GetHeight());
    EXPECT_FALSE(atlas->renderable);
    EXPECT_EQ(atlas->levelsSet, std::vector<int>{0});
    EXPECT_EQ(atlas->mipmapGenerations, 1);
    EXPECT_EQ(atlas->GetRefCount(), 1);
    ASSERT_EQ(textures->GetTileCount(), 2);
    for (int tile = 0; tile < 2; ++tile) {
        EXPECT_EQ(textures->IsRotated(tile), bitmaps->IsRotated(tile));
        for (auto corner : {&Collage2D::GetCorner0, &Collage2D::GetCorner1, &Collage2D::GetCorner2,
                            &Collage2D::GetCorner3}) {
            EXPECT_EQ(((*textures).*corner)(tile).x, ((*bitmaps).*corner)(tile).x);
            EXPECT_EQ(((*textures).*corner)(tile).y, ((*bitmaps).*corner)(tile).y);
        }
    }
    EXPECT_TRUE(textures->IsRotated(0));
}

}  // namespace graphics_loaders_test
