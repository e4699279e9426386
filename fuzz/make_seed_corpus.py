#!/usr/bin/env python3
"""Writes the seed inputs of fuzz_vm into fuzz/corpus/vm.

An input is: u16 length of the variable image, the variable image, the code image (see
fuzz/fuzz_vm.cpp). The seeds are small valid scripts that reach every instruction kind, so that
the fuzzer starts from programs that run rather than from images the loaders refuse.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus", "vm")

END, ADD, SUB, MUL, DIV, MOD, NEG, CMP, JMP, JT, JF, ASSIGN, DISCARD, CALL, RET, LOADV, LOADR, CONST, INC, DEC, NOP, NOP2, BAD, LINE = range(24)


def variable_image(a_int=4, a_byte=4, a_str=4, b_ints=(100, -5, 7), b_bytes=(1, 0), b_strs=(b"bee", b""), c_int=4, c_byte=4):
    out = struct.pack("<8i", a_int, a_byte, a_str, len(b_ints), len(b_bytes), len(b_strs), c_int, c_byte)
    out += b"".join(struct.pack("<i", v) for v in b_ints)
    out += bytes(b_bytes)
    for s in b_strs:
        out += struct.pack("<I", len(s)) + s
    return out


def code_image(instructions, data=b""):
    out = struct.pack("<II", len(instructions), len(data))
    for kind, a, b in instructions:
        out += struct.pack("<III", kind & 0xFFFFFFFF, a & 0xFFFFFFFF, b & 0xFFFFFFFF)
    return out + data


def literal(text):
    return struct.pack("<I", len(text)) + text


def seed(vars_image, code):
    return struct.pack("<H", len(vars_image)) + vars_image + code


def write(name, data):
    with open(os.path.join(OUT, name), "wb") as f:
        f.write(data)


def main():
    os.makedirs(OUT, exist_ok=True)
    vars_image = variable_image()

    # while (a0 < 10) { a1 = a1 + a0; c0 = c0 - b2; a0++; } call 18; line 5; end
    loop = [
        (LOADV, 0, 0), (CONST, 0, 10), (CMP, 2, 0), (JF, 0, 20),
        (LOADR, 1, 0), (LOADV, 1, 0), (LOADV, 0, 0), (ADD, 0, 0), (ASSIGN, 0, 0), (DISCARD, 0, 0),
        (LOADR, 0, 12), (LOADV, 0, 12), (LOADV, 2, 6), (SUB, 0, 0), (ASSIGN, 0, 0), (DISCARD, 0, 0),
        (LOADR, 0, 0), (INC, 0, 0), (DISCARD, 0, 0), (JMP, 0, 0),
        (CALL, 18, 0), (LINE, 5, 0), (END, 0, 0),
    ]
    write("loop", seed(vars_image, code_image(loop)))

    # Strings: literal, A string, B string assignments, indexed loads and references.
    data = literal(b"hello") + literal(b"\x04\x01\x00\x00\x00 x")
    strings = [
        (LOADR, 0, 4), (CONST, 2, 0), (ASSIGN, 0, 0), (DISCARD, 0, 0),
        (LOADR, 1, 4), (LOADV, 0, 4), (ASSIGN, 0, 0), (DISCARD, 0, 0),
        (LOADR, 2, 4), (LOADV, 0, 10), (ASSIGN, 0, 0), (DISCARD, 0, 0),
        (CONST, 0, 1), (LOADV, 0, 5), (CONST, 0, 1), (LOADR, 1, 5), (CALL, 40, 0), (END, 0, 0),
    ]
    write("strings", seed(vars_image, code_image(strings, data)))

    # Arithmetic edge cases, comparisons of bytes, short-circuit jumps.
    arith = [
        (CONST, 0, 0x80000000), (CONST, 0, -1), (DIV, 0, 0), (CONST, 0, 0x80000000), (CONST, 0, -1),
        (MOD, 0, 0), (ADD, 0, 0), (NEG, 0, 0), (CONST, 0, 7), (MUL, 0, 0), (DISCARD, 0, 0),
        (CONST, 1, 1), (CONST, 1, 0), (CMP, 4, 0), (JT, 1, 16), (BAD, 0, 0),
        (LOADV, 0, 2), (LOADV, 1, 8), (CMP, 0, 0), (JF, 1, 19), (LOADR, 0, 2), (CONST, 1, 1),
        (ASSIGN, 0, 0), (LOADR, 3, 12), (DEC, 0, 0), (RET, 0, 0),
    ]
    write("arith", seed(vars_image, code_image(arith)))

    # Faults: an out-of-bank variable, a bad jump, a short image, an empty one.
    write("outside", seed(vars_image, code_image([(LOADV, 99, 0), (LOADR, 50, 12), (INC, 0, 0), (JMP, 0, 99)])))
    write("short", seed(vars_image[:20], code_image([(END, 0, 0)])[:15]))
    write("empty", seed(variable_image(0, 0, 0, (), (), (), 0, 0), code_image([])))


if __name__ == "__main__":
    main()
