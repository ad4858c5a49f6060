#include "present/html_sections.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <set>

#include "present/summary.h"
#include "present/svg_chart.h"

namespace korvan::report::html {

using namespace korvan::present;
using svg::xml_escape;

namespace {

// Every value on the page is shown with four significant digits.
std::string depth_text(double depth, const Units& u) {
  return number_text(depth * u.depth_factor);
}

std::string td(const std::string& content, const std::string& cls = "") {
  return (cls.empty() ? "<td>" : "<td class=\"" + cls + "\">") + content +
         "</td>";
}

std::string th(const std::string& content) {
  return "<th>" + content + "</th>";
}

// A value with its unit, and the depth below it.
std::string value_at(std::optional<double> value, const std::string& unit,
                     double depth, const Units& u) {
  if (!value) return td("none");
  return td(xml_escape(number_text(*value)) + " " + xml_escape(unit) +
            "<span class=\"at\">at " + depth_text(depth, u) + " " + u.depth +
            "</span>");
}

}  // namespace

std::string problem_name(const ProblemResults& p) {
  if (const auto stage = stage_number(p)) {
    return "Stage " + std::to_string(*stage);
  }
  return "Problem " + std::to_string(p.number);
}

void write_summary_section(std::ostream& out, const RunResult& run) {
  out << "<section class=\"summary\">\n<h2>Summary</h2>\n";
  if (run.results.empty()) {
    out << "<p>No problem was analysed.</p>\n</section>\n";
    return;
  }
  out << "<table class=\"summary\">\n<thead><tr>" << th("Problem")
      << th("Outcome") << th("Iterations") << th("Max deflection")
      << th("Max positive moment") << th("Max negative moment")
      << th("Max shear") << "</tr></thead>\n<tbody>\n";
  for (const ProblemResults& p : run.results) {
    const Units u = units_of(p.english);
    const std::string width = wall_width_text(p);
    out << "<tr>"
        << td("<b>" + problem_name(p) + "</b> " + xml_escape(p.title) +
                  (width.empty() ? std::string()
                                 : "<span class=\"at\">moments and shears " +
                                       xml_escape(width) + "</span>"),
              "text")
        << td(xml_escape(outcome_name(p.outcome)), "text")
        << td(std::to_string(p.iterations));
    if (p.stations.empty()) {
      out << "<td colspan=\"4\" class=\"text\">no station results</td>";
    } else {
      out << value_at(p.max_deflection.value * u.deflection_factor,
                      u.deflection, p.max_deflection.depth, u)
          << value_at(shown_max_moment(p), u.moment, p.max_moment.depth, u)
          << value_at(shown_min_moment(p), u.moment, p.min_moment.depth, u)
          << value_at(p.max_shear.value, u.force, p.max_shear.depth, u);
    }
    out << "</tr>\n";
  }
  out << "</tbody>\n</table>\n";

  bool supports = false;
  for (const ProblemResults& p : run.results) {
    supports = supports || !p.supports.empty();
  }
  if (supports) {
    out << "<h3>Support forces</h3>\n<table class=\"support-forces\">\n"
        << "<thead><tr>" << th("Problem") << th("Support") << th("Depth")
        << th("Force per support") << th("Horizontal force per station")
        << "</tr></thead>\n<tbody>\n";
    for (const ProblemResults& p : run.results) {
      const Units u = units_of(p.english);
      for (const SupportResults& s : p.supports) {
        out << "<tr>" << td(problem_name(p), "name")
            << td(support_name(s), "name")
            << td(depth_text(s.depth, u) + " " + u.depth)
            << td(number_text(s.per_support) + " " + u.force)
            << td(number_text(s.horizontal_per_station) + " " + u.force)
            << "</tr>\n";
      }
    }
    out << "</tbody>\n</table>\n";
  }
  out << "<p class=\"note\">Depths are below the top of the wall.";
  if (supports) {
    out << " Forces of supports holding the wall back toward the backfill "
           "are negative.";
  }
  out << "</p>\n</section>\n";
}

// The facts of one problem in one line.
std::string facts(const ProblemResults& p) {
  const Units u = units_of(p.english);
  const double length = p.increments * p.increment_length;
  std::string s = std::string(p.english ? "English" : "Metric") +
                  " units; wall " + depth_text(length, u) + " " + u.depth +
                  " long in " + std::to_string(p.increments) +
                  " increments of " + number_text(p.increment_length) + " " +
                  u.length;
  if (const std::string width = wall_width_text(p); !width.empty()) {
    s += "; moments, shears, soil reactions and station forces " + width;
  }
  if (const auto e = excavation_line(p)) {
    s += "; excavation line at " + depth_text(*e, u) + " " + u.depth;
  }
  auto water = [&](const std::optional<double>& w, const char* side) {
    if (!w) return;
    s += std::string("; water table ") + side + " at " + depth_text(*w, u) +
         " " + u.depth;
    if (*w > length) s += " (below the toe)";
  };
  water(p.water_backfill, "behind the wall");
  water(p.water_excavation, "in front of the wall");
  s += std::string("; ") + outcome_name(p.outcome);
  if (!p.outcome_detail.empty()) s += " " + p.outcome_detail;
  if (p.outcome != Outcome::kStopped) {
    s += " after " + std::to_string(p.iterations) +
         (p.iterations == 1 ? " iteration" : " iterations");
  }
  for (const std::string& w : p.warnings) s += "; warning: " + w;
  return s + ".";
}

namespace {

struct Quantity {
  const char* id;
  const char* title;
  std::string unit;
  double factor;  // from the internal unit to the shown one
  double (*value)(const StationResults&);
};

std::string soil_name(int type) {
  switch (type) {
    case 2:
      return "stiff clay with free water";
    case 3:
      return "stiff clay without free water";
    case 4:
      return "sand";
    case 5:
      return "silt";
    case 6:
      return "rock";
    case 7:
      return "weak rock";
    default:
      return "soft clay";
  }
}

// The marked levels of a problem as its input gives them.
std::vector<svg::Level> input_levels(const ProblemResults& p, const Units& u) {
  std::vector<svg::Level> levels;
  if (const auto e = excavation_line(p)) {
    levels.push_back(
        {svg::Level::Kind::kExcavation, *e * u.depth_factor, "excavation"});
  }
  for (const auto& [w, label] :
       {std::pair{p.water_backfill, "water behind"},
        std::pair{p.water_excavation, "water in front"}}) {
    if (w)
      levels.push_back({svg::Level::Kind::kWater, *w * u.depth_factor, label});
  }
  for (const SupportPosition& s : p.support_positions) {
    levels.push_back({svg::Level::Kind::kSupport, s.depth * u.depth_factor,
                      (s.tie_back ? "T" : "S") + std::to_string(s.number)});
  }
  return levels;
}

// A problem without results: the wall as given with its soil layers, water
// tables, excavation line and supports, and the earth pressure on it when
// it was made, with the outcome in words.
void write_input_sketch(std::ostream& out, const ProblemResults& p) {
  const double length = p.increments * p.increment_length;
  if (!(length > 0.0)) return;  // nothing of the wall was read
  const Units u = units_of(p.english);
  // Without earth pressure, the loads given per station, as a load per
  // unit length of wall.
  const bool loads = p.pressure.empty() && p.increment_length > 0.0 &&
                     std::any_of(p.station_loads.begin(), p.station_loads.end(),
                                 [](double q) { return q != 0.0; }) &&
                     std::all_of(p.station_loads.begin(), p.station_loads.end(),
                                 [](double q) { return std::isfinite(q); });
  svg::Chart c;
  c.id = "input";
  c.title = !p.pressure.empty() ? "Earth pressure" : loads ? "Load" : "Wall";
  c.x_unit = !p.pressure.empty() || loads ? u.line_load : "";
  c.y_title = "Depth";
  c.y_unit = u.depth;
  c.y_end = length * u.depth_factor;
  c.wall = true;
  c.level_labels = true;
  c.levels = input_levels(p, u);
  for (const SoilLayerResults& l : p.soil_layers) {
    c.bands.push_back(
        {l.top * u.depth_factor, l.bottom * u.depth_factor, soil_name(l.type)});
  }
  if (!p.pressure.empty()) {
    svg::Series s;
    s.name = problem_name(p);
    for (const PressurePoint& q : p.pressure) {
      if (q.depth <= length * (1.0 + 1e-9)) {
        s.points.emplace_back(q.load, q.depth * u.depth_factor);
      }
    }
    c.series.push_back(std::move(s));
  } else if (loads) {
    svg::Series s;
    s.name = problem_name(p);
    for (size_t k = 0; k < p.station_loads.size(); ++k) {
      s.points.emplace_back(
          p.station_loads[k] / p.increment_length,
          static_cast<double>(k) * p.increment_length * u.depth_factor);
    }
    c.series.push_back(std::move(s));
  }
  // A chart with nothing on it but the wall has no value axis to show.
  const bool drawn = !c.series.empty() || !c.bands.empty() || !c.levels.empty();
  c.value_axis = !c.series.empty();
  std::string outcome = outcome_name(p.outcome);
  if (!p.outcome_detail.empty()) outcome += " " + p.outcome_detail;
  out << "<div class=\"charts\">\n";
  if (drawn) out << "<figure>" << svg::render(c) << "</figure>\n";
  out << "<figure class=\"key\"><p class=\"outcome\"><b>" << problem_name(p)
      << ": no results to draw.</b> The analysis ended " << xml_escape(outcome)
      << ".";
  for (const std::string& w : p.warnings) {
    out << " Warning: " << xml_escape(w) << ".";
  }
  out << "</p>";
  if (drawn) {
    out << "<figcaption>The drawing shows the input: the wall, its soil "
           "layers, water tables, excavation line and supports"
        << (!p.pressure.empty() ? ", and the earth pressure on the wall"
            : loads ? ", and the loads given per station divided by the "
                      "increment length"
                    : "")
        << ".</figcaption>";
  }
  out << "</figure>\n</div>\n";
}

}  // namespace

namespace {

// What the charts of one group share: units, the depth of the wall, the
// marked levels, and whether stages and earth pressures are drawn.
struct ChartFrame {
  Units u;
  double wall_end = 0.0;
  bool staged = false;
  bool pressure = true;
  std::vector<svg::Level> levels;

