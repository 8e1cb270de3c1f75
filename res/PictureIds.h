#pragma once

// The ids of the meter panel's pictures: the artwork generator draws them
// under these ids, the build lists the files from them, the panel and its
// keys load them. Picture <id> is ":/res/bmp<id>.png".
namespace PictureId {
inline constexpr int FaceLit = 162;
inline constexpr int FaceUnlit = 176;
inline constexpr int Digit0 = 141;
inline constexpr int Digit1 = 143;
inline constexpr int Digit2 = 132;
inline constexpr int Digit3 = 133;
inline constexpr int Digit4 = 134;
inline constexpr int Digit5 = 135;
inline constexpr int Digit6 = 136;
inline constexpr int Digit7 = 137;
inline constexpr int Digit8 = 138;
inline constexpr int Digit9 = 139;
inline constexpr int BlankDigit = 148;
inline constexpr int DecimalPoint = 140;
// Backgrounds, cut from the lit face where the panel puts them.
inline constexpr int ClockBackground = 144;
inline constexpr int BarBackground = 153;
inline constexpr int UpperStatusBackground = 149;
inline constexpr int LowerStatusBackground = 151;
inline constexpr int Eraser = 163;
inline constexpr int BarSegment = 146;
// The keys.
inline constexpr int KeyRec = 154;
inline constexpr int KeyFastSlow = 156;
inline constexpr int KeyAC = 157;
inline constexpr int KeyMaxMin = 158;
inline constexpr int KeyLevel = 160;
inline constexpr int KeyStop = 161;

inline constexpr int Digits[10] = {Digit0, Digit1, Digit2, Digit3, Digit4, Digit5, Digit6, Digit7, Digit8, Digit9};
} // namespace PictureId
