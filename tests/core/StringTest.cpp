#include "core/Array.h"
#include "core/String.h"
#include "support/Expect.h"

#include <cfloat>
#include <climits>
#include <string>

using namespace Nimbrel;

TEST(String, NumberAndBoolConstructorsFormatLikePrintf)
{
    EXPECT_EQ(String(1.5), "1.500000");
    EXPECT_EQ(String(0.1), "0.100000");  // narrowed to single precision first
    EXPECT_EQ(String(-42), "-42");
    EXPECT_EQ(String(true), "true");
    EXPECT_EQ(String(false), "false");
    EXPECT_EQ(String(FLT_MAX).Length(), 46);  // the widest %f text of a float fits
}

TEST(String, ArrayConstructorsListElementsInParentheses)
{
    EXPECT_EQ(String(Array<int>{1, -2, 3}), "(1, -2, 3)");
    EXPECT_EQ(String(Array<float>{0.5f}), "(0.500000)");
    EXPECT_EQ(String(Array<bool>{true, false}), "(true, false)");
    EXPECT_EQ(String(Array<int>{}), "");
}

TEST(String, CopiesShareTheBufferAndSetCharCopiesOnWrite)
{
    String original("hello");
    String copy = original;
    EXPECT_EQ(copy.CStr(), original.CStr());
    copy.SetChar(0, 'j');
    EXPECT_EQ(copy, "jello");
    EXPECT_EQ(original, "hello");
    EXPECT_NE(copy.CStr(), original.CStr());
    EXPECT_THROW_MESSAGE(copy.SetChar(5, 'x'), "SubString Overflow");
    EXPECT_THROW_MESSAGE(copy.SetChar(-1, 'x'), "SubString Overflow");
}

TEST(String, HashIsCachedPerBufferAndResetByWrites)
{
    String a("abc"), b("abc");
    // 'a' * 1 + 'b' * 2 + 'c' * 3
    EXPECT_EQ(a.Hash(), 97 + 98 * 2 + 99 * 3);
    EXPECT_EQ(a.Hash(), b.Hash());
    String shared = a;
    shared.SetChar(2, 'd');
    EXPECT_EQ(shared.Hash(), 97 + 98 * 2 + 100 * 3);
    EXPECT_EQ(a.Hash(), 97 + 98 * 2 + 99 * 3);
    EXPECT_EQ(String().Hash(), 0);

    // Bytes count as signed; the remainder keeps the hash's sign.
    String high("\xff\xff");
    EXPECT_EQ(high.Hash(), -1 * 1 + -1 * 2);
    EXPECT_EQ(high.Hash(2), -1);
    EXPECT_THROW(high.Hash(0), Exception);

    // Long strings wrap around 32 bits without undefined behaviour.
    std::string longText(100000, 'z');
    EXPECT_EQ(String(longText.c_str()).Hash(), static_cast<int32_t>(uint32_t(122) * (100000u * 100001u / 2u)));
}

TEST(String, ComparisonsUseSignedBytesAndLength)
{
    EXPECT_TRUE(String("ab") < String("abc"));
    EXPECT_FALSE(String("abc") < String("abc"));
    EXPECT_FALSE(String("abc") > String("abc"));
    EXPECT_TRUE(String("b") > String("abc"));
    EXPECT_TRUE(String("\x80") < String("a"));  // 0x80 is negative as a signed byte
    EXPECT_TRUE(String("abc") == "abc");
    EXPECT_TRUE(String("abc") != "abd");
    EXPECT_TRUE(String("ab") != String("abc"));
    EXPECT_EQ(String(std::string("a\0b", 3).c_str(), 3), String(std::string("a\0b", 3).c_str(), 3));
    EXPECT_NE(String("a\0b", 3), String("a\0c", 3));
}

TEST(String, PrefixSuffixAndSearch)
{
    String s("nimbrel");
    EXPECT_TRUE(s.StartsWith("nim"));
    EXPECT_TRUE(s.StartsWith(""));
    EXPECT_FALSE(s.StartsWith("nimbrel2"));
    EXPECT_TRUE(s.EndsWith("rel"));
    EXPECT_TRUE(s.EndsWith(""));
    EXPECT_FALSE(String("el").EndsWith("rel"));

    EXPECT_EQ(s.IndexOf('b'), 3);
    EXPECT_EQ(s.IndexOf('e', 5), 5);
    EXPECT_EQ(s.IndexOf('n', 1), -1);
    EXPECT_EQ(s.IndexOf('n', 7), -1);   // at the length
    EXPECT_EQ(s.IndexOf('n', 100), -1);  // past it
    EXPECT_EQ(s.IndexOf('n', -3), 0);
}

TEST(String, SubStringChecksItsRange)
{
    String s("abcd");
    EXPECT_EQ(s.SubString(1, 2), "bc");
    EXPECT_EQ(s.SubString(4, 0), "");
    struct Bad {
        int start, count;
    };
    for (Bad bad : {Bad{2, 3}, Bad{-1, 2}, Bad{1, -1}, Bad{INT_MAX, 1}, Bad{5, 0}})
        EXPECT_THROW_MESSAGE(s.SubString(bad.start, bad.count), "SubString Overflow");
}

TEST(String, TrimStripRemoveAndCase)
{
    EXPECT_EQ(String("  a b \r\n").Trim(), "a b");
    EXPECT_EQ(String("   ").Trim(), "");
    EXPECT_EQ(String("\t x\t").Trim(), "x");
    EXPECT_EQ(String("((a(b)))").Strip('('), "a(b)))");
    EXPECT_EQ(String("xxx").Strip('x'), "");
    EXPECT_EQ(String("( 1, 2 )").Remove(' '), "(1,2)");
    EXPECT_EQ(String("abc").Remove('z'), "abc");
    EXPECT_EQ(String("aaa").Remove('a'), "");
    EXPECT_EQ(String("MiXeD 1\xC4").ToLower(), "mixed 1\xC4");
    EXPECT_EQ(String("MiXeD 1\xE4").ToUpper(), "MIXED 1\xE4");
}

