#pragma once

#include <array>
#include <cstdint>
#include <span>

// A level as the meter sends it, in the real-time stream and in its logger:
// packed BCD in two bytes, hundreds|tens and units|tenths.
using BcdDigits = std::array<int, 4>; // hundreds, tens, units, tenths

constexpr BcdDigits UnpackBcd(std::uint8_t high, std::uint8_t low)
{
    return {high >> 4, high & 0x0F, low >> 4, low & 0x0F};
}

// False when a nibble is no decimal digit (the display shows no number).
constexpr bool AllDecimal(const BcdDigits& digits)
{
    for (const int d : digits) {
        if (d > 9)
            return false;
    }
    return true;
}

// hundreds*100 + tens*10 + units + tenths*0.1.
constexpr double LevelOfDigits(std::span<const int, 4> digits)
{
    return digits[0] * 100 + digits[1] * 10 + digits[2] + digits[3] * 0.1;
}

constexpr double LevelOfBcd(std::uint8_t high, std::uint8_t low)
{
    return LevelOfDigits(UnpackBcd(high, low));
}
