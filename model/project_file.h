#pragma once

#include <string_view>
#include <vector>

namespace pictavo::model {

// Fields 1 to count of a project file line, split in one pass: field n is
// the text between the (n - 1)-th and the n-th separator. A field with no
// separator after it reads as empty; so does every field when the separator
// is empty. The views point into the line.
std::vector<std::string_view> ExtractFields(std::string_view line, int count, std::string_view separator);

}  // namespace pictavo::model
