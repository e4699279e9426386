#pragma once
// The script's side of the sound channels: channel i of the script plays on the sound manager's
// buffer i. The records, fades and the two variable tables are made by op 45; the pack readers
// that channels find their sounds in by op 49. The message flow, the maps, the history, the
// system buttons and the save code play their voices and clicks through these helpers.

#include <cstdint>
#include <string_view>

#include "base/string.h"

namespace kv {

class SoundBuffer;

struct SoundChannel {
    std::int32_t packIndex = -1;    // the channel's reader in the pack array; -1: none
    std::int32_t baseVolume = 100;  // percent, 0..100
    char name[64] = {};             // the last sound PlayDSB or FadeInPlayDSB loaded
    std::uint8_t streaming = 0;     // load sounds as streams
};

struct FadeEntry {
    std::uint8_t active = 0;
    std::uint32_t kind = 0;      // 1 fade out, 0 fade in
    std::uint32_t start = 0;     // tick count at the start, ms
    std::uint32_t duration = 0;  // ms
};

inline constexpr std::uint32_t kFadeIn = 0;
inline constexpr std::uint32_t kFadeOut = 1;

// The channel's buffer; null outside the channels op 45 made.
SoundBuffer* ChannelBuffer(std::int32_t channel);
// Whether the channel exists; when it does not, a box over the game window names the channel
// and the operation, and false.
bool CheckChannel(std::int32_t channel, std::string_view operationName);

// Finds the sound by its bare name (loose, the channel's pack, "snd\") and loads it into the
// channel's buffer, as a stream when the channel streams.
bool LoadChannelSound(const String& name, std::int32_t channel);
// Plays what the channel holds: a stream starts its feeder, a whole sound plays.
bool PlayChannel(std::int32_t channel, bool loop);
// Stops and empties the channel's buffer.
void StopAndReleaseChannel(std::int32_t channel);
// A screen's hover or click sound: the channel emptied, the sound loaded into it and named in its
// record, its volume and pan set by the rules. False when the sound cannot be loaded or there is
// no such channel.
bool LoadScreenSound(std::int32_t channel, const String& name);

// The volume rule: base volume x the bound bank-C integer / 100 (an unbound variable, index -1,
// counts as 100). False, after the access-violation box, when the variable lies outside bank C.
bool RuleVolume(std::int32_t channel, std::int64_t& percent);
// Sets the channel's buffer volume by the rule; onlyWhenChanged skips a value the buffer has.
void ApplyVolumeRule(std::int32_t channel, bool onlyWhenChanged);
// The pan rule: the bound bank-C integer as a pan of -100..100.
void ApplyPanRule(std::int32_t channel, bool onlyWhenChanged);
// Percent (any value) to the buffer's hundredths of a decibel.
std::int32_t PercentToVolume(std::int64_t percent);

}  // namespace kv
