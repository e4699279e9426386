#pragma once
// What differs between the two programs built from this code base. Each executable links
// exactly one definition (base/variant/build_variant_*.cpp).

#include "backend/code_page.h"

namespace kv {

struct BuildVariant {
    const char* name;            // "sjis" or "gbk"
    backend::CodePage codePage;  // of every text: scripts, names, captions, messages
    const char* exitQuestion;    // in the code page above
    const char* exitTitle;
};

const BuildVariant& ActiveBuildVariant();

}  // namespace kv
