// Life of an image buffer: empty, then a bitmap or a TIFF image, then empty again.

#include "imaging/ImageBuffer.h"

namespace zel {

void InitImageBuffer(ImageBuffer& buffer) {
    // Assigning a fresh record releases whatever blocks it owned.
    buffer = ImageBuffer{};
}

void FreeImageBuffer(ImageBuffer& buffer) {
    // The blocks go and the record is left as InitImageBuffer makes it, so a buffer freed
    // by its owner can be built again and no pointer into a released block survives.
    buffer = ImageBuffer{};
}

}  // namespace zel
