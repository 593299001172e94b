// Hostile configuration documents: very long lines, deep nesting, huge attribute counts and
// self-referring defines end with a clear error or load, and never hang. (Time limits are left
// to ctest's timeout; these inputs would take minutes or run for ever if the reader or the
// expansion did work out of proportion to their size.)
#include <gtest/gtest.h>

#include "config/define_table.h"
#include "config/property_table.h"
#include "install/install_config.h"
#include "tests/common/test_files.h"

namespace {

TEST(HostileDocuments, VeryLongLineLoads) {
    std::string value(4 * 1024 * 1024, 'v');
    DefineTable table;
    ASSERT_TRUE(table.LoadText("<Defines><Define><Name>Long</Name><Value>" + value + "</Value></Define></Defines>"));
    EXPECT_EQ(table.Lookup("Long").size(), value.size());
}

TEST(HostileDocuments, DeepNestingEndsWithAnError) {
    std::string nested;
    for (int i = 0; i < 200000; ++i) nested += "<a>";
    DefineTable table;
    EXPECT_FALSE(table.LoadText("<Defines>" + nested));
    EXPECT_EQ(table.ErrorText(), "Invalid Section 'a' on Line 1");

    // The reader alone walks the whole depth and back.
    MarkupReader reader;
    std::string closing;
    for (int i = 0; i < 200000; ++i) closing += "</a>";
    reader.OpenText(nested + closing);
    MarkupEvent event;
    int events = 0;
    while (reader.Next(event)) ++events;
    EXPECT_FALSE(reader.HasError()) << reader.ErrorMessage();
    EXPECT_EQ(events, 400000);
}

TEST(HostileDocuments, HugeAttributeCountLoads) {
    std::string tag = "<String id=\"X\"";
    for (int i = 0; i < 100000; ++i) tag += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    std::string path = WriteTestFile("props.xml", "<Properties>" + tag + ">text</String></Properties>");
    PropertyTable table;
    ASSERT_TRUE(table.Load(path)) << table.ErrorText();
    EXPECT_EQ(table.Strings["X"], "text");
}

TEST(HostileDocuments, SelfReferringDefinesExpandToAnEnd) {
    DefineTable table;
    ASSERT_TRUE(table.LoadText(
        "<Defines>"
        "<Define><Name>A</Name><Value>%A%</Value></Define>"
        "<Define><Name>B</Name><Value>%C%x</Value></Define>"
        "<Define><Name>C</Name><Value>y%B%</Value></Define>"
        "<Define><Name>Twice</Name><Value>%Twice%%Twice%</Value></Define>"
        "<Define><Name>Wide</Name><Value>" + std::string(4096, 'w') + "%Wide%</Value></Define>"
        "</Defines>"));
    for (const char* text : {"%A%", "%B%", "[%Twice%]", "%Wide%"}) {
        std::string expanded = table.Expand(text);
        EXPECT_LE(expanded.size(), DefineTable::MaxExpandedLength + 8192) << text;
    }
}

TEST(HostileDocuments, ManyRecordsLoad) {
    std::string xml = "<InstallConfig><Registry>";
    for (int i = 0; i < 50000; ++i) xml += "<RegValue><Key>HKCU\\K</Key><Name>n" + std::to_string(i) + "</Name></RegValue>";
    xml += "</Registry></InstallConfig>";
    InstallConfig config;
    ASSERT_TRUE(config.Load(WriteTestFile("install.xml", xml))) << config.ErrorText();
    EXPECT_EQ(config.Registry.size(), 50000u);
}

}  // namespace
