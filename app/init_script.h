#pragma once

namespace kv {

// Script start-up: makes the VM, loads the variable image and "INIT", and sets the save folder.
// False after showing its message.
bool InitScript();

}  // namespace kv
