#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>

namespace pictavo::test {

// AddressSanitizer reserves terabytes of address space: an address-space
// limit means nothing under it.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool AddressSanitizer = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool AddressSanitizer = true;
#else
inline constexpr bool AddressSanitizer = false;
#endif
#else
inline constexpr bool AddressSanitizer = false;
#endif

// Runs work in a forked child and returns the text it returned. Nothing when
// the child did not return: it crashed, threw, or was still running after
// the timeout (it is killed then). A non-zero addressSpace limits the child's
// memory (RLIMIT_AS), so that an allocation beyond it fails there.
std::optional<std::string> runInChild(const std::function<std::string()>& work, std::chrono::seconds timeout,
                                      std::size_t addressSpace = 0);

}  // namespace pictavo::test
