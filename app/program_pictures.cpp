#include "app/program_pictures.h"

#include "app/engine.h"
#include "app/main_icon.h"

namespace kv {

backend::BuiltInPictures ProgramPictures() {
    static const backend::BuiltInPicture pictures[] = {
        {kMainIconName, kMainIconWidth, kMainIconHeight, kMainIconPixels},
    };
    return pictures;
}

}  // namespace kv
