// Dialogs built from the program's real resource script: every control of both templates with
// its kind, text, enabled state and place, the dialog font and its base units, the tab order.
#include <gtest/gtest.h>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"

using namespace gtk_test;

namespace {

class TemplateTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

struct ExpectedControl {
    int id;
    GType (*type)();
    const char* shownText;  // as GTK shows it
    bool enabled;
    CRect dialogUnits;
};

CRect Units(int x, int y, int cx, int cy) {
    return CRect(x, y, x + cx, y + cy);
}

CRect PlaceOnClientArea(GtkWidget* widget, GtkWidget* clientArea) {
    GtkAllocation child, area;
    gtk_widget_get_allocation(widget, &child);
    gtk_widget_get_allocation(clientArea, &area);
    return CRect(child.x - area.x, child.y - area.y, child.x - area.x + child.width,
                 child.y - area.y + child.height);
}

const char* ShownText(NativeWindow& control) {
    if (control.kind == WindowKind::dropDownList || control.kind == WindowKind::staticIcon) {
        return "";
    }
    return gtk_label_get_text(GTK_LABEL(control.label));
}

void ExpectControls(CDialog& dialog, const std::vector<ExpectedControl>& expected) {
    const auto& controls = dialog.m_hWnd->dialog->controls;
    ASSERT_EQ(controls.size(), expected.size());
    GtkWidget* clientArea = dialog.m_hWnd->dialog->fixed;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        NativeWindow& control = *controls[i];
        EXPECT_EQ(control.id, expected[i].id);
        EXPECT_TRUE(G_TYPE_CHECK_INSTANCE_TYPE(control.widget, expected[i].type()));
        EXPECT_STREQ(ShownText(control), expected[i].shownText);
        EXPECT_EQ(gtk_widget_get_sensitive(control.widget), expected[i].enabled);
        EXPECT_TRUE(gtk_widget_get_visible(control.widget));

        CRect pixels = expected[i].dialogUnits;
        dialog.MapDialogRect(&pixels);
        const CRect placed = PlaceOnClientArea(control.widget, clientArea);
        EXPECT_EQ(placed.left, pixels.left);
        EXPECT_EQ(placed.top, pixels.top);
        if (control.kind == WindowKind::staticIcon) {
            EXPECT_EQ(placed.Width(), 32);  // an icon control takes its icon's size
            EXPECT_EQ(placed.Height(), 32);
        } else {
            EXPECT_EQ(placed.Width(), pixels.Width());
        }
        if (control.kind == WindowKind::pushButton || control.kind == WindowKind::groupBox) {
            EXPECT_EQ(placed.Height(), pixels.Height());
        }
    }
}

}  // namespace

TEST_F(TemplateTest, MainDialogShowsEveryControlOfItsTemplate) {
    CDialog dialog(IDD_MAIN);
    RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] {
            return gtk_widget_get_mapped(dialog.m_hWnd->widget) &&
                   gtk_widget_get_allocated_width(dialog.m_hWnd->dialog->fixed) > 1;
        }));
        EXPECT_EQ(dialog.GetWindowText(), "Quendral2014");
        EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(dialog.m_hWnd->widget)), "Quendral2014");

        ExpectControls(
            dialog,
            {
                {IDOK, gtk_button_get_type, "1.写入数据", true, Units(41, 120, 96, 25)},
                {IDC_STATUS, gtk_label_get_type,
                 "请一定按步骤进行鉴定！弹出TF卡/U盘/SD卡会比较慢，等耐心等候！", true,
                 Units(53, 57, 257, 33)},
                {IDC_VERIFY, gtk_button_get_type, "3.数据检验", false, Units(261, 119, 96, 25)},
                {IDC_STATIC, gtk_frame_get_type, "鉴定步骤:", true, Units(24, 101, 345, 58)},
                {IDC_DRIVES, gtk_combo_box_text_get_type, "", true, Units(213, 26, 85, 157)},
                {IDC_STATIC, gtk_label_get_type, "请选择要鉴定的TF卡/SD卡/U盘:", true,
                 Units(50, 28, 155, 11)},
                {IDC_STATIC, gtk_label_get_type,
                 "2.写入后请弹出TF卡,然后再插回来！  \n*****否则检测没有意义！*****", true,
                 Units(143, 120, 114, 25)},
                {IDC_LINK, gtk_event_box_get_type,
                 "我刚发现一个很好很好玩的网站，1元就能买iPhone 5s哦，快去看看吧！", true,
                 Units(61, 164, 312, 10)},
            });

        // The program reads back the texts exactly as the template has them.
        EXPECT_EQ(dialog.GetDlgItem(IDC_STATUS)->GetWindowText(),
                  "请一定按步骤进行鉴定！弹出TF卡/U盘/SD卡会比较慢，等耐心等候！");
        EXPECT_FALSE(dialog.GetDlgItem(IDC_VERIFY)->IsWindowEnabled());

        // The write button is the default button; the drive list is empty and not editable.
        GtkWidget* writeButton = dialog.m_hWnd->dialog->controls[0]->widget;
        EXPECT_EQ(gtk_window_get_default_widget(GTK_WINDOW(dialog.m_hWnd->widget)), writeButton);
        GtkWidget* drives = dialog.m_hWnd->dialog->controls[4]->widget;
        EXPECT_FALSE(gtk_combo_box_get_has_entry(GTK_COMBO_BOX(drives)));
        CComboBox list;
        ASSERT_TRUE(list.SubclassDlgItem(IDC_DRIVES, &dialog));
        EXPECT_EQ(list.GetCount(), 0);
        EXPECT_EQ(list.GetCurSel(), CComboBox::error);

        // The client area is the template's size.
        CRect client;
        dialog.GetClientRect(&client);
        CRect size(0, 0, 386, 192);
        dialog.MapDialogRect(&size);
        EXPECT_EQ(client, size);
        dialog.EndDialog(IDCANCEL);
    });
}

