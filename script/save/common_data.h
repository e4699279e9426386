#pragma once
// The common data file "SAVE__.KVR": bank C of the script VM (the common integers and flags,
// the read-message flags among them), kept across play-throughs, in "SAVE__.KVR" of the VM's
// save folder.
//
// Layout, little-endian: the 16-byte version field; N integer masks (u32, 0..32767) and the N
// integers XORed with them; M flag masks (bytes) and the M flags (0 or 1) XORed with them. N
// and M are the bank sizes of the loaded variable image; the file carries no counts.

#include <array>
#include <cstdint>

#include "base/string.h"

namespace kv {

inline constexpr char kCommonDataFileName[] = "SAVE__.KVR";

inline constexpr std::size_t kVersionFieldSize = 16;
using VersionField = std::array<std::uint8_t, kVersionFieldSize>;

// The configured version text as stored in the files: "DEFAULTVERSION" when it is empty, else
// its bytes padded with zeros, cut to 15 bytes so that a zero always ends it.
VersionField MakeVersionField(const String& version);

class VmState;

// Replaces the file as a whole (a temporary file renamed over it), creating the save folder
// when needed; false when the file could not be written, and the old one is then intact.
bool SaveCommonData(VmState& vm, const String& version);
// Fills bank C from the file. True when it was read, or when there is none (the first run:
// bank C stays as it is). False, after a message box, for a file that exists but cannot be read
// or is cut short (the box names it), or was written under another version text (the
// "irregular save data" message); bank C and the file are then unchanged.
bool LoadCommonData(VmState& vm, const String& version);

}  // namespace kv
