#include "framework/ResourceScript.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "res/EmbeddedResources.h"
#include "res/resource.h"

namespace {

// Windows' style values, written out here as a second source beside the
// reader's own table.
namespace style {
constexpr std::uint32_t popup = 0x80000000, child = 0x40000000, visible = 0x10000000;
constexpr std::uint32_t disabled = 0x08000000, caption = 0x00C00000, border = 0x00800000;
constexpr std::uint32_t vScroll = 0x00200000, sysMenu = 0x00080000, group = 0x00020000;
constexpr std::uint32_t tabStop = 0x00010000;
constexpr std::uint32_t modalFrame = 0x80, setFont = 0x40;
constexpr std::uint32_t defPushButton = 0x1, autoCheckBox = 0x3, groupBox = 0x7, multiLine = 0x2000;
constexpr std::uint32_t icon = 0x3, noPrefix = 0x80, notify = 0x100;
constexpr std::uint32_t simple = 0x1, dropDown = 0x2, dropDownList = 0x3;
constexpr std::uint32_t appWindow = 0x00040000, clientEdge = 0x200, staticEdge = 0x20000;
}  // namespace style

const ResourceScript& RealScript() {
    static const ResourceScript script =
        ResourceScript::Parse(EmbeddedResourceScript(), EmbeddedResourceHeader());
    return script;
}

struct ExpectedControl {
    const char* statement;
    const char* windowClass;
    int id;
    std::string text;
    int x, y, cx, cy;
    std::uint32_t style;
};

void ExpectControls(const DialogTemplate& dialog, const std::vector<ExpectedControl>& expected) {
    ASSERT_EQ(dialog.controls.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE("control " + std::to_string(k + 1));
        const ControlTemplate& control = dialog.controls[k];
        const ExpectedControl& want = expected[k];
        EXPECT_EQ(control.statement, want.statement);
        EXPECT_EQ(control.windowClass, want.windowClass);
        EXPECT_EQ(control.id, want.id);
        EXPECT_EQ(control.text, want.text);
        EXPECT_EQ(control.x, want.x);
        EXPECT_EQ(control.y, want.y);
        EXPECT_EQ(control.cx, want.cx);
        EXPECT_EQ(control.cy, want.cy);
        EXPECT_EQ(control.style, want.style) << std::hex << control.style;
        EXPECT_EQ(control.exStyle, 0u);
    }
}

constexpr std::uint32_t CV = style::child | style::visible;

TEST(ResourceScriptTest, MainDialogIsTheTabledTemplate) {
    ASSERT_TRUE(RealScript().dialogs.contains(IDD_MAIN));
    const DialogTemplate& dialog = RealScript().dialogs.at(IDD_MAIN);
    EXPECT_EQ(dialog.id, 102);
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.language, 0x0804);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 386);
    EXPECT_EQ(dialog.cy, 192);
    EXPECT_EQ(dialog.style, style::popup | style::visible | style::caption | style::sysMenu |
                                style::modalFrame | style::setFont);
    EXPECT_EQ(dialog.exStyle, style::appWindow);
    EXPECT_EQ(dialog.caption, "Quendral2014");
    EXPECT_EQ(dialog.fontPoint, 9);
    EXPECT_EQ(dialog.fontFace, "宋体");
    EXPECT_EQ(dialog.fontWeight, 0);
    EXPECT_FALSE(dialog.fontItalic);
    EXPECT_EQ(dialog.fontCharset, 1);
    ExpectControls(
        dialog, {
                    {"DEFPUSHBUTTON", "Button", 1, "1.写入数据", 41, 120, 96, 25,
                     CV | style::tabStop | style::defPushButton},
                    {"LTEXT", "Static", 1000,
                     "请一定按步骤进行鉴定！弹出TF卡/U盘/SD卡会比较慢，等耐心等候！", 53, 57, 257,
                     33, CV | style::group},
                    {"PUSHBUTTON", "Button", 1002, "3.数据检验", 261, 119, 96, 25,
                     CV | style::tabStop | style::multiLine | style::disabled},
                    {"GROUPBOX", "Button", -1, "鉴定步骤:", 24, 101, 345, 58, CV | style::groupBox},
                    {"COMBOBOX", "ComboBox", 1004, "", 213, 26, 85, 157,
                     CV | style::tabStop | style::vScroll | style::dropDownList},
                    {"LTEXT", "Static", -1, "请选择要鉴定的TF卡/SD卡/U盘:", 50, 28, 155, 11,
                     CV | style::group},
                    {"LTEXT", "Static", -1,
                     "2.写入后请弹出TF卡,然后再插回来！  "
                     "\r\n*****否则检测没有意义！*****",
                     143, 120, 114, 25, CV | style::group},
                    {"LTEXT", "Static", 1005,
                     "我刚发现一个很好很好玩的网站，1元就能买iPhone 5s哦，快去看看吧！", 61, 164,
                     312, 10, CV | style::group | style::notify},
                });
}

