#pragma once

// The DataLogger window's graph control (375 x 161 dialog units) in pixels.
// Whatever draws a set as the window shows it (the command line's printout,
// the measurement report) draws it on a graph of this size.
namespace LoggerGraphSize {
inline constexpr int kWidth = 654;
inline constexpr int kHeight = 302;
} // namespace LoggerGraphSize
