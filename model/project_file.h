#pragma once

#include <string>
#include <string_view>

namespace pictavo::model {

// Field n (from 1) of a project file line: the text between the (n - 1)-th
// and the n-th separator. A field with no separator after it reads as empty,
// and so does n of 0 or less.
std::string ExtractField(std::string_view line, int n, std::string_view separator);

}  // namespace pictavo::model
