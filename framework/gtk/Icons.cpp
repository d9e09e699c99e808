// GTK backend: icons from .ico files (every image of the file, each loaded on its own), a
// dialog's window icons, and the icon size of the system (32 pixels).
#include <algorithm>

#include "framework/gtk/GtkBackend.h"

struct IconTag {
    std::vector<GdkPixbuf*> images;  // smallest first; kept for the whole run
};

namespace {

constexpr std::size_t kDirectorySize = 6;
constexpr std::size_t kEntrySize = 16;

std::uint32_t ReadLittleEndian(std::string_view bytes, std::size_t at, std::size_t size) {
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

GdkPixbuf* LoadImage(const std::string& singleImageFile) {
    GdkPixbufLoader* loader = gdk_pixbuf_loader_new_with_type("ico", nullptr);
    if (!loader) {
        return nullptr;
    }
    const bool loaded =
        gdk_pixbuf_loader_write(loader, reinterpret_cast<const guchar*>(singleImageFile.data()),
                                singleImageFile.size(), nullptr) &&
        gdk_pixbuf_loader_close(loader, nullptr);
    GdkPixbuf* image = loaded ? gdk_pixbuf_loader_get_pixbuf(loader) : nullptr;
    if (image) {
        g_object_ref(image);
    } else {
        gdk_pixbuf_loader_close(loader, nullptr);
    }
    g_object_unref(loader);
    return image;
}

}  // namespace

namespace gtk_backend {

IconHandle LoadIconFile(std::string_view file) {
    if (file.size() < kDirectorySize || ReadLittleEndian(file, 0, 2) != 0 ||
        ReadLittleEndian(file, 2, 2) != 1) {
        return nullptr;
    }
    const std::size_t count = ReadLittleEndian(file, 4, 2);
    auto icon = std::make_unique<IconTag>();
    for (std::size_t i = 0; i < count; ++i) {
        const std::size_t entry = kDirectorySize + i * kEntrySize;
        if (entry + kEntrySize > file.size()) {
            break;
        }
        const std::size_t size = ReadLittleEndian(file, entry + 8, 4);
        const std::size_t offset = ReadLittleEndian(file, entry + 12, 4);
        if (offset > file.size() || size > file.size() - offset) {
            continue;
        }
        // A file of this one image: the directory, its entry pointing just behind it, the image.
        std::string single(file.substr(0, 4));
        single += std::string("\x01\x00", 2);
        single += file.substr(entry, 12);
        const std::uint32_t imageOffset = kDirectorySize + kEntrySize;
        for (int shift = 0; shift < 32; shift += 8) {
            single += static_cast<char>((imageOffset >> shift) & 0xFF);
        }
        single += file.substr(offset, size);
        if (GdkPixbuf* image = LoadImage(single)) {
            icon->images.push_back(image);
        }
    }
    if (icon->images.empty()) {
        return nullptr;
    }
    std::sort(icon->images.begin(), icon->images.end(), [](GdkPixbuf* a, GdkPixbuf* b) {
        return gdk_pixbuf_get_width(a) < gdk_pixbuf_get_width(b);
    });
    return icon.release();
}

}  // namespace gtk_backend

namespace window_backend {

int SystemIconSize() {
    return 32;
}

void SetIcons(WindowHandle dialog, IconHandle smallIcon, IconHandle bigIcon) {
    if (dialog->kind != WindowKind::dialog) {
        return;
    }
    GList* images = gtk_backend::IconImages(smallIcon, bigIcon);
    gtk_window_set_icon_list(GTK_WINDOW(dialog->widget), images);
    g_list_free(images);
}

}  // namespace window_backend

namespace gtk_backend {

GdkPixbuf* IconImage(IconHandle icon, int size) {
    if (!icon) {
        return nullptr;
    }
    for (GdkPixbuf* image : icon->images) {
        if (gdk_pixbuf_get_width(image) >= size) {
            return image;
        }
    }
    return icon->images.back();
}

GList* IconImages(IconHandle smallIcon, IconHandle bigIcon) {
    GList* images = nullptr;
    for (IconHandle icon : {smallIcon, bigIcon}) {
        if (!icon) {
            continue;
        }
        for (GdkPixbuf* image : icon->images) {
            if (!g_list_find(images, image)) {
                images = g_list_append(images, image);
            }
        }
    }
    return images;
}

}  // namespace gtk_backend
