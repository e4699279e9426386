#pragma once
// The key codes the engine's input tests name: the ones the backend reports the keyboard in.

#include "backend/key_codes.h"

namespace kv {
namespace key = backend::key;
}  // namespace kv
