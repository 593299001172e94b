// Entity decoding and encoding, and the round trip through the reader's text rules.
#include <gtest/gtest.h>

#include "config/entities.h"
#include "config/markup_reader.h"

namespace {

struct Pair {
    std::string in;
    std::string out;
};

TEST(DecodeEntities, Table) {
    const Pair cases[] = {
        {"&lt;&amp;&gt;&quot;&apos;", "<&>\"'"},
        {"a&nbsp;b", "a b"},
        {"&cr;&lf;", "\n\r"},          // cr is the line feed, lf the carriage return
        {"&amp;lt;", "&lt;"},          // one pass only
        {"a & b", "a & b"},            // no ';' after the '&'
        {"a & b; c", "a & c"},         // unrelated ';': everything between is lost
        {"&#65;", "&"},                // numeric references are unknown names
        {"&LT;", "&"},                 // names are case-sensitive
        {"&;", "&"},
        {"x&", "x&"},
        {"", ""},
    };
    for (const Pair& c : cases) EXPECT_EQ(DecodeEntities(c.in), c.out) << c.in;
}

TEST(EncodeEntities, Table) {
    const Pair cases[] = {
        {"a&b<c>d", "a&amp;b&lt;c&gt;d"},
        {"\"q\" 'a'", "&quot;q&quot; &apos;a&apos;"},
        {"line\nbreak\r", "line&cr;break&lf;"},
        {"a  b   c", "a &nbsp;b &nbsp;&nbsp;c"},
        {"tab\there", "tab\there"},
        {"\xe9", "\xe9"},
    };
    for (const Pair& c : cases) EXPECT_EQ(EncodeEntities(c.in), c.out) << c.in;
}

// Encoding a text, writing it into an element and reading it back gives the same text, except
// for a single leading or trailing space and tabs, which the whitespace rule folds.
TEST(EncodeEntities, RoundTripsThroughTheReader) {
    const Pair cases[] = {
        {"C:\\Games\\My  \"Game\" & <Co>\n'x'", "C:\\Games\\My  \"Game\" & <Co>\n'x'"},
        {"  two leading", " two leading"},  // the first space goes, the encoded one stays
        {" one leading", "one leading"},
        {"a\tb", "a b"},
    };
    for (const Pair& c : cases) {
        MarkupReader reader;
        reader.OpenText("<v>" + EncodeEntities(c.in) + "</v>");
        MarkupEvent start, text;
        ASSERT_TRUE(reader.Next(start));
        ASSERT_TRUE(reader.Next(text));
        EXPECT_EQ(text.Name, c.out) << c.in;
    }
}

}  // namespace