  svg::Chart chart(const char* id, const char* title,
                   const std::string& unit) const {
    svg::Chart c;
    c.id = id;
    c.title = title;
    c.x_unit = unit;
    c.y_title = "Depth";
    c.y_unit = u.depth;
    c.y_end = wall_end * u.depth_factor;
    c.levels = levels;
    return c;
  }
};

// Levels on the wall: each stage's excavation line, then water tables and
// supports once per depth.
std::vector<svg::Level> chart_levels(
    const std::vector<const ProblemResults*>& drawn, const ChartFrame& f) {
  std::vector<svg::Level> levels;
  std::set<std::pair<int, long long>> seen;
  auto once = [&](int kind, double depth) {
    return depth >= 0.0 && depth <= f.wall_end * (1.0 + 1e-9) &&
           seen.insert({kind, std::llround(depth * 1e6)}).second;
  };
  for (const ProblemResults* p : drawn) {
    // Every stage its own excavation line.
    if (const auto e = excavation_line(*p); e && once(-p->number, *e)) {
      std::string label = "excavation";
      if (f.staged) label += ", stage " + std::to_string(p->number);
      levels.push_back(
          {svg::Level::Kind::kExcavation, *e * f.u.depth_factor, label});
    }
    for (const auto& [w, label] :
         {std::pair{p->water_backfill, "water behind"},
          std::pair{p->water_excavation, "water in front"}}) {
      if (w && once(1, *w)) {
        levels.push_back(
            {svg::Level::Kind::kWater, *w * f.u.depth_factor, label});
      }
    }
    for (const SupportResults& s : p->supports) {
      if (once(2, s.depth)) {
        levels.push_back({svg::Level::Kind::kSupport,
                          s.depth * f.u.depth_factor,
                          (s.tie_back ? "T" : "S") + std::to_string(s.number)});
      }
    }
  }
  return levels;
}

// Deflection, moment, shear and soil reaction against depth.
void write_station_charts(std::ostream& out,
                          const std::vector<const ProblemResults*>& drawn,
                          const ChartFrame& f) {
  const Units& u = f.u;
  const Quantity quantities[] = {
      {"deflection", "Deflection", u.deflection, u.deflection_factor,
       [](const StationResults& s) { return s.deflection; }},
      {"moment", "Moment", u.moment, 1.0,
       [](const StationResults& s) { return s.corrected_moment; }},
      {"shear", "Shear", u.force, 1.0,
       [](const StationResults& s) { return s.corrected_shear; }},
      {"soil-reaction", "Soil reaction", u.line_load, 1.0,
       [](const StationResults& s) { return s.soil_reaction; }},
  };
  bool first = true;
  for (const Quantity& q : quantities) {
    svg::Chart c = f.chart(q.id, q.title, q.unit);
    c.level_labels = first;
    first = false;
    int k = 0;
    for (const ProblemResults* p : drawn) {
      svg::Series s;
      s.name = problem_name(*p);
      s.style = k++;
      for (const StationResults& st : p->stations) {
        s.points.emplace_back(q.value(st) * q.factor,
                              st.depth * u.depth_factor);
      }
      c.series.push_back(std::move(s));
    }
    out << "<figure>" << svg::render(c) << "</figure>\n";
  }
}

// Earth pressure as generated or given, else the net load on the wall.
void write_load_chart(std::ostream& out,
                      const std::vector<const ProblemResults*>& drawn,
                      const ChartFrame& f) {
  svg::Chart c =
      f.chart(f.pressure ? "earth-pressure" : "net-load",
              f.pressure ? "Earth pressure" : "Net load", f.u.line_load);
  int k = 0;
  for (const ProblemResults* p : drawn) {
    svg::Series s;
    s.name = problem_name(*p);
    s.style = k++;
    if (f.pressure) {
      const double end = p->stations.back().depth;
      for (const PressurePoint& q : p->pressure) {
        if (q.depth <= end * (1.0 + 1e-9)) {
          s.points.emplace_back(q.load, q.depth * f.u.depth_factor);
        }
      }
    } else {
      const double h = p->increment_length;
      for (const StationResults& st : p->stations) {
        s.points.emplace_back(h > 0.0 ? st.net_force / h : 0.0,
                              st.depth * f.u.depth_factor);
      }
    }
    c.series.push_back(std::move(s));
  }
  out << "<figure>" << svg::render(c) << "</figure>\n";
}

// The key: stages, then the kinds of level present, and the caption.
void write_chart_key(std::ostream& out,
                     const std::vector<const ProblemResults*>& drawn,
                     const ChartFrame& f) {
  std::vector<svg::LegendEntry> key;
  if (f.staged) {
    int k = 0;
    for (const ProblemResults* p : drawn) {
      key.push_back({problem_name(*p), k++, std::nullopt});
    }
  }
  auto present = [&](svg::Level::Kind kind) {
    return std::any_of(f.levels.begin(), f.levels.end(),
                       [&](const svg::Level& l) { return l.kind == kind; });
  };
  if (present(svg::Level::Kind::kExcavation)) {
    key.push_back({"Excavation line", 0, svg::Level::Kind::kExcavation});
  }
  if (present(svg::Level::Kind::kWater)) {
    key.push_back({"Water table", 0, svg::Level::Kind::kWater});
  }
  if (present(svg::Level::Kind::kSupport)) {
    key.push_back(
        {"Support (T tie back, S strut)", 0, svg::Level::Kind::kSupport});
  }
  out << "<figure class=\"key\">";
  if (!key.empty()) out << svg::render_legend(key);
  out << "<figcaption>";
  if (f.pressure) {
    out << "Earth pressure: the distribution on the wall, pressure times "
           "width, per unit length of wall.";
  } else {
    out << "Net load: the net force on each station divided by the "
           "increment length (loads, soil reaction and supports).";
  }
  out << " Dots mark the largest magnitudes. Deflection is positive toward "
         "the excavation.</figcaption></figure>\n";
}

}  // namespace

// The diagrams of a group of problems drawn together; a problem without
// results is drawn from its input.
void write_charts(std::ostream& out, const std::vector<ProblemResults>& all,
                  const std::vector<size_t>& group) {
  std::vector<const ProblemResults*> drawn;
  for (size_t i : group) {
    if (!all[i].stations.empty()) {
      drawn.push_back(&all[i]);
    } else {
      write_input_sketch(out, all[i]);
    }
  }
  if (drawn.empty()) return;
  ChartFrame f;
  f.u = units_of(drawn.front()->english);
  f.staged = group.size() > 1;
  for (const ProblemResults* p : drawn) {
    f.wall_end = std::max(f.wall_end, p->stations.back().depth);
    f.pressure = f.pressure && !p->pressure.empty();
  }
  f.levels = chart_levels(drawn, f);
  out << "<div class=\"charts\">\n";
  write_station_charts(out, drawn, f);
  write_load_chart(out, drawn, f);
  write_chart_key(out, drawn, f);
  out << "</div>\n";
}

void write_support_tables(std::ostream& out,
                          const std::vector<ProblemResults>& all,
                          const std::vector<size_t>& group) {
  const bool staged = group.size() > 1;
  bool supports = false, restraints = false, reactions = false, wales = false;
  for (size_t i : group) {
    supports = supports || !all[i].supports.empty();
    restraints = restraints || !all[i].restraints.empty();
    reactions = reactions || !all[i].node_reactions.empty();
    for (const SupportResults& s : all[i].supports) wales = wales || s.wale;
  }
  const Units u = units_of(all[group.front()].english);
  auto stage_cell = [&](const ProblemResults& p) {
    return staged ? td(problem_name(p), "name") : std::string();
  };
  auto stage_head = [&]() { return staged ? th("Stage") : std::string(); };
  if (supports) {
    out << "<h3>Tie backs and struts</h3>\n<table class=\"supports\">\n"
        << "<thead><tr>" << stage_head() << th("Support") << th("Station")
        << th("Depth (" + u.depth + ")") << th("Angle (deg)")
        << th("Spacing (" + u.spacing + ")")
        << th("Prestress (" + u.force + ")")
        << th("Horizontal force per station (" + u.force + ")")
        << th("Force per station (" + u.force + ")")
        << th("Force per support (" + u.force + ")");
    if (wales) {
      out << th("Wale reaction (" + u.force + ")")
          << th("Wale load (" + xml_escape(u.wale_load) + ")")
          << th("Wale moment (" + xml_escape(u.wale_moment) + ")");
    }
    out << "</tr></thead>\n<tbody>\n";
    for (size_t i : group) {
      for (const SupportResults& s : all[i].supports) {
        out << "<tr>" << stage_cell(all[i]) << td(support_name(s), "name")
            << td(std::to_string(s.station)) << td(depth_text(s.depth, u))
            << td(number_text(s.angle)) << td(number_text(s.spacing))
            << td(s.tie_back ? number_text(s.prestress) : "-")
            << td(number_text(s.horizontal_per_station))
            << td(number_text(s.along_per_station))
            << td("<b>" + number_text(s.per_support) + "</b>");
        if (wales) {
          if (s.wale) {
            out << td(number_text(s.wale_reaction))
                << td(number_text(s.wale_load))
                << td(number_text(s.wale_moment));
          } else {
            out << td("-") << td("-") << td("-");
          }
        }
        out << "</tr>\n";
      }
    }
    out << "</tbody>\n</table>\n";
  }
  if (restraints) {
    out << "<h3>Restraints</h3>\n<table class=\"restraints\">\n<thead><tr>"
        << stage_head() << th("Station") << th("Depth (" + u.depth + ")")
        << th("Force (" + u.force + ")") << th("Moment (" + u.moment + ")")
        << "</tr></thead>\n<tbody>\n";
    for (size_t i : group) {
      for (const RestraintResults& r : all[i].restraints) {
        out << "<tr>" << stage_cell(all[i]) << td(std::to_string(r.station))
            << td(depth_text(r.depth, u)) << td(number_text(r.force))
            << td(number_text(r.moment)) << "</tr>\n";
      }
    }
    out << "</tbody>\n</table>\n";
  }
  if (reactions) {
    out << "<h3>Node reactions</h3>\n<table class=\"node-reactions\">\n"
        << "<thead><tr>" << stage_head() << th("Point") << th("Station")
        << th("Depth (" + u.depth + ")") << th("Force (" + u.force + ")")
        << "</tr></thead>\n<tbody>\n";
    for (size_t i : group) {
      for (const NodeReaction& r : all[i].node_reactions) {
        out << "<tr>" << stage_cell(all[i]) << td(std::to_string(r.number))
            << td(std::to_string(r.station)) << td(depth_text(r.depth, u))
            << td(number_text(r.force)) << "</tr>\n";
      }
    }
    out << "</tbody>\n</table>\n";
  }
}

namespace {

// Up to three curves of a problem, spread over its depths: the generated
// curves when there are any, else the curves given in the input.
std::vector<const CurveResults*> chosen_curves(const ProblemResults& p) {
  std::vector<const CurveResults*> pool;
  // A curve below the toe acts on no station of the wall.
  auto on_wall = [&](const CurveResults& c) {
    return c.points.size() > 1 && c.station >= 0 && c.station <= p.increments;
  };
  for (const CurveResults& c : p.curves) {
    if (c.generated && on_wall(c)) pool.push_back(&c);
  }
  if (pool.empty()) {
    for (const CurveResults& c : p.curves) {
      if (on_wall(c)) pool.push_back(&c);
    }
  }
  std::stable_sort(pool.begin(), pool.end(),
                   [](const CurveResults* a, const CurveResults* b) {
                     return a->depth < b->depth;
                   });
  if (pool.size() <= 3) return pool;
  return {pool.front(), pool[pool.size() / 2], pool.back()};
}

}  // namespace

void write_curves(std::ostream& out, const std::vector<ProblemResults>& all,
                  const std::vector<size_t>& group) {
  const bool staged = group.size() > 1;
  std::string charts;
  for (size_t i : group) {
    const ProblemResults& p = all[i];
    const Units u = units_of(p.english);
    for (const CurveResults* c : chosen_curves(p)) {
      svg::Chart chart;
      chart.id = "py";
      chart.depth_down = false;
      chart.mark_extremes = false;
      chart.title = "y";
      chart.x_unit = u.deflection;
      chart.y_title = "p";
      chart.y_unit = u.line_load;
      chart.heading = (staged ? problem_name(p) + ", " : std::string()) +
                      depth_text(c->depth, u) + " " + u.depth + " (station " +
                      std::to_string(c->station) + ")";
      svg::Series s;
      s.name = c->generated ? "generated" : "given";
      s.style = 0;
      for (const auto& [y, pv] : c->points) {
        s.points.emplace_back(y * u.deflection_factor, pv);
      }
      chart.series.push_back(std::move(s));
      charts += "<figure>" + svg::render(chart) + "<figcaption>" +
                (c->generated ? "Generated from the soil layers"
                              : "Given in the input") +
                "</figcaption></figure>\n";
    }
  }
  if (charts.empty()) return;
  out << "<div class=\"block\">\n<h3>p-y curves</h3>\n<p class=\"note\">Soil "
         "resistance p per unit length of wall against deflection y "
         "(positive toward the excavation); the resistance opposes the "
         "deflection.</p>\n"
      << "<div class=\"curves\">\n"
      << charts << "</div>\n</div>\n";
}

}  // namespace korvan::report::html
