#include "base/build_variant.h"

namespace kv {

// The exit texts are stored in GBK, as the window code hands them to the backend.
const BuildVariant& ActiveBuildVariant() {
    static const BuildVariant variant{"gbk", backend::CodePage::Gbk,
                                      "\xC8\xB7\xB6\xA8\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7?", "\xCD\xCB\xB3\xF6\xD3\xCE\xCF\xB7"};
    return variant;
}

}  // namespace kv
