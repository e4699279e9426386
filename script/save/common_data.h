#pragma once
// The common data file "SAVE__.KVR": bank C of the script VM (the common integers and flags,
// the read-message flags among them), kept across play-throughs. The loader and saver are
// VmState members (VmState::LoadCommonData, VmState::SaveCommonData); this header holds what
// they share with the save files.
//
// Layout, little-endian: the 16-byte version field; N integer masks (u32, 0..32767) and the N
// integers XORed with them; M flag masks (bytes) and the M flags (0 or 1) XORed with them. N
// and M are the bank sizes of the loaded variable image; the file carries no counts.

#include <array>
#include <cstdint>

#include "base/string.h"

namespace kv {

inline constexpr char kCommonDataFileName[] = "SAVE__.KVR";
// Written first and renamed over the real file once it is complete.
inline constexpr char kCommonDataTempFileName[] = "SAVE__.KVR.tmp";

inline constexpr std::size_t kVersionFieldSize = 16;
using VersionField = std::array<std::uint8_t, kVersionFieldSize>;

// The configured version text as stored in the files: "DEFAULTVERSION" when it is empty, else
// its bytes padded with zeros, cut to 15 bytes so that a zero always ends it.
VersionField MakeVersionField(const String& version);

}  // namespace kv
