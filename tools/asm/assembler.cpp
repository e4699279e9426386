#include "tools/asm/assembler.h"

#include <algorithm>
#include <cctype>
#include <map>
#include <optional>

#include "tools/asm/code_image.h"
#include "tools/asm/instruction_set.h"
#include "tools/asm/operation_names.h"
#include "tools/asm/source_lexer.h"
#include "tools/asm/string_literal.h"

namespace kvasm {
namespace {

constexpr uint64_t kMaxWord = 0xFFFFFFFFull;

std::string Describe(const Token& token) {
    switch (token.kind) {
    case TokenKind::kIdent: return "'" + token.text + "'";
    case TokenKind::kNumber: return "number " + token.text;
    case TokenKind::kString: return "a string";
    case TokenKind::kPunct: return "'" + token.text + "'";
    }
    return "?";
}

bool IsReservedName(std::string_view name) {
    return ParseBank(name).has_value() || name == "byte";
}

// A word operand that refers to a label, resolved once every label is known.
struct Fixup {
    size_t instruction;
    bool fieldB;  // false: field a
    bool data;    // a data label (@name) rather than a code label
    std::string name;
    int line;
};

struct VariableDecl {
    Bank bank;
    uint32_t index;
    int line;
};

struct LabelDef {
    uint32_t value;  // instruction index or data offset
    int line;
};

// A word operand as parsed: a value, or a label to fix up later.
struct WordOperand {
    uint32_t value = 0;
    bool isLabel = false;
    bool data = false;
    std::string name;
};

class Assembler {
public:
    explicit Assembler(const Options& options) : options_(options), converter_(options.codePage) {}

    AssembleResult Run(std::string_view source) {
        AssembleResult result;
        if (!converter_.ok()) {
            Error(0, std::string("the C library cannot convert to ") + backend::IconvName(options_.codePage));
            result.diagnostics = std::move(diagnostics_);
            return result;
        }
        const std::vector<std::string_view> lines = SplitLines(source);
        // Variable names first, so that a name may be used above its declaration.
        for (size_t i = 0; i < lines.size(); ++i) {
            DeclarationPass(static_cast<int>(i + 1), lines[i]);
        }
        for (size_t i = 0; i < lines.size(); ++i) {
            line_ = static_cast<int>(i + 1);
            StatementPass(lines[i]);
        }
        ResolveFixups();
        if (image_.data.size() > kMaxWord || image_.instructions.size() > kMaxWord) {
            Error(0, "the script is too large for 32-bit counts");
        }
        if (diagnostics_.empty()) {
            result.bytes = EncodeCodeImage(image_);
        }
        // Label errors are found after the last line; report everything in line order.
        std::stable_sort(diagnostics_.begin(), diagnostics_.end(),
                         [](const Diagnostic& x, const Diagnostic& y) { return x.line < y.line; });
        result.diagnostics = std::move(diagnostics_);
        return result;
    }

private:
    // ---- reporting ----

    void Error(int line, std::string message) {
        diagnostics_.push_back({options_.fileName, line, std::move(message)});
    }
    bool Fail(std::string message) {
        Error(line_, std::move(message));
        return false;
    }

    // ---- token cursor over one line ----

    bool AtEnd() const { return pos_ >= tokens_.size(); }
    const Token& Peek() const { return tokens_[pos_]; }
    bool PeekPunct(char c) const { return !AtEnd() && Peek().IsPunct(c); }

    bool ExpectPunct(char c, std::string_view what) {
        if (PeekPunct(c)) {
            ++pos_;
            return true;
        }
        return Fail("expected '" + std::string(1, c) + "' " + std::string(what) +
                    (AtEnd() ? ", found the end of the line" : ", found " + Describe(Peek())));
    }

    bool ExpectEnd() {
        if (AtEnd()) {
            return true;
        }
        return Fail("unexpected " + Describe(Peek()));
    }

    bool ExpectIdent(std::string_view what, std::string* out) {
        if (AtEnd() || Peek().kind != TokenKind::kIdent) {
            return Fail("expected " + std::string(what) +
                        (AtEnd() ? ", found the end of the line" : ", found " + Describe(Peek())));
        }
        *out = tokens_[pos_++].text;
        return true;
    }

