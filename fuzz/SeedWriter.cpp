// Writes the seed corpus of every fuzz target: `fuzz_seeds FOLDER` makes FOLDER/<target>/
// with a few small, valid files of the format, made by the fixtures the tests use and by the
// engine's own writers. Nothing here comes from outside the engine.
//
// The seeds stay small (the fuzzer mutates every byte of them) and together reach each
// branch of a reader that a valid file can take: every NGM version and data type, every WAV
// sample format and a chunk to skip, mono, stereo and chained Ogg streams, stored, deflated
// and Zip64 archive entries, sync data with every interpolation, an empty slot and bindings,
// every TGA image type, PNG colour types and depths, baseline and progressive JPEG, flat and
// run-length Radiance scanlines, XML with each kind of node the reader meets, NSGML with
// every element that builds, COLLADA scenes with every primitive element, animation,
// light, camera and texture the importer reads, and Cg sources with each construct the Cg
// layer rewrites.
#include "core/Exception.h"
#include "core/Managed.h"
#include "io/Stream.h"
#include "utils/ProbeProxy.h"
#include "utils/loaders/NgmWriter.h"
#include "utils/studio/SyncData.h"

#include "support/ColladaWriter.h"
#include "support/ImageFixtures.h"
#include "support/MemoryFileSystem.h"
#include "support/MemoryStream.h"
#include "support/NgmBytes.h"
#include "support/TempFolder.h"
#include "support/VorbisEncoder.h"
#include "support/WavFile.h"

#include "NsgLibrary.h"

#include <minizip/zip.h>
#include <zlib.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

using namespace Nimbrel;
using namespace Nimbrel::Utils;
using Bytes = std::vector<uint8_t>;

