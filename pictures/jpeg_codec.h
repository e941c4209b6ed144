#pragma once

#include "pictures/image.h"

#include <string>

namespace pictavo::pictures {

// Quality 90, baseline, three-component colour, the codec's other defaults.
std::string encodeJpeg(const Image& image);

}  // namespace pictavo::pictures