    // A plain number, or #name for the index of a declared variable.
    bool ParseNumber(std::string_view what, uint32_t* value) {
        if (!AtEnd() && Peek().kind == TokenKind::kNumber) {
            *value = static_cast<uint32_t>(tokens_[pos_++].number);
            return true;
        }
        if (PeekPunct('#')) {
            ++pos_;
            std::string name;
            if (!ExpectIdent("a variable name after '#'", &name)) {
                return false;
            }
            const auto it = variables_.find(name);
            if (it == variables_.end()) {
                return Fail("unknown variable '" + name + "'");
            }
            *value = it->second.index;
            return true;
        }
        return Fail("expected " + std::string(what) +
                    (AtEnd() ? ", found the end of the line" : ", found " + Describe(Peek())));
    }

    // A number, #variable, code label or @data label.
    bool ParseWordOperand(std::string_view what, WordOperand* out) {
        if (!AtEnd() && Peek().kind == TokenKind::kIdent && Peek().text[0] != '.') {
            out->isLabel = true;
            out->name = tokens_[pos_++].text;
            return true;
        }
        if (PeekPunct('@')) {
            ++pos_;
            out->isLabel = true;
            out->data = true;
            return ExpectIdent("a data label after '@'", &out->name);
        }
        return ParseNumber(what, &out->value);
    }

    // bank[index] or a declared variable name.
    bool ParseVariable(Bank* bank, uint32_t* index) {
        std::string name;
        if (!ExpectIdent("a variable (bank[index] or a declared name)", &name)) {
            return false;
        }
        if (const std::optional<Bank> b = ParseBank(name)) {
            *bank = *b;
            if (!ExpectPunct('[', "after the bank name")) {
                return false;
            }
            if (!ParseNumber("a variable index", index)) {
                return false;
            }
            return ExpectPunct(']', "after the variable index");
        }
        const auto it = variables_.find(name);
        if (it == variables_.end()) {
            return Fail("unknown variable '" + name + "'");
        }
        *bank = it->second.bank;
        *index = it->second.index;
        return true;
    }

    bool LookupForLiteral(std::string_view name, Bank bank, uint32_t* index, std::string* error) {
        const auto it = variables_.find(std::string(name));
        if (it == variables_.end()) {
            *error = "unknown variable '" + std::string(name) + "'";
            return false;
        }
        if (it->second.bank != bank) {
            *error = "variable '" + std::string(name) + "' is " +
                     std::string(BankName(it->second.bank)) + ", this escape needs " +
                     std::string(BankName(bank));
            return false;
        }
        *index = it->second.index;
        return true;
    }

    bool EncodeBody(std::string_view body, std::vector<uint8_t>* bytes) {
        std::vector<std::string> errors;
        const VariableLookup lookup = [this](std::string_view name, Bank bank, uint32_t* index,
                                             std::string* error) {
            return LookupForLiteral(name, bank, index, error);
        };
        if (EncodeLiteral(body, converter_, lookup, bytes, &errors)) {
            return true;
        }
        for (std::string& e : errors) {
            Error(line_, std::move(e));
        }
        return false;
    }

    // Places a literal (u32 length + bytes) at the end of the data area.
    uint32_t AppendLiteral(const std::vector<uint8_t>& bytes) {
        const auto offset = static_cast<uint32_t>(image_.data.size());
        const auto length = static_cast<uint32_t>(bytes.size());
        for (int shift = 0; shift < 32; shift += 8) {
            image_.data.push_back(static_cast<uint8_t>(length >> shift));
        }
        image_.data.insert(image_.data.end(), bytes.begin(), bytes.end());
        return offset;
    }

    // A literal written in an instruction: equal texts share one place in the data area.
    bool InlineLiteral(const Token& token, uint32_t* offset) {
        std::vector<uint8_t> bytes;
        if (!EncodeBody(token.text, &bytes)) {
            return false;
        }
        const auto it = inlinePool_.find(bytes);
        if (it != inlinePool_.end()) {
            *offset = it->second;
            return true;
        }
        *offset = AppendLiteral(bytes);
        inlinePool_.emplace(std::move(bytes), *offset);
        return true;
    }

    // ---- emission ----

    size_t Emit(uint32_t kind, uint32_t a = 0, uint32_t b = 0) {
        image_.instructions.push_back({kind, a, b});
        return image_.instructions.size() - 1;
    }

    void EmitWord(size_t instruction, bool fieldB, const WordOperand& word) {
        if (word.isLabel) {
            fixups_.push_back({instruction, fieldB, word.data, word.name, line_});
        } else if (fieldB) {
            image_.instructions[instruction].b = word.value;
        } else {
            image_.instructions[instruction].a = word.value;
        }
    }

    // ---- pass 0: variable declarations ----

