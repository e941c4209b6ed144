#pragma once

#include <string_view>

namespace pictavo::model {

// The product's names and addresses, in one place for the pages, the help
// and the editor's web commands. The addresses lie under a reserved example
// domain until the product has a site of its own.
inline constexpr std::string_view ProductName = "Pictavo";
inline constexpr std::string_view ProductVersion = "1.0";
inline constexpr std::string_view MakerName = "Tavemo";
inline constexpr std::string_view ProductPageAddress = "https://www.example.com/tavemo/pictavo/";
inline constexpr std::string_view SupportPageAddress = "https://www.example.com/tavemo/support/";
inline constexpr std::string_view MakerNotice = "Pictavo 1.0, an image gallery made with Pictavo by Tavemo.";

}  // namespace pictavo::model
