#pragma once

#include <string>
#include <string_view>

namespace kdx::run {

// The SHA-256 digest of `data` in lower-case hexadecimal (64 characters):
// what identifies a script's exact text in the reports.
std::string Sha256Hex(std::string_view data);

}  // namespace kdx::run