TEST(ResourceScriptTest, AboutBoxIsTheTabledTemplate) {
    ASSERT_TRUE(RealScript().dialogs.contains(IDD_ABOUT));
    const DialogTemplate& dialog = RealScript().dialogs.at(IDD_ABOUT);
    EXPECT_FALSE(dialog.extended);
    EXPECT_EQ(dialog.language, 0x0804);
    EXPECT_EQ(dialog.cx, 235);
    EXPECT_EQ(dialog.cy, 55);
    EXPECT_EQ(dialog.style,
              style::popup | style::caption | style::sysMenu | style::modalFrame | style::setFont);
    EXPECT_EQ(dialog.exStyle, 0u);
    EXPECT_EQ(dialog.caption, "关于 Quendral2014");
    EXPECT_EQ(dialog.fontPoint, 9);
    EXPECT_EQ(dialog.fontFace, "宋体");
    ASSERT_EQ(dialog.controls.size(), 4u);
    EXPECT_FALSE(dialog.controls[2].text.empty()) << "the maker's notice";
    ExpectControls(dialog, {
                               {"ICON", "Static", -1, "128", 11, 17, 20, 20, CV | style::icon},
                               {"LTEXT", "Static", -1, "Quendral2014版", 40, 10, 119, 8,
                                CV | style::group | style::noPrefix},
                               {"LTEXT", "Static", -1, dialog.controls[2].text, 40, 25, 119, 8,
                                CV | style::group},
                               {"DEFPUSHBUTTON", "Button", 1, "确定", 178, 7, 50, 14,
                                CV | style::group | style::tabStop | style::defPushButton},
                           });
}

TEST(ResourceScriptTest, StringIconAndVersionBlock) {
    const ResourceScript& script = RealScript();
    EXPECT_EQ(script.strings, (std::map<int, std::string>{{101, "关于 Vexlorn(&A)..."}}));
    EXPECT_EQ(script.iconFiles, (std::map<int, std::string>{{128, "Vexlorn.ico"}}));

    ASSERT_TRUE(script.version);
    const VersionInfo& version = *script.version;
    EXPECT_EQ(version.fileVersion, (std::array<std::uint16_t, 4>{1, 0, 0, 1}));
    EXPECT_EQ(version.productVersion, (std::array<std::uint16_t, 4>{1, 0, 0, 1}));
    EXPECT_EQ(version.fileFlags, 0u);
    EXPECT_EQ(version.fileOS, 0x4u);
    EXPECT_EQ(version.fileType, 0x1u);
    EXPECT_EQ(version.stringBlock, "080404b0");
    EXPECT_EQ(version.translation, (std::vector<std::uint32_t>{0x804, 1200}));
    std::map<std::string, std::string> strings = version.strings;
    EXPECT_FALSE(strings["LegalCopyright"].empty());
    strings.erase("LegalCopyright");
    EXPECT_EQ(strings, (std::map<std::string, std::string>{
                           {"Comments", ""},
                           {"CompanyName", ""},
                           {"FileDescription", "Vexlorn Microsoft 基础类应用程序"},
                           {"FileVersion", "1, 0, 0, 1"},
                           {"InternalName", "Vexlorn"},
                           {"LegalTrademarks", ""},
                           {"OriginalFilename", "Vexlorn.EXE"},
                           {"PrivateBuild", ""},
                           {"ProductName", "Vexlorn 应用程序"},
                           {"ProductVersion", "1, 0, 0, 1"},
                           {"SpecialBuild", ""},
                       }));
}