    void DeclarationPass(int line, std::string_view text) {
        std::string lexError;
        if (!LexLine(text, &tokens_, &lexError)) {
            return;  // reported by the statement pass
        }
        pos_ = 0;
        SkipLabels();
        if (AtEnd() || !Peek().IsIdent(".var")) {
            return;
        }
        ++pos_;
        line_ = line;
        std::string bankName;
        std::string name;
        uint32_t index = 0;
        if (!ExpectIdent("a bank (aint, abyte, astr, bint, bbyte, bstr, cint, cbyte)", &bankName)) {
            return;
        }
        const std::optional<Bank> bank = ParseBank(bankName);
        if (!bank) {
            Fail("unknown bank '" + bankName + "' (aint, abyte, astr, bint, bbyte, bstr, cint, cbyte)");
            return;
        }
        if (!ExpectIdent("a variable name", &name)) {
            return;
        }
        if (name[0] == '.' || IsReservedName(name)) {
            Fail("'" + name + "' cannot be a variable name");
            return;
        }
        if (AtEnd() || Peek().kind != TokenKind::kNumber || Peek().number < 0) {
            Fail("expected the variable's index (0 or more) after its name");
            return;
        }
        index = static_cast<uint32_t>(tokens_[pos_++].number);
        if (!ExpectEnd()) {
            return;
        }
        const auto it = variables_.find(name);
        if (it != variables_.end()) {
            Fail("variable '" + name + "' is already declared at line " + std::to_string(it->second.line));
            return;
        }
        variables_.emplace(name, VariableDecl{*bank, index, line});
    }

    // ---- pass 1: statements ----

    void SkipLabels() {
        while (tokens_.size() - pos_ >= 2 && Peek().kind == TokenKind::kIdent && Peek().text[0] != '.' &&
               tokens_[pos_ + 1].IsPunct(':')) {
            pos_ += 2;
        }
    }

    void DefineLabels() {
        while (tokens_.size() - pos_ >= 2 && Peek().kind == TokenKind::kIdent && Peek().text[0] != '.' &&
               tokens_[pos_ + 1].IsPunct(':')) {
            const std::string& name = Peek().text;
            const auto it = codeLabels_.find(name);
            if (it != codeLabels_.end()) {
                Fail("label '" + name + "' is already defined at line " + std::to_string(it->second.line));
            } else {
                codeLabels_.emplace(name, LabelDef{static_cast<uint32_t>(image_.instructions.size()), line_});
            }
            pos_ += 2;
        }
    }

    void StatementPass(std::string_view text) {
        const std::string_view stripped = StripComment(text);
        if (stripped.substr(0, 5) == ".data" &&
            (stripped.size() == 5 || stripped[5] == ' ' || stripped[5] == '\t')) {
            RawData(stripped.substr(5));
            return;
        }
        std::string lexError;
        if (!LexLine(text, &tokens_, &lexError)) {
            Fail(lexError);
            return;
        }
        pos_ = 0;
        DefineLabels();
        if (AtEnd()) {
            return;
        }
        if (Peek().kind != TokenKind::kIdent) {
            Fail("expected an instruction or a directive, found " + Describe(Peek()));
            return;
        }
        std::string head = tokens_[pos_++].text;
        if (head[0] == '.') {
            Directive(head);
            return;
        }
        for (char& c : head) {
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        }
        if (linesOn_) {
            Emit(kLineMarker, static_cast<uint32_t>(line_));
        }
        if (ParseInstruction(head)) {
            ExpectEnd();
        }
    }

    void Directive(const std::string& name) {
        if (name == ".var") {
            return;  // handled by the declaration pass
        }
        if (name == ".lines") {
            std::string mode;
            if (!ExpectIdent("'on' or 'off'", &mode)) {
                return;
            }
            if (mode != "on" && mode != "off") {
                Fail("expected 'on' or 'off' after .lines, found '" + mode + "'");
                return;
            }
            linesOn_ = mode == "on";
            ExpectEnd();
            return;
        }
        if (name == ".string") {
            std::string label;
            if (!ExpectIdent("a data label name", &label)) {
                return;
            }
            if (AtEnd() || Peek().kind != TokenKind::kString) {
                Fail("expected a string after the data label");
                return;
            }
            const Token& literal = tokens_[pos_++];
            if (!ExpectEnd()) {
                return;
            }
            std::vector<uint8_t> bytes;
            if (!EncodeBody(literal.text, &bytes)) {
                return;
            }
            const uint32_t offset = AppendLiteral(bytes);
            const auto it = dataLabels_.find(label);
            if (it != dataLabels_.end()) {
                Fail("data label '" + label + "' is already defined at line " +
                     std::to_string(it->second.line));
                return;
            }
            dataLabels_.emplace(label, LabelDef{offset, line_});
            return;
        }
        if (name == ".data") {
            Fail("'.data' must begin its line (no label before it)");
            return;
        }
        Fail("unknown directive '" + name + "'");
    }

