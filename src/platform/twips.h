// Twips, the unit the program keeps window positions in: 1440 to the inch.
//
// On screen a pixel is 1440 / logical DPI twips (15 at 96 DPI), taken from the primary screen.
// Without a screen (no GUI application, as in the batch tool) the classic 15 stands.
#pragma once

namespace zek::platform {

enum class Axis { X, Y };

inline constexpr int TwipsPerInch = 1440;
inline constexpr int DefaultTwipsPerPixel = 15;

int twipsPerPixelX();
int twipsPerPixelY();
int twipsPerPixel(Axis axis);

int pixelsToTwips(int px, Axis axis = Axis::X);
// Rounded to the nearest pixel.
int twipsToPixels(int tw, Axis axis = Axis::X);

} // namespace zek::platform
