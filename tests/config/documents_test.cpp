// Loading the three configuration documents: the shared section rules, their exact error texts
// (message, line, file), and each document's own entry rules.
#include <gtest/gtest.h>

#include <cstdio>

#include "config/define_table.h"
#include "tests/common/test_files.h"
#include "config/property_table.h"
#include "install/install_config.h"

namespace {

enum class Doc { Defines, Properties, Install };

// Loads content as the given document from a file; returns "ok" or the error text with the
// file's path replaced by "F".
std::string LoadResult(Doc doc, const std::string& content) {
    std::string path = WriteTestFile("document.xml", content);
    std::string error;
    bool ok = false;
    if (doc == Doc::Defines) {
        DefineTable table;
        ok = table.LoadFile(path);
        error = table.ErrorText();
    } else if (doc == Doc::Properties) {
        PropertyTable table;
        ok = table.Load(path);
        error = table.ErrorText();
    } else {
        InstallConfig config;
        ok = config.Load(path);
        error = config.ErrorText();
    }
    if (ok) return "ok";
    size_t at = error.find(path);
    if (at != std::string::npos) error.replace(at, path.size(), "F");
    return error;
}

struct ErrorCase {
    const char* what;
    Doc doc;
    std::string content;
    std::string result;
};

void PrintTo(const ErrorCase& c, std::ostream* os) { *os << c.what; }

class DocumentErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(DocumentErrors, ReportExactly) {
    EXPECT_EQ(LoadResult(GetParam().doc, GetParam().content), GetParam().result) << GetParam().what;
}

const ErrorCase kErrorCases[] = {
    // Shared section rules
    {"indentation and comments between elements", Doc::Defines,
     "<?xml version=\"1.0\"?>\n<Defines>\n  <!-- c -->\n  <Define><Name>a</Name></Define>\n</Defines>\n", "ok"},
    {"text inside a container, trimmed", Doc::Defines,
     "<Defines>\n  stray   words \n<Define/></Defines>", "Element Not Expected 'stray words' on Line 3 in File 'F'"},
    {"text outside the root", Doc::Install, "hello <InstallConfig/>", "Element Not Expected 'hello' on Line 1 in File 'F'"},
    {"element name differing in case", Doc::Install,
     "<InstallConfig>\n\n<runexe>x</runexe></InstallConfig>", "Invalid Section 'runexe' on Line 3 in File 'F'"},
    {"wrong root", Doc::Properties, "\n<Props></Props>", "Invalid Section 'Props' on Line 2 in File 'F'"},
    {"element inside a text field (defines)", Doc::Defines,
     "<Defines><Define><Name>a<b/></Name></Define></Defines>", "Unexpected Section: b on Line 1 in File 'F'"},
    {"element inside a text field (install)", Doc::Install,
     "<InstallConfig><RunExe><x>", "Unexpected Section: x on Line 1 in File 'F'"},
    {"element inside a text field (properties, quoted)", Doc::Properties,
     "<Properties>\n<String id=\"A\">a <b>x</b></String></Properties>", "Unexpected Section: 'b' on Line 2 in File 'F'"},
    {"syntax error passes the reader's message", Doc::Install,
     "<InstallConfig>\n<RunExe>a > b</RunExe>\n</InstallConfig>", "Unexpected '>' on Line 2 in File 'F'"},
    {"mismatched end tag", Doc::Defines,
     "<Defines>\n<Define>\n</Defines>", "End 'Defines' Doesn't Match Start 'Define' on Line 3 in File 'F'"},
    {"ending before the root's end tag loads", Doc::Install, "<InstallConfig><RunExe>a</RunExe>\n", "ok"},
    {"ending inside a text fails", Doc::Install, "<InstallConfig><RunExe>a", "Unexpected End of File on Line 1 in File 'F'"},
    {"empty document loads", Doc::Properties, "", "ok"},
    // Define document
    {"define with an unknown field", Doc::Defines,
     "<Defines><Define><Nam>a</Nam></Define></Defines>", "Invalid Section 'Nam' on Line 1 in File 'F'"},
    {"text directly in Define", Doc::Defines, "<Defines><Define>x</Define></Defines>", "Element Not Expected 'x' on Line 1 in File 'F'"},
    // Property document
    {"StringArray accepts only String", Doc::Properties,
     "<Properties><StringArray id=\"L\"><Item/></StringArray></Properties>", "Invalid Section 'Item' on Line 1 in File 'F'"},
    {"text directly in StringArray", Doc::Properties,
     "<Properties><StringArray>t</StringArray></Properties>", "Element Not Expected 't' on Line 1 in File 'F'"},
    {"a duplicate StringArray is still checked", Doc::Properties,
     "<Properties><StringArray id=\"L\"></StringArray><StringArray id=\"L\"><X/></StringArray></Properties>",
     "Invalid Section 'X' on Line 1 in File 'F'"},
    {"a '/' after a quoted value leaves the element open", Doc::Properties,
     "<Properties><StringArray id=\"L\"/><StringArray id=\"M\"></StringArray></Properties>",
     "Invalid Section 'StringArray' on Line 1 in File 'F'"},
    // Install document
    {"ExFileInfo with whitespace only", Doc::Install, "<InstallConfig><ExFileInfo>\n  <!-- x -->\n</ExFileInfo></InstallConfig>", "ok"},
    {"ExFileInfo with a child", Doc::Install,
     "<InstallConfig><ExFileInfo><File/></ExFileInfo></InstallConfig>", "Invalid Section 'File' on Line 1 in File 'F'"},
    {"Registry accepts only RegValue", Doc::Install,
     "<InstallConfig><Registry><Shortcut/></Registry></InstallConfig>", "Invalid Section 'Shortcut' on Line 1 in File 'F'"},
    {"Shortcuts accepts only Shortcut", Doc::Install,
     "<InstallConfig><Shortcuts><RegValue/></Shortcuts></InstallConfig>", "Invalid Section 'RegValue' on Line 1 in File 'F'"},
    {"RegValue fields", Doc::Install,
     "<InstallConfig><Registry><RegValue><Dest/></RegValue></Registry></InstallConfig>", "Invalid Section 'Dest' on Line 1 in File 'F'"},
    {"Shortcut fields", Doc::Install,
     "<InstallConfig><Shortcuts><Shortcut><Key/></Shortcut></Shortcuts></InstallConfig>", "Invalid Section 'Key' on Line 1 in File 'F'"},
    {"PreExec fields", Doc::Install,
     "<InstallConfig><PreExec><Args/></PreExec></InstallConfig>", "Invalid Section 'Args' on Line 1 in File 'F'"},
    {"text inside PostExec", Doc::Install,
     "<InstallConfig><PostExec>run</PostExec></InstallConfig>", "Element Not Expected 'run' on Line 1 in File 'F'"},
};

INSTANTIATE_TEST_SUITE_P(Sections, DocumentErrors, ::testing::ValuesIn(kErrorCases));

TEST(Documents, MissingFileReportsOnlyThePath) {
    DefineTable defines;
    EXPECT_FALSE(defines.LoadFile("/nonexistent/defines.xml"));
    EXPECT_EQ(defines.ErrorText(), "Unable to open file /nonexistent/defines.xml");
    PropertyTable props;
    EXPECT_FALSE(props.Load("/nonexistent/props.xml"));
    EXPECT_EQ(props.ErrorText(), "Unable to open file /nonexistent/props.xml");
    InstallConfig config;
    EXPECT_FALSE(config.Load("/nonexistent/install.xml"));
    EXPECT_EQ(config.ErrorText(), "Unable to open file /nonexistent/install.xml");
}

TEST(Documents, AFailedDocumentStaysFailed) {
    DefineTable defines;
    EXPECT_FALSE(defines.LoadText("<Oops/>"));
    EXPECT_FALSE(defines.LoadText("<Defines/>"));
    EXPECT_EQ(defines.ErrorText(), "Invalid Section 'Oops' on Line 1");
}

TEST(Documents, ContentReadBeforeAnErrorStays) {
    DefineTable defines;
    EXPECT_FALSE(defines.LoadText("<Defines><Define><Name>a</Name><Value>1</Value></Define><Bad/></Defines>"));
    EXPECT_EQ(defines.Lookup("a"), "1");
}

TEST(PropertyTable, EntryRules) {
    std::string path = WriteTestFile("props.xml",
        "<Properties version=\"2\">\n"
        "  <String id=\"TITLE\">First</String>\n"
        "  <String id=\"TITLE\">Second</String>\n"
        "  <String>no id</String>\n"
        "  <String id=\"MSG\" lang=\"en\">Line one\n     continues&cr;next  %InstallPath%</String>\n"
        "  <!-- between entries -->\n"
        "  <StringArray id=\"L\"><String id=\"ignored\">a</String><String>b</String></StringArray>\n"
        "  <StringArray id=\"L\"><String>c</String></StringArray>\n"
        "  <String id=\"EMPTY\"></String>\n"
        "</Properties>\n");
    PropertyTable props;
    ASSERT_TRUE(props.Load(path)) << props.ErrorText();
    EXPECT_EQ(props.Strings["TITLE"], "First");
    EXPECT_EQ(props.Strings[""], "no id");
    EXPECT_EQ(props.Strings["MSG"], "Line one continues\nnext %InstallPath%");
    EXPECT_EQ(props.Strings["EMPTY"], "");
    EXPECT_EQ(props.StringArrays["L"], (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(props.Strings.size(), 4u);
}

TEST(InstallConfig, RecordsAndLists) {
    std::string path = WriteTestFile("install.xml",
        "<InstallConfig>\n"
        "  <RunExe>first.exe</RunExe><RunExe>%InstallPath%game.exe</RunExe>\n"
        "  <InstallLog>%InstallPath%install.log</InstallLog>\n"
        "  <UninstallCmd>uninst.exe</UninstallCmd>\n"
        "  <UninstallDeltree>a</UninstallDeltree><UninstallDeltree>b</UninstallDeltree>\n"
        "  <UserDirectory></UserDirectory>\n"
        "  <UninstallDelRegKey>HKLM\\Software\\G</UninstallDelRegKey><UserRegKey>HKCU\\G</UserRegKey>\n"
        "  <Registry>\n"
        "    <RegValue><Key>HKLM\\K</Key><TypeNum>1</TypeNum><Name>N</Name><Value>V</Value></RegValue>\n"
        "    <RegValue><Key>k2</Key><TypeNum>  -7x</TypeNum></RegValue>\n"
        "  </Registry>\n"
        "  <Registry><RegValue><TypeNum>abc</TypeNum><TypeNum>4</TypeNum></RegValue><RegValue/></Registry>\n"
        "  <Shortcuts><Shortcut><Dest>d</Dest><Target>t</Target><Args>&quot;C:\\a b&quot;</Args></Shortcut>\n"
        "             <Shortcut></Shortcut></Shortcuts>\n"
        "  <PreExec><Exe>setup.exe</Exe><Params>/q</Params><Directory>%InstallPath%</Directory><SilentFail>1</SilentFail></PreExec>\n"
        "  <PostExec><Exe>x</Exe><SilentFail>yes</SilentFail></PostExec><PostExec/>\n"
        "  <ExFileInfo/>\n"
        "</InstallConfig>\n");
    InstallConfig config;
    ASSERT_TRUE(config.Load(path)) << config.ErrorText();
    EXPECT_EQ(config.RunExe, "%InstallPath%game.exe");
    EXPECT_EQ(config.InstallLog, "%InstallPath%install.log");
    EXPECT_EQ(config.UninstallCmd, "uninst.exe");
    EXPECT_EQ(config.UninstallDeltree, (std::vector<std::string>{"a", "b"}));
    EXPECT_EQ(config.UserDirectory, (std::vector<std::string>{""}));
    EXPECT_EQ(config.UninstallDelRegKey, (std::vector<std::string>{"HKLM\\Software\\G"}));
    EXPECT_EQ(config.UserRegKey, (std::vector<std::string>{"HKCU\\G"}));
    ASSERT_EQ(config.Registry.size(), 4u);
    EXPECT_EQ(config.Registry[0].Key, "HKLM\\K");
    EXPECT_EQ(config.Registry[0].TypeNum, 1);
    EXPECT_EQ(config.Registry[0].Name, "N");
    EXPECT_EQ(config.Registry[0].Value, "V");
    EXPECT_EQ(config.Registry[1].TypeNum, -7);
    EXPECT_EQ(config.Registry[2].TypeNum, 4);  // the last occurrence wins
    EXPECT_EQ(config.Registry[3].TypeNum, 0);
    ASSERT_EQ(config.Shortcuts.size(), 2u);
    EXPECT_EQ(config.Shortcuts[0].Args, "\"C:\\a b\"");
    EXPECT_EQ(config.Shortcuts[1].Dest, "");
    ASSERT_EQ(config.PreExec.size(), 1u);
    EXPECT_EQ(config.PreExec[0].Exe, "setup.exe");
    EXPECT_EQ(config.PreExec[0].Params, "/q");
    EXPECT_EQ(config.PreExec[0].Directory, "%InstallPath%");
    EXPECT_TRUE(config.PreExec[0].SilentFail);
    ASSERT_EQ(config.PostExec.size(), 2u);
    EXPECT_FALSE(config.PostExec[0].SilentFail);  // not a number: false
}

TEST(ReadDecimal, FollowsTheCLibrary) {
    const std::pair<const char*, int32_t> cases[] = {
        {"42", 42}, {"-1", -1}, {"+5", 5}, {" \t7", 7}, {"12abc", 12}, {"abc", 0}, {"", 0},
        {"- 1", 0}, {"2147483647", 2147483647}, {"2147483648", 2147483647},
        {"-2147483648", INT32_MIN}, {"-99999999999", INT32_MIN}, {"%N%", 0},
    };
    for (const auto& [text, value] : cases) EXPECT_EQ(ReadDecimal(text), value) << text;
}

}  // namespace
