#include "utils/loaders/TextLoader.h"

#include "io/NativeFileSystem.h"
#include "io/Stream.h"
#include "support/Expect.h"
#include "support/TempFolder.h"
#include "utils/DefaultResourceProxy.h"
#include "utils/Resource.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace Nimbrel;
using namespace Nimbrel::Utils;

namespace text_loader_test {

TEST(TextLoader, ReturnsTheFileUpToItsFirstZeroByte)
{
    Testing::TempFolder temp;
    temp.Write("shaders/plain.cg", "float4 main() : COLOR\r\n{ return 1; }\n");
    temp.Write("shaders/zero.cg", std::string("abc\0def", 7));
    temp.Write("empty.txt", "");
    Managed<ResourceProxy> proxy(new DefaultResourceProxy());
    Managed<IO::NativeFileSystem> native(IO::NativeFileSystem::Create(temp.Path().c_str()));
    proxy->SetFileSystem(native.Get());

    struct Case {
        const char* descriptor;
        const char* text;
    };
    for (const Case& c : {Case{"plain.cg{Path=shaders}", "float4 main() : COLOR\r\n{ return 1; }\n"},
                          Case{"shaders/zero.cg", "abc"}, Case{"empty.txt", ""}}) {
        Resource<String, ResourceType::String> text(proxy.Get(), c.descriptor);
        EXPECT_STREQ(text->CStr(), c.text) << c.descriptor;
        EXPECT_EQ(text->Length(), static_cast<int>(strlen(c.text))) << c.descriptor;
    }

    // The cached stream was read to its end by someone else first.
    Resource<IO::Stream, ResourceType::InputStream> stream(proxy.Get(), "shaders/plain.cg");
    stream->Seek(2, 0);
    Resource<String, ResourceType::String> reread(proxy.Get(), "shaders/plain.cg");
    EXPECT_STREQ(reread->CStr(), "float4 main() : COLOR\r\n{ return 1; }\n");

    EXPECT_THROW_MESSAGE(proxy->Get(ResourceType::String, "none.txt"),
                         ("Descriptor 'none.txt' could not be converted to an object: \n"
                          "TextLoader: Descriptor 'none.txt' could not be converted to an object: \n"
                          "FileOpener: File not found: " +
                          native->GetRoot() + "none.txt\n\n")
                             .CStr());
}

}  // namespace text_loader_test