TEST(String, SplitKeepsEmptyPieces)
{
    struct Case {
        const char* text;
        Array<String> pieces;
    };
    const Case cases[] = {
        {"a,,b", {"a", "", "b"}},
        {"", {""}},
        {",", {"", ""}},
        {"abc", {"abc"}},
    };
    for (const Case& c : cases) {
        Array<String> pieces;
        String(c.text).Split(',', pieces);
        ASSERT_EQ(pieces.Count(), c.pieces.Count()) << c.text;
        for (int i = 0; i < pieces.Count(); ++i)
            EXPECT_EQ(pieces[i], c.pieces[i]) << c.text;
    }

    Array<String> pieces{"kept"};
    String("a b;c").SplitAny(" ;", pieces);
    ASSERT_EQ(pieces.Count(), 4);  // appends, does not clear
    EXPECT_EQ(pieces[1], "a");
    EXPECT_EQ(pieces[3], "c");
}

TEST(String, IntegerConversionsFollowScanfRules)
{
    struct Case {
        const char* text;
        int value;
    };
    const Case ints[] = {{"0x1F", 31}, {"010", 8}, {" 42", 42}, {"12abc", 12}, {"-7", -7}, {"+3", 3},
                         {"2147483647", INT_MAX}, {"-2147483648", INT_MIN}};
    for (const Case& c : ints)
        EXPECT_EQ(String(c.text).ToInt(), c.value) << c.text;
    for (const char* bad : {"", "abc", "  ", "2147483648", "-2147483649", "99999999999999999999"})
        EXPECT_THROW_MESSAGE(String(bad).ToInt(), "Unable to convert string to integer");

    const Case hex[] = {{"1f", 31}, {"0x10", 16}, {"FFFFFFFF", -1}, {" ff)", 255}, {"-1", -1}};
    for (const Case& c : hex)
        EXPECT_EQ(String(c.text).ToHexInt(), c.value) << c.text;
    for (const char* bad : {"", "xyz", "100000000"})
        EXPECT_THROW_MESSAGE(String(bad).ToHexInt(), "Unable to convert string to hexadecimal integer");
}

TEST(String, FloatAndBoolConversions)
{
    EXPECT_EQ(String("3)").ToFloat(), 3.0f);
    EXPECT_EQ(String(" -2.5e1").ToFloat(), -25.0f);
    EXPECT_EQ(String("0.1").ToDouble(), static_cast<double>(0.1f));
    EXPECT_THROW_MESSAGE(String("").ToFloat(), "Unable to convert string to float");
    EXPECT_THROW_MESSAGE(String("x1").ToFloat(), "Unable to convert string to float");
    EXPECT_THROW_MESSAGE(String("-").ToDouble(), "Unable to convert string to double");

    EXPECT_TRUE(String("true").ToBool());
    EXPECT_FALSE(String("false").ToBool());
    for (const char* bad : {"True", "1", "", "true "})
        EXPECT_THROW_MESSAGE(String(bad).ToBool(), "Unable to convert string to boolean");
}

TEST(String, ListParsingAppendsEachPiece)
{
    Array<float> floats{9.0f};
    String("( 1, 2.5 ,3)").ToFloatArray(floats);
    ASSERT_EQ(floats.Count(), 4);
    EXPECT_EQ(floats[1], 1.0f);
    EXPECT_EQ(floats[2], 2.5f);
    EXPECT_EQ(floats[3], 3.0f);

    Array<bool> bools;
    String("(true, false)").ToBoolArray(bools);
    ASSERT_EQ(bools.Count(), 2);
    EXPECT_TRUE(bools[0]);
    EXPECT_FALSE(bools[1]);

    Array<int> ints;
    EXPECT_THROW_MESSAGE(String("(1, x, 3)").ToIntArray(ints), "Unable to convert string to integer");
    EXPECT_EQ(ints.Count(), 1);  // values before the bad piece stay

    Array<double> doubles;
    EXPECT_THROW_MESSAGE(String("()").ToDoubleArray(doubles), "Unable to convert string to double");
}

TEST(String, ConcatenationAndAssignment)
{
    String a("ab");
    String b = a + String("cd");
    EXPECT_EQ(b, "abcd");
    EXPECT_EQ("x" + a, "xab");
    a += String("!");
    EXPECT_EQ(a, "ab!");
    a = "new";
    EXPECT_EQ(a, "new");
    a = a;
    EXPECT_EQ(a, "new");
    String moved = std::move(a);
    EXPECT_EQ(moved, "new");
    EXPECT_EQ(a.Length(), 0);  // a moved-from string is empty, not dangling
    EXPECT_EQ(String(static_cast<const char*>(nullptr)), "");

    auto copy = moved.Duplicate();
    copy[0] = 'N';
    EXPECT_STREQ(copy.get(), "New");
    EXPECT_EQ(moved, "new");
}

TEST(String, FormatGrowsPastItsWorkArea)
{
    EXPECT_EQ(String::Format("%s-%04d", "id", 7), "id-0007");
    std::string wide(5000, 'w');
    String formatted = String::Format("[%s]", wide.c_str());
    EXPECT_EQ(formatted.Length(), 5002);
    EXPECT_EQ(formatted[5001], ']');
}