// The header's numbers as the C++ compiler sees them, as the reader sees them,
// and as listed for the program.
TEST(ResourceScriptTest, HeaderNumbersAgreeBetweenCompilerAndReader) {
    const std::vector<std::pair<const char*, int>> numbers = {
        {"IDD_ABOUT", IDD_ABOUT},
        {"IDS_ABOUT_MENU", IDS_ABOUT_MENU},
        {"IDD_MAIN", IDD_MAIN},
        {"IDI_APP", IDI_APP},
        {"IDC_STATUS", IDC_STATUS},
        {"IDC_VERIFY", IDC_VERIFY},
        {"IDC_DRIVES", IDC_DRIVES},
        {"IDC_LINK", IDC_LINK},
        {"IDM_ABOUT", IDM_ABOUT},
        {"TIMER_STATUS", TIMER_STATUS},
        {"IDOK", IDOK},
    };
    for (const auto& [name, value] : numbers) {
        ResourceScript parsed = ResourceScript::Parse(
            std::string("#include \"resource.h\"\nSTRINGTABLE\nBEGIN\n") + name + " \"x\"\nEND\n",
            EmbeddedResourceHeader());
        EXPECT_TRUE(parsed.strings.contains(value)) << name;
    }
    EXPECT_EQ(
        (std::vector<int>{IDD_ABOUT, IDS_ABOUT_MENU, IDD_MAIN, IDI_APP, IDC_STATUS, IDC_VERIFY,
                          IDC_DRIVES, IDC_LINK, IDM_ABOUT, TIMER_STATUS, IDOK, IDC_STATIC}),
        (std::vector<int>{100, 101, 102, 128, 1000, 1002, 1004, 1005, 0x10, 1000, 1, -1}));
}

DialogTemplate OnlyDialog(const std::string& script) {
    ResourceScript parsed = ResourceScript::Parse(script, "");
    EXPECT_EQ(parsed.dialogs.size(), 1u);
    return parsed.dialogs.empty() ? DialogTemplate{} : parsed.dialogs.begin()->second;
}

// Each statement's implied styles; explicit styles are added, NOT removes,
// implied ones included.
TEST(ResourceScriptTest, ControlStatementsImplyTheirStyles) {
    struct Case {
        const char* statement;
        const char* windowClass;
        std::uint32_t style;
        std::uint32_t exStyle = 0;
    };
    const Case cases[] = {
        {"PUSHBUTTON \"a\", 7, 1, 2, 3, 4", "Button", CV | style::tabStop},
        {"PUSHBUTTON \"a\", 7, 1, 2, 3, 4, WS_DISABLED", "Button",
         CV | style::tabStop | style::disabled},
        {"DEFPUSHBUTTON \"a\", 7, 1, 2, 3, 4, NOT WS_TABSTOP", "Button", CV | style::defPushButton},
        {"LTEXT \"a\", 7, 1, 2, 3, 4", "Static", CV | style::group},
        {"LTEXT \"a\", 7, 1, 2, 3, 4, NOT WS_GROUP | SS_NOTIFY", "Static", CV | style::notify},
        {"GROUPBOX \"a\", 7, 1, 2, 3, 4", "Button", CV | style::groupBox},
        {"COMBOBOX 7, 1, 2, 3, 4", "ComboBox", CV | style::tabStop | style::simple},
        {"COMBOBOX 7, 1, 2, 3, 4, WS_VSCROLL", "ComboBox", CV | style::vScroll | style::simple},
        {"COMBOBOX 7, 1, 2, 3, 4, CBS_DROPDOWN", "ComboBox", CV | style::dropDown},
        {"CONTROL \"a\", 7, \"button\", BS_AUTOCHECKBOX | WS_TABSTOP, 1, 2, 3, 4", "Button",
         CV | style::autoCheckBox | style::tabStop},
        {"CONTROL \"a\", 7, \"SysLink\", 0, 1, 2, 3, 4, WS_EX_CLIENTEDGE", "SysLink", CV,
         style::clientEdge},
        {"CONTROL \"a\", 7, \"Static\", WS_CHILD | NOT WS_VISIBLE, 1, 2, 3, 4", "Static",
         style::child},
        {"PUSHBUTTON \"a\", 7, 1, 2, 3, 4, 0x2000, WS_EX_STATICEDGE", "Button",
         CV | style::tabStop | style::multiLine, style::staticEdge},
        {"LTEXT \"a\", 7, 1, 2, 3, 4, (0x80 | 0x100) & ~0x100", "Static",
         CV | style::group | style::noPrefix},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.statement);
        DialogTemplate dialog =
            OnlyDialog(std::string("1 DIALOG 0, 0, 9, 9\nBEGIN\n") + c.statement + "\nEND\n");
        ASSERT_EQ(dialog.controls.size(), 1u);
        const ControlTemplate& control = dialog.controls[0];
        EXPECT_EQ(control.windowClass, c.windowClass);
        EXPECT_EQ(control.style, c.style) << std::hex << control.style;
        EXPECT_EQ(control.exStyle, c.exStyle);
        EXPECT_EQ(control.id, 7);
        EXPECT_EQ((std::vector<int>{control.x, control.y, control.cx, control.cy}),
                  (std::vector<int>{1, 2, 3, 4}));
    }
}

