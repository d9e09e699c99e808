// GTK backend: the dialog font (the template's face, or a Chinese fallback where it is missing),
// its base units for dialog units, and the style class that gives a dialog that font and
// controls of the sizes templates give them.
#include <map>

#include "framework/gtk/GtkBackend.h"

namespace gtk_backend {

namespace {

bool IsInstalled(const std::string& family) {
    PangoFontFamily** families = nullptr;
    int count = 0;
    pango_font_map_list_families(pango_cairo_font_map_get_default(), &families, &count);
    bool installed = false;
    for (int i = 0; i < count && !installed; ++i) {
        installed =
            g_ascii_strcasecmp(pango_font_family_get_name(families[i]), family.c_str()) == 0;
    }
    g_free(families);
    return installed;
}

}  // namespace

std::string DialogFontFamily(const std::string& face) {
    std::vector<std::string> candidates{face};
    if (face == "宋体" || g_ascii_strcasecmp(face.c_str(), "SimSun") == 0) {
        candidates = {"SimSun", "宋体", "NSimSun"};
    }
    // The fallback's monospaced cut has 宋体's widths: Latin letters half as wide as Chinese ones.
    candidates.emplace_back("WenQuanYi Zen Hei Mono");
    candidates.emplace_back("WenQuanYi Zen Hei");
    for (const std::string& candidate : candidates) {
        if (IsInstalled(candidate)) {
            return candidate;
        }
    }
    return face;
}

DialogBaseUnits MeasureBaseUnits(GtkWidget* widget, const std::string& family, int pointSize) {
    PangoContext* context = gtk_widget_get_pango_context(widget);
    PangoFontDescription* font = pango_font_description_new();
    pango_font_description_set_family(font, family.c_str());
    pango_font_description_set_size(font, pointSize * PANGO_SCALE);

    PangoLayout* layout = pango_layout_new(context);
    pango_layout_set_font_description(layout, font);
    pango_layout_set_text(layout, kAverageWidthSample.data(),
                          static_cast<int>(kAverageWidthSample.size()));
    int sampleWidth = 0;
    pango_layout_get_pixel_size(layout, &sampleWidth, nullptr);
    g_object_unref(layout);

    // The character height as the system gives it for a font: ascent plus descent.
    PangoFontMetrics* metrics = pango_context_get_metrics(context, font, nullptr);
    const int height = PANGO_PIXELS_CEIL(pango_font_metrics_get_ascent(metrics)) +
                       PANGO_PIXELS_CEIL(pango_font_metrics_get_descent(metrics));
    pango_font_metrics_unref(metrics);
    pango_font_description_free(font);
    return DialogBaseUnits{AverageCharWidth(sampleWidth), height};
}

std::string DialogStyleClass(const std::string& family, int pointSize) {
    static std::map<std::pair<std::string, int>, std::string> classes;
    const auto key = std::make_pair(family, pointSize);
    if (const auto found = classes.find(key); found != classes.end()) {
        return found->second;
    }
    const std::string name = "dialog-font-" + std::to_string(classes.size());
    // Buttons as small as templates make them (the theme's minimum is taller), and drop-down
    // lists that drop a list below themselves, as on the system the templates come from.
    const std::string scope = "." + name;
    const std::string css = scope + ", " + scope + " * { font-family: \"" + family +
                            "\"; font-size: " + std::to_string(pointSize) + "pt; }\n" + scope +
                            " button { min-height: 0; min-width: 0; padding: 1px 6px; }\n" + scope +
                            " combobox { -GtkComboBox-appears-as-list: true; }\n";
    GtkCssProvider* provider = gtk_css_provider_new();
    gtk_css_provider_load_from_data(provider, css.c_str(), -1, nullptr);
    gtk_style_context_add_provider_for_screen(gdk_screen_get_default(),
                                              GTK_STYLE_PROVIDER(provider),
                                              GTK_STYLE_PROVIDER_PRIORITY_APPLICATION);
    g_object_unref(provider);
    classes.emplace(key, name);
    return name;
}

}  // namespace gtk_backend
