#include "framework/win32/CleanUpCommand.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

TEST(CleanUpCommand, IsTheDelCommandForTheRoot) {
    EXPECT_EQ(CleanUpCommandLine("E:\\", ".vexlorn"), L"cmd /c \"del /q E:\\*.vexlorn\"");
    EXPECT_EQ(CleanUpCommandLine("C:\\Users\\me\\Temp\\vexlorn-files-12_3~1\\", ".vexlorn"),
              L"cmd /c \"del /q C:\\Users\\me\\Temp\\vexlorn-files-12_3~1\\*.vexlorn\"");
    EXPECT_EQ(CleanUpCommandLine("E:\\卡测试\\", ".vexlorn"),
              L"cmd /c \"del /q E:\\\u5361\u6d4b\u8bd5\\*.vexlorn\"");
}

TEST(CleanUpCommand, RefusesAnythingThatWouldChangeTheCommand) {
    struct Case {
        const char* root;
        const char* suffix;
    };
    const Case cases[] = {
        {"E:\\a b\\", ".vexlorn"},
        {"E:\\a\"b\\", ".vexlorn"},
        {"E:\\a&b\\", ".vexlorn"},
        {"E:\\a|b\\", ".vexlorn"},
        {"E:\\a<b\\", ".vexlorn"},
        {"E:\\a>b\\", ".vexlorn"},
        {"E:\\a^b\\", ".vexlorn"},
        {"E:\\(a)\\", ".vexlorn"},
        {"E:\\a,b\\", ".vexlorn"},
        {"E:\\a;b\\", ".vexlorn"},
        {"E:\\a=b\\", ".vexlorn"},
        {"E:\\%PATH%\\", ".vexlorn"},
        {"E:\\a!b\\", ".vexlorn"},
        {"E:\\*\\", ".vexlorn"},
        {"E:\\a?\\", ".vexlorn"},
        {"E:\\a\tb\\", ".vexlorn"},
        {"E:\\a\nb\\", ".vexlorn"},
        {"E:\\a\xC2\xA0"
         "b\\",
         ".vexlorn"},
        {"E:\\a\xE3\x80\x80"
         "b\\",
         ".vexlorn"},                    // ideographic space
        {"E:\\\xBF\xA8\\", ".vexlorn"},  // not UTF-8
        {"", ".vexlorn"},
        {"E:\\", ""},
        {"E:\\", ".vex lorn"},
        {"E:\\", ".vexlorn\" & del /q C:\\*"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CleanUpCommandLine(c.root, c.suffix), std::nullopt)
            << "root '" << c.root << "' suffix '" << c.suffix << "'";
    }
}