namespace {

std::filesystem::path root;

void Seed(const std::string& target, const std::string& name, const Bytes& bytes)
{
    const std::filesystem::path folder = root / target;
    std::filesystem::create_directories(folder);
    std::ofstream out(folder / name, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write the seed " + (folder / name).string());
}

// NGM: every version field by field, and what the engine's writer makes of its content.
void NgmSeeds()
{
    using Testing::NgmBytes;
    NgmBytes v100;
    v100.Magic("NGM100").Int(3).Int(1).Word("POSITION").Int(3).Floats({0, 0, 0, 1, 0, 0, 0, 1, 0})
        .Word("triangles").Int(3).UInt32s({0, 1, 2});
    Seed("ngm", "v100.ngm", v100.bytes);

    NgmBytes v101;
    v101.Magic("NGM101").Int(2).Int(3)
        .Word("POSITION").Word("float").Word("none").Int(2).Floats({0, 1, 2, 3})
        .Word("NORMAL").Word("short").Word("normalize").Int(1).UInt16s({1, 0xFFFF})
        .Word("TEXCOORD0").Word("byte").Word("scale_and_bias").Float(0.5f).Float(-1.0f).Int(1).UInt8s({7, 200})
        .Word("lines").Word("short").Int(2).UInt16s({0, 1});
    Seed("ngm", "v101.ngm", v101.bytes);

    NgmBytes v102;
    v102.Magic("NGM102").Int(2).Int(1).Word("N_TANGENT").Word("int8").Word("none").Int(4).UInt8s({1, 2, 3, 4, 5, 6, 7, 8})
        .Word("triangles").Word("int32").Int(3).UInt32s({0, 1, 1});
    Seed("ngm", "v102.ngm", v102.bytes);

    Loaders::NgmData data;
    data.version = 200;
    data.vertexCount = 3;
    Loaders::NgmAttribute position;
    position.semantic = 0;
    position.components = 3;
    const float corners[] = {0, 0, 0, 1, 0, 0, 0, 1, 0};
    position.data.SetSize(sizeof corners);
    std::memcpy(position.data.Data(), corners, sizeof corners);
    data.attributes.Add(position);
    Loaders::NgmAttribute weight;
    weight.semantic = 1;
    weight.type = Graphics::DataTypeShort;
    weight.scaleAndBias = true;
    weight.scale = 2.0f;
    weight.bias = 0.5f;
    weight.components = 1;
    const uint16_t weights[] = {1, 2, 3};
    weight.data.SetSize(sizeof weights);
    std::memcpy(weight.data.Data(), weights, sizeof weights);
    data.attributes.Add(weight);
    data.indexSize = 2;
    data.indexCount = 5;
    const uint16_t indices[] = {0, 1, 2, 0, 1};
    data.indices.SetSize(sizeof indices);
    std::memcpy(data.indices.Data(), indices, sizeof indices);
    data.subMeshes.Add(SubMesh{0, 3, 0, 2, Graphics::PrimitiveTriangles});
    data.subMeshes.Add(SubMesh{3, 2, 0, 1, Graphics::PrimitiveLines});
    Managed<Testing::MemoryStream> file(new Testing::MemoryStream());
    Loaders::WriteNgm(file.Get(), data);
    Seed("ngm", "v200.ngm", file->bytes);
}

// WAV: each sample format the reader accepts, one with a chunk to skip (of odd size, so
// with a pad byte) and one in the extensible format.
void WavSeeds()
{
    auto pattern = [](size_t bytes) {
        Bytes data;
        for (size_t i = 0; i < bytes; ++i)
            data.push_back(static_cast<uint8_t>(i * 37 + 11));
        return data;
    };
    struct Format {
        const char* name;
        uint16_t tag, channels, bits;
    };
    for (const Format& f : {Format{"u8-mono.wav", 1, 1, 8}, Format{"s16-stereo.wav", 1, 2, 16},
                            Format{"s24-stereo.wav", 1, 2, 24}, Format{"s32-mono.wav", 1, 1, 32},
                            Format{"float-stereo.wav", 3, 2, 32}}) {
        Testing::Wav wav;
        wav.tag = f.tag;
        wav.channels = f.channels;
        wav.bits = f.bits;
        wav.rate = 22050;
        wav.data = pattern(static_cast<size_t>(16 * f.channels * f.bits / 8));
        Seed("wav", f.name, wav.Build());
    }

    Testing::Wav skipped;
    skipped.chunksBeforeData.push_back({"LIST", pattern(7)});
    skipped.data = pattern(32);
    Seed("wav", "list-chunk.wav", skipped.Build());

    // WAVE_FORMAT_EXTENSIBLE: valid bits, channel mask and the PCM sub-format's GUID.
    Testing::Wav extensible;
    extensible.tag = 0xFFFE;
    extensible.bits = 24;
    extensible.formatExtra = {22, 0, 24, 0, 3, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0x10, 0, 0x80, 0, 0, 0xAA, 0, 0x38, 0x9B, 0x71};
    extensible.data = pattern(24);
    Seed("wav", "extensible.wav", extensible.Build());
}

// Ogg Vorbis: short tones with small pages (many pages for few bytes), and a chained
// stream whose second link has another channel count.
void OggSeeds()
{
    auto tone = [](int frames, int channels) {
        std::vector<float> samples;
        for (int i = 0; i < frames; ++i)
            for (int c = 0; c < channels; ++c)
                samples.push_back(0.3f * std::sin(static_cast<float>(i) * (0.05f + 0.02f * c)));
        return samples;
    };
    const Bytes mono = Testing::EncodeVorbis(tone(2000, 1), 1, 8000, 0.0f, 256);
    const Bytes stereo = Testing::EncodeVorbis(tone(1500, 2), 2, 11025, 0.1f, 512);
    Seed("ogg", "mono.ogg", mono);
    Seed("ogg", "stereo.ogg", stereo);
    Bytes chained = stereo;
    chained.insert(chained.end(), mono.begin(), mono.end());
    Seed("ogg", "chained.ogg", chained);
}

// Zip: minizip's writer, as in the zip tests: stored and deflated entries with folder and
// mixed-case names, an empty entry, and an archive whose entry carries Zip64 fields.
void ZipSeeds()
{
    struct Entry {
        const char* name;
        std::string data;
        int method;
    };
    auto make = [](const std::vector<Entry>& entries, bool zip64) {
        Testing::TempFolder temp;
        const std::string path = temp / "seed.zip";
        zipFile zip = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
        if (!zip)
            throw std::runtime_error("minizip cannot create " + path);
        for (const Entry& entry : entries) {
            zip_fileinfo info{};
            if (zipOpenNewFileInZip64(zip, entry.name, &info, nullptr, 0, nullptr, 0, nullptr, entry.method,
                                      entry.method ? Z_BEST_COMPRESSION : 0, zip64 ? 1 : 0) != ZIP_OK ||
                zipWriteInFileInZip(zip, entry.data.data(), static_cast<unsigned>(entry.data.size())) != ZIP_OK ||
                zipCloseFileInZip(zip) != ZIP_OK)
                throw std::runtime_error("minizip cannot write an entry");
        }
        if (zipClose(zip, nullptr) != ZIP_OK)
            throw std::runtime_error("minizip cannot close " + path);
        const std::string bytes = temp.Read("seed.zip");
        return Bytes(bytes.begin(), bytes.end());
    };
    std::string repeated;
    for (int i = 0; i < 40; ++i)
        repeated += "line " + std::to_string(i % 7) + " of the notes\n";
    Seed("zip", "mixed.zip", make({{"readme.txt", "Hello from the archive\n", 0},
                                   {"data/Notes.TXT", repeated, Z_DEFLATED},
                                   {"empty", "", 0}},
                                  false));
    Seed("zip", "zip64.zip", make({{"big.bin", repeated, Z_DEFLATED}, {"small.txt", "abc", 0}}, true));
}

// Sync data: saved by the engine, a small set and one with every interpolation, an empty
// slot, a group without blocks and probes bound to several tracks.
void SyncSeeds()
{
    using namespace Utils::Studio;
    auto save = [](SyncData& sync) {
        Managed<Testing::MemoryFileSystem> disk(new Testing::MemoryFileSystem());
        sync.Save(disk.Get());
        return (*disk)["syncdata.bin"];
    };
    Managed<ProbeProxy> probes(new ProbeProxy());

    Managed<SyncData> small(new SyncData(probes.Get()));
    const int x = small->AddTrack("x");
    TrackGroup* one = small->GetTrackGroup(small->AddTrackGroup("G"));
    one->AddTrack(small->GetTrack(x));
    small->GetBlock(small->CreateBlock(0, 16, one))->GetPattern(0)->SetKey(Key{1, 0.0f, 1.0f, 0});
    small->BindProbe(x, probes->GetProbe("camera.x"));
    Seed("syncdata", "small.bin", save(*small));

    Managed<SyncData> full(new SyncData(probes.Get()));
    const int a = full->AddTrack("fade");
    const int b = full->AddTrack("camera.zoom");
    const int c = full->AddTrack("flash");
    TrackGroup* scene = full->GetTrackGroup(full->AddTrackGroup("scene"));
    scene->AddTrack(full->GetTrack(a));
    scene->AddTrack(full->GetTrack(b));
    TrackGroup* effects = full->GetTrackGroup(full->AddTrackGroup("effects"));
    effects->AddTrack(full->GetTrack(c));
    full->AddTrackGroup("unused");
    Block* intro = full->GetBlock(full->CreateBlock(0, 64, scene));
    intro->GetPattern(0)->SetKey(Key{InterpolationStep, 0.0f, 1.0f, 0});
    intro->GetPattern(0)->SetKey(Key{InterpolationLinear, 1.0f, 0.5f, 16});
    intro->GetPattern(0)->SetKey(Key{InterpolationCosine, 0.5f, 0.0f, 48});
    intro->GetPattern(1)->SetKey(Key{InterpolationCosine, 2.0f, 2.0f, 8});
    full->DeleteBlock(full->CreateBlock(32, 8, effects));
    Block* strobe = full->GetBlock(full->CreateBlock(48, 32, effects));
    strobe->GetPattern(0)->SetKey(Key{InterpolationStep, 1.0f, 0.0f, 4});
    full->BindProbe(a, probes->GetProbe("post.fade"));
    full->BindProbe(b, probes->GetProbe("camera.zoom"));
    full->BindProbe(c, probes->GetProbe("post.fade"));
    full->BindProbe(c, probes->GetProbe("post.flash"));
    Seed("syncdata", "full.bin", save(*full));
}


// TGA: each image type (true colour, grey, mapped, and their run-length forms), several
// depths and the top-left origin, as the TGA tests write them.
void TgaSeeds()
{
    auto file = [](uint8_t type, uint8_t depth, uint16_t width, uint16_t height, Bytes pixels) {
        Testing::TgaFile tga;
        tga.imageType = type;
        tga.depth = depth;
        tga.width = width;
        tga.height = height;
        tga.pixels = std::move(pixels);
        return tga;
    };
    auto mapped = [&](uint8_t type, uint8_t mapBits, Bytes map, Bytes pixels) {
        Testing::TgaFile tga = file(type, 8, 2, 1, std::move(pixels));
        tga.mapType = 1;
        tga.mapBits = mapBits;
        tga.mapLength = static_cast<uint16_t>(map.size() / ((mapBits + 7) / 8));
        tga.map = std::move(map);
        return tga;
    };
    Seed("tga", "rgb24.tga", file(2, 24, 2, 2, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}).Build());
    Testing::TgaFile top = file(2, 32, 2, 1, {0x30, 0x20, 0x10, 0x80, 3, 2, 1, 0});
    top.descriptor = 0x28;
    top.id = {'s', 'e', 'e', 'd'};
    Seed("tga", "rgba32-top.tga", top.Build());
    Seed("tga", "rgb15.tga", file(2, 15, 2, 1, {0x00, 0x7C, 0xE0, 0x03}).Build());
    Seed("tga", "grey-alpha.tga", file(3, 16, 2, 1, {0x9A, 0x40, 0x10, 0xFF}).Build());
    Seed("tga", "mapped.tga", mapped(1, 24, {0, 0, 0xFF, 0xFF, 0, 0}, {1, 0}).Build());
    Seed("tga", "rle-rgb.tga", file(10, 24, 2, 2, {0x81, 3, 2, 1, 0x01, 6, 5, 4, 9, 8, 7}).Build());
    Seed("tga", "rle-grey.tga", file(11, 8, 2, 1, {0x81, 0x33}).Build());
    Seed("tga", "rle-mapped.tga", mapped(9, 16, {0x00, 0x7C, 0x1F, 0x00}, {0x00, 1, 0x80, 0}).Build());
}

// PNG: libpng's writer, through the image tests' fixture, for each colour type, a palette
// with transparency, 16-bit and 1-bit samples and an interlaced file.
void PngSeeds()
{
    auto image = [](int width, int height, int colourType, int bitDepth, size_t bytesPerRow) {
        Testing::PngImage png;
        png.width = width;
        png.height = height;
        png.colourType = colourType;
        png.bitDepth = bitDepth;
        for (size_t i = 0; i < bytesPerRow * static_cast<size_t>(height); ++i)
            png.rows.push_back(static_cast<uint8_t>(i * 29 + 3));
        return png;
    };
    Seed("png", "rgb.png", Testing::EncodePng(image(4, 3, PNG_COLOR_TYPE_RGB, 8, 12)));
    Seed("png", "rgba16.png", Testing::EncodePng(image(2, 2, PNG_COLOR_TYPE_RGB_ALPHA, 16, 16)));
    Seed("png", "grey1.png", Testing::EncodePng(image(9, 2, PNG_COLOR_TYPE_GRAY, 1, 2)));
    Seed("png", "grey-alpha.png", Testing::EncodePng(image(3, 2, PNG_COLOR_TYPE_GRAY_ALPHA, 8, 6)));
    Testing::PngImage palette = image(4, 2, PNG_COLOR_TYPE_PALETTE, 2, 1);
    palette.palette = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {9, 9, 9}};
    palette.transparency = {0, 128};
    Seed("png", "palette.png", Testing::EncodePng(palette));
    Testing::PngImage interlaced = image(9, 9, PNG_COLOR_TYPE_RGB, 8, 27);
    interlaced.interlaced = true;
    Seed("png", "interlaced.png", Testing::EncodePng(interlaced));
}

