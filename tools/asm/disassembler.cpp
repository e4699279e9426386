#include "tools/asm/disassembler.h"

#include <cstdio>
#include <map>
#include <set>
#include <vector>

#include "base/byte_order.h"
#include "tools/asm/code_image.h"
#include "tools/asm/instruction_set.h"
#include "tools/asm/operation_names.h"
#include "tools/asm/string_literal.h"

namespace kvasm {
namespace {

constexpr size_t kDataBytesPerLine = 16;

std::string CodeLabel(uint32_t index) {
    char text[16];
    std::snprintf(text, sizeof text, "L%04u", index);
    return text;
}

std::string DataLabel(uint32_t offset) {
    return "d" + std::to_string(offset);
}

std::string Raw(const Instruction& in) {
    return "insn " + std::to_string(in.kind) + ", " + std::to_string(in.a) + ", " + std::to_string(in.b);
}

// The literal at a data-area offset, when its length and bytes lie inside the data area.
bool LiteralAt(const std::vector<uint8_t>& data, uint32_t offset, std::span<const uint8_t>* bytes) {
    const uint64_t start = offset;
    if (start + 4 > data.size()) {
        return false;
    }
    const uint64_t length = kv::ReadLe32(data.data() + offset);
    if (start + 4 + length > data.size()) {
        return false;
    }
    *bytes = std::span<const uint8_t>(data).subspan(offset + 4, static_cast<size_t>(length));
    return true;
}

bool IsLiteralPush(const Instruction& in) {
    return in.kind == kLoadConstant && in.a == kConstLiteral;
}

class Disassembler {
public:
    Disassembler(const CodeImage& image, CodePage page) : image_(image), converter_(page) {}

    bool ok() const { return converter_.ok(); }

    std::string Run() {
        PlanLabels();
        PlanLiterals();
        std::string out = "; " + std::to_string(image_.instructions.size()) + " instructions, " +
                          std::to_string(image_.data.size()) + " data bytes\n";
        for (size_t i = 0; i < image_.instructions.size(); ++i) {
            if (codeLabels_.count(static_cast<uint32_t>(i)) != 0) {
                out += CodeLabel(static_cast<uint32_t>(i)) + ":\n";
            }
            out += "    " + Render(image_.instructions[i]) + "\n";
        }
        if (dataStart_ < image_.data.size()) {
            out += "; data area from offset " + std::to_string(dataStart_) + "\n";
            out += dataText_;
        }
        return out;
    }

private:
    uint32_t Count() const { return static_cast<uint32_t>(image_.instructions.size()); }

    void PlanLabels() {
        for (const Instruction& in : image_.instructions) {
            const bool jump = (in.kind == kJump && in.a == 0) ||
                              ((in.kind == kJumpIfTrue || in.kind == kJumpIfFalse) && in.a <= 1);
            if (jump && in.b < Count()) {
                codeLabels_.insert(in.b);
            }
        }
    }

    // Literals that the assembler would lay out itself, in the order of their first use, are
    // written inline; the rest of the data area is written as .string and .data directives.
    void PlanLiterals() {
        std::vector<uint32_t> firstUse;
        std::set<uint32_t> referenced;
        for (const Instruction& in : image_.instructions) {
            if (IsLiteralPush(in) && referenced.insert(in.b).second) {
                firstUse.push_back(in.b);
            }
        }
        uint32_t pos = 0;
        std::set<std::vector<uint8_t>> seen;
        for (uint32_t offset : firstUse) {
            std::span<const uint8_t> bytes;
            if (offset != pos || !LiteralAt(image_.data, offset, &bytes)) {
                break;
            }
            std::vector<uint8_t> copy(bytes.begin(), bytes.end());
            if (!seen.insert(copy).second) {
                break;  // the assembler would merge it with the equal literal before it
            }
            inline_[offset] = "\"" + RenderLiteral(bytes, converter_) + "\"";
            pos = offset + 4 + static_cast<uint32_t>(bytes.size());
        }
        dataStart_ = pos;
        const uint64_t size = image_.data.size();
        uint64_t at = pos;
        while (at < size) {
            std::span<const uint8_t> bytes;
            if (referenced.count(static_cast<uint32_t>(at)) != 0 &&
                LiteralAt(image_.data, static_cast<uint32_t>(at), &bytes)) {
                const auto offset = static_cast<uint32_t>(at);
                labelled_.insert(offset);
                dataText_ += ".string " + DataLabel(offset) + " \"" + RenderLiteral(bytes, converter_) + "\"\n";
                at += 4 + bytes.size();
                continue;
            }
            const auto next = referenced.upper_bound(static_cast<uint32_t>(at));
            const uint64_t end = next == referenced.end() ? size : std::min<uint64_t>(*next, size);
            for (uint64_t line = at; line < end; line += kDataBytesPerLine) {
                dataText_ += ".data";
                for (uint64_t i = line; i < end && i < line + kDataBytesPerLine; ++i) {
                    char hex[4];
                    std::snprintf(hex, sizeof hex, " %02x", image_.data[i]);
                    dataText_ += hex;
                }
                dataText_ += "\n";
            }
            at = end;
        }
    }

