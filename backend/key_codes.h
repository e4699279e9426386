#pragma once
// The engine's key codes: the standard scan-code set the games were written for. The backend
// reports the keyboard in these codes.

#include <cstdint>

namespace backend::key {

inline constexpr std::uint8_t Escape = 0x01;
inline constexpr std::uint8_t Digit1 = 0x02;  // 1..9, 0 follow: 0x02..0x0B
inline constexpr std::uint8_t Minus = 0x0C;
inline constexpr std::uint8_t Equals = 0x0D;
inline constexpr std::uint8_t Back = 0x0E;
inline constexpr std::uint8_t Tab = 0x0F;
inline constexpr std::uint8_t Q = 0x10;
inline constexpr std::uint8_t W = 0x11;
inline constexpr std::uint8_t E = 0x12;
inline constexpr std::uint8_t R = 0x13;
inline constexpr std::uint8_t T = 0x14;
inline constexpr std::uint8_t Y = 0x15;
inline constexpr std::uint8_t U = 0x16;
inline constexpr std::uint8_t I = 0x17;
inline constexpr std::uint8_t O = 0x18;
inline constexpr std::uint8_t P = 0x19;
inline constexpr std::uint8_t LeftBracket = 0x1A;
inline constexpr std::uint8_t RightBracket = 0x1B;
inline constexpr std::uint8_t Return = 0x1C;
inline constexpr std::uint8_t LeftControl = 0x1D;
inline constexpr std::uint8_t A = 0x1E;
inline constexpr std::uint8_t S = 0x1F;
inline constexpr std::uint8_t D = 0x20;
inline constexpr std::uint8_t F = 0x21;
inline constexpr std::uint8_t G = 0x22;
inline constexpr std::uint8_t H = 0x23;
inline constexpr std::uint8_t J = 0x24;
inline constexpr std::uint8_t K = 0x25;
inline constexpr std::uint8_t L = 0x26;
inline constexpr std::uint8_t Semicolon = 0x27;
inline constexpr std::uint8_t Apostrophe = 0x28;
inline constexpr std::uint8_t Grave = 0x29;
inline constexpr std::uint8_t LeftShift = 0x2A;
inline constexpr std::uint8_t Backslash = 0x2B;
inline constexpr std::uint8_t Z = 0x2C;
inline constexpr std::uint8_t X = 0x2D;
inline constexpr std::uint8_t C = 0x2E;
inline constexpr std::uint8_t V = 0x2F;
inline constexpr std::uint8_t B = 0x30;
inline constexpr std::uint8_t N = 0x31;
inline constexpr std::uint8_t M = 0x32;
inline constexpr std::uint8_t Comma = 0x33;
inline constexpr std::uint8_t Period = 0x34;
inline constexpr std::uint8_t Slash = 0x35;
inline constexpr std::uint8_t RightShift = 0x36;
inline constexpr std::uint8_t Multiply = 0x37;
inline constexpr std::uint8_t LeftAlt = 0x38;
inline constexpr std::uint8_t Space = 0x39;
inline constexpr std::uint8_t CapsLock = 0x3A;
inline constexpr std::uint8_t F1 = 0x3B;  // F1..F10: 0x3B..0x44
inline constexpr std::uint8_t NumLock = 0x45;
inline constexpr std::uint8_t ScrollLock = 0x46;
inline constexpr std::uint8_t Numpad7 = 0x47;
inline constexpr std::uint8_t Numpad8 = 0x48;
inline constexpr std::uint8_t Numpad9 = 0x49;
inline constexpr std::uint8_t Subtract = 0x4A;
inline constexpr std::uint8_t Numpad4 = 0x4B;
inline constexpr std::uint8_t Numpad5 = 0x4C;
inline constexpr std::uint8_t Numpad6 = 0x4D;
inline constexpr std::uint8_t Add = 0x4E;
inline constexpr std::uint8_t Numpad1 = 0x4F;
inline constexpr std::uint8_t Numpad2 = 0x50;
inline constexpr std::uint8_t Numpad3 = 0x51;
inline constexpr std::uint8_t Numpad0 = 0x52;
inline constexpr std::uint8_t Decimal = 0x53;
inline constexpr std::uint8_t F11 = 0x57;
inline constexpr std::uint8_t F12 = 0x58;
inline constexpr std::uint8_t NumpadEnter = 0x9C;
inline constexpr std::uint8_t RightControl = 0x9D;
inline constexpr std::uint8_t Divide = 0xB5;
inline constexpr std::uint8_t RightAlt = 0xB8;
inline constexpr std::uint8_t Home = 0xC7;
inline constexpr std::uint8_t Up = 0xC8;
inline constexpr std::uint8_t PageUp = 0xC9;
inline constexpr std::uint8_t Left = 0xCB;
inline constexpr std::uint8_t Right = 0xCD;
inline constexpr std::uint8_t End = 0xCF;
inline constexpr std::uint8_t Down = 0xD0;
inline constexpr std::uint8_t PageDown = 0xD1;
inline constexpr std::uint8_t Insert = 0xD2;
inline constexpr std::uint8_t Delete = 0xD3;

}  // namespace backend::key
