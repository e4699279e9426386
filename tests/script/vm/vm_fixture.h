#pragma once
// A VmState on the headless hub, with helpers to load banks and code written as assembler
// source and to read the message boxes the run showed.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backend/headless/headless_hub.h"
#include "script/vm/vm_state.h"
#include "tests/support/assembled_image.h"

namespace kv::vmtest {

using namespace kv::snx;
using kvtest::AssembledScript;
using kvtest::AssembledVariables;

class VmTest : public ::testing::Test {
protected:
    void SetUp() override {
        backend::HeadlessOptions options;
        options.gameFolder = "/tmp";
        auto hub = std::make_unique<backend::HeadlessHub>(options);
        headless_ = hub.get();
        backend::Install(std::move(hub));
        vm_ = std::make_unique<VmState>();
        LoadVars(R"(
aint 4
abyte 4
astr 4
bint 3
bbyte 3
bstr 3
cint 4
cbyte 4
bint[0] = 100
bint[1] = -5
bint[2] = 7
bbyte[0] = 1
bbyte[2] = 2
bstr[0] = "bee"
bstr[2] = "third"
)");
    }

    void TearDown() override {
        vm_.reset();
        backend::Uninstall();
    }

    // Replaces the banks with those of the declarations.
    void LoadVars(std::string_view declarations) {
        const std::vector<std::uint8_t> image = AssembledVariables(declarations);
        ASSERT_FALSE(image.empty());
        ASSERT_TRUE(vm_->LoadVariableImage(image.data(), image.size()));
    }

    void LoadSource(std::string_view source) {
        const std::vector<std::uint8_t> image = AssembledScript(source);
        ASSERT_FALSE(image.empty());
        ASSERT_TRUE(vm_->LoadCode(image.data(), image.size()));
    }

    // Loads the code and runs one burst from instruction 0.
    std::int32_t LoadAndRun(std::string_view source) {
        LoadSource(source);
        return vm_->Run();
    }

    VmValue Top() const { return vm_->StackEntry(vm_->StackTop()); }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const backend::ShownMessageBox& box : headless_->Dialogs().MessageBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }

    int AccessViolations() const {
        int n = 0;
        for (const backend::ShownMessageBox& box : headless_->Dialogs().MessageBoxes()) {
            if (box.text == "Access violation in Scripts" && box.caption == "error" && box.owner == 0) {
                ++n;
            }
        }
        return n;
    }

    std::string AString(std::uint32_t index) {
        const VmString* s = vm_->AString(index);
        if (s == nullptr || s->Bytes() == nullptr) {
            return {};
        }
        return std::string(reinterpret_cast<const char*>(s->Bytes()), s->Length());
    }

    backend::HeadlessHub* headless_ = nullptr;
    std::unique_ptr<VmState> vm_;
};

}  // namespace kv::vmtest
