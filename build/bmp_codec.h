#pragma once

#include "build/image.h"

#include <string>

namespace pictavo::build {

// An uncompressed 24-bit bottom-up bitmap with an info header.
std::string encodeBmp(const Image& image);

}  // namespace pictavo::build
