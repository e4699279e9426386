#pragma once
// What differs between the two programs built from this code base. Each executable links
// exactly one definition (base/variant/build_variant_*.cpp).

namespace kv {

struct BuildVariant {
    const char* name;            // "sjis" or "gbk"
    const char* codePage;        // iconv name of the text code page
    unsigned char leadByteLast;  // lead bytes are 0x81..leadByteLast (plus 0xE0..0xFC for Shift-JIS)
    bool shiftJisLeadGap;        // true: 0xA0..0xDF are not lead bytes (Shift-JIS half-width kana)
    const char* exitQuestion;    // in the code page above
    const char* exitTitle;
};

const BuildVariant& ActiveBuildVariant();

}  // namespace kv
