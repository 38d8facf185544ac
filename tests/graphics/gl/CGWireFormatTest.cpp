// Requests to the compiler process: what is written reads back whole, and a message cut
// short or run on is refused rather than read in part.
#include "graphics/gl/CGWireFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace cg_wire_format_test {

using Nimbrel::Graphics::CGTranslator;
namespace CGWireFormat = Nimbrel::Graphics::CGWireFormat;

TEST(CGWireFormatTest, RequestsReadBackWholeOrNotAtAll)
{
    CGTranslator::Request request;
    request.source = std::string("float4 main() : COLOR { return 0; }\0tail", 40);
    request.entryPoint = "main";
    request.stage = CGTranslator::StagePixel;
    request.definitions = {"A", "B=2", ""};
    std::string bytes = CGWireFormat::WriteRequest(request);

    CGTranslator::Request back;
    ASSERT_TRUE(CGWireFormat::ReadRequest(bytes, back));
    EXPECT_EQ(back.source, request.source);
    EXPECT_EQ(back.entryPoint, "main");
    EXPECT_EQ(back.stage, CGTranslator::StagePixel);
    EXPECT_EQ(back.definitions, request.definitions);

    for (size_t length = 0; length < bytes.size(); ++length) {
        CGTranslator::Request partial;
        EXPECT_FALSE(CGWireFormat::ReadRequest(bytes.substr(0, length), partial)) << length;
    }
    CGTranslator::Request longer;
    EXPECT_FALSE(CGWireFormat::ReadRequest(bytes + '\0', longer));
    // A definition count far beyond what the bytes could hold allocates nothing.
    std::string counted = bytes;
    size_t countAt = 8 + request.source.size() + 8 + request.entryPoint.size() + 8;
    counted[countAt + 6] = char(0x7f);
    CGTranslator::Request huge;
    EXPECT_FALSE(CGWireFormat::ReadRequest(counted, huge));
}

}  // namespace cg_wire_format_test