// JPEG: libjpeg's compressor, through the image tests' fixture: grey, colour, CMYK (which
// the reader refuses), progressive and with optimised tables.
void JpegSeeds()
{
    auto pixels = [](int width, int height, int components) {
        Bytes bytes;
        for (int i = 0; i < width * height * components; ++i)
            bytes.push_back(static_cast<uint8_t>((i * 7) ^ (i / 13)));
        return bytes;
    };
    Seed("jpeg", "grey.jpg", Testing::EncodeJpeg(8, 8, 1, pixels(8, 8, 1), 75));
    Seed("jpeg", "rgb.jpg", Testing::EncodeJpeg(16, 8, 3, pixels(16, 8, 3), 50));
    Seed("jpeg", "cmyk.jpg", Testing::EncodeJpeg(8, 8, 4, pixels(8, 8, 4), 50));
    Seed("jpeg", "progressive.jpg", Testing::EncodeJpeg(16, 16, 3, pixels(16, 16, 3), 60, true));
    Seed("jpeg", "optimized.jpg", Testing::EncodeJpeg(8, 16, 1, pixels(8, 16, 1), 90, false, true));
}

// Radiance HDR: flat scanlines, the old repeat form, run-length scanlines, and a header of
// every kind of line, as the HDR tests write them.
void HdrSeeds()
{
    Seed("hdr", "flat.hdr", Testing::HdrFile(3, 2, {10, 20, 30, 130, 40, 50, 60, 131, 10, 20, 30, 130,
                                                    40, 50, 60, 131, 40, 50, 60, 131, 10, 20, 30, 130}));
    Seed("hdr", "repeat.hdr", Testing::HdrFile(10, 1, {40, 50, 60, 131, 10, 20, 30, 130, 1, 1, 1, 8}));
    Seed("hdr", "rle.hdr", Testing::HdrFile(8, 2, {2, 2, 0, 8, 0x88, 16, 8, 1, 2, 3, 4, 5, 6, 7, 8, 0x83, 16, 5, 9, 9, 9,
                                                   9, 9, 0x88, 128, 2, 2, 0, 8, 0x88, 1, 0x88, 2, 0x88, 3, 0x84, 4, 0x84, 5}));
    Seed("hdr", "header.hdr", Testing::HdrFile(1, 1, {1, 2, 3, 4},
                                               "#?RADIANCE\nEXPOSURE=1.0\n#comment\nFORMAT=32-bit_rle_rgbe\nGAMMA=2.2\n\n"));
}

