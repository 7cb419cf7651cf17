#pragma once
// The maker's web pages the program opens.

namespace addresses {
inline constexpr const char* SupportUrl = "https://www.brevotane.example/support";
inline constexpr const char* UpdateUrl = "https://www.brevotane.example/update";
}
