#pragma once
// A VmState on the headless backend, with helpers to load banks and code built byte for byte
// and to read the message boxes the run showed.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/headless/headless_platform.h"
#include "script/vm/vm_state.h"
#include "tests/support/snx_image_builder.h"

namespace kv::vmtest {

using kvtest::SnxImageBuilder;
using kvtest::VariableImageBuilder;
using namespace kv::snx;

class VmTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform::HeadlessOptions options;
        options.gameFolder = "/tmp";
        auto backend = std::make_unique<platform::HeadlessPlatform>(options);
        headless_ = backend.get();
        platform::Install(std::move(backend));
        vm_ = std::make_unique<VmState>();
        // Four integers, bytes and strings in bank A, three of each in bank B, four in bank C.
        VariableImageBuilder vars;
        vars.aInts = 4;
        vars.aBytes = 4;
        vars.aStrings = 4;
        vars.bInts = {100, -5, 7};
        vars.bBytes = {1, 0, 2};
        vars.AddBString("bee");
        vars.AddBString("");
        vars.AddBString("third");
        vars.cInts = 4;
        vars.cBytes = 4;
        LoadVars(vars);
    }

    void TearDown() override {
        vm_.reset();
        platform::Uninstall();
    }

    void LoadVars(const VariableImageBuilder& vars) {
        const std::vector<std::uint8_t> image = vars.Build();
        ASSERT_TRUE(vm_->LoadVariableImage(image.data(), image.size()));
    }

    void Load(const SnxImageBuilder& code) {
        const std::vector<std::uint8_t> image = code.Build();
        ASSERT_TRUE(vm_->LoadCode(image.data(), image.size()));
    }

    // Loads the code and runs one burst from instruction 0.
    std::int32_t LoadAndRun(const SnxImageBuilder& code) {
        Load(code);
        return vm_->Run();
    }

    VmValue Top() const { return vm_->StackEntry(vm_->StackTop()); }

    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const platform::ShownMessageBox& box : headless_->MessageBoxes()) {
            texts.push_back(box.text);
        }
        return texts;
    }

    int AccessViolations() const {
        int n = 0;
        for (const platform::ShownMessageBox& box : headless_->MessageBoxes()) {
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

    platform::HeadlessPlatform* headless_ = nullptr;
    std::unique_ptr<VmState> vm_;
};

// Shorthands for the instructions the tests write most.
inline void Int(SnxImageBuilder& c, std::int32_t value) {
    c.Emit(kOpLoadConstant, 0, static_cast<std::uint32_t>(value));
}
inline void Byte(SnxImageBuilder& c, std::uint32_t value) { c.Emit(kOpLoadConstant, 1, value); }

}  // namespace kv::vmtest
