// The HTML report parsed as XML: each chart's points against the results it
// draws and its axis ranges, the marked levels, the summary; every golden
// input's page and JSON document; the axes and number text; the terminal
// summary.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>

#include "present/html_report.h"
#include "present/json_results.h"
#include "present/svg_chart.h"
#include "unit/present/example_runs.h"
#include "unit/present/xml_lite.h"

namespace korvan {
namespace {

using testing::ExampleRun;
using xml_lite::Element;
using Points = std::vector<std::pair<double, double>>;

std::unique_ptr<Element> page_of(const RunResult& run) {
  std::ostringstream out;
  report::write_html_report(out, run, {"wall.dat", "TEST", ""});
  return xml_lite::parse(out.str());  // throws unless well-formed
}

bool has_class(const Element& e, const std::string& cls) {
  return (" " + e.attr("class") + " ").find(" " + cls + " ") !=
         std::string::npos;
}

std::vector<const Element*> with_class(const Element& in,
                                       const std::string& tag,
                                       const std::string& cls) {
  return in.find_all(
      [&](const Element& e) { return e.name == tag && has_class(e, cls); });
}

std::map<std::string, const Element*> charts_of(const Element& section) {
  std::map<std::string, const Element*> charts;
  for (const Element* svg : section.find_all("svg")) {
    if (svg->attr("data-chart") != "py") charts[svg->attr("data-chart")] = svg;
  }
  return charts;
}

Points points_of(const Element& polyline) {
  Points points;
  std::istringstream in(polyline.attr("points"));
  for (std::string xy; in >> xy;) {
    points.emplace_back(std::stod(xy), std::stod(xy.substr(xy.find(',') + 1)));
  }
  return points;
}

// A chart's axes and plot area, read back from its <svg>.
struct Frame {
  double x_min, x_max, y_min, y_max, left, top, width, height;
  explicit Frame(const Element& svg) {
    const Element& area = *with_class(svg, "rect", "plot-area").at(0);
    x_min = std::stod(svg.attr("data-x-min"));
    x_max = std::stod(svg.attr("data-x-max"));
    y_min = std::stod(svg.attr("data-y-min"));
    y_max = std::stod(svg.attr("data-y-max"));
    left = std::stod(area.attr("x"));
    top = std::stod(area.attr("y"));
    width = std::stod(area.attr("width"));
    height = std::stod(area.attr("height"));
  }
  double px(double x) const {
    return left + (x - x_min) / (x_max - x_min) * width;
  }
  double py(double depth) const {
    return top + (depth - y_min) / (y_max - y_min) * height;
  }
};

constexpr double kPixel = 0.051;  // coordinates carry one decimal

// The box a label's text covers: glyphs 0.58 em wide, 0.8 em above the
// baseline to 0.2 em below.
struct TextBox {
  double x0, y0, x1, y1;
  explicit TextBox(const Element& text) {
    const double x = std::stod(text.attr("x")), y = std::stod(text.attr("y"));
    const double size = std::stod(text.attr("font-size"));
    const double width = 0.58 * size * static_cast<double>(text.text.size());
    const std::string anchor = text.attr("text-anchor");
    x0 = anchor == "end" ? x - width : anchor == "middle" ? x - width / 2 : x;
    x1 = x0 + width;
    y0 = y - 0.8 * size;
    y1 = y + 0.2 * size;
  }
  bool overlaps(const TextBox& b) const {
    return x0 < b.x1 - kPixel && b.x0 < x1 - kPixel && y0 < b.y1 - kPixel &&
           b.y0 < y1 - kPixel;
  }
  bool crosses(double y) const { return y0 - 1.0 < y && y < y1 + 1.0; }
};

// No value or level label on another, nor on an excavation, water or
// support line.
void check_labels_clear(const Element& svg) {
  SCOPED_TRACE("chart " + svg.attr("data-chart"));
  std::vector<std::pair<std::string, TextBox>> boxes;
  for (const Element* t : with_class(svg, "text", "label")) {
    boxes.emplace_back(t->text, TextBox(*t));
  }
  for (size_t i = 0; i < boxes.size(); ++i) {
    for (size_t j = i + 1; j < boxes.size(); ++j) {
      EXPECT_FALSE(boxes[i].second.overlaps(boxes[j].second))
          << boxes[i].first << " on " << boxes[j].first;
    }
    for (const Element* l : with_class(svg, "line", "level")) {
      EXPECT_FALSE(boxes[i].second.crosses(std::stod(l->attr("y1"))))
          << boxes[i].first << " on the line at " << l->attr("y1");
    }
  }
}

// Whether a label's box covers a point of a plotted line or a stretch of
// it between two points (sampled finely).
bool on_a_series(const Element& svg, const TextBox& b) {
  for (const Element* line : with_class(svg, "polyline", "series")) {
    const Points points = points_of(*line);
    for (size_t k = 0; k + 1 < points.size(); ++k) {
      for (int i = 0; i <= 50; ++i) {
        const double t = i / 50.0;
        const double x =
            points[k].first + t * (points[k + 1].first - points[k].first);
        const double y =
            points[k].second + t * (points[k + 1].second - points[k].second);
        if (x > b.x0 + kPixel && x < b.x1 - kPixel && y > b.y0 + kPixel &&
            y < b.y1 - kPixel) {
          return true;
        }
      }
    }
  }
  return false;
}

// A depth chart against its series of (value, depth) in shown units.
void check_depth_chart(const Element& svg, const std::vector<Points>& series,
                       double wall_end) {
  SCOPED_TRACE("chart " + svg.attr("data-chart"));
  const Frame f(svg);
  const auto lines = with_class(svg, "polyline", "series");
  ASSERT_EQ(lines.size(), series.size());
  double lo = 0.0, hi = 0.0;
  for (const Points& s : series) {
    for (const auto& [v, d] : s) {
      lo = std::min(lo, v);
      hi = std::max(hi, v);
    }
  }
  // The value axis holds the values and zero without wasting the width
  // (round-off beside zero aside); the depth axis runs past the toe.
  const double slack = 1e-8 * (f.x_max - f.x_min);
  EXPECT_LE(f.x_min, lo + slack);
  EXPECT_GE(f.x_max, hi - slack);
  if (hi > lo) {
    EXPECT_LE(f.x_max - f.x_min, 2.01 * (hi - lo));
  }
  EXPECT_EQ(f.y_min, 0.0);
  EXPECT_GE(f.y_max, wall_end * (1.0 - 1e-12));
  EXPECT_LE(f.y_max, 2.0 * wall_end);
  for (size_t k = 0; k < series.size(); ++k) {
    const Points drawn = points_of(*lines[k]);
    ASSERT_EQ(drawn.size(), series[k].size()) << "series " << k;
    for (size_t i = 0; i < drawn.size(); ++i) {
      EXPECT_NEAR(drawn[i].first, f.px(series[k][i].first), kPixel) << i;
      EXPECT_NEAR(drawn[i].second, f.py(series[k][i].second), kPixel) << i;
    }
  }
}

class ExampleHtml : public ::testing::TestWithParam<std::string> {};

TEST_P(ExampleHtml, ChartsDrawTheResults) {
  const ExampleRun run = ExampleRun::example(GetParam());
  const auto root = page_of(run.result);
  EXPECT_EQ(root->attr("xmlns"), "http://www.w3.org/1999/xhtml");
  // Self-contained: no script, nothing fetched.
  EXPECT_TRUE(root->find_all([](const Element& e) {
                    return e.name == "script" || e.name == "link" ||
                           e.name == "img" || e.has("src") || e.has("href");
                  })
                  .empty());
  for (const Element* style : root->find_all("style")) {
    EXPECT_EQ(style->text.find("url("), std::string::npos);
  }
  const auto& problems = run.result.results;
  ASSERT_EQ(with_class(*root, "table", "summary").at(0)->find_all("tr").size(),
            problems.size() + 1);

  const auto groups = report::problem_groups(problems);
  const auto sections = with_class(*root, "section", "problem");
  ASSERT_EQ(sections.size(), groups.size());
  for (size_t g = 0; g < groups.size(); ++g) {
    std::vector<const ProblemResults*> stages;
    double wall_end = 0.0;
    for (size_t i : groups[g]) {
      ASSERT_FALSE(problems[i].stations.empty());
      stages.push_back(&problems[i]);
      wall_end = std::max(wall_end, problems[i].stations.back().depth);
    }
    const present::Units u = present::units_of(stages[0]->english);
    wall_end *= u.depth_factor;
    auto charts = charts_of(*sections[g]);
    auto series = [&](auto value) {
      std::vector<Points> all;
      for (const ProblemResults* p : stages) {
        Points s;
        for (const StationResults& st : p->stations) {
          s.emplace_back(value(*p, st), st.depth * u.depth_factor);
        }
        all.push_back(s);
      }
      return all;
    };
    check_depth_chart(*charts.at("deflection"), series([&](auto&, auto& s) {
      return s.deflection * u.deflection_factor;
    }),
                      wall_end);
    check_depth_chart(*charts.at("moment"),
                      series([](auto&, auto& s) { return s.corrected_moment; }),
                      wall_end);
    check_depth_chart(*charts.at("shear"),
                      series([](auto&, auto& s) { return s.corrected_shear; }),
                      wall_end);
    check_depth_chart(*charts.at("soil-reaction"),
                      series([](auto&, auto& s) { return s.soil_reaction; }),
                      wall_end);
    // Earth pressure down to the toe when there is a distribution, else the
    // net force per unit length.
    if (stages[0]->pressure.empty()) {
      check_depth_chart(*charts.at("net-load"), series([](auto& p, auto& s) {
        return s.net_force / p.increment_length;
      }),
                        wall_end);
    } else {
      Points pressure;
      for (const PressurePoint& q : stages[0]->pressure) {
        if (q.depth <= stages[0]->stations.back().depth) {
          pressure.emplace_back(q.load, q.depth * u.depth_factor);
        }
      }
      check_depth_chart(*charts.at("earth-pressure"), {pressure}, wall_end);
    }
    // Up to three p-y curves per problem, each with all its points inside
    // its plot area.
    size_t curves = 0;
    for (const ProblemResults* p : stages)
      curves += std::min<size_t>(3, p->curves.size());
    const auto py = sections[g]->find_all(
        [](const Element& e) { return e.attr("data-chart") == "py"; });
    EXPECT_EQ(py.size(), curves);
    for (const Element* svg : py) {
      const Frame f(*svg);
      for (const auto& [x, y] : points_of(*svg->find_all("polyline").at(0))) {
        EXPECT_TRUE(x > f.left - kPixel && x < f.left + f.width + kPixel &&
                    y > f.top - kPixel && y < f.top + f.height + kPixel);
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, ExampleHtml,
                         ::testing::ValuesIn(testing::kExamples),
                         [](const auto& info) {
                           return testing::test_name(info.param);
                         });

TEST(HtmlReport, StagesShareTheirChartsWithTheirLevelsMarked) {
  const auto root =
      page_of(ExampleRun::example("staged_excavation.dat").result);
  const auto sections = with_class(*root, "section", "problem");
  ASSERT_EQ(sections.size(), 1u);
  const std::string key =
      with_class(*sections[0], "svg", "legend").at(0)->all_text();
  for (const char* entry :
       {"Stage 1", "Stage 2", "Excavation line", "Support"}) {
    EXPECT_NE(key.find(entry), std::string::npos) << entry;
  }
  const Element& deflection = *charts_of(*sections[0]).at("deflection");
  const Frame f(deflection);
  EXPECT_EQ(f.y_max, 25.0);  // the 24 ft wall on a 5 ft grid
  // The excavation lines of both stages (6 and 14 ft) and the strut (3 ft).
  const auto levels = with_class(deflection, "line", "level");
  ASSERT_EQ(levels.size(), 3u);
  for (double depth : {6.0, 14.0, 3.0}) {
    EXPECT_TRUE(std::any_of(levels.begin(), levels.end(),
                            [&](const Element* l) {
                              return std::fabs(std::stod(l->attr("y1")) -
                                               f.py(depth)) < kPixel;
                            }))
        << depth << " ft";
  }
  EXPECT_NE(deflection.all_text().find("excavation, stage 2"),
            std::string::npos);
}

TEST(HtmlReport, SummaryInShownUnits) {
  const auto root =
      page_of(ExampleRun::example("tied_back_wall_metric.dat").result);
  // The report prints 9.092E-03 M at 4.0 M and -2.1820E+02 KN per tie back.
  const std::string row =
      with_class(*root, "table", "summary").at(0)->all_text();
  EXPECT_NE(row.find("9.092 mmat 4.000 m"), std::string::npos) << row;
  EXPECT_NE(with_class(*root, "table", "support-forces")
                .at(0)
                ->all_text()
                .find("-218.2 kN"),
            std::string::npos);
}

// Every value on the page with four significant digits: depths as well.
TEST(HtmlReport, OneNumberFormat) {
  const auto root =
      page_of(ExampleRun::example("tied_back_wall_metric.dat").result);
  const auto supports =
      with_class(*root, "table", "supports").at(0)->find_all("td");
  // Tie back 1 at 1.5 m: station 6, depth 1.500, angle 15.00.
  ASSERT_GE(supports.size(), 5u);
  EXPECT_EQ(supports[2]->text, "1.500");
  EXPECT_EQ(supports[3]->text, "15.00");
  const std::string facts = with_class(*root, "p", "facts").at(0)->all_text();
  EXPECT_NE(facts.find("wall 10.00 m long"), std::string::npos) << facts;
}

// A problem without results still shows its input: the wall, soil layers,
// water, supports, excavation line and the pressure, with the outcome.
TEST(HtmlReport, ProblemWithoutResultsDrawsItsInput) {
  RunResult run;
  run.status = RunStatus::kNotClosed;
  ProblemResults p;
  p.number = 1;
  p.title = "NOT CLOSED";
  p.outcome = Outcome::kNotClosed;
  p.outcome_detail = "within the iteration limit of 100";
  p.warnings = {"the soil profile ends 3.000 ft above the toe"};
  p.increments = 30;
  p.increment_length = 12.0;   // a 30 ft wall
  p.excavation_depth = 120.0;  // 10 ft
  p.water_backfill = 60.0;     // 5 ft
  p.soil_layers = {{1, 0.0, 96.0}, {4, 96.0, 324.0}};
  p.support_positions = {{1, true, 36.0}};
  p.pressure = {{0.0, 0.0}, {120.0, 50.0}, {360.0, 50.0}};
  run.results.push_back(p);
  const auto root = page_of(run);
  const auto charts = charts_of(*root);
  ASSERT_EQ(charts.size(), 1u);
  const Element& svg = *charts.at("input");
  const Frame f(svg);
  EXPECT_EQ(with_class(svg, "line", "wall").size(), 1u);
  const auto bands = with_class(svg, "rect", "band");
  ASSERT_EQ(bands.size(), 2u);
  EXPECT_NEAR(std::stod(bands[1]->attr("y")), f.py(8.0), kPixel);
  EXPECT_NE(svg.all_text().find("sand"), std::string::npos);
  std::vector<double> levels;
  for (const Element* l : with_class(svg, "line", "level")) {
    levels.push_back(std::stod(l->attr("y1")));
  }
  ASSERT_EQ(levels.size(), 3u);  // excavation, water, tie back
  for (double depth : {10.0, 5.0, 3.0}) {
    EXPECT_TRUE(std::any_of(levels.begin(), levels.end(), [&](double y) {
      return std::fabs(y - f.py(depth)) < kPixel;
    })) << depth;
  }
  const auto pressure = with_class(svg, "polyline", "series");
  ASSERT_EQ(pressure.size(), 1u);
  EXPECT_NEAR(points_of(*pressure[0]).at(1).first, f.px(50.0), kPixel);
  check_labels_clear(svg);
  const std::string outcome =
      with_class(*root, "p", "outcome").at(0)->all_text();
  EXPECT_NE(outcome.find("not closed within the iteration limit of 100"),
            std::string::npos);
  EXPECT_NE(outcome.find("soil profile ends 3.000 ft above the toe"),
            std::string::npos);
}

// Labels keep clear of one another and of the marked lines even when the
// lines crowd the plot.
TEST(ChartLabels, KeepClearOfLinesAndEachOther) {
  report::svg::Chart c;
  c.id = "moment";
  c.title = "Moment";
  c.y_title = "Depth";
  c.level_labels = true;
  report::svg::Series s;
  for (int k = 0; k <= 20; ++k)
    s.points.emplace_back(std::sin(k / 3.0) * 100.0, k);
  c.series.push_back(s);
  for (double d : {4.0, 4.5, 5.0, 9.4, 10.0, 10.6, 14.0}) {
    c.levels.push_back({report::svg::Level::Kind::kSupport, d, "T1"});
  }
  c.levels.push_back(
      {report::svg::Level::Kind::kExcavation, 10.0, "excavation"});
  const auto svg = xml_lite::parse(report::svg::render(c));
  EXPECT_EQ(with_class(*svg, "text", "label").size(),
            10u);  // 2 values, 8 levels
  check_labels_clear(*svg);
}

// A level's label moves off a plotted line that runs where it would stand;
// a value label is in the unit of its axis (moment x10^3 lb-in: 64.52).
TEST(ChartLabels, KeepOffThePlottedLinesAndUseTheAxisUnit) {
  report::svg::Chart c;
  c.id = "moment";
  c.title = "Moment";
  c.x_unit = "lb-in";
  c.y_title = "Depth";
  c.level_labels = true;
  c.y_end = 20.0;
  report::svg::Series s;
  // Straight down the right and left edges of the plot, crossing the
  // levels at 5 and 10 ft where their labels stand first.
  for (int k = 0; k <= 20; ++k) {
    const double edge = k <= 10 ? 64520.4 : -50000.0;
    s.points.emplace_back(k == 0 || k == 20 ? 0.0 : edge, k);
  }
  c.series.push_back(s);
  c.levels.push_back({report::svg::Level::Kind::kWater, 5.0, "water behind"});
  c.levels.push_back(
      {report::svg::Level::Kind::kExcavation, 10.0, "excavation, stage 1"});
  c.levels.push_back(
      {report::svg::Level::Kind::kExcavation, 15.0, "excavation, stage 2"});
  const auto svg = xml_lite::parse(report::svg::render(c));
  check_labels_clear(*svg);
  std::vector<std::string> values;
  for (const Element* t : with_class(*svg, "text", "label")) {
    const TextBox box(*t);
    if (t->attr("font-weight") == "bold") {
      values.push_back(t->text);
    } else {
      EXPECT_FALSE(on_a_series(*svg, box)) << t->text << " sits on the curve";
    }
  }
  EXPECT_EQ(values, (std::vector<std::string>{"64.52", "-50.00"}));
  EXPECT_NE(svg->find_all("title").at(0)->text.find("Moment (×10³ lb-in)"),
            std::string::npos);
}

// The p-y panel shows only curves at stations of the wall; a problem
// without results and earth pressure draws its station loads, and one with
// nothing to draw no panel at all.
TEST(HtmlReport, InputDrawingsKeepToTheWall) {
  RunResult run;
  run.status = RunStatus::kNotClosed;
  ProblemResults p;
  p.number = 1;
  p.title = "LOADS ONLY";
  p.outcome = Outcome::kNotClosed;
  p.english = false;
  p.increments = 4;
  p.increment_length = 2.5;  // a 10 m wall
  p.station_loads = {0.0, 5.0, 10.0, 5.0, 0.0};
  for (int station : {1, 4, 5}) {  // 5: 12.5 m, below the toe
    p.curves.push_back({station,
                        station * 2.5,
                        true,
                        {{-0.01, 50.0}, {0.0, 0.0}, {0.01, -50.0}}});
  }
  run.results.push_back(p);
  const auto root = page_of(run);
  const auto charts = charts_of(*root);
  ASSERT_EQ(charts.size(), 1u);
  const Element& svg = *charts.at("input");
  const Frame f(svg);
  const auto loads = with_class(svg, "polyline", "series");
  ASSERT_EQ(loads.size(), 1u);
  const Points drawn = points_of(*loads[0]);
  ASSERT_EQ(drawn.size(), 5u);
  EXPECT_NEAR(drawn[2].first, f.px(4.0), kPixel);  // 10 kN over 2.5 m
  EXPECT_NEAR(drawn[2].second, f.py(5.0), kPixel);
  const auto py = root->find_all(
      [](const Element& e) { return e.attr("data-chart") == "py"; });
  ASSERT_EQ(py.size(), 2u);
  for (const Element* chart : py) {
    EXPECT_EQ(chart->all_text().find("station 5"), std::string::npos);
  }

  // Nothing but the wall: no drawing with a made-up value axis.
  run.results[0].station_loads.assign(5, 0.0);
  run.results[0].curves.clear();
  const auto bare = page_of(run);
  EXPECT_TRUE(charts_of(*bare).empty());
  EXPECT_EQ(with_class(*bare, "p", "outcome").size(), 1u);
}

// A run whose only trouble is a deflection beyond the allowable one says
// so; moments and shears are said to be per the wall width.
TEST(HtmlReport, OutcomeAndWallWidthInWords) {
  const ExampleRun exceeded =
      ExampleRun::of(testing::source_dir() / "tests" / "golden" /
                     "deflection_exceeded" / "input.dat");
  const auto root = page_of(exceeded.result);
  EXPECT_EQ(with_class(*root, "p", "status").at(0)->text,
            "Run deflection exceeded");
  std::ostringstream text;
  report::write_summary(text, exceeded.result, {"wall.dat", "TEST", ""});
  EXPECT_NE(text.str().find("wall.dat: 2 problems, deflection exceeded\n"),
            std::string::npos)
      << text.str();

  const auto metric =
      page_of(ExampleRun::example("tied_back_wall_metric.dat").result);
  const std::string summary =
      with_class(*metric, "table", "summary").at(0)->all_text();
  EXPECT_NE(summary.find("moments and shears per 2.000 m of wall"),
            std::string::npos)
      << summary;
  const std::string facts = with_class(*metric, "p", "facts").at(0)->all_text();
  EXPECT_NE(facts.find("per 2.000 m of wall"), std::string::npos) << facts;
}

TEST(HtmlReport, TablesWrapInPrint) {
  std::ostringstream out;
  report::write_html_report(out, RunResult{}, {"wall.dat", "TEST", ""});
  const std::string page = out.str();
  const std::string print = page.substr(page.find("@media print"));
  EXPECT_NE(print.find("th, td { padding: 2px 3px; white-space: normal; }"),
            std::string::npos);
  // The values of the summary keep to one line (the depth under them).
  EXPECT_NE(print.find("table.summary td:not(.text) { white-space: nowrap; }"),
            std::string::npos);
  EXPECT_EQ(page.find("overflow: hidden"), std::string::npos);
  EXPECT_EQ(page.find("overflow:hidden"), std::string::npos);
}

TEST(HtmlReport, TextFromTheInputIsEscaped) {
  RunResult run;
  run.status = RunStatus::kInputError;
  run.message = "wall.dat:3: bad <record> & worse";
  ProblemResults p;
  p.title = "WALL <A> & 'B' \"C\" \xE9T\xC9";  // markup and Latin-1 bytes
  p.outcome = Outcome::kStopped;
  run.results.push_back(p);
  std::unique_ptr<Element> root;
  ASSERT_NO_THROW(root = page_of(run));
  EXPECT_EQ(root->find_all("h1").at(0)->text,
            "WALL <A> & 'B' \"C\" \xEF\xBF\xBDT\xEF\xBF\xBD");
  const auto status = with_class(*root, "p", "status");
  ASSERT_EQ(status.size(), 1u);
  EXPECT_TRUE(has_class(*status[0], "bad"));
  EXPECT_NE(status[0]->text.find("bad <record> & worse"), std::string::npos);
  EXPECT_TRUE(charts_of(*root).empty());  // a stopped problem: nothing drawn
}

// Every golden input, stops and refusals included: a well-formed page that
// draws each problem with results, and a JSON document with the run's
// status and all stations of a problem or none.
TEST(ResultsWriters, EveryGoldenInput) {
  int inputs = 0;
  for (const auto& dir : std::filesystem::directory_iterator(
           testing::source_dir() / "tests" / "golden")) {
    if (!std::filesystem::exists(dir.path() / "input.dat")) continue;
    SCOPED_TRACE(dir.path().filename().string());
    const ExampleRun run = ExampleRun::of(dir.path() / "input.dat");
    std::unique_ptr<Element> root;
    ASSERT_NO_THROW(root = page_of(run.result));
    size_t drawn = 0;
    for (const Element* svg : root->find_all("svg")) {
      if (svg->attr("data-chart") == "deflection")
        drawn += svg->find_all("polyline").size();
      check_labels_clear(*svg);
    }
    std::ostringstream out;
    report::write_json_results(out, run.result, {"input.dat", "TEST", ""});
    const auto doc = nlohmann::json::parse(out.str());
    EXPECT_EQ(doc["exit_status"], static_cast<int>(run.result.status));
    ASSERT_EQ(doc["problems"].size(), run.result.results.size());
    size_t with_results = 0;
    for (const auto& p : doc["problems"]) {
      const size_t n = p["stations"].size();
      EXPECT_TRUE(n == 0 || n == p["increments"].get<size_t>() + 1);
      EXPECT_EQ(p["summary"]["max_deflection"].is_null(), n == 0);
      with_results += n > 0 ? 1 : 0;
    }
    EXPECT_EQ(drawn, with_results);
    ++inputs;
  }
  EXPECT_GT(inputs, 20);
}

TEST(XmlLite, RefusesWhatIsNotWellFormed) {
  for (const char* bad :
       {"<a><b></a></b>", "<a x=1/>", "<a>&nbsp;</a>", "<a x=\"1\" x=\"2\"/>",
        "<a>1 < 2</a>", "<a/><b/>", "<a>"}) {
    EXPECT_THROW(xml_lite::parse(bad), std::runtime_error) << bad;
  }
}

TEST(ChartAxes, RoundTicksCoverTheValues) {
  for (const auto& [lo, hi] :
       std::vector<std::pair<double, double>>{{0.0, 0.4242},
                                              {-165786.0, 611999.0},
                                              {-0.0160, 0.0159},
                                              {0.0, 24.0},
                                              {-26763.0, 25583.0},
                                              {0.0, 0.0},
                                              {5.0, 5.0},
                                              {-2e-7, 0.0}}) {
    SCOPED_TRACE(std::to_string(lo) + " .. " + std::to_string(hi));
    const report::svg::Axis a = report::svg::nice_axis(lo, hi, 4, true);
    EXPECT_LE(a.min, std::min(lo, 0.0));
    EXPECT_GE(a.max, std::max(hi, 0.0));
    const double intervals = (a.max - a.min) / a.step;
    EXPECT_NEAR(intervals, std::round(intervals), 1e-9);
    EXPECT_TRUE(intervals >= 2.0 && intervals <= 8.0) << intervals;
    // 1, 2, 2.5 or 5 times a power of ten.
    const double m =
        a.step / std::pow(10.0, std::floor(std::log10(a.step) + 1e-12));
    EXPECT_TRUE(std::fabs(m - 1.0) < 1e-9 || std::fabs(m - 2.0) < 1e-9 ||
                std::fabs(m - 2.5) < 1e-9 || std::fabs(m - 5.0) < 1e-9)
        << m;
  }
  EXPECT_EQ(report::svg::nice_axis(-165786.0, 611999.0, 4, true).power, 3);
  EXPECT_EQ(report::svg::nice_axis(0.0, 4.2e-4, 4, true).power, -6);
  EXPECT_EQ(present::power_label(-6), "×10⁻⁶");
}

// Values at the ends of the numbers: the axis stays finite (a span of
// -1e308 to 1e308 once made NaN ticks and a power of 2147483646), and a
// chart of them draws no NaN.
TEST(ChartAxes, HugeRangesStayNumbers) {
  for (const auto& [lo, hi] : std::vector<std::pair<double, double>>{
           {-1e308, 1e308}, {-1.7e308, 0.0}, {0.0, 1.79e308}, {1e308, 1e308}}) {
    const report::svg::Axis a = report::svg::nice_axis(lo, hi, 4, true);
    EXPECT_TRUE(std::isfinite(a.min) && std::isfinite(a.max) &&
                std::isfinite(a.step) && a.max > a.min);
    EXPECT_LE(std::abs(a.power), 303);
  }
  report::svg::Chart c;
  c.id = "huge";
  c.depth_down = false;
  c.series.push_back({"p-y", 0, {{-2.0, 1e308}, {2.0, -1e308}}});
  const std::string svg = report::svg::render(c);
  EXPECT_EQ(svg.find("NaN"), std::string::npos) << svg;
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("Inf"), std::string::npos);
  EXPECT_NO_THROW(xml_lite::parse(svg));
}

// A value that is not a number stops every results writer rather than
// printing NaN or Infinity (or null, in JSON, where it reads as "no
// value").
TEST(ResultsWriters, NonFiniteValuesStopTheWriters) {
  const ExampleRun run = ExampleRun::example("cantilever_sheet_pile.dat");
  ASSERT_FALSE(run.result.results.empty());
  for (double bad : {std::nan(""), HUGE_VAL, -HUGE_VAL}) {
    RunResult r = run.result;
    r.results[0].stations.at(3).moment = bad;
    r.results[0].max_deflection.value = bad;
    std::ostringstream out;
    try {
      report::write_json_results(out, r, {"w.dat", "TEST", ""});
      ADD_FAILURE() << "JSON written";
    } catch (const present::NonFiniteValue& e) {
      EXPECT_NE(std::string(e.what()).find("/problems/0/"), std::string::npos)
          << e.what();
    }
    EXPECT_THROW(report::write_html_report(out, r, {"w.dat", "TEST", ""}),
                 present::NonFiniteValue);
    EXPECT_THROW(report::write_summary(out, r, {"w.dat", "TEST", ""}),
                 present::NonFiniteValue);
  }
  EXPECT_THROW(present::number_text(std::nan("")), present::NonFiniteValue);
  EXPECT_THROW(present::fixed_text(HUGE_VAL, 1), present::NonFiniteValue);
}

TEST(NumberText, ShortAndWithoutFalseSigns) {
  EXPECT_EQ(present::fixed_text(-0.001, 2), "0.00");
  EXPECT_EQ(present::fixed_text(-1005.0, 0), "-1005");
  EXPECT_EQ(present::number_text(0.0), "0");
  EXPECT_EQ(present::number_text(0.42423916), "0.4242");
  EXPECT_EQ(present::number_text(0.00123456), "0.001235");
  EXPECT_EQ(present::number_text(-1005.0), "-1005");
  // Four significant digits with the power of ten of the chart axes
  // beyond 0.001 to 9999.
  EXPECT_EQ(present::number_text(611999.203), "612.0×10³");
  EXPECT_EQ(present::number_text(645204.0), "645.2×10³");
  EXPECT_EQ(present::number_text(-12346.0), "-12.35×10³");
  EXPECT_EQ(present::number_text(9999.7), "10.00×10³");
  EXPECT_EQ(present::number_text(-1.146e-6), "-1.146×10⁻⁶");
  EXPECT_EQ(present::number_text(1.1397e10), "11.40×10⁹");
  EXPECT_EQ(present::number_text(2.5e-300), "2.500×10⁻³⁰⁰");
  EXPECT_EQ(present::scaled_text(645204.0, 3), "645.2");
  EXPECT_EQ(present::scaled_text(-1234.0, 3), "-1.234");
  EXPECT_EQ(present::scaled_text(5.0, 0), "5.000");
  EXPECT_TRUE(report::negligible(-1.146e-6, 112354.0));
  EXPECT_FALSE(report::negligible(-1.0, 112354.0));
}

TEST(TerminalSummary, StagesAndSupportForces) {
  const ExampleRun run = ExampleRun::example("staged_excavation.dat");
  std::ostringstream out;
  report::write_summary(out, run.result, {"staged_excavation.dat", "TEST", ""});
  const std::string text = out.str();
  EXPECT_NE(text.find("staged_excavation.dat: 2 problems, completed"),
            std::string::npos);
  // Stage 1, a cantilever, has no negative moment.
  const size_t negative = text.find("max negative moment");
  ASSERT_LT(negative, text.find("Stage 2:"));
  EXPECT_EQ(text.substr(text.find('\n', negative) - 4, 4), "none");
  // The report prints the strut force as -5.0231E+04 LBS at 3.0 ft.
  // Columns stay aligned with a power of ten in the value.
  EXPECT_NE(
      text.find(
          "strut 1 (per strut)             -50.23×10³ lb         3.00 ft"),
      std::string::npos)
      << text;
  EXPECT_NE(
      text.find(
          "  max shear                             4777 lb        14.50 ft"),
      std::string::npos);
  // Moments and shears are per the wall width of the geometry record.
  EXPECT_NE(
      text.find("completed after 3 iterations; English units; moments and "
                "shears per 12.00 in of wall\n"),
      std::string::npos);
}

}  // namespace
}  // namespace korvan
