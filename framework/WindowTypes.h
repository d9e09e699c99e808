// Plain types of the window layer: rectangles, colours and the opaque handles of system objects.
// Nothing here shares a name with the platform's own headers, so every source may include it.
#pragma once

#include <cstdint>

// A rectangle in pixels (or dialog units where a function says so); right and bottom are exclusive.
struct CRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    constexpr CRect() = default;
    constexpr CRect(int l, int t, int r, int b) : left(l), top(t), right(r), bottom(b) {}
    constexpr int Width() const { return right - left; }
    constexpr int Height() const { return bottom - top; }
    constexpr bool operator==(const CRect&) const = default;
};

// A colour as 0x00BBGGRR, the layout of the platform colour values the framework hands on.
using ColorValue = std::uint32_t;

constexpr ColorValue RgbColor(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
    return static_cast<ColorValue>(red) | (static_cast<ColorValue>(green) << 8) |
           (static_cast<ColorValue>(blue) << 16);
}
constexpr std::uint8_t RedOf(ColorValue color) {
    return static_cast<std::uint8_t>(color);
}
constexpr std::uint8_t GreenOf(ColorValue color) {
    return static_cast<std::uint8_t>(color >> 8);
}
constexpr std::uint8_t BlueOf(ColorValue color) {
    return static_cast<std::uint8_t>(color >> 16);
}

// System objects, defined by each backend. The framework only passes them on.
struct NativeWindow;  // a dialog or one of its controls
struct IconTag;
struct CursorTag;
struct BrushTag;
struct DeviceContextTag;
using WindowHandle = NativeWindow*;
using IconHandle = IconTag*;
using CursorHandle = CursorTag*;
using BrushHandle = BrushTag*;
using DeviceContextHandle = DeviceContextTag*;