TEST_F(TemplateTest, AboutBoxShowsIconNameNoticeAndOkButton) {
    CDialog dialog(IDD_ABOUT);
    RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(dialog.m_hWnd->widget); }));
        EXPECT_EQ(dialog.GetWindowText(), "关于 Quendral2014");
        const auto& controls = dialog.m_hWnd->dialog->controls;
        ASSERT_EQ(controls.size(), 4u);
        const std::string notice = gtk_label_get_text(GTK_LABEL(controls[2]->label));
        EXPECT_FALSE(notice.empty());
        ExpectControls(
            dialog,
            {
                {IDC_STATIC, gtk_image_get_type, "", true, Units(11, 17, 20, 20)},
                {IDC_STATIC, gtk_label_get_type, "Quendral2014版", true, Units(40, 10, 119, 8)},
                {IDC_STATIC, gtk_label_get_type, notice.c_str(), true, Units(40, 25, 119, 8)},
                {IDOK, gtk_button_get_type, "确定", true, Units(178, 7, 50, 14)},
            });
        GdkPixbuf* icon = gtk_image_get_pixbuf(GTK_IMAGE(controls[0]->widget));
        ASSERT_NE(icon, nullptr);
        EXPECT_EQ(gdk_pixbuf_get_width(icon), 32);
        EXPECT_EQ(gdk_pixbuf_get_height(icon), 32);
        EXPECT_EQ(gtk_window_get_default_widget(GTK_WINDOW(dialog.m_hWnd->widget)),
                  controls[3]->widget);
        dialog.EndDialog(IDOK);
    });
}

// One horizontal dialog unit is a quarter of the average character width of the font the
// controls are drawn in, measured as the system measures it; one vertical unit an eighth of its
// height.
TEST_F(TemplateTest, DialogUnitsComeFromTheFontTheControlsUse) {
    CDialog dialog(IDD_MAIN);
    RunDialog(dialog, [&] {
        GtkWidget* label = dialog.m_hWnd->dialog->controls[1]->label;
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(label); }));
        PangoContext* context = gtk_widget_get_pango_context(label);
        const PangoFontDescription* font = pango_context_get_font_description(context);
        const std::string family = pango_font_description_get_family(font);
        EXPECT_TRUE(family == "SimSun" || family == "宋体" || family == "NSimSun" ||
                    family == "WenQuanYi Zen Hei Mono")
            << family;
        EXPECT_EQ(pango_font_description_get_size(font), 9 * PANGO_SCALE);

        PangoLayout* layout = pango_layout_new(context);
        pango_layout_set_text(layout, "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz", -1);
        int sampleWidth = 0;
        pango_layout_get_pixel_size(layout, &sampleWidth, nullptr);
        g_object_unref(layout);
        PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
        const int height = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics)) +
                           PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(metrics));
        pango_font_metrics_unref(metrics);

        CRect baseUnits(0, 0, 4, 8);
        dialog.MapDialogRect(&baseUnits);
        EXPECT_EQ(baseUnits.Width(), (sampleWidth / 26 + 1) / 2);
        EXPECT_EQ(baseUnits.Height(), height);
        dialog.EndDialog(IDCANCEL);
    });
}

TEST_F(TemplateTest, TabMovesThroughEnabledTabStopsInTemplateOrder) {
    CDialog dialog(IDD_MAIN);
    RunDialog(dialog, [&] {
        GtkWidget* window = dialog.m_hWnd->widget;
        const auto& controls = dialog.m_hWnd->dialog->controls;
        auto focusIs = [&](std::size_t index) {
            return gtk_backend::ControlWithFocus(*dialog.m_hWnd) == controls[index].get();
        };
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
        EXPECT_TRUE(focusIs(0)) << "the first tab stop, the write button, has the focus";

        SendKey(window, GDK_KEY_Tab);  // the verify button is disabled: on to the drive list
        EXPECT_TRUE(PumpUntil([&] { return focusIs(4); }));
        SendKey(window, GDK_KEY_Tab);
        EXPECT_TRUE(PumpUntil([&] { return focusIs(0); }));
        SendKey(window, GDK_KEY_ISO_Left_Tab, GDK_SHIFT_MASK);
        EXPECT_TRUE(PumpUntil([&] { return focusIs(4); }));

        dialog.GetDlgItem(IDC_VERIFY)->EnableWindow(true);
        SendKey(window, GDK_KEY_Tab);
        EXPECT_TRUE(PumpUntil([&] { return focusIs(0); }));
        SendKey(window, GDK_KEY_Tab);
        EXPECT_TRUE(PumpUntil([&] { return focusIs(2); }));
        dialog.EndDialog(IDCANCEL);
    });
}

TEST_F(TemplateTest, DialogWithoutOwnerIsCentredOnTheWorkArea) {
    CDialog dialog(IDD_MAIN);
    RunDialog(dialog, [&] {
        GtkWidget* window = dialog.m_hWnd->widget;
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
        GdkRectangle area;
        gdk_monitor_get_workarea(gdk_display_get_monitor_at_window(gdk_display_get_default(),
                                                                   gtk_widget_get_window(window)),
                                 &area);
        int x = 0, y = 0, width = 0, height = 0;
        gtk_window_get_position(GTK_WINDOW(window), &x, &y);
        gtk_window_get_size(GTK_WINDOW(window), &width, &height);
        EXPECT_NEAR(x + width / 2.0, area.x + area.width / 2.0, 1.0);
        EXPECT_NEAR(y + height / 2.0, area.y + area.height / 2.0, 1.0);
        dialog.EndDialog(IDCANCEL);
    });
}
