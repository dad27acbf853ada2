#pragma once
// Internal entry points of the frame decoders, shared by the decoder sources, the
// tests and the benchmarks. Not part of the library's public interface.

#include <array>
#include <cstddef>
#include <cstdint>

namespace zel::detail {

// Instruction sets the unpacking kernels are built for. Portable is plain C++ and is
// always available; Avx2 exists only in x86-64 builds and only runs where the
// processor reports it.
enum class Isa { Portable, Avx2 };

// The fastest instruction set this processor can run.
Isa BestIsa();

// True when kernels for `isa` are compiled in and the processor can run them.
bool IsaAvailable(Isa isa);

// The companding table Expand8To10, built once; immutable after construction.
const std::array<uint16_t, 256>& Expand8To10();

// DecodeFrame with an explicit kernel choice; an unavailable `isa` falls back to
// Portable. Takes the fast path when the dimensions suit the layout and all the
// stored bytes the layout needs are present, else DecodeFrameChecked.
void DecodeFrameWith(Isa isa, const uint8_t* packed, size_t packedBytes, int width, int rows,
                     uint16_t* out, int pixelFormat);

// Sample-by-sample decoder: computes the position of every stored sample from the
// layout's formulas, drops positions outside the frame and reads every bit through
// a bounds check (bits beyond `packedBytes` read as 0). Slow, but it accepts any
// dimensions and any buffer size; it is also the reference the fast paths are
// tested against.
void DecodeFrameChecked(const uint8_t* packed, size_t packedBytes, int width, int rows,
                        uint16_t* out, int pixelFormat);

// Whether DecodeFrameWith takes the fast path for this call: dimensions the layout
// covers exactly as its fast decoder walks them, and every stored byte that decoder
// reads present in `packedBytes`.
bool FastPathApplies(int width, int rows, int pixelFormat, size_t packedBytes);

}  // namespace zel::detail
