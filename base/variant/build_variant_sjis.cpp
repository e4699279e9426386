#include "base/build_variant.h"

namespace kv {

const BuildVariant& ActiveBuildVariant() {
    static const BuildVariant variant{"sjis", backend::CodePage::ShiftJis,
                                      "Are you sure you want to exit this game?", "Exit game"};
    return variant;
}

}  // namespace kv
