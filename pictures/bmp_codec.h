#pragma once

#include "pictures/image.h"

#include <string>

namespace pictavo::pictures {

// An uncompressed 24-bit bottom-up bitmap with an info header.
std::string encodeBmp(const Image& image);

}  // namespace pictavo::pictures
