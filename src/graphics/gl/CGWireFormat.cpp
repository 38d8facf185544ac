#include "graphics/gl/CGWireFormat.h"

#include "core/Exception.h"
#include "io/ByteReader.h"
#include "io/ByteWriter.h"

#include <cstdint>

namespace Nimbrel::Graphics {

namespace CGWireFormatDetail {

const char* const WirePrefix = "CGTranslator: ";

void WriteText(IO::ByteWriter& writer, const std::string& text)
{
    writer.I64(int64_t(text.size()));
    writer.Bytes(text.data(), text.size());
}

std::string ReadText(IO::ByteReader& reader)
{
    int64_t size = reader.I64();
    if (size < 0 || uint64_t(size) > reader.Remaining())
        throw Exception(reader.GetPrefix() + String::Format("Invalid text length %lld at byte %zu", (long long)size,
                                                            reader.Position() - 8));
    return std::string(reinterpret_cast<const char*>(reader.Bytes(size_t(size))), size_t(size));
}

int ReadInt(IO::ByteReader& reader)
{
    int64_t value = reader.I64();
    if (value < INT32_MIN || value > INT32_MAX)
        throw Exception(reader.GetPrefix() + String::Format("Integer %lld out of range at byte %zu", (long long)value,
                                                            reader.Position() - 8));
    return int(value);
}

// A size or count no larger than limit.
size_t ReadSize(IO::ByteReader& reader, size_t limit)
{
    int64_t value = reader.I64();
    if (value < 0 || uint64_t(value) > limit)
        throw Exception(reader.GetPrefix() + String::Format("Invalid size %lld at byte %zu", (long long)value,
                                                            reader.Position() - 8));
    return size_t(value);
}

std::string Bytes(const IO::ByteWriter& writer)
{
    return std::string(reinterpret_cast<const char*>(writer.Data()), writer.Size());
}

}  // namespace CGWireFormatDetail

std::string CGWireFormat::WriteRequest(const CGTranslator::Request& request)
{
    using namespace CGWireFormatDetail;
    IO::ByteWriter writer;
    WriteText(writer, request.source);
    WriteText(writer, request.entryPoint);
    writer.I64(request.stage);
    writer.I64(int64_t(request.definitions.size()));
    for (const std::string& definition : request.definitions)
        WriteText(writer, definition);
    return Bytes(writer);
}

bool CGWireFormat::ReadRequest(const std::string& bytes, CGTranslator::Request& request)
{
    using namespace CGWireFormatDetail;
    try {
        IO::ByteReader reader(bytes.data(), bytes.size(), WirePrefix);
        request.source = ReadText(reader);
        request.entryPoint = ReadText(reader);
        int stage = ReadInt(reader);
        request.stage = stage == CGTranslator::StagePixel ? CGTranslator::StagePixel : CGTranslator::StageVertex;
        // Each definition takes at least its 8-byte length.
        request.definitions.resize(ReadSize(reader, reader.Remaining() / 8));
        for (std::string& definition : request.definitions)
            definition = ReadText(reader);
        return reader.AtEnd();
    } catch (const Exception&) {
        return false;
    }
}

std::string CGTranslator::Serialize(const Result& result)
{
    using namespace CGWireFormatDetail;
    IO::ByteWriter writer;
    writer.I64(result.succeeded);
    WriteText(writer, result.listing);
    WriteText(writer, result.glsl);
    writer.I64(int64_t(result.mainOffset));
    writer.I64(int64_t(result.bodyOffset));
    WriteText(writer, result.outputDefaults);
    writer.I64(int64_t(result.attributes.size()));
    for (const Attribute& attribute : result.attributes) {
        WriteText(writer, attribute.variable);
        writer.I64(attribute.index);
        WriteText(writer, attribute.name);
    }
    writer.I64(int64_t(result.varyings.size()));
    for (const Varying& varying : result.varyings) {
        WriteText(writer, varying.semantic);
        WriteText(writer, varying.variable);
        WriteText(writer, varying.type);
        writer.I64(varying.widened);
    }
    writer.I64(int64_t(result.uniforms.size()));
    for (const Uniform& uniform : result.uniforms) {
        WriteText(writer, uniform.name);
        WriteText(writer, uniform.variable);
        writer.I64(uniform.type);
        WriteText(writer, uniform.typeName);
        writer.I64(uniform.rows);
        writer.I64(uniform.columns);
        writer.I64(uniform.arraySize);
        writer.I64(uniform.sampler);
        writer.I64(uniform.samplerTarget);
        writer.I64(int64_t(uniform.defaults.size()));
        for (float value : uniform.defaults)
            writer.F32(value);
    }
    return Bytes(writer);
}

bool CGTranslator::Deserialize(const std::string& bytes, Result& result)
{
    using namespace CGWireFormatDetail;
    try {
        IO::ByteReader reader(bytes.data(), bytes.size(), WirePrefix);
        result.succeeded = ReadInt(reader) != 0;
        result.listing = ReadText(reader);
        result.glsl = ReadText(reader);
        result.mainOffset = ReadSize(reader, result.glsl.size());
        result.bodyOffset = ReadSize(reader, result.glsl.size());
        result.outputDefaults = ReadText(reader);
        // Every entry takes at least 8 bytes, which bounds what a count may ask for.
        result.attributes.resize(ReadSize(reader, reader.Remaining() / 8));
        for (Attribute& attribute : result.attributes) {
            attribute.variable = ReadText(reader);
            attribute.index = ReadInt(reader);
            attribute.name = ReadText(reader);
        }
        result.varyings.resize(ReadSize(reader, reader.Remaining() / 8));
        for (Varying& varying : result.varyings) {
            varying.semantic = ReadText(reader);
            varying.variable = ReadText(reader);
            varying.type = ReadText(reader);
            varying.widened = ReadInt(reader) != 0;
        }
        result.uniforms.resize(ReadSize(reader, reader.Remaining() / 8));
        for (Uniform& uniform : result.uniforms) {
            uniform.name = ReadText(reader);
            uniform.variable = ReadText(reader);
            uniform.type = ReadInt(reader);
            uniform.typeName = ReadText(reader);
            uniform.rows = ReadInt(reader);
            uniform.columns = ReadInt(reader);
            uniform.arraySize = ReadInt(reader);
            uniform.sampler = ReadInt(reader) != 0;
            uniform.samplerTarget = (unsigned int)ReadInt(reader);
            uniform.defaults.resize(ReadSize(reader, reader.Remaining() / sizeof(float)));
            for (float& value : uniform.defaults)
                value = reader.F32();
        }
        return reader.AtEnd();
    } catch (const Exception&) {
        return false;
    }
}

}  // namespace Nimbrel::Graphics
