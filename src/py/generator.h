// The p-y generation driver: runs the model of every derived layer on its
// five curve depths and keeps the layers' resistance sums for the layering
// method.
#pragma once

#include <optional>
#include <vector>

#include "py/models.h"
#include "py/soil_layers.h"

namespace korvan::py {

struct GeneratedCurve {
  double depth = 0.0;  // below the top of the wall (Z + H)
  size_t layer = 0;
  int type = 1;  // soil type code of the layer, as read
  engine::SoilModel model() const { return engine::soil_model_of(type); }
  SideCurve excavation;
  SideCurve backfill;
};

struct Generation {
  std::vector<GeneratedCurve> curves;
  std::optional<PyStop> stop;           // the run ends after these curves
  std::optional<int> unavailable_type;  // a soil type without a model
};

Generation generate_curves(const PySoil& soil);

}  // namespace korvan::py
