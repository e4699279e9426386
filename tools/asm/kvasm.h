#pragma once
// Everything a test needs to build script fixtures from source: Assemble (".SNX" bytes),
// BuildVariableImage ("NECEMEM.SNI" bytes) and Disassemble, all in namespace kvasm.

#include "tools/asm/assembler.h"
#include "tools/asm/code_image.h"
#include "tools/asm/disassembler.h"
#include "tools/asm/variable_image_builder.h"
