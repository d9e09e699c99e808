// Takes the README's pictures of both dialogs: runs them on the display it is given (a virtual
// one in practice), as a user sees them with a drive listed, and saves each window as PNG.
//   ui_screenshots <folder>   writes <folder>/main-dialog.png and <folder>/about-box.png
#include <gtk/gtk.h>

#include <cstdio>
#include <string>

#include "framework/Controls.h"
#include "framework/Dialog.h"
#include "framework/ProgramEntry.h"
#include "framework/WinApp.h"
#include "res/resource.h"
#include "tests/framework/gtk/support/GtkTestSupport.h"
#include "ui/AboutBox.h"
#include "ui/LinkLabel.h"

namespace {

std::string g_folder;
bool g_saved = true;

// Saves the window as the display shows it, frame included.
void SaveWindow(GtkWidget* window, const std::string& name) {
    GdkWindow* shown = gtk_widget_get_window(window);
    GdkRectangle frame;
    gdk_window_get_frame_extents(shown, &frame);
    GdkPixbuf* picture = gdk_pixbuf_get_from_window(gdk_get_default_root_window(), frame.x, frame.y,
                                                    frame.width, frame.height);
    const std::string path = g_folder + "/" + name;
    if (!picture || !gdk_pixbuf_save(picture, path.c_str(), "png", nullptr, nullptr)) {
        std::fprintf(stderr, "could not save %s\n", path.c_str());
        g_saved = false;
    }
    if (picture) {
        g_object_unref(picture);
    }
}

// Waits until window is on the screen and drawn, then saves it.
void SaveWhenDrawn(GtkWidget* window, const std::string& name) {
    gtk_test::PumpUntil([&] { return gtk_widget_get_mapped(window); });
    gtk_test::PumpUntil([] { return false; }, std::chrono::milliseconds(300));
    SaveWindow(window, name);
}

// The virtual display has no window manager to draw title bars, so the picture gets one from GTK.
void AddTitleBar(CWnd& dialog) {
    GtkWidget* bar = gtk_header_bar_new();
    gtk_header_bar_set_title(GTK_HEADER_BAR(bar), dialog.GetWindowText().c_str());
    gtk_header_bar_set_show_close_button(GTK_HEADER_BAR(bar), TRUE);
    gtk_header_bar_set_decoration_layout(GTK_HEADER_BAR(bar), ":close");
    gtk_widget_show(bar);
    gtk_window_set_titlebar(GTK_WINDOW(gtk_test::WidgetOf(dialog.m_hWnd)), bar);
}

class DemoAboutBox : public CAboutBox {
  public:
    bool OnInitDialog() override {
        AddTitleBar(*this);
        return CAboutBox::OnInitDialog();
    }
};

class DemoDialog : public CDialog {
  public:
    DemoDialog() : CDialog(IDD_MAIN) {}

    bool OnInitDialog() override {
        AddTitleBar(*this);
        CDialog::OnInitDialog();
        m_cbDrives.AddString("/media/user/SDCARD/");
        m_cbDrives.SetCurSel(0);
        return true;
    }
    void DoDataExchange(CDataExchange* pDX) override {
        DDX_Control(pDX, IDC_LINK, m_link);
        DDX_Control(pDX, IDC_DRIVES, m_cbDrives);
    }

    CLinkLabel m_link;
    CComboBox m_cbDrives;
};

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    g_folder = argv[1];
    if (!AfxWinInit(argv[0])) {
        std::fprintf(stderr, "cannot open display\n");
        return 1;
    }
    DemoDialog dialog;
    gtk_test::InModalLoop([&] {
        GtkWidget* mainWindow = gtk_test::WidgetOf(dialog.m_hWnd);
        SaveWhenDrawn(mainWindow, "main-dialog.png");
        DemoAboutBox about;
        gtk_test::InModalLoop([&] {
            SaveWhenDrawn(gtk_test::WidgetOf(about.m_hWnd), "about-box.png");
            about.EndDialog(IDOK);
        });
        about.DoModal();
        dialog.EndDialog(IDCANCEL);
    });
    dialog.DoModal();
    return g_saved ? 0 : 1;
}
