#include "tools/asm/code_page.h"

#include <iconv.h>

namespace kvasm {
namespace {

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);

}  // namespace

size_t Utf8CharLength(std::string_view text, size_t pos, uint32_t* codePoint) {
    const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
    const uint8_t first = byte(pos);
    size_t length;
    uint32_t value;
    uint32_t minimum;
    if (first < 0x80) {
        *codePoint = first;
        return 1;
    } else if ((first & 0xE0) == 0xC0) {
        length = 2;
        value = first & 0x1F;
        minimum = 0x80;
    } else if ((first & 0xF0) == 0xE0) {
        length = 3;
        value = first & 0x0F;
        minimum = 0x800;
    } else if ((first & 0xF8) == 0xF0) {
        length = 4;
        value = first & 0x07;
        minimum = 0x10000;
    } else {
        return 0;
    }
    if (text.size() - pos < length) {
        return 0;
    }
    for (size_t i = 1; i < length; ++i) {
        if ((byte(pos + i) & 0xC0) != 0x80) {
            return 0;
        }
        value = value << 6 | (byte(pos + i) & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) {
        return 0;
    }
    *codePoint = value;
    return length;
}

CodePageConverter::CodePageConverter(CodePage page)
    : page_(page),
      toPage_(iconv_open(backend::IconvName(page), "UTF-8")),
      toUtf8_(iconv_open("UTF-8", backend::IconvName(page))) {}

CodePageConverter::~CodePageConverter() {
    if (static_cast<iconv_t>(toPage_) != kNoDescriptor) {
        iconv_close(static_cast<iconv_t>(toPage_));
    }
    if (static_cast<iconv_t>(toUtf8_) != kNoDescriptor) {
        iconv_close(static_cast<iconv_t>(toUtf8_));
    }
}

bool CodePageConverter::ok() const {
    return static_cast<iconv_t>(toPage_) != kNoDescriptor &&
           static_cast<iconv_t>(toUtf8_) != kNoDescriptor;
}

bool CodePageConverter::Encode(std::string_view utf8Char, std::string* out) {
    return Convert(toPage_, utf8Char, out);
}

bool CodePageConverter::Decode(std::string_view bytes, std::string* out) {
    return Convert(toUtf8_, bytes, out);
}

bool CodePageConverter::Convert(void* descriptor, std::string_view in, std::string* out) {
    const auto cd = static_cast<iconv_t>(descriptor);
    if (cd == kNoDescriptor || in.empty()) {
        return false;
    }
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    std::string input(in);
    char buffer[32];
    char* inPtr = input.data();
    size_t inLeft = input.size();
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
        return false;
    }
    // Flush any shift state so that a stateful converter cannot hold bytes back.
    if (iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        return false;
    }
    out->assign(buffer, static_cast<size_t>(outPtr - buffer));
    return !out->empty();
}

}  // namespace kvasm
