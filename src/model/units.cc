#include "model/units.h"

namespace korvan::engine {

UnitLabels unit_labels(int sign) {
  if (sign > 0) {
    return {" IN", " LBS", "IN", "LBS", " FT     ", "FT      ", "IN", "LBS"};
  }
  if (sign < 0) {
    return {"  M", "  KN", " M", " KN", "  M     ", " M      ", "MM", " KN"};
  }
  return {"  L", "   F", " L", "  F", "  L     ", " L      ", " L", "  F"};
}

}  // namespace korvan::engine