// XML: written here, each with something the reader must resolve or skip.
void XmlSeeds()
{
    auto text = [](const std::string& document) { return Bytes(document.begin(), document.end()); };
    Seed("xml", "scene.xml", text("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                                  "<!-- a scene -->\n"
                                  "<scene name=\"intro\" length=\"64\">\n"
                                  "  <camera id=\"main\" fov=\"60\"/>\n"
                                  "  <mesh file=\"ship.ngm\">  spinning\t ship  <material/></mesh>\n"
                                  "  <?engine hint?>\n"
                                  "</scene>\n"));
    Seed("xml", "entities.xml", text("<notes a=\"&lt;&amp;&gt;\" b='&#65;&#x42;'>&quot;x&apos;<![CDATA[<raw & text>]]></notes>"));
    Seed("xml", "doctype.xml", text("<!DOCTYPE layout [<!ELEMENT layout ANY>]>\n<layout><row><cell/><cell>1</cell></row><row/></layout>"));
}

// Studio layouts: a container of placed windows, and the elements the loader refuses.
void GuiLayoutSeeds()
{
    auto text = [](const std::string& document) { return Bytes(document.begin(), document.end()); };
    Seed("gui_layout", "windows.xml", text("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                                           "<studio_root >\n"
                                           "  <widget pos=\"(120, 40)\" size=\"(300, 200)\" />\n"
                                           "  <widget size=\"(-5, 99999)\" />\n"
                                           "  <studio_root><widget pos=\"(1,2)\"/></studio_root>\n"
                                           "</studio_root>\n"));
    Seed("gui_layout", "refused.xml", text("<studio_root><widget pos=\"(1)\"/><probe_monitor><watch probe=\"a\"/></probe_monitor></studio_root>"));
}

