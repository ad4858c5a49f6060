// A number as a diagnostic quotes it.
#pragma once

#include <charconv>
#include <string>

namespace korvan::engine {

// A number in its shortest exact spelling, for diagnostics.
inline std::string shortest(double x) {
  char buffer[32];
  const auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x);
  return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

}  // namespace korvan::engine
