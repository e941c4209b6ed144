#pragma once

#include "build/image.h"

#include <string>

namespace pictavo::build {

// Quality 90, baseline, three-component colour, the codec's other defaults.
std::string encodeJpeg(const Image& image);

}  // namespace pictavo::build