// NSG: a library of each record kind, written field by field, and the bare header.
void NsgSeeds()
{
    Seed("nsg", "library.nsg", Fuzzing::NsgLibrary());
    Testing::NgmBytes header;
    header.Magic("NSG200");
    Seed("nsg", "empty.nsg", header.bytes);
}

// COLLADA: a small scene from the tests' writer (a textured cube, a sphere, a light and an
// animation), and by hand the shapes of primitives, a matrix channel, a camera, a skinned
// instance and the same scene in UTF-16.
void ColladaSeeds()
{
    auto text = [](const std::string& document) { return Bytes(document.begin(), document.end()); };
    Testing::ColladaWriter writer;
    writer.AddImage("checker", "maps/checker%20board.png");
    writer.AddTextureEffect("checker-fx", "checker");
    writer.AddMaterial("checker-m", "checker-fx");
    writer.AddColorEffect("red-fx", "phong", "diffuse", {1, 0, 0});
    writer.AddMaterial("red-m", "red-fx");
    writer.AddMesh(Testing::CubeMesh("cube", 0.5f));
    writer.AddMesh(Testing::SphereMesh("ball", 1.0f, 3, 4));
    writer.AddDirectionalLight("sun", {1, 1, 0.5f});
    writer.AddLinearAnimation("spin", "box/turn.ANGLE", {0, 1, 2}, {0, 90, 180}, 1);
    writer.AddNode("<node id=\"lamp\"><instance_light url=\"#sun\"/></node>");
    writer.AddNode("<node id=\"box\" name=\"box\"><rotate sid=\"turn\">0 0 1 0</rotate>" +
                   Testing::ColladaWriter::Instance("cube", "checker-m") +
                   "<node id=\"moon\"><scale>0.5 0.5 0.5</scale>" + Testing::ColladaWriter::Instance("ball", "red-m") +
                   "</node></node>");
    const std::string scene = writer.Text();
    Seed("collada", "scene.dae", text(scene));

    const std::string square =
        "<source id=\"p\"><float_array id=\"pa\" count=\"12\">0 0 0 1 0 0 1 1 0 0 1 0</float_array><technique_common>"
        "<accessor source=\"#pa\" count=\"4\" stride=\"3\"/></technique_common></source>"
        "<source id=\"n\"><float_array id=\"na\" count=\"3\">0 0 1</float_array><technique_common>"
        "<accessor source=\"#na\" count=\"1\" stride=\"3\"/></technique_common></source>"
        "<vertices id=\"v\"><input semantic=\"POSITION\" source=\"#p\"/></vertices>";
    const std::string inputs = "<input semantic=\"VERTEX\" source=\"#v\" offset=\"0\"/>"
                               "<input semantic=\"NORMAL\" source=\"#n\" offset=\"1\"/>";
    Seed("collada", "primitives.dae", text(
        "<?xml version=\"1.0\"?><COLLADA version=\"1.4.1\"><library_geometries><geometry id=\"g\"><mesh>" + square +
        "<polylist count=\"1\">" + inputs + "<vcount>4</vcount><p>0 0 1 0 2 0 3 0</p></polylist>"
        "<polygons count=\"1\">" + inputs + "<p>0 0 1 0 2 0</p></polygons>"
        "<tristrips count=\"1\">" + inputs + "<p>0 0 1 0 3 0 2 0</p></tristrips>"
        "<trifans count=\"1\">" + inputs + "<p>0 0 1 0 2 0 3 0</p></trifans>"
        "<lines count=\"1\">" + inputs + "<p>0 0 1 0</p></lines></mesh></geometry></library_geometries>"
        "<library_cameras><camera id=\"c\"><optics><technique_common><perspective><xfov sid=\"fov\">45</xfov>"
        "<aspect_ratio>1,5</aspect_ratio><znear>0.1</znear><zfar>500</zfar></perspective></technique_common></optics>"
        "<extra><technique profile=\"x\"><target>#m</target></technique></extra></camera></library_cameras>"
        "<library_controllers><controller id=\"k\"><skin source=\"#g\"><bind_shape_matrix>1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1"
        "</bind_shape_matrix><source id=\"j\"><Name_array id=\"ja\" count=\"1\">bone</Name_array></source>"
        "<joints><input semantic=\"JOINT\" source=\"#j\"/></joints><vertex_weights count=\"1\">"
        "<input semantic=\"JOINT\" source=\"#j\" offset=\"0\"/><vcount>1</vcount><v>0 0</v></vertex_weights></skin>"
        "</controller></library_controllers>"
        "<library_animations><animation><source id=\"t\"><float_array id=\"ta\" count=\"2\">0 1</float_array>"
        "</source><source id=\"o\"><float_array id=\"oa\" count=\"32\">1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1 "
        "1 0 0 5 0 1 0 0 0 0 1 0 0 0 0 1</float_array><technique_common><accessor source=\"#oa\" count=\"2\" "
        "stride=\"16\"/></technique_common></source><source id=\"i\"><Name_array id=\"ia\" count=\"1\">BEZIER"
        "</Name_array></source><sampler id=\"s\"><input semantic=\"INPUT\" source=\"#t\"/><input semantic=\"OUTPUT\" "
        "source=\"#o\"/><input semantic=\"INTERPOLATION\" source=\"#i\"/></sampler><channel source=\"#s\" "
        "target=\"m/x\"/><channel source=\"#s\" target=\"m/x(0)(3)\"/></animation></library_animations>"
        "<library_visual_scenes><visual_scene id=\"vs\"><node id=\"m\"><matrix sid=\"x\">1 0 0 1 0 1 0 2 0 0 1 3 0 0 0 1"
        "</matrix><instance_camera url=\"#c\"/><instance_geometry url=\"#g\"/></node><node>"
        "<instance_controller url=\"#k\"/></node></visual_scene></library_visual_scenes></COLLADA>"));

    Bytes utf16 = {0xFF, 0xFE};
    for (char c : scene)
        utf16.insert(utf16.end(), {uint8_t(c), 0});
    Seed("collada", "utf16.dae", utf16);
}

