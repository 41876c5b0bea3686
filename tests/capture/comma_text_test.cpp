// Comma text is the reply format every browser source goes through: fixed
// vectors, never a re-derivation of the reader.
#include "capture/comma_text.h"

#include <gtest/gtest.h>

namespace zn {
namespace {

using Items = std::vector<std::string>;

struct Vector {
    const char* name;
    std::string text;
    Items items;
    friend void PrintTo(const Vector& vector, std::ostream* out) { *out << vector.name; }
};

class CommaText : public ::testing::TestWithParam<Vector> {};

TEST_P(CommaText, ReadsTheItems) {
    EXPECT_EQ(readCommaText(GetParam().text), GetParam().items);
}

const Vector kVectors[] = {
    {"browser_reply",
     R"("http://a.example/x?y=1&z=2","A Title","")",
     {"http://a.example/x?y=1&z=2", "A Title", ""}},
    {"doubled_quotes", R"("say ""hi"" now","""")", {R"(say "hi" now)", R"(")"}},
    {"empty_quoted", R"("")", {""}},
    {"empty_text", "", {}},
    {"only_blanks", " \t\r\n", {}},
    {"two_commas", "a,,b", {"a", "", "b"}},
    {"trailing_comma", "a,b,", {"a", "b"}},
    {"lone_comma", ",", {""}},
    {"leading_comma", ",a", {"", "a"}},
    {"blank_ends_unquoted", "a b\tc", {"a", "b", "c"}},
    {"blanks_around_commas", "  a ,  b  , c ", {"a", "b", "c"}},
    {"control_bytes_skipped", "\x01\"a\"\r\n,\x1f b", {"a", "b"}},
    {"quoted_keeps_blanks_and_commas", R"(" a, b ",c)", {" a, b ", "c"}},
    {"text_after_closing_quote", R"("a"b,c)", {"a", "b", "c"}},
    {"quote_inside_unquoted", R"(a"b,c)", {R"(a"b)", "c"}},
    {"missing_closing_quote", R"("http://a.example/,Title)", {"http://a.example/,Title"}},
    {"missing_closing_quote_after_items", R"(x,"y ""z)", {"x", R"(y "z)"}},
    {"ends_at_zero_byte", std::string("a,b\0c,d", 7), {"a", "b"}},
    {"multibyte",
     "\"https://例え.jp/ü\",Café\xC2\xA0"
     "bar,ё",
     {"https://例え.jp/ü",
      "Café\xC2\xA0"
      "bar",
      "ё"}},
    {"four_byte_characters", "\"😀 \xF0\x9F\x98\x80\",😀", {"😀 😀", "😀"}},
    // A stray lead byte is one character alone: it never swallows the quote
    // or the comma that follows it.
    {"stray_lead_byte_before_quote", "\"a\xE2\",b", {"a\xE2", "b"}},
    {"stray_lead_byte_before_comma", "a\xF0,b", {"a\xF0", "b"}},
    {"cut_sequence_at_end", "\"a\xE2\x82", {"a\xE2\x82"}},
};

INSTANTIATE_TEST_SUITE_P(Vectors, CommaText, ::testing::ValuesIn(kVectors),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zn