    void RawData(std::string_view text) {
        std::vector<uint8_t> bytes;
        int pending = -1;
        for (char c : text) {
            if (c == ' ' || c == '\t') {
                if (pending >= 0) {
                    Fail("odd number of hexadecimal digits in .data");
                    return;
                }
                continue;
            }
            int digit = -1;
            if (c >= '0' && c <= '9') {
                digit = c - '0';
            } else if (c >= 'a' && c <= 'f') {
                digit = c - 'a' + 10;
            } else if (c >= 'A' && c <= 'F') {
                digit = c - 'A' + 10;
            }
            if (digit < 0) {
                Fail(std::string("'") + c + "' is not a hexadecimal digit in .data");
                return;
            }
            if (pending < 0) {
                pending = digit;
            } else {
                bytes.push_back(static_cast<uint8_t>(pending * 16 + digit));
                pending = -1;
            }
        }
        if (pending >= 0) {
            Fail("odd number of hexadecimal digits in .data");
            return;
        }
        image_.data.insert(image_.data.end(), bytes.begin(), bytes.end());
    }

    bool ParseInstruction(const std::string& mnemonic) {
        if (const std::optional<uint32_t> kind = ParsePlainMnemonic(mnemonic)) {
            Emit(*kind);
            return true;
        }
        if (mnemonic == "cmp") {
            uint32_t op = 0;
            if (!AtEnd() && Peek().kind == TokenKind::kIdent) {
                const std::optional<uint32_t> named = ParseCompareOperator(Peek().text);
                if (!named) {
                    return Fail("unknown comparison '" + Peek().text + "' (eq, ne, lt, le, gt, ge)");
                }
                ++pos_;
                op = *named;
            } else if (!ParseNumber("a comparison (eq, ne, lt, le, gt, ge)", &op)) {
                return false;
            }
            Emit(kCompare, op);
            return true;
        }
        if (mnemonic == "jmp" || mnemonic == "jt" || mnemonic == "jt.keep" || mnemonic == "jf" ||
            mnemonic == "jf.keep") {
            WordOperand target;
            if (!ParseWordOperand("a jump target", &target)) {
                return false;
            }
            if (target.data) {
                return Fail("a jump target must be a code label or an instruction number");
            }
            const uint32_t kind = mnemonic == "jmp" ? kJump : mnemonic[1] == 't' ? kJumpIfTrue : kJumpIfFalse;
            const uint32_t keep = mnemonic.ends_with(".keep") ? 1 : 0;
            EmitWord(Emit(kind, keep), true, target);
            return true;
        }
        if (mnemonic == "sys") {
            uint32_t op = 0;
            if (!ParseOperation(&op)) {
                return false;
            }
            Emit(kSystemCall, op);
            return true;
        }
        if (mnemonic == "load" || mnemonic == "loadi" || mnemonic == "ref" || mnemonic == "refi") {
            Bank bank;
            uint32_t index = 0;
            if (!ParseVariable(&bank, &index)) {
                return false;
            }
            const bool indexed = mnemonic.back() == 'i';
            const std::optional<uint32_t> subKind = LoadSubKind(bank, indexed);
            if (!subKind) {
                return Fail("C bytes cannot be loaded by instructions");
            }
            Emit(mnemonic[0] == 'l' ? kLoadVariable : kLoadReference, index, *subKind);
            return true;
        }
        if (mnemonic == "push") {
            return Push();
        }
        if (mnemonic == "line") {
            uint32_t number = 0;
            if (!ParseNumber("a line number", &number)) {
                return false;
            }
            Emit(kLineMarker, number);
            return true;
        }
        if (mnemonic == "insn") {
            WordOperand kind;
            WordOperand a;
            WordOperand b;
            if (!ParseNumber("the instruction kind", &kind.value) || !ExpectPunct(',', "after the kind") ||
                !ParseWordOperand("field a", &a) || !ExpectPunct(',', "after field a") ||
                !ParseWordOperand("field b", &b)) {
                return false;
            }
            const size_t at = Emit(kind.value);
            EmitWord(at, false, a);
            EmitWord(at, true, b);
            return true;
        }
        if (mnemonic == "call" || mnemonic == "calld") {
            return Call(mnemonic == "calld");
        }
        return Fail("unknown instruction '" + mnemonic + "'");
    }

