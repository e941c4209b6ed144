#pragma once

#include "platform/user_error.h"

#include <string>

namespace pictavo::test {

// The message of the UserError that running the function throws, or
// "<no error>" when it returns normally.
template <typename Function>
std::string userErrorOf(Function&& function)
{
    try {
        function();
    } catch (const platform::UserError& e) {
        return e.what();
    }
    return "<no error>";
}

}  // namespace pictavo::test