TEST(ResourceScriptTest, IconControlTakesANameOrNumberAndAnOptionalSize) {
    DialogTemplate dialog = OnlyDialog(
        "#define IDI_X 300\n1 DIALOG 0, 0, 9, 9\nBEGIN\n"
        "ICON \"Named\", -1, 1, 2\nICON IDI_X, 5, 1, 2, 20, 20\nICON "
        "APPICON, 6, 1, 2\nEND\n");
    ASSERT_EQ(dialog.controls.size(), 3u);
    EXPECT_EQ(dialog.controls[0].text, "Named");
    EXPECT_EQ(dialog.controls[0].id, -1);
    EXPECT_EQ(dialog.controls[0].cx, 0);
    EXPECT_EQ(dialog.controls[1].text, "300");
    EXPECT_EQ(dialog.controls[1].cx, 20);
    EXPECT_EQ(dialog.controls[1].cy, 20);
    EXPECT_EQ(dialog.controls[2].text, "APPICON");
    for (const ControlTemplate& control : dialog.controls)
        EXPECT_EQ(control.style, CV | style::icon);
}

TEST(ResourceScriptTest, DialogStylesDefaultAndImplied) {
    // Without STYLE: popup, border, system menu; CAPTION adds the caption, FONT
    // the set-font style.
    DialogTemplate plain = OnlyDialog("1 DIALOG -5, 6, 7, 8\nCAPTION \"c\"\nFONT 8, \"f\"\n{\n}\n");
    EXPECT_EQ(plain.style,
              style::popup | style::border | style::sysMenu | style::caption | style::setFont);
    EXPECT_EQ(plain.x, -5);
    EXPECT_EQ(plain.language, 0);
    EXPECT_TRUE(plain.controls.empty());

    DialogTemplate extended = OnlyDialog(
        "language 4, 2\n1 dialogex 0, 0, 7, 8\nstyle WS_CHILD | NOT WS_VISIBLE\n"
        "font 8, \"MS Shell Dlg\", 700, 1, 0x86\nlanguage 9, 1\nbegin\nend\n");
    EXPECT_EQ(extended.style, style::child | style::setFont);
    EXPECT_EQ(extended.fontWeight, 700);
    EXPECT_TRUE(extended.fontItalic);
    EXPECT_EQ(extended.fontCharset, 0x86);
    EXPECT_EQ(extended.language, 0x0409);
}

TEST(ResourceScriptTest, StringsResolveEscapesAndKeepUtf8) {
    ResourceScript parsed = ResourceScript::Parse(
        "STRINGTABLE\nBEGIN\n"
        "1, \"a\\tb\\\\c\\\"d\"\"e\\r\\n\"\n"
        "2 \"中文 (&A)\"\n"
        "3 \"\"\n"
        "END\n",
        "");
    EXPECT_EQ(parsed.strings,
              (std::map<int, std::string>{{1, "a\tb\\c\"d\"e\r\n"}, {2, "中文 (&A)"}, {3, ""}}));
}

