#include "base/build_variant.h"

namespace kv {

const BuildVariant& ActiveBuildVariant() {
    static const BuildVariant variant{"sjis", "CP932", 0xFC, true,
                                      "Are you sure you want to exit this game?", "Exit game"};
    return variant;
}

}  // namespace kv
