// Line charts as inline SVG for the HTML report: diagrams against depth
// (depth downward) and x-y charts of p-y curves. The output is XML (it
// parses as XHTML) and depends on nothing but its input: coordinates are
// written with one decimal.
#pragma once

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "korvan/number_text.h"

namespace korvan::report::svg {

// An axis with round tick values: ticks at min, min + step, ... max. Tick
// labels show value / 10^power with `decimals` decimals.
struct Axis {
  double min = 0.0;
  double max = 1.0;
  double step = 1.0;
  int power = 0;  // a multiple of 3
  int decimals = 0;
};

// The axis over [lo, hi] (zero included when asked) with about `intervals`
// intervals of 1, 2, 2.5 or 5 times a power of ten. An empty range is
// widened around its value.
Axis nice_axis(double lo, double hi, int intervals, bool include_zero);

// Text with &, <, > and quotes escaped for XML.
std::string xml_escape(const std::string& text);

// Line styles: a colour and a dash pattern per index, distinguishable in
// colour and in grey print.
std::string style_colour(int style);
std::string style_dash(int style);

struct Series {
  std::string name;
  int style = 0;
  std::vector<std::pair<double, double>> points;  // (x, y) in shown units
};

// A horizontal line across a depth chart.
struct Level {
  enum class Kind { kExcavation, kWater, kSupport };
  Kind kind = Kind::kExcavation;
  double depth = 0.0;
  std::string label;  // written beside the line when labels are shown
};

// A band across a depth chart from `top` to `bottom` (a soil layer), shaded
// and labelled at its left.
struct Band {
  double top = 0.0;
  double bottom = 0.0;
  std::string label;
};

struct Chart {
  std::string id;     // the data-chart attribute
  std::string title;  // quantity shown along x, e.g. "Moment"
  std::string x_unit;
  std::string y_title;  // "Depth" or "p"
  std::string y_unit;
  std::string heading;          // above an x-y chart (depth charts: the title)
  bool depth_down = true;       // y is depth, increasing downward, from zero
  std::optional<double> y_end;  // the depth the axis must reach
  std::vector<Series> series;
  std::vector<Level> levels;
  std::vector<Band> bands;
  bool wall = false;       // the wall drawn at zero down to y_end
  bool value_axis = true;  // false: no ticks nor grid along x (nothing
                           // plotted against it)
  bool level_labels = false;
  bool mark_extremes = true;  // a dot at each series' largest magnitude,
                              // with its value when there is one series
};

// The chart as an <svg> element. The element carries data-chart,
// data-x-min, data-x-max, data-y-min and data-y-max (the axis ranges in
// shown units); the plot area is the <rect class="plot-area">, each series
// a <polyline class="series"> with data-name and one point per input point,
// each level a <line class="level">. Value and level labels are <text
// class="label"> placed so that their boxes (glyphs 0.58 em wide, from
// 0.8 em above the baseline to 0.2 em below) overlap neither one another
// nor a level line, where the plot has room.
std::string render(const Chart& chart);

// A legend as an <svg> element: one line sample per entry.
struct LegendEntry {
  std::string text;
  int style = 0;  // a series style, unless the entry is a level's
  std::optional<Level::Kind> level;
};
std::string render_legend(const std::vector<LegendEntry>& entries);

}  // namespace korvan::report::svg
