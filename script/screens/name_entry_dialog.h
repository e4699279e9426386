#pragma once
// The name-entry dialog: a family-name and a given-name field with the checks, the messages and
// the confirmation a name must pass, run as a modal dialog of the backend's dialog service. Its
// buffers keep their contents from one use to the next.

#include <cstdint>

#include "backend/dialog_service.h"

namespace kv {

inline constexpr std::int32_t kNameResetButton = 1000;
inline constexpr std::int32_t kFamilyNameField = 1001;
inline constexpr std::int32_t kGivenNameField = 1002;

struct NameEntryBuffers {
    char familyResult[7] = {};  // stored into the family-name variable
    char givenResult[7] = {};
    char defaultFamily[7] = {};  // shown when the dialog opens and by the reset button
    char defaultGiven[7] = {};
    char familyField[9] = {};  // what the fields held at the last OK
    char givenField[9] = {};
    std::int32_t fieldLengths[2] = {0, 0};
};

NameEntryBuffers& NameEntryState();

backend::DialogTemplate NameEntryTemplate();

// Runs the dialog over the window until a name is confirmed (the results are then replaced);
// false when it could not be shown or was ended with the program.
bool ShowNameEntryDialog(backend::WindowId owner);

}  // namespace kv
