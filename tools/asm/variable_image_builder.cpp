#include "tools/asm/variable_image_builder.h"

#include <array>
#include <map>
#include <optional>

#include "base/byte_order.h"
#include "tools/asm/instruction_set.h"
#include "tools/asm/source_lexer.h"
#include "tools/asm/string_literal.h"

namespace kvasm {
namespace {

struct InitialValue {
    std::vector<uint8_t> bytes;  // strings
    uint32_t word = 0;           // integers and bytes
    int line = 0;
};

class VariableImageBuilder {
public:
    explicit VariableImageBuilder(const Options& options) : options_(options), converter_(options.codePage) {}

    AssembleResult Run(std::string_view source) {
        AssembleResult result;
        if (!converter_.ok()) {
            Error(0, std::string("the C library cannot convert to ") + backend::IconvName(options_.codePage));
        } else {
            const std::vector<std::string_view> lines = SplitLines(source);
            for (size_t i = 0; i < lines.size(); ++i) {
                line_ = static_cast<int>(i + 1);
                Line(lines[i]);
            }
            CheckIndexes();
        }
        if (diagnostics_.empty()) {
            result.bytes = Encode();
        }
        result.diagnostics = std::move(diagnostics_);
        return result;
    }

private:
    void Error(int line, std::string message) {
        diagnostics_.push_back({options_.fileName, line, std::move(message)});
    }

    void Line(std::string_view text) {
        std::vector<Token> tokens;
        std::string lexError;
        if (!LexLine(text, &tokens, &lexError)) {
            Error(line_, lexError);
            return;
        }
        if (tokens.empty()) {
            return;
        }
        const std::optional<Bank> bank =
            tokens[0].kind == TokenKind::kIdent ? ParseBank(tokens[0].text) : std::nullopt;
        if (!bank) {
            Error(line_, "expected a bank name (aint, abyte, astr, bint, bbyte, bstr, cint, cbyte) at the start of the line");
            return;
        }
        if (tokens.size() == 2 && tokens[1].kind == TokenKind::kNumber) {
            Count(*bank, tokens[1].number);
            return;
        }
        if (tokens.size() >= 2 && tokens[1].IsPunct('[')) {
            Value(*bank, tokens);
            return;
        }
        Error(line_, "expected '" + tokens[0].text + " COUNT' or '" + tokens[0].text + "[INDEX] = VALUE'");
    }

    void Count(Bank bank, int64_t count) {
        const int b = static_cast<int>(bank);
        if (count < 0 || count > kMaxBankCount) {
            Error(line_, "count of " + std::string(BankName(bank)) + " must be 0.." + std::to_string(kMaxBankCount));
            return;
        }
        if (countLines_[b] != 0) {
            Error(line_, "count of " + std::string(BankName(bank)) + " is already given at line " +
                             std::to_string(countLines_[b]));
            return;
        }
        counts_[b] = count;
        countLines_[b] = line_;
    }

    void Value(Bank bank, const std::vector<Token>& tokens) {
        if (bank != Bank::kBInt && bank != Bank::kBByte && bank != Bank::kBString) {
            Error(line_, "only bank B (bint, bbyte, bstr) has initial values");
            return;
        }
        if (tokens.size() != 6 || tokens[2].kind != TokenKind::kNumber || !tokens[3].IsPunct(']') ||
            !tokens[4].IsPunct('=')) {
            Error(line_, "expected '" + tokens[0].text + "[INDEX] = VALUE'");
            return;
        }
        const int64_t index = tokens[2].number;
        if (index < 0 || index >= kMaxBankCount) {
            Error(line_, "index " + std::to_string(index) + " is out of range");
            return;
        }
        const Token& valueToken = tokens[5];
        InitialValue value;
        value.line = line_;
        if (bank == Bank::kBString) {
            if (valueToken.kind != TokenKind::kString) {
                Error(line_, "a B string needs a string value");
                return;
            }
            std::vector<std::string> errors;
            if (!EncodeLiteral(valueToken.text, converter_, nullptr, &value.bytes, &errors)) {
                for (std::string& e : errors) {
                    Error(line_, std::move(e));
                }
                return;
            }
        } else {
            if (valueToken.kind != TokenKind::kNumber) {
                Error(line_, "a " + std::string(BankName(bank)) + " value must be a number");
                return;
            }
            if (bank == Bank::kBByte && (valueToken.number < 0 || valueToken.number > 255)) {
                Error(line_, "a B byte must be 0..255");
                return;
            }
            value.word = static_cast<uint32_t>(valueToken.number);
        }
        auto& values = values_[static_cast<int>(bank)];
        const auto it = values.find(index);
        if (it != values.end()) {
            Error(line_, std::string(BankName(bank)) + "[" + std::to_string(index) + "] is already set at line " +
                             std::to_string(it->second.line));
            return;
        }
        values.emplace(index, std::move(value));
    }

    void CheckIndexes() {
        for (int b = 0; b < kBankCount; ++b) {
            for (const auto& [index, value] : values_[b]) {
                if (index >= counts_[b]) {
                    Error(value.line, std::string(BankName(static_cast<Bank>(b))) + "[" + std::to_string(index) +
                                          "] is outside the count of " + std::to_string(counts_[b]));
                }
            }
        }
    }

    std::vector<uint8_t> Encode() const {
        std::vector<uint8_t> out;
        for (int64_t count : counts_) {
            kv::AppendLe32(out, static_cast<uint32_t>(count));
        }
        const auto valueOf = [this](Bank bank, int64_t index) -> const InitialValue* {
            const auto& values = values_[static_cast<int>(bank)];
            const auto it = values.find(index);
            return it == values.end() ? nullptr : &it->second;
        };
        for (int64_t i = 0; i < counts_[static_cast<int>(Bank::kBInt)]; ++i) {
            const InitialValue* v = valueOf(Bank::kBInt, i);
            kv::AppendLe32(out, v != nullptr ? v->word : 0);
        }
        for (int64_t i = 0; i < counts_[static_cast<int>(Bank::kBByte)]; ++i) {
            const InitialValue* v = valueOf(Bank::kBByte, i);
            out.push_back(static_cast<uint8_t>(v != nullptr ? v->word : 0));
        }
        for (int64_t i = 0; i < counts_[static_cast<int>(Bank::kBString)]; ++i) {
            const InitialValue* v = valueOf(Bank::kBString, i);
            if (v == nullptr) {
                kv::AppendLe32(out, 0);
                continue;
            }
            kv::AppendLe32(out, static_cast<uint32_t>(v->bytes.size()));
            out.insert(out.end(), v->bytes.begin(), v->bytes.end());
        }
        return out;
    }

    const Options& options_;
    CodePageConverter converter_;
    std::vector<Diagnostic> diagnostics_;
    int line_ = 0;
    std::array<int64_t, kBankCount> counts_{};
    std::array<int, kBankCount> countLines_{};
    std::array<std::map<int64_t, InitialValue>, kBankCount> values_;
};

}  // namespace

AssembleResult BuildVariableImage(std::string_view declarations, const Options& options) {
    VariableImageBuilder builder(options);
    return builder.Run(declarations);
}

}  // namespace kvasm
