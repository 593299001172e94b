// The dialog templates linked into the executable, read back from its resources: every page's
// size, window style, font and caption, and every control's id, class, text, position, size and
// the style bits that give it its behaviour (default button, multi-line, read-only, check box
// that toggles itself, borders, tab stops).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "res/resource.h"

namespace {

// The predefined control classes, as atoms in a template.
constexpr uint16_t ButtonAtom = 0x80, EditAtom = 0x81, StaticAtom = 0x82;

struct TemplateControl {
    DWORD style = 0, exStyle = 0;
    short x = 0, y = 0, cx = 0, cy = 0;
    int id = 0;
    std::string className;  // "#128" for an atom
    std::string text;
};

struct DialogTemplate {
    DWORD style = 0;
    short cx = 0, cy = 0;
    std::string caption, font;
    int pointSize = 0;
    std::vector<TemplateControl> controls;
};

// Reads the WORD-aligned parts of a DLGTEMPLATE (not the extended form).
class TemplateReader {
public:
    explicit TemplateReader(const uint8_t* data) : at_(data) {}
    uint16_t Word() {
        uint16_t v = at_[0] | at_[1] << 8;
        at_ += 2;
        return v;
    }
    DWORD Dword() { return Word() | DWORD(Word()) << 16; }
    // A name or an ordinal: 0xFFFF then the ordinal, or a zero-terminated UTF-16 text.
    std::string NameOrOrdinal() {
        if (at_[0] == 0xFF && at_[1] == 0xFF) {
            Word();
            return "#" + std::to_string(Word());
        }
        return Text();
    }
    std::string Text() {
        std::string text;
        while (uint16_t c = Word()) text += c < 0x80 ? char(c) : '?';
        return text;
    }
    void AlignToDword(const uint8_t* base) {
        while ((at_ - base) % 4) ++at_;
    }

private:
    const uint8_t* at_;
};

bool LoadTemplate(int id, DialogTemplate& dialog) {
    HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5));  // RT_DIALOG
    if (!found) return false;
    const auto* base = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, found)));
    TemplateReader r(base);
    dialog.style = r.Dword();
    r.Dword();  // extended style
    int count = r.Word();
    r.Word(), r.Word();  // x, y: centred anyway
    dialog.cx = short(r.Word());
    dialog.cy = short(r.Word());
    r.NameOrOrdinal();  // menu
    r.NameOrOrdinal();  // class
    dialog.caption = r.Text();
    if (dialog.style & DS_SETFONT) {
        dialog.pointSize = r.Word();
        dialog.font = r.Text();
    }
    for (int i = 0; i < count; ++i) {
        r.AlignToDword(base);
        TemplateControl c;
        c.style = r.Dword();
        c.exStyle = r.Dword();
        c.x = short(r.Word()), c.y = short(r.Word()), c.cx = short(r.Word()), c.cy = short(r.Word());
        c.id = short(r.Word());
        c.className = r.NameOrOrdinal();
        c.text = r.NameOrOrdinal();
        uint16_t extra = r.Word();
        for (int skip = 0; skip < extra; skip += 2) r.Word();
        dialog.controls.push_back(c);
    }
    return true;
}

std::string Atom(uint16_t atom) { return "#" + std::to_string(atom); }

struct ExpectedControl {
    int id;
    std::string className;
    const char* text;
    short x, y, cx, cy;
    DWORD style;  // bits that must be set besides WS_CHILD | WS_VISIBLE
};

struct ExpectedDialog {
    int id;
    const char* caption;
    short cx, cy;
    std::vector<ExpectedControl> controls;
};

const std::string Static = Atom(StaticAtom), Button = Atom(ButtonAtom), Edit = Atom(EditAtom);
const std::string Progress = "msctls_progress32";
constexpr DWORD Push = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD Box = WS_BORDER | WS_TABSTOP;

