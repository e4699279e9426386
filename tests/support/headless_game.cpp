#include "tests/support/headless_game.h"

#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>

#include "app/program_pictures.h"
#include "backend/dialog_service.h"
#include "backend/file_service.h"
#include "backend/hub.h"
#include "base/build_variant.h"
#include "tests/support/assembled_image.h"

namespace kvtest {

namespace {
std::atomic<int> g_serial{0};
}

backend::HeadlessOptions HeadlessGameTest::DefaultOptions() const {
    backend::HeadlessOptions options;
    options.gameFolder = folder_;
    options.lockName = lockName_;
    options.codePage = kv::ActiveBuildVariant().codePage;
    options.builtInPictures = kv::ProgramPictures();
    return options;
}

void HeadlessGameTest::SetUp() {
    char pattern[] = "/tmp/kv_game_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    folder_ = pattern;
    lockName_ = "test." + std::to_string(::getpid()) + "." + std::to_string(g_serial++);
    Reinstall(DefaultOptions());
}

void HeadlessGameTest::TearDown() {
    backend::Uninstall();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void HeadlessGameTest::Reinstall(backend::HeadlessOptions options) {
    backend::Uninstall();
    backend::Install(std::make_unique<backend::HeadlessHub>(options));
}

backend::HeadlessHub& HeadlessGameTest::Os() {
    // Every test here installs the headless hub.
    return static_cast<backend::HeadlessHub&>(backend::Get());
}

void HeadlessGameTest::WriteFile(const std::string& name, std::string_view bytes) {
    std::filesystem::path path = std::filesystem::path(folder_) / name;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

void HeadlessGameTest::WriteFile(const std::string& name, const std::vector<std::uint8_t>& bytes) {
    WriteFile(name, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

bool HeadlessGameTest::FileExistsNative(const std::string& name) const {
    return std::filesystem::exists(std::filesystem::path(folder_) / name);
}

void HeadlessGameTest::RemoveFile(const std::string& name) {
    std::filesystem::remove(std::filesystem::path(folder_) / name);
}

void HeadlessGameTest::MakeFolder(const std::string& name) {
    std::filesystem::create_directories(std::filesystem::path(folder_) / name);
}

std::string HeadlessGameTest::EngineFolder() const { return backend::Get().Files().ModuleFolder(); }

void HeadlessGameTest::UseModuleFileName(const std::string& fileName) {
    backend::HeadlessOptions options = DefaultOptions();
    options.moduleFileName = fileName;
    Reinstall(options);
}

void HeadlessGameTest::WriteScript(const std::string& name, std::string_view source) {
    WriteFile(name, AssembledScript(source));
}

void HeadlessGameTest::WriteVariables(const std::string& name, std::string_view declarations) {
    WriteFile(name, AssembledVariables(declarations));
}

void HeadlessGameTest::WriteMinimalGame() {
    WriteVariables("NECEMEM.SNI", "aint 4\nabyte 4\nastr 2\nbint 1\ncint 4\ncbyte 4\nbint[0] = 7\n");
    WriteScript("INIT.SNX",
                "idle:\n"
                "    calld OpSetCaption \"ZE-RoreroRerodi ver1.0\"\n"
                "    jmp idle\n");
}

std::vector<std::string> HeadlessGameTest::BoxTexts() const {
    std::vector<std::string> texts;
    for (const auto& box : static_cast<backend::HeadlessHub&>(backend::Get()).Dialogs().MessageBoxes())
        texts.push_back(box.caption + "|" + box.text);
    return texts;
}

}  // namespace kvtest
