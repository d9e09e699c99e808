// The arithmetic of dialog layout: dialog units to pixels from the dialog font, and where a dialog
// goes on the screen. Backends that lay dialogs out themselves use it.
#pragma once

#include <string_view>

#include "framework/WindowTypes.h"

// The dialog font's average character width and height in pixels: one horizontal dialog unit is
// a quarter of the width, one vertical unit an eighth of the height.
struct DialogBaseUnits {
    int cx = 0;
    int cy = 0;
};

// The text whose width gives the average character width.
inline constexpr std::string_view kAverageWidthSample =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

// The average character width from the sample's width: width / 52, rounded half up.
int AverageCharWidth(int sampleWidth);

// number * numerator / denominator, rounded to the nearest integer, halves away from zero.
int ScaleRounded(int number, int numerator, int denominator);

CRect DialogUnitsToPixels(const CRect& dialogUnits, DialogBaseUnits base);

// Where a window of that size goes: centred over owner when there is one, else over the work
// area, then moved back inside the work area where it would stick out.
CRect CentredWindowRect(int width, int height, const CRect* owner, const CRect& workArea);