const ExpectedDialog Dialogs[] = {
    {IDD_WELCOME, "%WELCOME_DIALOG_TITLE%", 256, 175, {
        {IDC_HEADING, Static, "%WELCOME_DIALOG_LINE1%", 8, 52, 159, 16, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%WELCOME_DIALOG_LINE2%", 8, 76, 240, 20, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%WELCOME_DIALOG_DIRECTORY%", 8, 104, 125, 8, SS_LEFT},
        {IDC_WELCOME_FOLDER, Static, "%InstallPath%", 8, 112, 241, 8, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%WELCOME_DIALOG_MENU_LOCATION%", 8, 125, 144, 8, SS_LEFT},
        {IDC_WELCOME_GROUP, Static, "%InstallGroup%", 8, 133, 241, 8, SS_LEFT},
        {IDC_CHANGE_SETTINGS, Button, "%BUTTON_CHANGE_SETTINGS%", 4, 156, 76, 16, Push | BS_MULTILINE},
        {IDC_NEXT, Button, "%BUTTON_NEXT%", 140, 156, 52, 16, BS_DEFPUSHBUTTON | WS_TABSTOP | BS_MULTILINE},
        {IDC_CANCEL, Button, "%BUTTON_CANCEL%", 200, 156, 52, 16, Push},
    }},
    {IDD_OPTIONS, "%OPTIONS_DIALOG_TITLE%", 256, 175, {
        {IDC_HEADING, Static, "%OPTIONS_DIALOG_LINE1%", 8, 52, 159, 16, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%OPTIONS_DIALOG_DIRECTORY%", 8, 76, 120, 8, SS_LEFT},
        {IDC_INSTALL_FOLDER, Edit, "", 8, 86, 188, 12, Box | ES_AUTOHSCROLL},
        {IDC_BROWSE, Button, "%BUTTON_BROWSE%", 200, 86, 48, 12, Push},
        {IDC_STATIC_TEXT, Static, "%OPTIONS_DIALOG_MENU_LOCATION%", 8, 112, 140, 8, SS_LEFT},
        {IDC_START_MENU_GROUP, Edit, "", 8, 122, 188, 12, Box | ES_AUTOHSCROLL},
        {IDC_BACK, Button, "%BUTTON_BACK%", 80, 156, 52, 16, Push},
        {IDC_NEXT, Button, "%BUTTON_NEXT%", 140, 156, 52, 16, Push},
        {IDC_CANCEL, Button, "%BUTTON_CANCEL%", 200, 156, 52, 16, Push},
    }},
    {IDD_LICENSE, "%LICENSE_DIALOG_TITLE%", 256, 175, {
        {IDC_HEADING, Static, "%LICENSE_DIALOG_LINE1%", 8, 52, 159, 16, SS_LEFT},
        {IDC_LICENSE_TEXT, Edit, "", 4, 72, 248, 76, Box | ES_MULTILINE | ES_READONLY | WS_VSCROLL | ES_NOHIDESEL},
        {IDC_CANCEL, Button, "%BUTTON_DONT_AGREE%", 4, 156, 120, 16, Push},
        {IDC_NEXT, Button, "%BUTTON_AGREE%", 132, 156, 120, 16, Push},
    }},
    {IDD_LAUNCH, "%LAUNCH_DIALOG_TITLE%", 256, 175, {
        {IDC_HEADING, Static, "%LAUNCH_DIALOG_LINE1%", 8, 52, 165, 16, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%LAUNCH_DIALOG_LINE2%", 8, 76, 208, 19, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%LAUNCH_DIALOG_LINE3%", 8, 97, 205, 21, SS_LEFT},
        {IDC_LAUNCH_CHECK, Button, "%LAUNCH_DIALOG_LAUNCH_CHECK%", 8, 124, 204, 10, BS_AUTOCHECKBOX | WS_TABSTOP},
        {IDC_VIEW_README, Button, "%BUTTON_VIEW_README%", 4, 156, 76, 16, Push},
        {IDC_DONE, Button, "%BUTTON_DONE%", 200, 156, 52, 16, Push},
    }},
    {IDD_ABORT, "%ABORT_DIALOG_TITLE%", 256, 175, {
        {IDC_HEADING, Static, "%ABORT_DIALOG_LINE1%", 8, 52, 146, 16, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%ABORT_DIALOG_LINE2%", 8, 76, 228, 20, SS_LEFT},
        {IDC_STATIC_TEXT, Static, "%ABORT_DIALOG_LINE3%", 8, 113, 228, 24, SS_LEFT},
        {IDC_CANCEL, Button, "%BUTTON_EXIT%", 200, 156, 52, 16, Push},
    }},
    {IDD_PREPARE, "Preparing Installer ...", 224, 29, {
        {IDC_PREPARE_BAR, Progress, "", 8, 8, 208, 16, WS_BORDER},
    }},
    {IDD_INSTALL, "%INSTALL_DIALOG_TITLE%", 256, 175, {
        {IDC_HEADING, Static, "%INSTALL_DIALOG_LINE1%", 8, 52, 157, 16, SS_LEFT},
        {IDC_EXTRACTING_LINE, Static, "%INSTALL_DIALOG_EXTRACTING%", 12, 80, 232, 8, SS_LEFT},
        {IDC_FILE_BAR, Progress, "", 16, 92, 224, 14, WS_BORDER},
        {IDC_STATIC_TEXT, Static, "%INSTALL_DIALOG_TOTAL_PROGRESS%", 12, 116, 232, 8, SS_LEFT},
        {IDC_TOTAL_BAR, Progress, "", 16, 128, 224, 14, WS_BORDER},
        {IDC_CANCEL, Button, "%BUTTON_CANCEL%", 200, 156, 52, 16, Push},
    }},
};

TEST(DialogTemplates, MatchTheirLayout) {
    const DWORD pageStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER | DS_SETFONT;
    for (const ExpectedDialog& expected : Dialogs) {
        DialogTemplate dialog;
        ASSERT_TRUE(LoadTemplate(expected.id, dialog)) << expected.id;
        EXPECT_EQ(dialog.style & pageStyle, pageStyle) << expected.id;
        EXPECT_EQ(dialog.caption, expected.caption) << expected.id;
        EXPECT_EQ(dialog.cx, expected.cx) << expected.id;
        EXPECT_EQ(dialog.cy, expected.cy) << expected.id;
        EXPECT_EQ(dialog.font, "MS Sans Serif") << expected.id;
        EXPECT_EQ(dialog.pointSize, 8) << expected.id;
        ASSERT_EQ(dialog.controls.size(), expected.controls.size()) << expected.id;
        for (size_t i = 0; i < dialog.controls.size(); ++i) {
            const TemplateControl& c = dialog.controls[i];
            const ExpectedControl& e = expected.controls[i];
            std::string where = std::to_string(expected.id) + " control " + std::to_string(i);
            EXPECT_EQ(c.id, e.id) << where;
            EXPECT_EQ(lstrcmpiA(c.className.c_str(), e.className.c_str()), 0) << where << ": " << c.className;  // class names ignore case
            EXPECT_EQ(c.text, e.text) << where;
            EXPECT_EQ(c.x, e.x) << where;
            EXPECT_EQ(c.y, e.y) << where;
            EXPECT_EQ(c.cx, e.cx) << where;
            EXPECT_EQ(c.cy, e.cy) << where;
            // The low four bits of a button's style are its kind, not flags.
            if (e.className == Button) EXPECT_EQ(c.style & 0xF, e.style & 0xF) << where;
            EXPECT_EQ(c.style & e.style & ~DWORD(0xF), e.style & ~DWORD(0xF)) << where;
            EXPECT_EQ(c.style & (WS_CHILD | WS_VISIBLE), DWORD(WS_CHILD | WS_VISIBLE)) << where;
        }
    }
}

// The Welcome page's heading and the captions of its folder and group lines are transparent.
TEST(DialogTemplates, WelcomeHeadingAndCaptionsAreTransparent) {
    DialogTemplate dialog;
    ASSERT_TRUE(LoadTemplate(IDD_WELCOME, dialog));
    for (size_t i : {0u, 2u, 4u}) EXPECT_TRUE(dialog.controls[i].exStyle & WS_EX_TRANSPARENT) << i;
    for (size_t i : {1u, 3u, 5u}) EXPECT_FALSE(dialog.controls[i].exStyle & WS_EX_TRANSPARENT) << i;
}

}  // namespace