// NSGML: a scene of every top-level element and every node kind that builds, over the library
// the target keeps beside the document, and a node tree on its own.
void NsgmlSeeds()
{
    auto text = [](const std::string& document) { return Bytes(document.begin(), document.end()); };
    Seed("nsgml", "scene.nsgml",
         text("<scene>\n"
              "  <import desc=\"library.nsg\"/>\n"
              "  <linear_controller id=\"spin\" components=\"4\">\n"
              "    <key time=\"0\" value=\"0, 0, 1, 0\"/><key time=\"1\" value=\"(0, 0, 1, 180)\"/>\n"
              "  </linear_controller>\n"
              "  <composite_controller id=\"both\" components=\"3\">\n"
              "    <comp value=\"pos\" comp=\"2\"/><comp value=\"0.5\"/><comp value=\"mix\" comp=\"1\"/>\n"
              "  </composite_controller>\n"
              "  <material id=\"m\"><diffuse value=\"1, 0.5, 0\" tex=\"t.png\"/><shininess tex=\"t.png\" comp=\"a\"/></material>\n"
              "  <name value=\"root\">\n"
              "    <time value=\"2\"><rotate value=\"spin\"><translate value=\"both\"><scale value=\"2\">\n"
              "      <apply_material id=\"m\"><draw_geometry id=\"tri\"/></apply_material>\n"
              "    </scale></translate></rotate></time>\n"
              "    <matrix value=\"1, 0, 0, 0, 0, 1\"/><solid/><scene desc=\"library.nsg\"/>\n"
              "    <light type=\"spot\" color=\"1, 1, 1\" falloff_angle=\"30\"/>\n"
              "    <camera xfov=\"60\" aspect=\"1.5\" znear=\"0.1\" zfar=\"100\" up=\"0, 1, 0\"/>\n"
              "    <shape type=\"box\" min=\"(-1, -1, -1)\" max=\"(1, 1, 1)\" bounds=\"drawable, light\"/>\n"
              "    <shape type=\"sphere\" position=\"0, 0, 0\" radius=\"2\" bounds=\"camera\"/>\n"
              "    <transparency value=\"0.5\"/><emission value=\"0, 1\"/><normal tex=\"t.png\"/>\n"
              "  </name>\n"
              "</scene>\n"));
    Seed("nsgml", "tree.nsgml",
         text("<name value=\"n\"><translate value=\"1, 2, 3\"><light type=\"ambient\"/></translate>"
              "<reflectivity value=\"1\" comp=\"n\"/><specular/></name>"));
}

