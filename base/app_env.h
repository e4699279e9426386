#pragma once
// Where the program runs and how this installation is configured: the program's folder and
// base name, MMX support, and the three values of the optional "<base name>.INF" file beside
// the program. An absent value is an empty String.

#include "base/string.h"

namespace kv {

class AppEnv {
public:
    // Fills the module folder and base name and tests MMX; the configuration starts empty.
    AppEnv();

    // Reads "<module folder><base name>.INF". Every value is emptied first; a missing, empty
    // or unreadable file leaves them all empty, a missing key its own value.
    void LoadInf();
    // Empties the pack path and the save-data version; the save folder name stays.
    void ClearConfig();
    // Fills the module folder and base name again, as the constructor does.
    void ReadModulePath();

    // The program's folder with its trailing '\'.
    const String& GetModuleDir() const { return moduleDir_; }
    // Module folder + the PACKFILENAME value.
    const String& GetPackPath() const { return packPath_; }
    // The SAVEDATAVERSTR value.
    const String& GetSaveDataVersion() const { return saveDataVersion_; }
    // The SAVEDIRNAME value followed by '\'.
    const String& GetSaveDir() const { return saveDir_; }
    // What the constructor found out about MMX.
    bool GetMmx() const { return mmx_; }

private:
    // Declared so that the save folder name is destroyed first and the module folder last.
    String moduleDir_;
    String moduleBaseName_;
    bool mmx_ = false;
    String packPath_;
    String saveDataVersion_;
    String saveDir_;
};

// True when the processor has the MMX unit the pixel routines were written for.
bool HasMmx();

}  // namespace kv
