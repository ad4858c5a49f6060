#include "py/generator.h"

#include <utility>

namespace korvan::py {

Generation generate_curves(const PySoil& soil) {
  Generation g;
  const std::vector<ProfilePoint> profile = property_profile(soil);
  std::vector<double> sums(soil.layers.size(), 0.0);
  for (size_t i = 0; i < soil.layers.size(); ++i) {
    const DerivedLayer& layer = soil.layers[i];
    const Model model = model_for(layer.model());
    if (model == nullptr) {
      g.unavailable_type = layer.type;
      return g;
    }
    double above = 0.0;
    for (size_t j = 0; j < i; ++j) above += sums[j];
    double equivalent = 0.0;
    LayerState state;
    for (int k = layer.first_curve; k <= layer.last_curve; ++k) {
      const bool first = k == layer.first_curve;
      ModelInput in{soil,
                    profile,
                    i,
                    soil.curve_depths[static_cast<size_t>(k)],
                    first ? 0.0 : soil.curve_depths[static_cast<size_t>(k - 1)],
                    first,
                    above,
                    equivalent,
                    &state};
      ModelResult r = model(in);
      if (r.stop) {
        g.stop = std::move(r.stop);
        return g;
      }
      if (r.equivalent_depth) equivalent = *r.equivalent_depth;
      sums[i] += r.resistance;
      g.curves.push_back(
          {in.z + soil.height, i, layer.type, r.excavation, r.backfill});
    }
  }
  return g;
}

}  // namespace korvan::py
