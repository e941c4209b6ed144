#pragma once

#include <cstddef>
#include <cstdint>

namespace pictavo::fuzz {

// What each fuzz target does with its input. Each returns normally for any
// input, handled or refused; a broken promise (a round trip that does not
// reproduce its project, a configuration that is not XML) throws
// std::logic_error. The ordinary tests run them over the regression files.
void projectReader(const std::uint8_t* data, std::size_t size);
void bmpReader(const std::uint8_t* data, std::size_t size);
// The first byte chooses JPEG or GIF; the rest is the original.
void pictureMaker(const std::uint8_t* data, std::size_t size);
void projectRoundTrip(const std::uint8_t* data, std::size_t size);

}  // namespace pictavo::fuzz
