#pragma once
// TBgrColor: a colour as markers and the waveform view's Color property hold
// it, laid out 0x00BBGGRR (red in the low byte), or, with the top bit set, a
// system colour by its index (0x8000000F is the button face). Qt's QRgb lays
// the same colour out as 0xAARRGGBB; TBgrColor is a type of its own so that
// neither passes for the other. Only the view turns one into pixels.

#include <cstdint>

class TBgrColor {
public:
    constexpr TBgrColor() = default; // black
    // A value in the stored layout, 0x00BBGGRR or a system colour.
    constexpr explicit TBgrColor(uint32_t Value) : FValue(Value) {}
    static constexpr TBgrColor Rgb(uint8_t Red, uint8_t Green, uint8_t Blue)
    {
        return TBgrColor(Red | uint32_t{Green} << 8 | uint32_t{Blue} << 16);
    }
    static constexpr TBgrColor System(uint8_t Index) { return TBgrColor(kSystemBit | Index); }

    constexpr uint32_t Value() const { return FValue; }
    constexpr bool IsSystem() const { return (FValue & kSystemBit) != 0; }
    constexpr uint8_t SystemIndex() const { return static_cast<uint8_t>(FValue); }
    constexpr uint8_t Red() const { return static_cast<uint8_t>(FValue); }
    constexpr uint8_t Green() const { return static_cast<uint8_t>(FValue >> 8); }
    constexpr uint8_t Blue() const { return static_cast<uint8_t>(FValue >> 16); }

    friend constexpr bool operator==(TBgrColor, TBgrColor) = default;

private:
    static constexpr uint32_t kSystemBit = 0x80000000u;
    uint32_t FValue = 0;
};

static_assert(TBgrColor::Rgb(255, 0, 0).Value() == 0x0000FF && TBgrColor::System(15).Value() == 0x8000000F);
