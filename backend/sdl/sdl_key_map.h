#pragma once
// SDL scan codes to the engine's key codes (backend/key_codes.h).

#include <SDL.h>

#include <cstdint>

namespace backend {

// 0 for keys the engine has no code for.
std::uint8_t KeyCodeFor(SDL_Scancode scancode);

}  // namespace backend