TEST(ResourceScriptTest, PreprocessorLinesCommentsAndLineEndings) {
    const std::string header =
        "#pragma once\n#define ID_BASE 10\n#ifndef IDOK\n#define IDOK 1\n#endif\n"
        "#define FUNCTION_LIKE(x) (x)\n#define TEXT_MACRO \"text\"\n";
    const std::string script =
        "\xEF\xBB\xBF// leading comment\r\n"
        "#pragma code_page(65001)\r\n"
        "#include <windows.h>\r\n"
        "#include \"resource.h\"\r\n"
        "#define ID_NEXT (ID_BASE + 2)\r\n"
        "/* a comment\r\n"
        "   over lines */\r\n"
        "STRINGTABLE\r\n"
        "BEGIN\r\n"
        "#ifdef ID_BASE\r\n"
        "    ID_BASE \"base\" // trailing comment\r\n"
        "#elif 1\r\n"
        "    ID_BASE \"elif after a taken #if\"\r\n"
        "#else\r\n"
        "    ID_BASE \"not taken\"\r\n"
        "#endif\r\n"
        "#if defined(ID_MISSING) || !defined(ID_NEXT)\r\n"
        "    ID_NEXT \"if\"\r\n"
        "#elif (ID_NEXT & 8) && ID_BASE\r\n"
        "    ID_NEXT \"elif\"\r\n"
        "#else\r\n"
        "    ID_NEXT \"else\"\r\n"
        "#endif\r\n"
        "#if 0\r\n"
        "#ifdef ID_BASE\r\n"
        "    skipped @ text \"\r\n"
        "#else\r\n"
        "#unknown directive\r\n"
        "#endif\r\n"
        "#endif\r\n"
        "#undef ID_NEXT\r\n"
        "#ifndef ID_NEXT\r\n"
        "    IDOK \"ok\"\r\n"
        "#endif\r\n"
        "END\r\n";
    ResourceScript parsed = ResourceScript::Parse(script, header);
    EXPECT_EQ(parsed.strings, (std::map<int, std::string>{{10, "base"}, {12, "elif"}, {1, "ok"}}));
}

TEST(ResourceScriptTest, HeaderNamesAreKnownOnlyAfterTheInclude) {
    try {
        ResourceScript::Parse("STRINGTABLE\nBEGIN\nID_BASE \"x\"\nEND\n#include \"resource.h\"\n",
                              "#define ID_BASE 10\n");
        FAIL() << "expected an error";
    } catch (const ResourceScriptError& error) {
        EXPECT_EQ(error.m_nLine, 3);
        EXPECT_NE(std::string(error.what()).find("unknown name 'ID_BASE'"), std::string::npos)
            << error.what();
    }
}

