// Unit labels printed beside values in the report.
#pragma once

#include <string>

namespace korvan::engine {

// The label set of one problem. Every label is exactly as wide as listed,
// blanks included.
struct UnitLabels {
  std::string length;            // 3: " IN", "  M"
  std::string force;             // 4: " LBS", "  KN"
  std::string short_length;      // 2: "IN", " M"
  std::string short_force;       // 3: "LBS", " KN"
  std::string long_length;       // 8: " FT     ", "  M     "
  std::string long_length_left;  // 8: "FT      ", " M      "
  std::string small_length;      // 2: "IN", "MM"
  std::string short_force2;      // 3: "LBS", " KN"

  // Compound labels built from the pieces above.
  std::string pressure() const { return force + "/" + short_length + "**2"; }
  std::string unit_weight() const { return force + "/" + short_length + "**3"; }
  std::string flexural_rigidity() const {
    return force + "-" + short_length + "**2";
  }
  std::string moment() const { return force + "-" + short_length; }
};

// The labels for the sign of a unit system: positive English, negative
// metric, zero neither.
UnitLabels unit_labels(int sign);

}  // namespace korvan::engine
