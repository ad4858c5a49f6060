#include "present/svg_chart.h"

#include <algorithm>
#include <cmath>
#include <tuple>

#include "present/summary.h"

namespace korvan::report::svg {

using namespace korvan::present;
namespace {

// Plot geometry in viewBox units.
struct Frame {
  double width = 0.0, height = 0.0;
  double left = 0.0, top = 0.0, plot_width = 0.0, plot_height = 0.0;
  double right() const { return left + plot_width; }
  double bottom() const { return top + plot_height; }
};

Frame frame_of(const Chart& c) {
  if (c.depth_down) return {300.0, 440.0, 52.0, 50.0, 228.0, 382.0};
  return {300.0, 250.0, 60.0, 30.0, 220.0, 172.0};
}

std::string num(double v) { return fixed_text(v, 1); }

double power_of_ten(int power) { return std::pow(10.0, power); }

// Decimals that show `value` exactly (up to 6).
int decimals_of(double value) {
  for (int d = 0; d < 6; ++d) {
    const double scaled = value * std::pow(10.0, d);
    if (std::fabs(scaled - std::round(scaled)) < 1e-6 * std::max(1.0, scaled)) {
      return d;
    }
  }
  return 6;
}

std::vector<double> ticks(const Axis& a) {
  std::vector<double> t;
  const int n = static_cast<int>(std::round((a.max - a.min) / a.step));
  for (int k = 0; k <= n; ++k) t.push_back(a.min + k * a.step);
  return t;
}

std::string tick_text(const Axis& a, double v) {
  return fixed_text(v / power_of_ten(a.power), a.decimals);
}

std::string axis_title(const std::string& name, const std::string& unit,
                       const Axis& a) {
  std::string units = power_label(a.power);
  if (!unit.empty()) units += (units.empty() ? "" : " ") + unit;
  return units.empty() ? name : name + " (" + units + ")";
}

// The box a label covers, roughly: glyphs about 0.58 em wide.
struct Box {
  double x0 = 0.0, y0 = 0.0, x1 = 0.0, y1 = 0.0;
  bool overlaps(const Box& b) const {
    return x0 < b.x1 && b.x0 < x1 && y0 < b.y1 && b.y0 < y1;
  }
};

Box text_box(double x, double y, const std::string& anchor, double size,
             const std::string& content) {
  const double width = 0.58 * size * static_cast<double>(content.size());
  const double x0 = anchor == "end"      ? x - width
                    : anchor == "middle" ? x - width / 2.0
                                         : x;
  return {x0, y - 0.8 * size, x0 + width, y + 0.2 * size};
}

struct LineStyle {
  std::string colour;
  std::string dash;
  double width = 1.0;
};

LineStyle level_style(Level::Kind kind) {
  LineStyle s;
  switch (kind) {
    case Level::Kind::kExcavation:
      s = {"#8b5a2b", "", 1.6};
      break;
    case Level::Kind::kWater:
      s = {"#1f78c8", "6 2 1 2", 1.1};
      break;
    case Level::Kind::kSupport:
      s = {"#555555", "2 2", 1.0};
      break;
  }
  return s;
}

std::string stroke(const LineStyle& s) {
  std::string a = " stroke=\"" + s.colour + "\" stroke-width=\"" +
                  fixed_text(s.width, 1) + "\"";
  if (!s.dash.empty()) a += " stroke-dasharray=\"" + s.dash + "\"";
  return a;
}

std::string text(double x, double y, const std::string& anchor, double size,
                 const std::string& content, const std::string& extra = "") {
  return "<text x=\"" + num(x) + "\" y=\"" + num(y) + "\" text-anchor=\"" +
         anchor + "\" font-size=\"" + num(size) + "\"" + extra + ">" +
         xml_escape(content) + "</text>";
}

std::string line(double x1, double y1, double x2, double y2,
                 const std::string& attributes) {
  return "<line x1=\"" + num(x1) + "\" y1=\"" + num(y1) + "\" x2=\"" + num(x2) +
         "\" y2=\"" + num(y2) + "\"" + attributes + "/>";
}

// Whether the segment from a to b passes through the box (clipped to it
// by its slabs).
bool crosses(const Box& box, std::pair<double, double> a,
             std::pair<double, double> b) {
  double t0 = 0.0, t1 = 1.0;
  const double d[2] = {b.first - a.first, b.second - a.second};
  const double from[2] = {a.first, a.second};
  const double lo[2] = {box.x0, box.y0}, hi[2] = {box.x1, box.y1};
  for (int k = 0; k < 2; ++k) {
    if (d[k] == 0.0) {
      if (from[k] <= lo[k] || from[k] >= hi[k]) return false;
      continue;
    }
    double ta = (lo[k] - from[k]) / d[k], tb = (hi[k] - from[k]) / d[k];
    if (ta > tb) std::swap(ta, tb);
    t0 = std::max(t0, ta);
    t1 = std::min(t1, tb);
    if (t0 >= t1) return false;
  }
  return true;
}

// Label placement: each label takes the first of its candidate places
// whose box overlaps no label placed before it, no level line and no
// plotted line.
class LabelPlacer {
 public:
  using Polyline = std::vector<std::pair<double, double>>;
  LabelPlacer(const Frame& f, const std::vector<double>& line_ys,
              std::vector<Polyline> polylines)
      : f_(f), polylines_(std::move(polylines)) {
    for (double y : line_ys) {
      taken_.push_back({f.left, y - 1.0, f.right(), y + 1.0});
    }
  }
  // Places `content` at the first free candidate (x, y, anchor); the first
  // candidate when none is free. Returns the place taken.
  // A plotted line may cross every candidate: then a place clear of the
  // labels and level lines is taken.
  std::tuple<double, double, std::string> place(
      const std::vector<std::tuple<double, double, std::string>>& candidates,
      double size, const std::string& content) {
    for (const bool clear_of_lines : {true, false}) {
      for (const auto& [x, y, anchor] : candidates) {
        const Box b = text_box(x, y, anchor, size, content);
        const bool inside = b.x0 >= 0.0 && b.x1 <= f_.width && b.y0 >= f_.top &&
                            b.y1 <= f_.bottom();
        if (inside &&
            std::none_of(taken_.begin(), taken_.end(),
                         [&](const Box& t) { return t.overlaps(b); }) &&
            !(clear_of_lines && on_polyline(b))) {
          taken_.push_back(b);
          return {x, y, anchor};
        }
      }
    }
    const auto& [x, y, anchor] = candidates.front();
    taken_.push_back(text_box(x, y, anchor, size, content));
    return candidates.front();
  }

