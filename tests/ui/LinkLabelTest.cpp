// The link label on the main template: blue text on the dialog's own background, the hand
// cursor under the pointer, and one opening of the promotional address per click or double click.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include "framework/Cursor.h"
#include "framework/Dialog.h"
#include "framework/Shell.h"
#include "framework/gtk/GtkBackend.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"
#include "ui/LinkLabel.h"

using namespace gtk_test;

namespace {

// The main template with the link label bound and its clicks opening the address, as the main
// dialog has them.
class LinkDialog : public CDialog {
  public:
    explicit LinkDialog(bool bindLink = true) : CDialog(IDD_MAIN), m_bindLink(bindLink) {}
    void DoDataExchange(CDataExchange* pDX) override {
        if (m_bindLink) {
            DDX_Control(pDX, IDC_LINK, m_link);
        }
    }
    CLinkLabel m_link;

  protected:
    void OnLinkClicked() { ShellOpen(PROMOTION_URL); }
    DECLARE_MESSAGE_MAP()

  private:
    bool m_bindLink;
};

BEGIN_MESSAGE_MAP(LinkDialog, CDialog)
    ON_STN_CLICKED(IDC_LINK, &LinkDialog::OnLinkClicked)
END_MESSAGE_MAP()

class LinkLabelTest : public ::testing::Test {
  protected:
    void SetUp() override { StartWindowSystem(); }
};

struct Pixel {
    int red, green, blue;
    bool operator==(const Pixel&) const = default;
};

class Picture {
  public:
    explicit Picture(GtkWidget* window)
        : m_surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24,
                                               gtk_widget_get_allocated_width(window),
                                               gtk_widget_get_allocated_height(window))) {
        cairo_t* cairo = cairo_create(m_surface);
        gtk_widget_draw(window, cairo);
        cairo_destroy(cairo);
        cairo_surface_flush(m_surface);
    }
    ~Picture() { cairo_surface_destroy(m_surface); }
    Picture(const Picture&) = delete;
    Picture& operator=(const Picture&) = delete;

    Pixel At(int x, int y) const {
        const unsigned char* data = cairo_image_surface_get_data(m_surface);
        const auto value = *reinterpret_cast<const std::uint32_t*>(
            data + y * cairo_image_surface_get_stride(m_surface) + x * 4);
        return Pixel{static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                     static_cast<int>(value & 0xFF)};
    }

  private:
    cairo_surface_t* m_surface;
};

GdkRectangle AllocationOf(GtkWidget* widget) {
    GdkRectangle place;
    gtk_widget_get_allocation(widget, &place);
    return place;
}

}  // namespace

