// The arithmetic of layout and start-up that needs no display: dialog units to pixels with the
// system's rounding, where dialogs go, the application's name, access keys in GTK labels, and the
// texts of exception reports.
#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

#include "framework/DialogLayout.h"
#include "framework/ExceptionReport.h"
#include "framework/ProgramEntry.h"
#include "framework/gtk/GtkBackend.h"

TEST(DialogLayoutTest, ScalingRoundsHalvesAwayFromZero) {
    struct Case {
        int number, numerator, denominator, expected;
    } cases[] = {
        {41, 6, 4, 62},   {137, 6, 4, 206},  {25, 12, 8, 38},  {10, 12, 8, 15},
        {-41, 6, 4, -62}, {41, -6, 4, -62},  {41, 6, -4, -62}, {7, 1, 3, 2},
        {386, 6, 4, 579}, {192, 12, 8, 288}, {0, 6, 4, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ScaleRounded(c.number, c.numerator, c.denominator), c.expected)
            << c.number << " * " << c.numerator << " / " << c.denominator;
    }
}

TEST(DialogLayoutTest, AverageWidthIsTheSampleWidthOverFiftyTwoRoundedHalfUp) {
    EXPECT_EQ(AverageCharWidth(312), 6);  // 宋体 9 point at 96 dots per inch
    EXPECT_EQ(AverageCharWidth(337), 6);  // 6.48
    EXPECT_EQ(AverageCharWidth(338), 7);  // 6.5
    EXPECT_EQ(AverageCharWidth(364), 7);
    EXPECT_EQ(kAverageWidthSample.size(), 52u);
}

TEST(DialogLayoutTest, DialogUnitsToPixelsWithTheBaseUnitsOf宋体) {
    const DialogBaseUnits simSun{6, 12};
    EXPECT_EQ(DialogUnitsToPixels(CRect(0, 0, 386, 192), simSun), CRect(0, 0, 579, 288));
    EXPECT_EQ(DialogUnitsToPixels(CRect(41, 120, 137, 145), simSun), CRect(62, 180, 206, 218));
    EXPECT_EQ(DialogUnitsToPixels(CRect(61, 164, 373, 174), simSun), CRect(92, 246, 560, 261));
}

TEST(DialogLayoutTest, DialogsAreCentredOverTheirOwnerOrTheWorkAreaAndKeptInside) {
    const CRect workArea(0, 30, 1280, 1024);
    const CRect owner(100, 130, 700, 530);
    const CRect nearTheEdge(1000, 900, 1200, 1000);
    struct Case {
        const char* name;
        int width, height;
        const CRect* owner;
        CRect expected;
    } cases[] = {
        {"no owner: the work area", 580, 330, nullptr, CRect(350, 362, 930, 692)},
        {"over the owner", 354, 140, &owner, CRect(223, 260, 577, 400)},
        {"moved back inside", 580, 330, &nearTheEdge, CRect(700, 694, 1280, 1024)},
        {"larger than the work area", 1400, 1100, nullptr, CRect(0, 30, 1400, 1130)},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CentredWindowRect(c.width, c.height, c.owner, workArea), c.expected) << c.name;
    }
}

TEST(DialogLayoutTest, ApplicationNameIsTheExecutablesFileNameWithoutExtension) {
    EXPECT_EQ(AppNameFromExecutablePath("C:\\Tools\\Vexlorn.exe"), "Vexlorn");
    EXPECT_EQ(AppNameFromExecutablePath("/usr/bin/vexlorn"), "vexlorn");
    EXPECT_EQ(AppNameFromExecutablePath("/home/a.b/卡测试.v2.exe"), "卡测试.v2");
    EXPECT_EQ(AppNameFromExecutablePath("Vexlorn"), "Vexlorn");
    EXPECT_EQ(AppNameFromExecutablePath("/opt/.hidden"), ".hidden");
}

TEST(DialogLayoutTest, TemplateTextsInGtkLabels) {
    EXPECT_EQ(gtk_backend::MnemonicText("关于 Vexlorn(&A)..."), "关于 Vexlorn(_A)...");
    EXPECT_EQ(gtk_backend::MnemonicText("R&&D_1"), "R&D__1");
    EXPECT_EQ(gtk_backend::MnemonicText("&_x"), "___x");
    EXPECT_EQ(gtk_backend::DisplayText("意义！  \r\n*****"), "意义！  \n*****");
    EXPECT_EQ(gtk_backend::DisplayText("a\rb\n"), "a\rb\n");
}

TEST(DialogLayoutTest, ExceptionReportTexts) {
    auto reportOf = [](auto raise) {
        try {
            raise();
        } catch (...) {
            return ExceptionReportText(std::current_exception());
        }
        return std::string("nothing thrown");
    };
    EXPECT_EQ(reportOf([] { throw std::bad_alloc(); }), "内存不足。");
    EXPECT_EQ(reportOf([] { throw std::length_error("太长了"); }), "太长了");
    EXPECT_EQ(reportOf([] { throw std::runtime_error(""); }), "内部应用程序出错。");
    EXPECT_EQ(reportOf([] { throw "text"; }), "内部应用程序出错。");
}