 private:
  bool on_polyline(const Box& b) const {
    for (const Polyline& line : polylines_) {
      for (size_t k = 0; k < line.size(); ++k) {
        const auto& a = line[k];
        const auto& z = k + 1 < line.size() ? line[k + 1] : line[k];
        if (crosses(b, a, z) || (a.first > b.x0 && a.first < b.x1 &&
                                 a.second > b.y0 && a.second < b.y1)) {
          return true;
        }
      }
    }
    return false;
  }

  const Frame& f_;
  std::vector<Polyline> polylines_;  // in plot coordinates
  std::vector<Box> taken_;
};

const char* const kHalo =
    " stroke=\"#ffffff\" stroke-width=\"3\" stroke-linejoin=\"round\""
    " paint-order=\"stroke\"";

}  // namespace

Axis nice_axis(double lo, double hi, int intervals, bool include_zero) {
  if (!std::isfinite(lo) || !std::isfinite(hi)) lo = hi = 0.0;
  // Far inside the range of the numbers, so that the span, the steps and
  // the ticks of the axis stay numbers (-1e308 to 1e308 spans Infinity).
  constexpr double kReach = 1e300;
  lo = std::clamp(lo, -kReach, kReach);
  hi = std::clamp(hi, -kReach, kReach);
  if (lo > hi) std::swap(lo, hi);
  if (include_zero) {
    lo = std::min(lo, 0.0);
    hi = std::max(hi, 0.0);
  }
  // An empty range (one value, or zero alone) is widened around it.
  const double size = std::max(std::fabs(lo), std::fabs(hi));
  if (hi - lo <= 1e-9 * size || hi == lo) {
    const double half = size > 0.0 ? size * 0.1 : 1.0;
    lo -= half;
    hi += half;
  }
  Axis a;
  const double raw = (hi - lo) / std::max(1, intervals);
  const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
  double step = 10.0 * magnitude;
  for (double m : {1.0, 2.0, 2.5, 5.0}) {
    if (m * magnitude >= raw * (1.0 - 1e-9)) {
      step = m * magnitude;
      break;
    }
  }
  a.step = step;
  a.min = std::floor(lo / step + 1e-9) * step;
  a.max = std::ceil(hi / step - 1e-9) * step;
  if (a.max <= a.min) a.max = a.min + step;
  const double largest = std::max(std::fabs(a.min), std::fabs(a.max));
  // Scaled as values are shown (number_text).
  a.power = shown_power(static_cast<int>(std::floor(std::log10(largest))));
  a.decimals = decimals_of(step / power_of_ten(a.power));
  return a;
}

namespace {

// The length of the UTF-8 sequence at s[i], or 0 when it is not one.
size_t utf8_length(const std::string& s, size_t i) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char b = byte(i);
  size_t n = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    n = 2;
  } else if (b >= 0xE0 && b <= 0xEF) {
    n = 3;
  } else if (b >= 0xF0 && b <= 0xF4) {
    n = 4;
  } else {
    return 0;
  }
  if (i + n > s.size()) return 0;
  for (size_t k = 1; k < n; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
  }
  // Overlong forms, surrogates and code points beyond U+10FFFF.
  if (b == 0xE0 && byte(i + 1) < 0xA0) return 0;
  if (b == 0xED && byte(i + 1) >= 0xA0) return 0;
  if (b == 0xF0 && byte(i + 1) < 0x90) return 0;
  if (b == 0xF4 && byte(i + 1) >= 0x90) return 0;
  return n;
}

}  // namespace

