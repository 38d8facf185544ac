// The prelude's renamed keywords come back under their own names, and only where a word
// starts with the prefix; definitions become #define lines.
#include "graphics/gl/CGPrelude.h"

#include <gtest/gtest.h>

#include <string>

namespace cg_prelude_test {

using Nimbrel::Graphics::CGPrelude;

TEST(CGPreludeTest, DemangleUndoesOnlyTheKeywordRenaming)
{
    struct Case {
        const char* compiled;
        const char* expected;
    };
    const Case cases[] = {
        {"nbl_kw_texture", "texture"},
        {"material.nbl_kw_point", "material.point"},
        {"nbl_kw_linear[2]", "linear[2]"},
        {"my_nbl_kw_line", "my_nbl_kw_line"},   // inside a word: the source's own spelling
        {"xnbl_kw_line", "xnbl_kw_line"},
        {"nbl_kw_", ""},
        {"plain", "plain"},
        {"", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CGPrelude::Demangle(c.compiled), c.expected) << c.compiled;
}

TEST(CGPreludeTest, DefinitionsAndTheBoolFallbackEndThePrelude)
{
    std::string plain = CGPrelude::Text({"SKINNED", "LIGHTS=4", "EMPTY="}, false);
    std::string tail = "#define SKINNED 1\n#define LIGHTS 4\n#define EMPTY \n";
    ASSERT_GE(plain.size(), tail.size());
    EXPECT_EQ(plain.substr(plain.size() - tail.size()), tail);
    EXPECT_EQ(plain.find("#define bool int"), std::string::npos);
    EXPECT_NE(plain.find("#define texture nbl_kw_texture\n"), std::string::npos);
    std::string fallback = CGPrelude::Text({}, true);
    EXPECT_NE(fallback.find("#define bool int\n"), std::string::npos);
}

}  // namespace cg_prelude_test