TEST_F(LinkLabelTest, BlueTextOnTheDialogsOwnBackground) {
    LinkDialog dialog;
    RunDialog(dialog, [&] {
        GtkWidget* window = WidgetOf(dialog.m_hWnd);
        GtkWidget* link = LabelOf(dialog.m_link.m_hWnd);
        ASSERT_TRUE(PumpUntil([&] {
            GdkRGBA color;
            GtkStyleContext* style = gtk_widget_get_style_context(link);
            gtk_style_context_get_color(style, gtk_style_context_get_state(style), &color);
            return gtk_widget_get_mapped(link) && color.red == 0 && color.green == 0 &&
                   color.blue == 1;
        }));
        PumpPending();
        const Picture picture(window);
        const Pixel background = picture.At(2, 2);  // the dialog's, where there is no control

        // Inside the link: the dialog's background, and ink that is blue (antialiased onto it).
        const GdkRectangle place = AllocationOf(link);
        Pixel darkest = background;
        int inked = 0;
        for (int y = place.y; y < place.y + place.height; ++y) {
            for (int x = place.x; x < place.x + place.width; ++x) {
                const Pixel pixel = picture.At(x, y);
                if (pixel == background) {
                    continue;
                }
                ++inked;
                if (pixel.red < darkest.red) {
                    darkest = pixel;
                }
                EXPECT_LE(std::abs(pixel.red - pixel.green), 2) << x << "," << y;
                if (pixel.red < 128) {
                    EXPECT_GT(pixel.blue, 200) << x << "," << y;  // dark in red and green: blue
                }
            }
        }
        // The strokes' cores: red and green almost gone, blue at full strength (0, 0, 255).
        EXPECT_GT(inked, 100);
        EXPECT_LE(darkest.red, 64);
        EXPECT_GE(darkest.blue, 250);
        EXPECT_EQ(picture.At(place.x + place.width - 2, place.y + place.height / 2), background);

        // Another static keeps the theme's dark, not blue, text.
        const GdkRectangle status = AllocationOf(LabelOf(dialog.GetDlgItem(IDC_STATUS)->m_hWnd));
        int darkestText = 255 * 3;
        for (int y = status.y; y < status.y + status.height; ++y) {
            for (int x = status.x; x < status.x + status.width; ++x) {
                const Pixel pixel = picture.At(x, y);
                darkestText = std::min(darkestText, pixel.red + pixel.green + pixel.blue);
                EXPECT_LE(pixel.blue - pixel.red, 20) << x << "," << y;
            }
        }
        EXPECT_LT(darkestText, 300);
        dialog.EndDialog(IDCANCEL);
    });
}

TEST_F(LinkLabelTest, HandCursorWhileThePointerIsOverTheLink) {
    for (const bool bound : {true, false}) {
        SCOPED_TRACE(bound ? "the link label" : "a plain static with the notify style");
        LinkDialog dialog(bound);
        RunDialog(dialog, [&] {
            GtkWidget* window = WidgetOf(dialog.m_hWnd);
            ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(window); }));
            GtkWidget* link = WidgetOf(dialog.GetDlgItem(IDC_LINK)->m_hWnd);
            GdkWindow* input = InputWindowOf(link);
            ASSERT_NE(input, gtk_widget_get_window(window))
                << "the link takes pointer input itself";
            GdkCursor* hand =
                reinterpret_cast<GdkCursor*>(LoadStandardCursor(StandardCursor::hand));
            ASSERT_NE(hand, nullptr);
            gdk_window_set_cursor(input, hand);  // whatever it showed before: the request decides

            SendEnter(link);
            ASSERT_TRUE(PumpUntil(
                [&] { return gdk_window_get_cursor(input) == (bound ? hand : nullptr); }));
            EXPECT_EQ(gdk_window_get_cursor(gtk_widget_get_window(window)), nullptr)
                << "the rest of the dialog keeps its cursor";
            dialog.EndDialog(IDCANCEL);
        });
    }
}

TEST_F(LinkLabelTest, OneOpeningPerClickAndPerDoubleClick) {
    const std::string address = PROMOTION_URL;
    EXPECT_EQ(address.rfind("http://", 0), 0u);
    EXPECT_NE(address.find(".example.com/"), std::string::npos) << "a reserved example domain";

    LaunchRecorder launches;
    LinkDialog dialog;
    RunDialog(dialog, [&] {
        ASSERT_TRUE(PumpUntil([&] { return gtk_widget_get_mapped(WidgetOf(dialog.m_hWnd)); }));
        GtkWidget* link = WidgetOf(dialog.m_link.m_hWnd);
        Click(link, 1000);
        ASSERT_TRUE(PumpUntil([&] { return launches.launched.size() == 1; }));
        DoubleClick(link, 5000);
        ASSERT_TRUE(PumpUntil([&] { return launches.launched.size() == 2; }));
        Click(link, 9000);
        ASSERT_TRUE(PumpUntil([&] { return launches.launched.size() == 3; }));
        PumpUntil([] { return false; }, 50ms);
        EXPECT_EQ(launches.launched, std::vector<std::string>(3, PROMOTION_URL));
        dialog.EndDialog(IDCANCEL);
    });
}