std::string xml_escape(const std::string& in) {
  std::string out;
  out.reserve(in.size());
  for (size_t i = 0; i < in.size(); ++i) {
    const char c = in[i];
    if (static_cast<unsigned char>(c) >= 0x80) {
      // Text from an input file may be in any code page: what is not UTF-8
      // becomes U+FFFD.
      const size_t n = utf8_length(in, i);
      if (n == 0) {
        out += "\xEF\xBF\xBD";
      } else {
        out.append(in, i, n);
        i += n - 1;
      }
      continue;
    }
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      default:
        // Control characters are not allowed in XML 1.0 text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') {
          out += ' ';
        } else {
          out += c;
        }
    }
  }
  return out;
}

std::string style_colour(int style) {
  static const char* const colours[] = {"#1f5fa8", "#c2372b", "#2e8b3a",
                                        "#d9822b", "#7b4ea3", "#6b4d2e"};
  return colours[static_cast<size_t>(std::max(style, 0)) % 6];
}

std::string style_dash(int style) {
  static const char* const dashes[] = {"", "7 3", "2 2", "9 3 2 3"};
  return dashes[static_cast<size_t>(std::max(style, 0)) % 4];
}

namespace {

// Candidate places of a value label beside its dot at (x, y): toward the
// middle of the plot, level with the dot, then stepping above and below.
std::vector<std::tuple<double, double, std::string>> value_places(
    const Frame& f, double x, double y) {
  const bool right_half = x > f.left + f.plot_width / 2.0;
  const double tx = right_half ? x - 5.0 : x + 5.0;
  const std::string anchor = right_half ? "end" : "start";
  std::vector<std::tuple<double, double, std::string>> places;
  for (double dy : {4.0, -8.0, 16.0, -20.0, 28.0, -32.0, 40.0, -44.0, 52.0}) {
    places.emplace_back(tx, y + dy, anchor);
  }
  return places;
}

// Candidate places of a level's label: above its line at the right end,
// below it, then the same at the left end, then further off.
std::vector<std::tuple<double, double, std::string>> level_places(
    const Frame& f, double y) {
  std::vector<std::tuple<double, double, std::string>> places;
  for (double dy : {-4.0, 12.5, -16.0, 24.5}) {
    places.emplace_back(f.right() - 3.0, y + dy, "end");
    places.emplace_back(f.left + 3.0, y + dy, "start");
  }
  // Then along the line, clear of the plotted lines near the ends.
  for (double dy : {-4.0, 12.5}) {
    for (double t : {0.75, 0.25, 0.5}) {
      places.emplace_back(f.left + t * f.plot_width, y + dy, "middle");
    }
  }
  return places;
}

// The value labels of the extremes (one series) and the level labels, on a
// white halo so that they stay readable over the series.
template <typename Px, typename Py>
std::string labels(const Chart& c, const Frame& f, const Axis& ax,
                   const std::vector<const Level*>& levels, Px px, Py py) {
  std::vector<double> line_ys;
  for (const Level* l : levels) line_ys.push_back(py(l->depth));
  std::vector<LabelPlacer::Polyline> polylines;
  for (const Series& s : c.series) {
    LabelPlacer::Polyline line;
    for (const auto& [x, y] : s.points) line.emplace_back(px(x), py(y));
    polylines.push_back(std::move(line));
  }
  LabelPlacer placer(f, line_ys, std::move(polylines));
  std::string o;
  if (c.mark_extremes) {
    for (const Series& s : c.series) {
      if (s.points.empty()) continue;
      // The largest positive and the largest negative value.
      const auto [low, high] = std::minmax_element(
          s.points.begin(), s.points.end(),
          [](const auto& a, const auto& b) { return a.first < b.first; });
      for (auto it : {high, low}) {
        const double other = (it == high ? low : high)->first;
        if (it->first == 0.0 || (it == low && it->first > 0.0) ||
            (it == high && it->first < 0.0) || negligible(it->first, other)) {
          continue;
        }
        const double x = px(it->first), y = py(it->second);
        o += "<circle class=\"extreme\" cx=\"" + num(x) + "\" cy=\"" + num(y) +
             "\" r=\"2.8\" fill=\"" + style_colour(s.style) + "\"/>";
        if (c.series.size() != 1) continue;
        // In the unit of the axis, as its ticks.
        const std::string value = scaled_text(it->first, ax.power);
        const auto [tx, ty, anchor] =
            placer.place(value_places(f, x, y), 12.0, value);
        o += text(tx, ty, anchor, 12.0, value,
                  " class=\"label\" font-weight=\"bold\" fill=\"" +
                      style_colour(s.style) + "\"" + kHalo);
      }
    }
  }
  for (const Level* l : levels) {
    if (!c.level_labels || l->label.empty()) continue;
    const auto [tx, ty, anchor] =
        placer.place(level_places(f, py(l->depth)), 11.0, l->label);
    o += text(tx, ty, anchor, 11.0, l->label,
              " class=\"label\" fill=\"" + level_style(l->kind).colour + "\"" +
                  kHalo);
  }
  return o;
}

}  // namespace