    bool ParseOperation(uint32_t* op) {
        if (!AtEnd() && Peek().kind == TokenKind::kIdent) {
            const std::string name = tokens_[pos_++].text;
            switch (FindOperation(name, op)) {
            case OperationLookup::kFound: return true;
            case OperationLookup::kShared:
                return Fail("'" + name + "' names several operations; write the number");
            case OperationLookup::kPhase:
                return Fail("'" + name + "' is a phase of another operation; scripts cannot call it by name");
            case OperationLookup::kUnknown: return Fail("unknown operation '" + name + "'");
            }
        }
        return ParseNumber("an operation name or number", op);
    }

    // push N | push #var | push byte N | push "text" | push @label
    bool Push() {
        if (AtEnd()) {
            return Fail("expected a value after push");
        }
        if (Peek().IsIdent("byte")) {
            ++pos_;
            uint32_t value = 0;
            if (!ParseNumber("a byte value", &value)) {
                return false;
            }
            Emit(kLoadConstant, kConstByte, value);
            return true;
        }
        if (Peek().kind == TokenKind::kString) {
            uint32_t offset = 0;
            if (!InlineLiteral(tokens_[pos_++], &offset)) {
                return false;
            }
            Emit(kLoadConstant, kConstLiteral, offset);
            return true;
        }
        if (PeekPunct('@')) {
            WordOperand label;
            if (!ParseWordOperand("a data label", &label)) {
                return false;
            }
            EmitWord(Emit(kLoadConstant, kConstLiteral), true, label);
            return true;
        }
        uint32_t value = 0;
        if (!ParseNumber("a number, byte N, a string or @label", &value)) {
            return false;
        }
        Emit(kLoadConstant, kConstInteger, value);
        return true;
    }

    // call NAME arg, arg, ...: the arguments in the order written, then the system call.
    bool Call(bool discardResult) {
        uint32_t op = 0;
        if (!ParseOperation(&op)) {
            return false;
        }
        bool first = true;
        while (!AtEnd()) {
            if (!first && !ExpectPunct(',', "between arguments")) {
                return false;
            }
            first = false;
            if (!CallArgument()) {
                return false;
            }
        }
        Emit(kSystemCall, op);
        if (discardResult) {
            Emit(kDiscard);
        }
        return true;
    }

    bool CallArgument() {
        if (AtEnd()) {
            return Fail("expected an argument");
        }
        const Token& token = Peek();
        if (token.kind == TokenKind::kNumber || token.IsPunct('#') || token.IsIdent("byte") ||
            token.kind == TokenKind::kString || token.IsPunct('@')) {
            return Push();
        }
        const bool reference = token.IsPunct('&');
        if (reference) {
            ++pos_;
        }
        Bank bank;
        uint32_t index = 0;
        if (!ParseVariable(&bank, &index)) {
            return false;
        }
        const std::optional<uint32_t> subKind = LoadSubKind(bank, false);
        if (!subKind) {
            return Fail("C bytes cannot be loaded by instructions");
        }
        Emit(reference ? kLoadReference : kLoadVariable, index, *subKind);
        return true;
    }

    // ---- pass 2 ----

    void ResolveFixups() {
        for (const Fixup& f : fixups_) {
            const auto& labels = f.data ? dataLabels_ : codeLabels_;
            const auto it = labels.find(f.name);
            if (it == labels.end()) {
                Error(f.line, f.data ? "unknown data label '@" + f.name + "'" : "unknown label '" + f.name + "'");
                continue;
            }
            Instruction& in = image_.instructions[f.instruction];
            (f.fieldB ? in.b : in.a) = it->second.value;
        }
    }

    const Options& options_;
    CodePageConverter converter_;
    std::vector<Diagnostic> diagnostics_;
    std::vector<Token> tokens_;
    size_t pos_ = 0;
    int line_ = 0;
    bool linesOn_ = false;
    std::map<std::string, VariableDecl> variables_;
    std::map<std::string, LabelDef> codeLabels_;
    std::map<std::string, LabelDef> dataLabels_;
    std::map<std::vector<uint8_t>, uint32_t> inlinePool_;
    std::vector<Fixup> fixups_;
    CodeImage image_;
};

}  // namespace

AssembleResult Assemble(std::string_view source, const Options& options) {
    Assembler assembler(options);
    return assembler.Run(source);
}

}  // namespace kvasm