    std::string Target(uint32_t b) const {
        return codeLabels_.count(b) != 0 ? CodeLabel(b) : std::to_string(b);
    }

    std::string Render(const Instruction& in) const {
        const bool noOperands = in.a == 0 && in.b == 0;
        const std::string_view plain = PlainMnemonic(in.kind);
        if (!plain.empty()) {
            return noOperands ? std::string(plain) : Raw(in);
        }
        switch (in.kind) {
        case kCompare:
            if (in.b != 0) {
                return Raw(in);
            }
            return "cmp " + (in.a < kCompareOperatorCount ? std::string(CompareOperatorName(in.a))
                                                          : std::to_string(in.a));
        case kJump:
            return in.a == 0 ? "jmp " + Target(in.b) : Raw(in);
        case kJumpIfTrue:
        case kJumpIfFalse:
            if (in.a > 1) {
                return Raw(in);
            }
            return std::string(in.kind == kJumpIfTrue ? "jt" : "jf") + (in.a == 1 ? ".keep " : " ") + Target(in.b);
        case kSystemCall: {
            if (in.b != 0) {
                return Raw(in);
            }
            const char* name = OperationName(in.a);
            if (name != nullptr && in.a < kFirstPhaseEntry && !IsSharedOperationName(in.a)) {
                return std::string("sys ") + name;
            }
            std::string text = "sys " + std::to_string(in.a);
            if (name != nullptr) {
                text += std::string("  ; ") + name + (in.a >= kFirstPhaseEntry ? " (phase)" : "");
            }
            return text;
        }
        case kLoadVariable:
        case kLoadReference: {
            const std::optional<Bank> bank = BankOfSubKind(in.b);
            if (!bank) {
                return Raw(in);
            }
            std::string text = in.kind == kLoadVariable ? "load" : "ref";
            if (IsIndexedSubKind(in.b)) {
                text += "i";
            }
            return text + " " + std::string(BankName(*bank)) + "[" + std::to_string(in.a) + "]";
        }
        case kLoadConstant:
            if (in.a == kConstInteger) {
                return "push " + std::to_string(static_cast<int32_t>(in.b));
            }
            if (in.a == kConstByte) {
                return "push byte " + std::to_string(in.b);
            }
            if (in.a == kConstLiteral) {
                if (const auto it = inline_.find(in.b); it != inline_.end()) {
                    return "push " + it->second;
                }
                if (labelled_.count(in.b) != 0) {
                    return "push @" + DataLabel(in.b);
                }
            }
            return Raw(in);
        case kLineMarker:
            return in.b == 0 ? "line " + std::to_string(in.a) : Raw(in);
        default:
            return Raw(in);
        }
    }

    const CodeImage& image_;
    CodePageConverter converter_;
    std::set<uint32_t> codeLabels_;
    std::map<uint32_t, std::string> inline_;  // offset -> quoted literal
    std::set<uint32_t> labelled_;             // offsets written as .string with a label
    uint32_t dataStart_ = 0;
    std::string dataText_;
};

}  // namespace

DisassembleResult Disassemble(std::span<const uint8_t> bytes, const DisassembleOptions& options) {
    DisassembleResult result;
    CodeImage image;
    if (!DecodeCodeImage(bytes, &image, &result.error)) {
        return result;
    }
    Disassembler disassembler(image, options.codePage);
    if (!disassembler.ok()) {
        result.error = std::string("the C library cannot convert from ") + backend::IconvName(options.codePage);
        return result;
    }
    result.text = disassembler.Run();
    result.ok = true;
    return result;
}

}  // namespace kvasm
