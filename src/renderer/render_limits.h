// What a render may be asked for: the picture's width and height in pixels,
// each within kMinRenderSide..kMaxRenderSide, and a sampling level to reach
// within kMinSamplingLevel..kMaxSamplingLevel.
#pragma once

namespace torva {

inline constexpr int kMinRenderSide = 400;
inline constexpr int kMaxRenderSide = 32768;
inline constexpr int kMinSamplingLevel = 10;
inline constexpr int kMaxSamplingLevel = 50;

}  // namespace torva
