// The markup reader's token rules, shown as the event sequence each input produces. Each event is
// written compactly: S:name{attr=value,...} start, E:name end, T:text, D:target declaration, and
// a final "!message@line" when the reader stops with an error.
#include <gtest/gtest.h>

#include "config/markup_reader.h"
#include "tests/common/test_files.h"

namespace {

std::string Render(const std::string& input) {
    MarkupReader reader;
    reader.OpenText(input);
    std::string out;
    MarkupEvent event;
    while (reader.Next(event)) {
        if (!out.empty()) out += ' ';
        switch (event.Kind) {
            case MarkupKind::StartElement: {
                out += "S:" + event.Name;
                if (!event.Attributes.empty()) {
                    out += '{';
                    bool first = true;
                    for (const auto& [name, value] : event.Attributes) {
                        if (!first) out += ',';
                        out += name + '=' + value;
                        first = false;
                    }
                    out += '}';
                }
                break;
            }
            case MarkupKind::EndElement: out += "E:" + event.Name; break;
            case MarkupKind::Text: out += "T:" + event.Name; break;
            case MarkupKind::Declaration: out += "D:" + event.Name; break;
            case MarkupKind::None: out += "?"; break;
        }
    }
    if (reader.HasError()) {
        if (!out.empty()) out += ' ';
        out += "!" + reader.ErrorMessage() + "@" + std::to_string(reader.Line());
    }
    return out;
}

struct Case {
    const char* what;
    std::string input;
    std::string events;
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.what; }

class MarkupReaderCases : public ::testing::TestWithParam<Case> {};

TEST_P(MarkupReaderCases, ProducesEvents) {
    EXPECT_EQ(Render(GetParam().input), GetParam().events) << GetParam().what;
}

const Case kCases[] = {
    // Text and whitespace
    {"text is trimmed and inner runs fold to one space", "<a>  one \t\n two\r\n  three  </a>", "S:a T:one two three E:a"},
    {"entities decode after folding", "<a>x&nbsp;&nbsp;y&cr;z</a>", "S:a T:x  y\nz E:a"},
    {"a comment splits a text", "<a>one<!-- c -->two</a>", "S:a T:one T:two E:a"},
    {"whitespace between tags makes no text", "<a>\n  <b>x</b>\n</a>", "S:a S:b T:x E:b E:a"},
    {"bytes of 0x80 and above are ordinary", "<a>\xe9t\xe9</a>", "S:a T:\xe9t\xe9 E:a"},
    // Comments
    {"comment with attributes-like content", "<!-- a=\"x>y\" b --><a/>", "S:a E:a"},
    {"<!--x is an element, not a comment", "<!--x>", "S:!--x"},
    {"a '>' inside a comment ends it", "<a><!-- 1 > 2 --></a>", "S:a !Unexpected '>'@1"},
    // Self-closing tags
    {"name directly followed by /> closes", "<a/>", "S:a E:a"},
    {"whitespace before / leaves it open, '/' an attribute", "<a />", "S:a{/=}"},
    {"'/' after a value joins the value", "<a b=\"1\"/>", "S:a{b=1/}"},
    {"self-closing with attributes in between stays open", "<a b=1/>x</a>", "S:a{b=1/} T:x E:a"},
    // Attributes
    {"quoted values keep whitespace, < and >", "<a b=\" x <y> \">", "S:a{b= x <y> }"},
    {"'=' inside quotes is dropped", "<a b=\"x=y\">", "S:a{b=xy}"},
    {"unquoted value ends at whitespace", "<a b=1 c=2>", "S:a{b=1,c=2}"},
    {"unquoted value ends at '>'", "<a b=1>", "S:a{b=1}"},
    {"name without '=' at the end is stored empty", "<a b>", "S:a{b=}"},
    {"names without values run together", "<a b c>", "S:a{bc=}"},
    {"an empty value swallows the next attribute", "<a b=\"\" c=\"2\">", "S:a{b=c2}"},
    {"a repeated name keeps the later value", "<a b=1 b=2>", "S:a{b=2}"},
    {"apostrophes are no quotes", "<a b='x y'>", "S:a{b='x,y'=}"},
    {"attribute entities are decoded", "<a b=\"&lt;&amp;\">", "S:a{b=<&}"},
    {"control byte inside quotes is accepted", "<a b=\"\x01\">", "S:a{b=\x01}"},
    {"element names are decoded", "<a&amp;b></a&amp;b>", "S:a&b E:a&b"},
    // Declarations
    {"declaration target delivered, body dropped", "<?xml version=\"1.0\"?><a/>", "D:xml S:a E:a"},
    {"declaration runs to the first ?> across tags", "<?p <a> ?><b/>", "D:p S:b E:b"},
    {"declaration without body", "<?x?>", "D:x"},
    // End tags
    {"an end tag with no open element", "</a>", "!Unexpected End@1"},
    {"mismatched end tag", "<a>\n<b>\n</a>", "S:a S:b !End 'a' Doesn't Match Start 'b'@3"},
    {"inner whitespace of an end tag", "<a></a b>", "S:a !End 'a b' Doesn't Match Start 'a'@1"},
    {"open elements at the end are no error", "<a><b>x</b>", "S:a S:b T:x E:b"},
    // Errors
    {"input ends inside a tag", "<a", "!Unexpected End of File@1"},
    {"input ends inside a text", "<a>text", "S:a !Unexpected End of File@1"},
    {"input ends inside a declaration", "<?xml", "!Unexpected End of File@1"},
    {"'<' inside a tag", "<a <b>", "!Unexpected '<'@1"},
    {"'>' between tokens", "<a>\n></a>", "S:a !Unexpected '>'@2"},
    {"'>' in text", "<a>x > y</a>", "S:a !Unexpected '>'@1"},
    {"control byte outside quotes", "<a>\n\n\x01</a>", "S:a !Illegal Character@3"},
    {"NUL outside quotes", std::string("<a>\0</a>", 8), "S:a !Illegal Character@1"},
    {"DEL is an ordinary byte", "<a>\x7f</a>", "S:a T:\x7f E:a"},
    {"line counts only line feeds", "<a>\r\r\n\n<b", "S:a !Unexpected End of File@3"},
};

INSTANTIATE_TEST_SUITE_P(Rules, MarkupReaderCases, ::testing::ValuesIn(kCases));

TEST(MarkupReader, OpenOfMissingFileFailsWithoutLine) {
    MarkupReader reader;
    EXPECT_FALSE(reader.Open("/nonexistent/defines.xml"));
    EXPECT_TRUE(reader.HasError());
    EXPECT_EQ(reader.ErrorMessage(), "Unable to open file /nonexistent/defines.xml");
    EXPECT_EQ(reader.Line(), 0);
    EXPECT_EQ(reader.FileName(), "");
    MarkupEvent event;
    EXPECT_FALSE(reader.Next(event));
}

TEST(MarkupReader, FileLineEndsCountOnce) {
    std::string path = WriteTestFile("crlf.xml", "<a b=\"x\r\ny\">\r\n\r\n<c\r\n");
    MarkupReader reader;
    ASSERT_TRUE(reader.Open(path));
    EXPECT_EQ(reader.FileName(), path);
    MarkupEvent event;
    ASSERT_TRUE(reader.Next(event));
    EXPECT_EQ(event.Attributes["b"], "x\ny");  // text mode: CR LF inside quotes reads as LF
    EXPECT_FALSE(reader.Next(event));
    EXPECT_EQ(reader.ErrorMessage(), "Unexpected End of File");
    EXPECT_EQ(reader.Line(), 5);
}

}  // namespace
