// kvasm: the script assembler, disassembler and variable-image builder.
//   kvasm asm IN.kvs -o OUT.SNX [--gbk]
//   kvasm sni IN.kvd -o NECEMEM.SNI [--gbk]
//   kvasm dis IN.SNX [-o OUT.kvs] [--gbk]

#include <cstdio>
#include <string>
#include <vector>

#include "tools/asm/assembler.h"
#include "tools/asm/disassembler.h"
#include "tools/asm/file_io.h"
#include "tools/asm/variable_image_builder.h"

namespace {

int Usage() {
    std::fprintf(stderr,
                 "usage: kvasm asm IN.kvs -o OUT.SNX [--gbk]\n"
                 "       kvasm sni IN.kvd -o NECEMEM.SNI [--gbk]\n"
                 "       kvasm dis IN.SNX [-o OUT.kvs] [--gbk]\n");
    return 2;
}

struct Arguments {
    std::string command;
    std::string input;
    std::string output;
    kvasm::CodePage codePage = kvasm::CodePage::ShiftJis;
};

bool ParseArguments(int argc, char** argv, Arguments* args) {
    if (argc < 2) {
        return false;
    }
    args->command = argv[1];
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "-o") {
            if (i + 1 >= argc || !args->output.empty()) {
                return false;
            }
            args->output = argv[++i];
        } else if (arg == "--gbk") {
            args->codePage = kvasm::CodePage::Gbk;
        } else if (arg.empty() || arg[0] == '-' || !args->input.empty()) {
            return false;
        } else {
            args->input = arg;
        }
    }
    return !args->input.empty();
}

int Fail(const std::string& message) {
    std::fprintf(stderr, "kvasm: %s\n", message.c_str());
    return 1;
}

int Build(const Arguments& args) {
    if (args.output.empty()) {
        return Usage();
    }
    std::string source;
    std::string error;
    if (!kvasm::ReadWholeFile(args.input, &source, &error)) {
        return Fail(error);
    }
    kvasm::Options options;
    options.codePage = args.codePage;
    options.fileName = args.input;
    const kvasm::AssembleResult result =
        args.command == "asm" ? kvasm::Assemble(source, options) : kvasm::BuildVariableImage(source, options);
    if (!result.ok()) {
        std::fputs(kvasm::FormatDiagnostics(result.diagnostics).c_str(), stderr);
        return 1;
    }
    if (!kvasm::WriteFileAtomically(args.output, result.bytes, &error)) {
        return Fail(error);
    }
    return 0;
}

int Disassemble(const Arguments& args) {
    std::string bytes;
    std::string error;
    if (!kvasm::ReadWholeFile(args.input, &bytes, &error)) {
        return Fail(error);
    }
    kvasm::DisassembleOptions options;
    options.codePage = args.codePage;
    const kvasm::DisassembleResult result = kvasm::Disassemble(
        std::span<const uint8_t>(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), options);
    if (!result.ok) {
        return Fail(args.input + ": " + result.error);
    }
    if (args.output.empty()) {
        std::fputs(result.text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const std::span<const uint8_t> text(reinterpret_cast<const uint8_t*>(result.text.data()), result.text.size());
    if (!kvasm::WriteFileAtomically(args.output, text, &error)) {
        return Fail(error);
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments args;
    if (!ParseArguments(argc, argv, &args)) {
        return Usage();
    }
    if (args.command == "asm" || args.command == "sni") {
        return Build(args);
    }
    if (args.command == "dis") {
        return Disassemble(args);
    }
    return Usage();
}
