// SPDX-License-Identifier: GPL-3.0-or-later
// The windows' layouts and the saved window position are measured in twips:
// 15 to a pixel.
#pragma once

inline constexpr int TwipsPerPixel = 15;
