// The define table: lookups, expansion with its left-to-right pairing, and loading order.
#include <gtest/gtest.h>

#include "config/define_table.h"

namespace {

void Fill(DefineTable& table) {
    table.Set("InstallPath", "C:\\Games\\Zel\\");
    table.Set("ProgramFiles", "C:\\Program Files");
    table.Set("Root", "%ProgramFiles%\\Zel");       // refers to another variable
    table.Set("Deep", "[%Root%]");
    table.Set("Name", "Zel");
    table.Set("", "empty-name");
    table.Set("Pct", "%");                            // a value that is a lone '%'
}

TEST(DefineTable, Lookup) {
    DefineTable table;
    Fill(table);
    EXPECT_EQ(table.Lookup("Name"), "Zel");
    EXPECT_EQ(table.Lookup("name"), "");  // case-sensitive
    EXPECT_EQ(table.Lookup("Missing"), "");
    EXPECT_EQ(table.Variables().count("Missing"), 0u);  // a miss creates nothing
}

TEST(DefineTable, Expand) {
    DefineTable table;
    Fill(table);
    const std::pair<std::string, std::string> cases[] = {
        {"no references", "no references"},
        {"%Name%", "Zel"},
        {"Play %Name% now", "Play Zel now"},
        {"%Root%\\bin", "C:\\Program Files\\Zel\\bin"},   // values are expanded in turn
        {"%Deep%", "[C:\\Program Files\\Zel]"},
        {"100%", "100%"},                                  // a lone '%' survives
        {"%Missing%", ""},
        {"%%", "empty-name"},
        {"5% of %Name%", "5Name%"},       // "% of %" pairs first: the lone '%' takes the reference's opening one
        {"%Name%%Name%", "ZelZel"},
        {"%Pct%Name%", "Zel"},            // the inserted '%' pairs with the text after it
        {"a%b", "a%b"},
        {"", ""},
    };
    for (const auto& [text, expanded] : cases) EXPECT_EQ(table.Expand(text), expanded) << text;
}

TEST(DefineTable, ExpandSeesLaterChanges) {
    DefineTable table;
    Fill(table);
    table.Set("InstallPath", "D:\\Elsewhere\\");
    table.Set("Log", "%InstallPath%install.log");
    EXPECT_EQ(table.Expand("%Log%"), "D:\\Elsewhere\\install.log");
}

// A variable that refers to itself, directly or through others, must not expand for ever.
TEST(DefineTable, SelfReferenceEnds) {
    DefineTable table;
    table.Set("A", "%A%");
    table.Set("B", "x%C%");
    table.Set("C", "%B%y");
    table.Set("Grow", "%Grow%%Grow%");
    for (const char* text : {"%A%", "%B%", "start %Grow% end"}) {
        std::string expanded = table.Expand(text);
        EXPECT_LE(expanded.size(), DefineTable::MaxExpandedLength + 64 * 1024) << text;
    }
}

TEST(DefineTable, LoadOrderAndRecords) {
    DefineTable table;
    table.Set("FROM_PROPS", "props");
    ASSERT_TRUE(table.LoadText(
        "<Defines>\n"
        "  <Define><Value>v1</Value><Name>A</Name></Define>\n"   // either order
        "  <Define><Name></Name><Value>ignored</Value></Define>\n"
        "  <Define><Value>no name</Value></Define>\n"
        "  <Define><Name>B</Name></Define>\n"
        "  <Define><Name>C</Name><Value>1</Value><Value>2</Value></Define>\n"
        "  <Define><Name>FROM_PROPS</Name><Value>defines</Value></Define>\n"
        "</Defines>\n"
        "<Defines><Define><Name>A</Name><Value>v2</Value></Define></Defines>\n"))
        << table.ErrorText();
    EXPECT_EQ(table.Lookup("A"), "v2");   // a later root replaces
    EXPECT_EQ(table.Lookup("B"), "");
    EXPECT_EQ(table.Variables().count("B"), 1u);
    EXPECT_EQ(table.Lookup("C"), "2");
    EXPECT_EQ(table.Lookup("FROM_PROPS"), "defines");
    EXPECT_EQ(table.Variables().count(""), 0u);
}

TEST(DefineTable, TextErrorsCarryTheLineButNoFile) {
    DefineTable table;
    EXPECT_FALSE(table.LoadText("<Defines>\n<Define>\n<Name>x</Value>"));
    EXPECT_EQ(table.ErrorText(), "End 'Value' Doesn't Match Start 'Name' on Line 3");
    DefineTable other;
    EXPECT_FALSE(other.LoadText("<Defines><Define><Name><b/></Name></Define></Defines>"));
    EXPECT_EQ(other.ErrorText(), "Unexpected Section: b on Line 1");
}

}  // namespace
