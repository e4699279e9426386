#pragma once
// The letters a name may not hold: the line-breaking punctuation and brackets of the message
// windows (forbidden letters) and the spaces and half-width katakana (invalid characters).
// Texts are terminated, in the build's code page.

namespace kv {

// True when the text holds a forbidden letter: in a first pass hanging punctuation, in a
// second one an opening or a closing bracket, full-width or single-byte.
bool HasForbiddenLetters(const char* text);
// True when the text holds a space of either width or a single byte from 0xA6 to 0xDF.
bool HasInvalidLetters(const char* text);

}  // namespace kv
