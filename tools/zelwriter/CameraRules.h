#pragma once
// The camera rules that tie a movie's camera code, sensor mode and stored bit count to the
// stored pixel layout. The writer needs them to pack frames the way a reader will unpack them.

#include <optional>

#include "zelwriter/MovieSpec.h"

namespace zelgen {

// The layout and stored bits a reader derives from the records of this spec.
StoredFormat DeriveStoredFormat(const MovieSpec& spec);

// A spec (defaults otherwise) whose camera, mode and stored bits produce pixelFormat in the
// chosen layout; nullopt for formats that layout cannot express (format 1 exists only in
// the older layout, formats 2 to 6 only in the newer one).
std::optional<MovieSpec> SpecForPixelFormat(int pixelFormat, bool newerLayout);

}  // namespace zelgen
