// Character codes of both code pages become the Unicode characters they name; codes that are no
// single character of the code page are refused, and a refusal leaves nothing behind for the next.

#include <gtest/gtest.h>

#include "backend/code_page.h"

namespace {

TEST(CodePointDecoderTest, CodesBecomeTheirCharactersOrAreRefused) {
    struct Case {
        backend::CodePage page;
        std::uint32_t code;
        char32_t character;  // 0: refused
    } cases[] = {
        {backend::CodePage::ShiftJis, 'A', U'A'},
        {backend::CodePage::ShiftJis, 0x8ABF, U'漢'},
        {backend::CodePage::ShiftJis, 0x8140, U'　'},
        {backend::CodePage::ShiftJis, 0xB1, U'ｱ'},
        {backend::CodePage::ShiftJis, 0x81, 0},      // a lead byte alone
        {backend::CodePage::ShiftJis, 0x8ABF, U'漢'},  // and nothing of it is left for the next code
        {backend::CodePage::ShiftJis, 0x8100, 0},    // a lead byte with no trail
        {backend::CodePage::ShiftJis, 0x4142, 0},    // two characters
        {backend::CodePage::ShiftJis, 0x10041, 0},
        {backend::CodePage::Gbk, 0xBABA, U'汉'},
        {backend::CodePage::Gbk, 0xA1A1, U'　'},
        {backend::CodePage::Gbk, 0x8140, U'丂'},  // the Shift-JIS space is a character in GBK
        {backend::CodePage::Gbk, 0xFF, 0},
    };
    backend::CodePointDecoder sjis(backend::CodePage::ShiftJis);
    backend::CodePointDecoder gbk(backend::CodePage::Gbk);
    for (const Case& c : cases) {
        char32_t character = 0;
        const bool decoded = (c.page == backend::CodePage::Gbk ? gbk : sjis).Decode(c.code, character);
        EXPECT_EQ(decoded ? character : 0, c.character) << std::hex << c.code;
    }
}

}  // namespace