TEST(ResourceScriptTest, MalformedScriptsReportTheirLine) {
    struct Case {
        const char* what;
        std::string script;
        int line;
        const char* message;
        std::string header = "#define IDD_X 200\n#define IDC_A 7\n#define TEXT_MACRO \"t\"\n";
    };
    const std::string inc = "#include \"resource.h\"\n";
    const std::string dialog = inc + "IDD_X DIALOG 0, 0, 10, 10\nBEGIN\n";
    const Case cases[] = {
        {"unterminated string", "STRINGTABLE\nBEGIN\n    1 \"abc\nEND\n", 3, "string not closed"},
        {"unknown statement", "LANGUAGE 4, 2\nFROB 1, 2\n", 2, "unknown statement 'FROB'"},
        {"unsupported resource", inc + "IDD_X MENU\nBEGIN\nEND\n", 2, "expected DIALOG"},
        {"missing END", dialog + "    LTEXT \"a\", IDC_A, 0, 0, 1, 1\n", 4,
         "missing END of dialog 200 begun on line 3"},
        {"missing END of a string table", "STRINGTABLE\nBEGIN\n1 \"a\"\n\n", 4, "missing END"},
        {"unknown style name", inc + "IDD_X DIALOG 0, 0, 1, 1\nSTYLE WS_POPUP | WS_POPOUT\n", 3,
         "unknown style name 'WS_POPOUT'"},
        {"bad number", inc + "IDD_X DIALOG 0, 0, 1O, 10\n", 2, "bad number '1O'"},
        {"bad hex number", inc + "IDD_X DIALOG 0x, 0, 1, 10\n", 2, "bad number '0x'"},
        {"number beyond 32 bits", dialog + "LTEXT \"a\", 1, 0x100000000, 0, 1, 1\nEND\n", 4,
         "exceeds 32 bits"},
        {"truncated", inc + "IDD_X DIALOGEX 0, 0, 386,", 2,
         "expected a number, found the end of the script"},
        {"truncated in the options", inc + "IDD_X DIALOGEX 0, 0, 386, 9\nCAPTION \"x\"\n", 3,
         "script ends before the controls"},
        {"unknown control statement", dialog + "    EDITTEXT IDC_A, 0, 0, 1, 1\nEND\n", 4,
         "unknown control statement 'EDITTEXT'"},
        {"unknown control id", dialog + "\n    LTEXT \"a\", IDC_NONE, 0, 0, 1, 1\nEND\n", 5,
         "unknown name 'IDC_NONE'"},
        {"text macro as a number", dialog + "    LTEXT \"a\", TEXT_MACRO, 0, 0, 1, 1\nEND\n", 4,
         "'TEXT_MACRO' is not a number"},
        {"missing comma", dialog + "    LTEXT \"a\" IDC_A, 0, 0, 1, 1\nEND\n", 4, "expected ','"},
        {"resource name without include", "IDD_X DIALOG 0, 0, 1, 1\nBEGIN\nEND\n", 1,
         "resource name 'IDD_X' is not a #defined number"},
        {"unknown dialog statement", inc + "IDD_X DIALOG 0, 0, 1, 1\nMENU 5\nBEGIN\nEND\n", 3,
         "unknown dialog statement 'MENU'"},
        {"font extras in a classic dialog", inc + "IDD_X DIALOG 0, 0, 1, 1\nFONT 9, \"f\", 0\n", 3,
         "unknown dialog statement ','"},
        {"string table without BEGIN", "STRINGTABLE\n1 \"a\"\n", 2, "expected BEGIN"},
        {"duplicate dialog", dialog + "END\nIDD_X DIALOG 0, 0, 1, 1\nBEGIN\nEND\n", 5,
         "defined twice"},
        {"duplicate string", "STRINGTABLE\nBEGIN\n1 \"a\"\n1 \"b\"\nEND\n", 4, "defined twice"},
        {"NOT outside a style", inc + "IDD_X DIALOG NOT 0, 0, 1, 1\n", 2, "NOT is only allowed"},
        {"stray character", inc + "IDD_X DIALOG 0, 0, 1, 1 @\n", 2, "unexpected character '@'"},
        {"stray byte", "STRINGTABLE\nBEGIN\n1 \xE4\xB8\xAD\nEND\n", 3, "unexpected character 0xE4"},
        {"unknown escape", "STRINGTABLE\nBEGIN\n1 \"a\\qb\"\nEND\n", 3, "unknown escape \\q"},
        {"unterminated comment", "/* open\n\nSTRINGTABLE\n", 1, "comment not closed"},
        {"#endif without #if", "\n#endif\n", 2, "#endif without #if"},
        {"#if without #endif", "\n#ifdef X\nSTRINGTABLE\n", 2, "not closed with #endif"},
        {"two #else", "#if 1\n#else\n#else\n#endif\n", 3, "#else after #else"},
        {"#if without a condition", "#if\n#endif\n", 1, "without a condition"},
        {"unknown directive", "\n\n#error stop\n", 3, "unknown directive #error"},
        {"other code page", "#pragma code_page(936)\n", 1, "must be UTF-8"},
        {"expression nested too deeply",
         dialog + "LTEXT \"a\", " + std::string(100000, '(') + "1, 0, 0, 1, 1\nEND\n", 4,
         "nested too deeply"},
        {"version block without END",
         "1 VERSIONINFO\nFILEVERSION 1, 0, 0, 1\nBEGIN\n  BLOCK "
         "\"StringFileInfo\"\n  BEGIN\n",
         5, "missing END of block \"StringFileInfo\" begun on line 5"},
        {"version with five parts", "1 VERSIONINFO\nFILEVERSION 1, 0, 0, 1, 2\nBEGIN\nEND\n", 2,
         "up to four numbers"},
        {"statement in the header", "#include \"resource.h\"\n", 2,
         "the header holds only preprocessor lines", "#define A 1\nSTRINGTABLE\n"},
        {"bad number in the header", "#include \"resource.h\"\n", 1, "bad number '12ab'",
         "#define A 12ab\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        try {
            ResourceScript::Parse(c.script, c.header);
            ADD_FAILURE() << "no error";
        } catch (const ResourceScriptError& error) {
            EXPECT_EQ(error.m_nLine, c.line) << error.what();
            EXPECT_NE(std::string(error.what()).find(c.message), std::string::npos) << error.what();
            EXPECT_EQ(
                std::string(error.what()).rfind("line " + std::to_string(error.m_nLine) + ": ", 0),
                0u)
                << error.what();
        }
    }
}

