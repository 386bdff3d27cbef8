#pragma once
// The look in one place: colours and sizes shared by the pages, the frame and the image
// generator (tools/image_gen), so that changing a value here changes both the painted widgets
// and the pictures they show.

#include <QColor>

namespace look {

// Title band of the frame and the picture buttons on it.
inline constexpr QRgb band_top = qRgb(47, 120, 212);
inline constexpr QRgb band_bottom = qRgb(27, 84, 168);
inline constexpr QRgb band_line = qRgb(120, 176, 240);
inline constexpr QRgb accent = qRgb(48, 117, 201);
inline constexpr QRgb accent_light = qRgb(98, 160, 232);
inline constexpr QRgb accent_dark = qRgb(30, 86, 160);

// Page colours (list rows, dividers, texts).
inline constexpr QRgb even_row = qRgb(241, 250, 255);
inline constexpr QRgb selected_row = qRgb(81, 149, 206);
inline constexpr QRgb title_row = qRgb(232, 246, 255);
inline constexpr QRgb divider = qRgb(211, 231, 255);
inline constexpr QRgb bar_frame = qRgb(139, 184, 241);
inline constexpr QRgb intro_text = qRgb(91, 135, 201);
inline constexpr QRgb progress_background = qRgb(226, 240, 253);
inline constexpr QRgb page_band_top = qRgb(226, 240, 254);
inline constexpr QRgb page_band_bottom = qRgb(255, 255, 255);

// Free-space bars: used share of a nearly full volume, and of one with room left.
inline constexpr QRgb bar_red = qRgb(222, 72, 62);
inline constexpr QRgb bar_green = qRgb(64, 176, 96);

// Frame: shadow width around the window and its darkest alpha.
inline constexpr int shadow = 3;
inline constexpr int shadow_alpha = 90;
inline constexpr int band_height = 100; // the top band (buttons, logo) ends at y 100

} // namespace look
