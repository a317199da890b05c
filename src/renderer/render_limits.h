// What a render may be asked for: the picture's width and height in pixels,
// each within kMinPictureSide..kMaxPictureSide, and a sampling level to reach
// within kMinSamplingLevel..kMaxSamplingLevel.
#pragma once

namespace torva {

inline constexpr int kMinPictureSide = 400;
inline constexpr int kMaxPictureSide = 32768;
inline constexpr int kMinSamplingLevel = 10;
inline constexpr int kMaxSamplingLevel = 50;

}  // namespace torva