// Fonts: Debian's DejaVu faces (fonts-dejavu-core), the outline format demos use most.
void FontSeeds()
{
    for (const char* name : {"DejaVuSans.ttf", "DejaVuSansMono.ttf"}) {
        std::ifstream file(std::string("/usr/share/fonts/truetype/dejavu/") + name, std::ios::binary);
        const Bytes bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
        if (bytes.empty())
            throw std::runtime_error(std::string("cannot read ") + name + " of fonts-dejavu-core");
        Seed("font", name, bytes);
    }
}

// Cg sources: written here, each with a construct the Cg layer rewrites before compiling.
void CgSeeds()
{
    auto text = [](const std::string& source) { return Bytes(source.begin(), source.end()); };
    Seed("cg", "entry.cg", text("struct Lut { sampler2D tex; float2 size; };\n"
                                "float4 tint = float4(1, 0, 0, 1);\n"
                                "void brighten() { tint.g += 0.5; }\n"
                                "float4 psMain(uniform Lut lut, in sampler2D s : TEXUNIT0, float2 uv : TEXCOORD0) : COLOR\n"
                                "{\n    brighten();\n    return tex2D(lut.tex, uv * lut.size) * tint + tex2D(s, uv);\n}\n"));
    Seed("cg", "state.cg", text("#ifdef SKINNED extra words\nfloat3x4 bones[2];\n#else SKINNED\n#endif SKINNED\n"
                                "float4 unused() { return undeclared; }\n"
                                "float4 psMain(float4 p : TEXCOORD0) : COLOR {\n"
                                "    float3 k[2] = {1, 0, 0, 0, 1, 0};\n    float w[2] = float[](0.5, 0.5);\n"
                                "    return mul(glstate.matrix.inverse.mvp, p) + mul(glstate.matrix.transpose.modelview[0], p)"
                                " + float4(k[0] * w[0] + k[1] * w[1], fract(mod(p.x, 2.0)));\n}\n"));
    Seed("cg", "include.cg", text("#include \"common.cg\"\nfloat4 psMain() : COLOR { return Tint(); }\n"));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    root = argv[1];
    try {
        NgmSeeds();
        WavSeeds();
        OggSeeds();
        ZipSeeds();
        SyncSeeds();
        TgaSeeds();
        PngSeeds();
        JpegSeeds();
        HdrSeeds();
        XmlSeeds();
        GuiLayoutSeeds();
        NsgSeeds();
        NsgmlSeeds();
        FontSeeds();
        ColladaSeeds();
        CgSeeds();
    } catch (const Exception& error) {
        std::fprintf(stderr, "%s\n", error.GetMessage().CStr());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s\n", error.what());
        return 1;
    }
    return 0;
}