std::string render(const Chart& c) {
  const Frame f = frame_of(c);
  double x_lo = 0.0, x_hi = 0.0, y_lo = 0.0, y_hi = 0.0;
  bool any = false;
  for (const Series& s : c.series) {
    for (const auto& [x, y] : s.points) {
      if (!any) {
        x_lo = x_hi = x;
        y_lo = y_hi = y;
        any = true;
      }
      x_lo = std::min(x_lo, x);
      x_hi = std::max(x_hi, x);
      y_lo = std::min(y_lo, y);
      y_hi = std::max(y_hi, y);
    }
  }
  if (c.y_end) y_hi = std::max(y_hi, *c.y_end);
  const Axis ax = nice_axis(x_lo, x_hi, c.depth_down ? 4 : 5, true);
  const Axis ay = c.depth_down ? nice_axis(0.0, y_hi, 6, true)
                               : nice_axis(y_lo, y_hi, 4, true);
  // A value beyond an axis (one beyond the reach of nice_axis) stays a
  // little outside the frame.
  auto inside = [&](double t) { return std::clamp(t, -1.0, 2.0); };
  auto px = [&](double x) {
    return f.left + inside((x - ax.min) / (ax.max - ax.min)) * f.plot_width;
  };
  auto py = [&](double y) {
    const double t = inside((y - ay.min) / (ay.max - ay.min));
    return c.depth_down ? f.top + t * f.plot_height
                        : f.bottom() - t * f.plot_height;
  };

  std::string o;
  o += "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"chart\" viewBox=\"0 "
       "0 " +
       num(f.width) + " " + num(f.height) + "\" font-family=\"sans-serif\"" +
       " data-chart=\"" + xml_escape(c.id) + "\" data-x-min=\"" +
       plain_number_text(ax.min, 6) + "\" data-x-max=\"" +
       plain_number_text(ax.max, 6) + "\" data-y-min=\"" +
       plain_number_text(ay.min, 6) + "\" data-y-max=\"" +
       plain_number_text(ay.max, 6) + "\">";
  const std::string x_title =
      c.value_axis ? axis_title(c.title, c.x_unit, ax) : c.title;
  const std::string y_title = axis_title(c.y_title, c.y_unit, ay);
  o += "<title>" + xml_escape(x_title + " against " + y_title) + "</title>";
  o += "<rect class=\"plot-area\" x=\"" + num(f.left) + "\" y=\"" + num(f.top) +
       "\" width=\"" + num(f.plot_width) + "\" height=\"" + num(f.plot_height) +
       "\" fill=\"#ffffff\" stroke=\"#999999\"" + " stroke-width=\"0.8\"/>";

  for (const Band& b : c.bands) {
    const double top = py(std::max(b.top, ay.min));
    const double bottom = py(std::min(b.bottom, ay.max));
    if (!(bottom > top)) continue;
    o += "<rect class=\"band\" x=\"" + num(f.left) + "\" y=\"" + num(top) +
         "\" width=\"" + num(f.plot_width) + "\" height=\"" +
         num(bottom - top) + "\" fill=\"#efe6d6\" stroke=\"#c8b79a\"" +
         " stroke-width=\"0.6\"/>";
    o += text(f.left + 8.0, std::min(top + 13.0, bottom - 2.0), "start", 10.5,
              b.label, " class=\"band-label\" fill=\"#6b5330\"");
  }

  // Grid and tick labels.
  o += "<g class=\"grid\" stroke=\"#e2e2e2\" stroke-width=\"0.6\">";
  if (c.value_axis) {
    for (double t : ticks(ax)) o += line(px(t), f.top, px(t), f.bottom(), "");
  }
  for (double t : ticks(ay)) o += line(f.left, py(t), f.right(), py(t), "");
  o += "</g><g class=\"ticks\" fill=\"#333333\">";
  const double x_label_y = c.depth_down ? f.top - 7.0 : f.bottom() + 15.0;
  if (c.value_axis) {
    for (double t : ticks(ax)) {
      o += text(px(t), x_label_y, "middle", 12.0, tick_text(ax, t));
    }
  }
  for (double t : ticks(ay)) {
    o += text(f.left - 5.0, py(t) + 4.0, "end", 12.0, tick_text(ay, t));
  }
  o += "</g>";
  if (c.value_axis && ax.min < 0.0 && ax.max > 0.0) {
    o += line(px(0.0), f.top, px(0.0), f.bottom(),
              " class=\"zero\" stroke=\"#777777\" stroke-width=\"0.9\"");
  }
  if (!c.depth_down && ay.min < 0.0 && ay.max > 0.0) {
    o += line(f.left, py(0.0), f.right(), py(0.0),
              " class=\"zero\" stroke=\"#777777\" stroke-width=\"0.9\"");
  }

  // Titles: the quantity above (depth charts) or below, depth at the left.
  if (c.depth_down) {
    o += text(f.left + f.plot_width / 2.0, 18.0, "middle", 14.0, x_title,
              " font-weight=\"bold\"");
  } else {
    o += text(f.left + f.plot_width / 2.0, 18.0, "middle", 13.5, c.heading,
              " font-weight=\"bold\"");
    o += text(f.left + f.plot_width / 2.0, f.height - 6.0, "middle", 13.0,
              x_title);
  }
  const double mid = f.top + f.plot_height / 2.0;
  o += text(15.0, mid, "middle", 13.0, y_title,
            " transform=\"rotate(-90 15.0 " + num(mid) + ")\"");

  // Levels across the plot, excavation lines last (on top).
  std::vector<const Level*> levels;
  for (const Level& l : c.levels) {
    if (l.depth >= ay.min && l.depth <= ay.max) levels.push_back(&l);
  }
  std::stable_partition(levels.begin(), levels.end(), [](const Level* l) {
    return l->kind != Level::Kind::kExcavation;
  });
  for (const Level* l : levels) {
    o += line(f.left, py(l->depth), f.right(), py(l->depth),
              " class=\"level\"" + stroke(level_style(l->kind)));
  }

  if (c.wall && c.y_end) {
    o += line(px(0.0), py(0.0), px(0.0), py(*c.y_end),
              " class=\"wall\" stroke=\"#333333\" stroke-width=\"5.0\"");
  }
  for (const Series& s : c.series) {
    o += "<polyline class=\"series\" data-name=\"" + xml_escape(s.name) +
         "\" fill=\"none\"" +
         stroke({style_colour(s.style), style_dash(s.style), 1.7}) +
         " stroke-linejoin=\"round\" points=\"";
    bool first = true;
    for (const auto& [x, y] : s.points) {
      if (!first) o += ' ';
      first = false;
      o += num(px(x)) + "," + num(py(y));
    }
    o += "\"/>";
  }

  o += labels(c, f, ax, levels, px, py);
  o += "</svg>";
  return o;
}

std::string render_legend(const std::vector<LegendEntry>& entries) {
  const double row = 21.0;
  const double height = 12.0 + row * static_cast<double>(entries.size());
  std::string o =
      "<svg xmlns=\"http://www.w3.org/2000/svg\" class=\"legend\""
      " viewBox=\"0 0 300 " +
      num(height) + "\" font-family=\"sans-serif\">";
  double y = 14.0;
  for (const LegendEntry& e : entries) {
    LineStyle s{style_colour(e.style), style_dash(e.style), 1.7};
    if (e.level) s = level_style(*e.level);
    o += line(8.0, y, 44.0, y, stroke(s));
    o += text(52.0, y + 4.5, "start", 13.5, e.text, " fill=\"#222222\"");
    y += row;
  }
  o += "</svg>";
  return o;
}

}  // namespace korvan::report::svg