// Cutting the script anywhere, even inside a UTF-8 sequence, gives a script
// that either reads or fails with a ResourceScriptError on one of its lines,
// never another failure.
TEST(ResourceScriptTest, EveryTruncationOfTheScriptFailsCleanly) {
    const std::string_view script = EmbeddedResourceScript();
    int failures = 0;
    for (std::size_t length = 0; length < script.size(); ++length) {
        std::string_view prefix = script.substr(0, length);
        int lines = 1;
        for (char c : prefix) lines += c == '\n';
        try {
            ResourceScript::Parse(prefix, EmbeddedResourceHeader());
        } catch (const ResourceScriptError& error) {
            ++failures;
            ASSERT_GE(error.m_nLine, 1) << "cut at " << length;
            ASSERT_LE(error.m_nLine, lines) << "cut at " << length;
        }
    }
    EXPECT_GT(failures, static_cast<int>(script.size()) / 2);
}

std::uint32_t Little(std::string_view bytes, std::size_t offset, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t k = size; k-- > 0;)
        value = value << 8 | static_cast<std::uint8_t>(bytes.at(offset + k));
    return value;
}

// The icon file: a directory of two BMP images, 32 x 32 and 16 x 16, 16 colours
// each, with an AND mask that leaves some pixels transparent and the picture in
// more than two colours.
TEST(ResourceScriptTest, IconHoldsTwo16ColourImages) {
    const std::string_view ico = EmbeddedIcon();
    ASSERT_GE(ico.size(), 6u);
    EXPECT_EQ(Little(ico, 0, 2), 0u);
    EXPECT_EQ(Little(ico, 2, 2), 1u) << "type 1 is an icon";
    ASSERT_EQ(Little(ico, 4, 2), 2u);
    const std::uint32_t sizes[] = {32, 16};
    for (std::size_t image = 0; image < 2; ++image) {
        SCOPED_TRACE("image " + std::to_string(image));
        const std::size_t entry = 6 + 16 * image;
        const std::uint32_t size = sizes[image];
        EXPECT_EQ(Little(ico, entry, 1), size);
        EXPECT_EQ(Little(ico, entry + 1, 1), size);
        EXPECT_EQ(Little(ico, entry + 2, 1), 16u) << "colour count";
        EXPECT_EQ(Little(ico, entry + 6, 2), 4u) << "bits per pixel";
        const std::uint32_t length = Little(ico, entry + 8, 4);
        const std::uint32_t offset = Little(ico, entry + 12, 4);
        ASSERT_LE(std::uint64_t{offset} + length, ico.size());

        const std::string_view bmp = ico.substr(offset, length);
        const std::uint32_t xorRow = (size * 4 + 31) / 32 * 4, andRow = (size + 31) / 32 * 4;
        ASSERT_EQ(length, 40 + 16 * 4 + size * xorRow + size * andRow);
        EXPECT_EQ(Little(bmp, 0, 4), 40u);
        EXPECT_EQ(Little(bmp, 4, 4), size);
        EXPECT_EQ(Little(bmp, 8, 4), 2 * size) << "image and mask";
        EXPECT_EQ(Little(bmp, 12, 2), 1u);
        EXPECT_EQ(Little(bmp, 14, 2), 4u);
        EXPECT_EQ(Little(bmp, 16, 4), 0u) << "uncompressed";

        const std::size_t pixels = 40 + 16 * 4, mask = pixels + size * xorRow;
        std::set<int> colours;
        int transparent = 0;
        for (std::uint32_t y = 0; y < size; ++y) {
            for (std::uint32_t x = 0; x < size; ++x) {
                bool clear = Little(bmp, mask + y * andRow + x / 8, 1) & (0x80 >> (x % 8));
                int colour = (Little(bmp, pixels + y * xorRow + x / 2, 1) >> (x % 2 ? 0 : 4)) & 0xF;
                if (clear)
                    ++transparent;
                else
                    colours.insert(colour);
            }
        }
        EXPECT_GT(transparent, 0);
        EXPECT_LT(transparent, static_cast<int>(size * size / 2));
        EXPECT_GT(colours.size(), 2u);
    }
}

}  // namespace
