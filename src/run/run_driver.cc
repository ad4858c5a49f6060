// The run driver: opens the files of a run, loops over the problems of the
// input data file, and closes the run.
#include <charconv>
#include <cmath>
#include <ctime>
#include <fstream>
#include <ostream>

#include "model/constants.h"
#include "input/input_error.h"
#include "run/run_io.h"
#include "model/problem.h"
#include "input/problem_reader.h"
#include "input/record_reader.h"
#include "model/rounding.h"
#include "model/units.h"
#include "korvan/engine.h"
#include "report/echo.h"
#include "report/header.h"
#include "report/record_writer.h"
#include "pressure/earth_pressure.h"
#include "pressure/handoff.h"
#include "report/pressure_report.h"
#include "py/generator.h"
#include "report/py_report.h"
#include "report/results.h"
#include "report/shown_number.h"
#include "wall/solver.h"
#include "wall/station_model.h"
#include "wall/wall_model.h"

namespace korvan {

// An engine keeps nothing from one run to the next: every run starts from
// zero deflections and empty tables, so a reused engine gives the results
// of a new one.
struct Engine::State {};

Engine::Engine() : state_(std::make_unique<State>()) {}
Engine::~Engine() = default;

namespace {

using engine::InputError;
using engine::shortest;
using engine::StopKind;
using report::RecordWriter;

ClockTime clock_now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  if (localtime_r(&now, &local) == nullptr) return {};
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

// The largest earth-pressure distribution (points of its depth grid).
constexpr long long kMaxDistributionPoints = 200000;

// The most iterations of one run, over all its problems: a file of many
// problems that do not close would otherwise fill a disk with its
// iteration log (about 85 bytes an iteration).
constexpr long long kMaxRunIterations = 1000000;

// The run ends without an error: a negative iteration limit.
struct EndOfRun {};

// The files of a run made absolute once, at its start, so that a change of
// the process's current folder during the run cannot split its files.
RunFiles absolute_files(const RunFiles& files) {
  RunFiles f = files;
  for (std::filesystem::path* p : {&f.input, &f.report, &f.plot, &f.iteration,
                                   &f.py_scratch, &f.pressure_scratch}) {
    std::error_code ec;
    if (!p->empty()) {
      const std::filesystem::path a = std::filesystem::absolute(*p, ec);
      if (!ec) *p = a;
    }
  }
  return f;
}

// A generator ends the run with a stop code.
struct GeneratorStop {
  int code = 0;
  std::string diagnostic;
  std::string report_text;
};

// A run on files or on texts (RunIo): the logic is one for both.
class Run {
 public:
  // `files` are the names shown in the report and in messages, `io` where
  // the run reads and writes, `header_input` the input as the report header
  // shows it unless the options set it.
  Run(const RunFiles& files, const RunOptions& options, engine::RunIo& io,
      std::string header_input)
      : files_(files),
        options_(options),
        io_(io),
        shown_input_(options.shown_input_path
                         ? *options.shown_input_path
                         : files.input.string()),
        header_input_(options.shown_input_path ? *options.shown_input_path
                                               : std::move(header_input)),
        report_(io.report()),
        plot_(io.plot()),
        iteration_(io.iteration()),
        reader_(io.input(), shown_input_) {}

  RunResult execute();

 private:
  void file_error(const std::string& message);
  void problem_loop();
  void read_problem_body(engine::Problem& p);
  void read_supports(engine::Problem& p);
  void read_sections(engine::Problem& p);
  void read_earth_pressure_data(engine::Problem& p);
  void read_user_curves(engine::Problem& p);
  [[noreturn]] void refuse_data_beyond_end() const;
  void stop_on_input_error(const InputError& e);
  void write_plot_block(int stage_value);
  void collect_results();
  void analyse();
  std::vector<double> generated_loads();
  std::vector<wall::CurveRecord> generated_curves();
  void check_finite_pressures(const pressure::Profile& profile,
                              bool computed) const;
  void check_finite_curves(const py::Generation& g) const;
  void check_finite_stations(const wall::StationModel& st,
                             const wall::RigidityModel& rigidity) const;
  std::vector<double> specified_loads();
  std::vector<double> loads_from(std::vector<pressure::DistributionPoint> pts,
                                 bool generated);
  void check_before_analysis(const engine::Problem& p);
  void warn_short_profile();
  std::string outcome_detail() const;
  std::string stop_detail() const;
  void end_of_analysis();
  void diagnose(const std::string& line) {
    if (options_.diagnostics != nullptr) *options_.diagnostics << line << '\n';
  }

  const RunFiles& files_;  // as given: the names in messages
  const RunOptions& options_;
  engine::RunIo& io_;
  // The deflections a stage starts from: those of the previous stage of
  // this run (zero for the first).
  wall::StationTable deflections_{};
  // On the heap, as the run itself: a host may give its thread a small
  // stack.
  std::unique_ptr<wall::WallModel> model_;
  // Soil-movement curves of earth-pressure option 4.
  std::vector<wall::CurveRecord> movement_curves_;
  // The pressure distribution handed to the wall: (depth, load per
  // station), for the earth-pressure term of the p-y models.
  std::vector<std::pair<double, double>> pressure_table_;
  std::optional<wall::Solution> solution_;
  std::string shown_input_;
  std::string header_input_;
  RecordWriter report_;
  RecordWriter plot_;
  RecordWriter iteration_;
  engine::RecordReader reader_;
  engine::UnitLabels labels_ = engine::unit_labels(0);
  RunResult result_;
  std::string first_title_;
  engine::Problem problem_;
  int control_line_ = 0;
  int geometry_line_ = 0;
  bool problem_started_ = false;  // a control record has been read
  bool plot_written_ = false;     // the current problem's plot block
  // The current problem's warnings, one line each, for its results.
  std::vector<std::string> problem_warnings_;
  // The iteration limits of the problems analysed so far, added up.
  long long iterations_allowed_ = 0;
  // Set by the first earth-pressure wall record of the run.
};

void Run::file_error(const std::string& message) {
  result_.status = RunStatus::kFileError;
  result_.message = message;
  diagnose(message);
}

RunResult Run::execute() {
  reader_.set_warnings(options_.diagnostics);
  if (const std::optional<std::string> refused = io_.open()) {
    file_error(*refused);
  } else {
    try {
      problem_loop();
    } catch (const InputError& e) {
      stop_on_input_error(e);
    } catch (const EndOfRun&) {
      // A negative iteration limit: nothing more is analysed.
    } catch (const GeneratorStop& stop) {
      result_.status = RunStatus::kGeneratorStop;
      result_.stop_code = stop.code;
      result_.message = stop.diagnostic;
      diagnose(stop.diagnostic);
      report_.empty_lines(2);
      report_.line(stop.report_text);
    } catch (const engine::ScratchFileError& e) {
      file_error(e.message);
      report_.empty_lines(2);
      report_.line("ERROR STOP -- " + e.message);
    }
    end_of_analysis();
  }
  return result_;
}

void Run::stop_on_input_error(const InputError& e) {
  result_.status = RunStatus::kInputError;
  result_.message = e.what();
  result_.diagnostic = e.diagnostic();
  diagnose(e.what());
  switch (e.kind()) {
    case StopKind::kTooMuchData:
      report_.empty_lines(2);
      report_.line("TOO MUCH DATA FOR AVAILABLE STORAGE");
      report_.empty_lines(2);
      break;
    case StopKind::kStationsNotInOrder:
      report_.empty_lines(2);
      report_.line("ERROR STOP -- STATIONS NOT IN ORDER");
      break;
    case StopKind::kNonZeroBeyondEnd:
      report_.empty_lines(2);
      report_.line("ERROR -- NON-ZERO TABLE 4 DATA BEYOND END");
      break;
    case StopKind::kQuiet:
      break;
    case StopKind::kInvalid:
      report_.empty_lines(2);
      report_.line(std::string("ERROR STOP -- ") + e.what());
      break;
  }
}

void Run::end_of_analysis() {
  if (problem_started_ && !plot_written_) {
    write_plot_block(problem_.control.stage_code);
  }
  for (RecordWriter* out : {&report_, &iteration_}) {
    out->empty_lines(2);
    out->line("     END OF ANALYSIS                             ");
  }
  if (const std::optional<std::string> failed = io_.finish()) {
    file_error(*failed);
    return;
  }
  result_.files_written = true;
}

void Run::write_plot_block(int stage_value) {
  report::write_plot_block(plot_, stage_value, problem_,
                           model_ ? &*model_ : nullptr,
                           solution_ ? &*solution_ : nullptr);
  plot_written_ = true;
  if (options_.collect_results) collect_results();
}

// The problem's results as values for the caller.
void Run::collect_results() {
  const engine::Problem& p = problem_;
  ProblemResults r;
  r.number = result_.problems;
  const std::string title = p.title.substr(0, 70);
  r.title = title.substr(0, title.find_last_not_of(' ') + 1);
  r.stage_code = p.control.stage_code;
  r.english = p.units() == engine::UnitSystem::kEnglish;
  r.increments = p.geometry.increments;
  r.increment_length = p.geometry.increment_length;
  r.reference_depth = p.geometry.reference_depth;
  r.wall_width = p.geometry.wall_width;
  r.warnings = problem_warnings_;
  if (model_) {
    for (int k = 0; k <= p.geometry.increments; ++k) {
      r.station_loads.push_back(
          model_->stations.load[wall::StationModel::index(k)]);
    }
  }
  if (p.has_soil_profile) {
    for (const engine::SoilLayer& l : p.soil.layers) {
      r.soil_layers.push_back({l.type, l.top, l.bottom});
    }
  }
  // Support depths are entered in feet in English units.
  int number = 0;
  for (const engine::Anchor& a : p.tie_backs) {
    r.support_positions.push_back({++number, true, from_feet(a.depth, r.english)});
  }
  for (const engine::Anchor& a : p.struts) {
    r.support_positions.push_back({++number, false, from_feet(a.depth, r.english)});
  }
  if (p.has_soil_profile) {
    r.excavation_depth = p.soil.wall.free_height;
    r.water_backfill = p.soil.wall.water_backfill;
    r.water_excavation = p.soil.wall.water_excavation;
  }
  const double h = p.geometry.increment_length;
  for (const auto& [depth, load] : pressure_table_) {
    r.pressure.push_back({depth, h > 0.0 ? load / h : 0.0});
  }
  if (!solution_) {
    r.outcome = Outcome::kStopped;
    r.outcome_detail = stop_detail();
    result_.results.push_back(std::move(r));
    return;
  }
  const wall::Solution& s = *solution_;
  switch (s.outcome) {
    case wall::Outcome::kDeflectionExceeded:
      r.outcome = Outcome::kDeflectionExceeded;
      break;
    case wall::Outcome::kNotClosed:
      r.outcome = Outcome::kNotClosed;
      break;
    default:
      r.outcome = Outcome::kCompleted;
      break;
  }
  r.iterations = s.iterations;
  r.outcome_detail = outcome_detail();
  if (model_) {
    for (const wall::CurveRecord& c : model_->curves) {
      r.curves.push_back({c.from, c.from * h, c.group == 1, c.points});
    }
  }
  if (!s.has_results() || !model_) {
    result_.results.push_back(std::move(r));
    return;
  }
  int k = 0;
  for (const wall::StationResult& x : s.stations) {
    r.stations.push_back({k++, x.depth, x.deflection, x.slope, x.moment,
                          x.shear, x.soil_reaction, x.net_force, x.rigidity,
                          x.corrected_moment, x.corrected_shear});
  }
  for (const auto& [support, f] : s.forces.supports) {
    SupportResults sr;
    sr.number = support.number;
    sr.tie_back = support.tie_back;
    sr.station = support.station;
    sr.depth = support.station * h;
    sr.angle = support.input->angle;
    sr.spacing = support.input->spacing;
    sr.prestress = support.tie_back ? support.input->prestress : 0.0;
    sr.horizontal_per_station = f.horizontal;
    sr.along_per_station = f.along;
    sr.per_support = f.per_support;
    sr.wale = p.control.wale_flag > 0;
    sr.wale_reaction = f.wale_reaction;
    sr.wale_load = f.wale_load;
    sr.wale_moment = f.wale_moment;
    r.supports.push_back(sr);
  }
  for (const wall::RestraintForce& f : s.forces.restraints) {
    r.restraints.push_back({f.station, f.station * h, f.force, f.moment});
  }
  int entry = 0;
  for (const engine::SpecifiedCondition& c : p.conditions) {
    const bool on_wall =
        c.station >= 0 && c.station < static_cast<int>(s.stations.size());
    r.node_reactions.push_back(
        {++entry, c.station, c.station * h,
         on_wall ? s.stations[static_cast<size_t>(c.station)].net_force : 0.0});
  }
  for (const StationResults& x : r.stations) {
    if (std::fabs(x.deflection) > std::fabs(r.max_deflection.value)) {
      r.max_deflection = {x.deflection, x.depth};
    }
    // Maxima from the moments and shears as statics gives them at the ends.
    const double moment = x.corrected_moment;
    if (moment > r.max_moment.value) r.max_moment = {moment, x.depth};
    if (moment < r.min_moment.value) r.min_moment = {moment, x.depth};
    if (std::fabs(x.corrected_shear) > std::fabs(r.max_shear.value)) {
      r.max_shear = {x.corrected_shear, x.depth};
    }
  }
  result_.results.push_back(std::move(r));
}

// Names the first entry whose range leaves the wall with a non-zero value.
void Run::refuse_data_beyond_end() const {
  const int n = problem_.geometry.increments;
  int line = engine::kNoLine;
  std::string where;
  auto check = [&](const auto& entries, const char* record, auto nonzero) {
    std::vector<int> contd;
    for (const auto& e : entries) contd.push_back(e.contd);
    for (const wall::EntryPair& p : wall::pair_entries(contd)) {
      const auto& a = entries[p.first];
      const auto& b = entries[p.last];
      if ((a.from < 0 || b.to > n) && (nonzero(a) || nonzero(b))) {
        if (where.empty()) {
          line = a.line;
          where = record + (" " + std::to_string(p.first + 1));
        }
      }
    }
  };
  check(problem_.loads, "stiffness-and-load record",
        [](const engine::LoadEntry& e) {
          return e.load != 0.0 || e.torque != 0.0 || e.axial != 0.0;
        });
  check(problem_.restraints, "restraint record",
        [](const engine::RestraintEntry& e) {
          return e.lateral != 0.0 || e.rotational != 0.0;
        });
  throw InputError(StopKind::kNonZeroBeyondEnd, shown_input_, line, where,
                   "a non-zero stiffness or load stands beyond the "
                   "ends of the wall (stations 0 to " +
                       std::to_string(n) + ")");
}

void Run::check_before_analysis(const engine::Problem& p) {
  if (p.wall_sections.empty()) {
    throw InputError(StopKind::kInvalid, shown_input_, control_line_,
                     "control record, field 3 (number of wall sections)",
                     "the wall needs a wall section to have a flexural "
                     "rigidity");
  }
  if (p.geometry.section_adjustment > 0) {
    auto refuse = [&](const std::string& why) {
      throw InputError(StopKind::kInvalid, shown_input_, geometry_line_,
                       "wall-geometry record, field 11 "
                       "(section-adjustment flag)",
                       why);
    };
    if (!p.has_soil_profile || !(p.soil.wall.width_pressure > 0.0)) {
      refuse("the adjustment needs the width for earth pressure of the "
             "earth-pressure wall record");
    }
    for (const engine::WallSection& w : p.wall_sections) {
      const engine::CrossSection& c =
          p.cross_sections[static_cast<size_t>(w.cross_section - 1)];
      if (!(c.equivalent_diameter() > 0.0)) {
        refuse("cross section " + std::to_string(w.cross_section) +
               " has no equivalent diameter to adjust by");
      }
    }
  }
}

// A soil profile that ends above the toe leaves the stations below it
// without generated earth pressure or p-y curves: a likely cause of a wall
// that does not close or deflects too far. The p-y generation takes the
// layers down to two increments below the toe, but curves below the toe
// act nowhere, so the toe is what the profile must reach; one that ends
// between the toe and the model bottom gets a milder warning.
void Run::warn_short_profile() {
  const engine::Problem& p = problem_;
  const bool pressure = p.control.generated_pressure();
  const bool curves = p.control.generated_py_curves();
  if (!p.has_soil_profile || p.soil.layers.empty() || !(pressure || curves)) {
    return;
  }
  const engine::SoilLayer& last = p.soil.layers.back();
  const double toe = p.geometry.increments * p.geometry.increment_length;
  const double shortfall = toe - last.bottom;
  const bool english = p.units() == engine::UnitSystem::kEnglish;
  const report::Units u = report::units_of(english);
  auto length = [&](double x) {
    return report::number_text(x * u.depth_factor) + " " + u.depth;
  };
  // Generated curves take the layers down to two increments below the toe;
  // a profile that ends at the toe places the curve depths of its last
  // layer over a shorter span, which changes the curves near the toe.
  const double model_bottom = toe + 2.0 * p.geometry.increment_length;
  if (!(shortfall > kDepthTolerance)) {
    if (!curves || !(model_bottom - last.bottom > kDepthTolerance)) return;
    report::write_profile_above_model_bottom_warning(report_, last.bottom,
                                                     model_bottom, english);
    const std::string warning =
        "the soil profile ends at " + length(last.bottom) +
        ", above the bottom of the p-y model at " + length(model_bottom) +
        " (two increments below the toe)";
    problem_warnings_.push_back(warning);
    diagnose(shown_input_ + ":" + std::to_string(last.line) +
             ": soil layer " + std::to_string(p.soil.layers.size()) +
             ": warning: " + warning +
             ": the curve depths of the last layer follow its bottom; extend "
             "it to " + length(model_bottom));
    return;
  }
  report::write_short_profile_warning(report_, last.bottom, shortfall,
                                      english, pressure, curves);
  const std::string warning =
      "the soil profile ends " + length(shortfall) + " above the toe";
  problem_warnings_.push_back(warning);
  diagnose(shown_input_ + ":" + std::to_string(last.line) + ": soil layer " +
           std::to_string(p.soil.layers.size()) + ": warning: " + warning +
           " (at " + length(last.bottom) + ", the toe at " + length(toe) +
           "): the stations below it take no generated " +
           (pressure && curves ? "earth pressure and no p-y curves"
            : pressure         ? "earth pressure"
                               : "p-y curves"));
}

// What stopped a problem before its solution.
std::string Run::stop_detail() const {
  switch (result_.status) {
    case RunStatus::kInputError:
      return "by an input error";
    case RunStatus::kGeneratorStop:
      return "by a generator stop (code " + std::to_string(result_.stop_code) +
             ")";
    case RunStatus::kFileError:
      return "by a file error";
    default:
      return problem_.geometry.max_iterations < 0
                 ? "by its negative iteration limit"
                 : std::string();
  }
}

// What the solution can tell about an outcome other than closed.
std::string Run::outcome_detail() const {
  if (!solution_ || !model_) return {};
  const report::Units u =
      report::units_of(problem_.units() == engine::UnitSystem::kEnglish);
  switch (solution_->outcome) {
    case wall::Outcome::kDeflectionExceeded:
      return "at " + std::to_string(solution_->stations_over) +
             (solution_->stations_over == 1 ? " station" : " stations") +
             " beyond the allowable deflection of " +
             report::number_text(problem_.geometry.allowable_deflection *
                                 u.deflection_factor) +
             " " + u.deflection;
    case wall::Outcome::kNotClosed:
      return "within the iteration limit of " +
             std::to_string(model_->max_iterations) +
             (model_->max_iterations < problem_.geometry.max_iterations
                  ? " set by the caller"
                  : "");
    default:
      return {};
  }
}

// Values beyond the range of the numbers in the soil data (a unit weight
// of 1e308) make earth pressures or p-y curves that are not numbers. They
// are refused where they are made, naming the input, before any report or
// scratch file holds them.
void Run::check_finite_pressures(const pressure::Profile& profile,
                                 bool computed) const {
  // The first quantity that is not a number, named as the report names it.
  std::string bad;
  auto check = [&bad](double v, const std::string& name) {
    if (bad.empty() && !std::isfinite(v)) bad = name;
  };
  check(profile.qeq, "the equivalent surface pressure");
  check(profile.q, "the surface pressure");
  check(profile.height, "the excavation depth");
  check(profile.wall_length, "the wall length");
  check(profile.href, "the reference height of the surcharges");
  for (size_t k = 0; k < profile.sub.size() && bad.empty(); ++k) {
    const pressure::Sublayer& s = profile.sub[k];
    const std::string of = " of sublayer " + std::to_string(k + 1);
    const std::pair<double, const char*> values[] = {
        {s.ztop, "top depth"}, {s.t, "thickness"}, {s.c, "strength"},
        {s.phi, "friction angle"}, {s.kopt, "earth-pressure coefficient"},
        {s.gamma, "unit weight"}, {s.sqrt_ka, "square root of Ka"},
        {s.ka, "coefficient Ka"}, {s.ka_table, "coefficient Ka"},
        {s.sqrt_kp, "square root of Kp"}, {s.kp, "coefficient Kp"},
        {s.k0, "coefficient K0"}, {s.pa1, "active force PA1"},
        {s.z1, "depth of PA1"}, {s.pa2, "active force PA2"},
        {s.z2, "depth of PA2"}, {s.pa3, "active force PA3"},
        {s.z3, "depth of PA3"}, {s.pa4, "active force PA4"},
        {s.zc, "depth of tension crack"}, {s.pw1, "water force PW1"},
        {s.pw2, "water force PW2"}};
    for (const auto& [v, name] : values) check(v, std::string("the ") + name + of);
  }
  const std::pair<const std::vector<double>*, const char*> tables[] = {
      {&profile.ztop, "the depth"},
      {&profile.sigma_v, "the effective vertical stress"},
      {&profile.sigma_s, "the vertical stress of the surface pressures"}};
  for (const auto& [table, name] : tables) {
    for (size_t k = 0; k < table->size(); ++k) {
      check((*table)[k], std::string(name) + " at the top of sublayer " +
                             std::to_string(k + 1));
    }
  }
  // The distribution is made from the stresses and coefficients: once
  // these are numbers, its own values are checked.
  if (bad.empty() && computed) {
    for (const pressure::DistributionPoint& d :
         pressure::distribution(profile)) {
      for (int c = 1; c <= 13; ++c) {
        check(d.col[c], "the earth pressure at depth " +
                            (std::isfinite(d.col[1]) ? shortest(d.col[1])
                                                     : std::string("?")));
      }
    }
  }
  if (!bad.empty()) {
    throw InputError(
        StopKind::kInvalid, shown_input_, problem_.soil.wall.line,
        "earth-pressure data",
        bad + " is beyond the range of the numbers: check the unit weights, "
            "strengths, friction angles and coefficients of the soil "
            "layers, the surface pressure, the slopes, the surcharges and "
            "the widths");
  }
}

// The station tables once the entries are spread over them: two loads of
// 1e308 on one station, a pair running from -1e308 to 1e308, or a rigidity
// whose reciprocal is not a number would leave the solution nothing but
// NaN. Named by the first record whose range holds the station.
void Run::check_finite_stations(const wall::StationModel& st,
                                const wall::RigidityModel& rigidity) const {
  const int n = st.increments;
  // The record whose range holds the station, and its line.
  auto holder = [&](const auto& entries, const char* record, int station)
      -> std::pair<int, std::string> {
    std::vector<int> contd;
    for (const auto& e : entries) contd.push_back(e.contd);
    for (const wall::EntryPair& p : wall::pair_entries(contd)) {
      const auto& a = entries[p.first];
      if (station >= a.from && station <= entries[p.last].to) {
        return {a.line, record + (" " + std::to_string(p.first + 1))};
      }
    }
    return {engine::kNoLine, ""};
  };
  struct Table {
    const wall::StationTable& values;
    const char* quantity;
    bool restraint;
  };
  const Table tables[] = {{st.load, "transverse load", false},
                          {st.torque, "torque", false},
                          {st.axial, "axial load", false},
                          {st.spring, "transverse stiffness", true},
                          {st.rotational, "rotational stiffness", true}};
  for (int k = -3; k <= n + 3; ++k) {
    const size_t i = static_cast<size_t>(wall::StationModel::index(k));
    for (const Table& t : tables) {
      if (std::isfinite(t.values[i])) continue;
      auto [line, where] =
          t.restraint
              ? holder(problem_.restraints, "restraint record", k)
              : holder(problem_.loads, "stiffness-and-load record", k);
      if (where.empty()) {
        where = t.restraint ? "tie-back and strut/raker records"
                            : "stiffness-and-load and earth-pressure data";
      }
      throw InputError(StopKind::kInvalid, shown_input_, line, where,
                       std::string("the ") + t.quantity +
                           " at station " + std::to_string(k) +
                           ", once the entries are added up over their "
                           "stations, is beyond the range of the numbers");
    }
  }
  // The rigidity of elastic sections (E times I): the solution divides by
  // it, so its reciprocal must be a number as well.
  for (size_t k = 0; k < rigidity.sections.size(); ++k) {
    const wall::SectionRigidity& r = rigidity.sections[k];
    if (r.nonlinear) continue;
    for (double f : {r.ei_top, r.ei_bottom}) {
      if (std::isfinite(f) && (f == 0.0 || std::isfinite(1.0 / f))) continue;
      throw InputError(StopKind::kInvalid, shown_input_, engine::kNoLine,
                       "wall section " + std::to_string(k + 1),
                       "the flexural rigidity " + shortest(f) +
                           " of its cross section is beyond the range of the "
                           "numbers: check its modulus and moment of inertia");
    }
  }
}

void Run::check_finite_curves(const py::Generation& g) const {
  for (const py::GeneratedCurve& c : g.curves) {
    for (const py::SideCurve* side : {&c.excavation, &c.backfill}) {
      bool ok = std::isfinite(c.depth);
      for (double v : {side->depth, side->width, side->strength, side->gamma,
                       side->eps50, side->average_strength, side->k,
                       side->phi_degrees, side->a, side->b, side->wedge,
                       side->flow, side->modulus, side->krm, side->rqd,
                       side->p_multiplier, side->y_multiplier,
                       side->small_deflection_modulus.value_or(0.0)}) {
        ok = ok && std::isfinite(v);
      }
      for (const py::CurvePoint& pt : side->points) {
        ok = ok && std::isfinite(pt.y) && std::isfinite(pt.p);
      }
      if (!ok) {
        throw InputError(
            StopKind::kInvalid, shown_input_, engine::kNoLine,
            "soil layer data",
            "the p-y curve of soil type " +
                std::to_string(c.type) + " at depth " + shortest(c.depth) +
                " is beyond the range of the numbers: check the layer's "
                "unit weight, strength, friction angle, epsilon-50, k and "
                "the widths");
      }
    }
  }
}

// Builds the wall model, solves it and reports the results.
// Earth-pressure options 2 to 6: the profile, its reports, the
// distribution through its scratch file, and the loads per station.
std::vector<double> Run::generated_loads() {
  const engine::Problem& p = problem_;
  const engine::EarthPressureOption option = p.control.pressure_option();
  pressure::Profile profile = pressure::build_profile(p);
  // The distribution takes a point per inch or per 0.05 m of the profile:
  // a profile kilometres deep is refused before its tables are made.
  long long grid_points = 1;
  for (const pressure::Sublayer& s : profile.sub) {
    grid_points += pressure::grid_steps(s.t, profile.english);
  }
  if (grid_points > kMaxDistributionPoints) {
    throw InputError(StopKind::kInvalid, shown_input_,
                     p.soil.layers.empty() ? 0 : p.soil.layers.back().line,
                     "soil layer data",
                     "the soil profile needs " +
                         std::to_string(grid_points) +
                         " distribution points, at most " +
                         std::to_string(kMaxDistributionPoints));
  }
  // Nothing of the profile is printed before its values are numbers.
  check_finite_pressures(profile, false);
  report::write_wall_information(report_, p, profile, labels_);
  report::write_surcharge_information(report_, p, profile, labels_);
  report::write_soil_information(report_, profile);
  if (const auto stop = pressure::profile_stop(profile)) {
    throw GeneratorStop{
        stop->code,
        shown_input_ + ": earth-pressure data: stop code " +
            std::to_string(stop->code) + ": " + stop->reason,
        "STOP " + std::to_string(stop->code) + " -- " +
            (stop->code == 1
                 ? std::string("THE SOIL PROFILE DOES NOT REACH THE "
                               "EXCAVATION LINE")
                 : std::string("MORE THAN 21 SUBLAYERS IN THE SOIL "
                               "PROFILE"))};
  }
  pressure::compute_pressures(profile);
  check_finite_pressures(profile, true);
  report::write_overburden_table(report_, profile, labels_);
  report::write_coefficient_table(report_, iteration_, profile);
  report::write_resultant_tables(report_, profile, labels_);
  if (profile.net_negative) {
    report::write_net_negative(report_);
    diagnose(shown_input_ + ": earth-pressure data: net active pressure is "
                            "negative");
  }

  // The distribution passes through its scratch file; the wall sees the
  // numbers as the file carries them.
  io_.write_scratch(engine::Scratch::kPressure,
                    [&profile](std::ostream& scratch) {
                      report::write_distribution_file(
                          scratch, pressure::distribution(profile));
                    });
  std::vector<pressure::DistributionPoint> points;
  {
    const std::unique_ptr<std::istream> scratch =
        io_.read_scratch(engine::Scratch::kPressure);
    engine::RecordReader in(*scratch, files_.pressure_scratch.string());
    const int count = engine::read_count(in, "distribution count record",
                                         "number of points");
    for (int i = 1; i <= count; ++i) {
      in.begin("distribution record " + std::to_string(i));
      pressure::DistributionPoint d;
      for (int c = 1; c <= 13; ++c) d.col[c] = in.real("column");
      in.end();
      points.push_back(d);
    }
  }
  report::write_option_message(report_, option, profile.clay_warning);
  report::write_distribution_heading(report_, labels_, profile.english);
  pressure::apply_widths(points, p.soil.wall.width_pressure,
                         p.soil.wall.width_resistance, profile.height);
  if (option != engine::EarthPressureOption::kSoilMovement)
    return loads_from(std::move(points), true);

  // Soil movement: the stations above the excavation line take curves in
  // place of loads; the station at the excavation line takes nothing.
  const double h = p.geometry.increment_length;
  for (const pressure::MovementCurve& c : pressure::movement_curves(
           points, h, profile.height, p.geometry.increments,
           profile.english)) {
    wall::CurveRecord r;
    r.from = r.to = c.station;
    r.points = c.points;
    movement_curves_.push_back(std::move(r));
  }
  std::vector<double> loads = loads_from(std::move(points), true);
  const int excavation = station_of_depth(profile.height, h);
  for (int s = 0; s <= excavation && s < static_cast<int>(loads.size()); ++s) {
    loads[static_cast<size_t>(s)] = 0.0;
  }
  return loads;
}

// Earth-pressure option 1: the given pressures are loads per unit length of
// wall, without widths; discrete surcharge loadings add their pressure
// times the running width.
std::vector<double> Run::specified_loads() {
  const engine::Problem& p = problem_;
  std::optional<pressure::Profile> profile;
  if (p.has_soil_profile && !p.soil.surcharges.empty()) {
    profile = pressure::build_profile(p);
  }
  std::vector<pressure::DistributionPoint> points;
  double width = p.soil.wall.width_pressure;
  for (const engine::PressurePoint& given : p.specified_pressure) {
    pressure::DistributionPoint d;
    d.col[1] = given.depth;
    d.col[2] = given.pressure;
    d.col[3] = given.pressure;
    if (profile) {
      if (given.depth > profile->height) width = p.soil.wall.width_resistance;
      d.col[4] = pressure::surcharge_at(*profile, given.depth) * width;
      d.col[2] = d.col[3] + d.col[4];
    }
    points.push_back(d);
  }
  return loads_from(std::move(points), false);
}

std::vector<double> Run::loads_from(
    std::vector<pressure::DistributionPoint> points, bool generated) {
  const engine::Problem& p = problem_;
  const double h = p.geometry.increment_length;
  const bool english = p.units() == engine::UnitSystem::kEnglish;
  // Pressures times the widths and the increment length: an extreme width
  // or pressure makes them too large for the numbers.
  auto check_finite = [&] {
    for (const pressure::DistributionPoint& d : points) {
      for (int c = 1; c <= 13; ++c) {
        if (std::isfinite(d.col[c])) continue;
        throw InputError(
            StopKind::kInvalid, shown_input_,
            p.has_soil_profile ? p.soil.wall.line : engine::kNoLine,
            p.has_soil_profile ? "earth-pressure wall record"
                               : "active earth pressure records",
            "the earth pressures times the widths and the increment "
                "length are beyond the range of the numbers: check the "
                "pressures, the widths and the surface pressure");
      }
    }
  };
  check_finite();
  const std::vector<size_t> rows = pressure::shown_rows(points.size(), english);
  if (generated) {
    for (size_t r : rows) {
      report::write_distribution_row(report_, points[r].col[1],
                                     points[r].col[2], english);
    }
  }
  pressure::to_station_loads(points, h);
  check_finite();
  for (const pressure::DistributionPoint& d : points) {
    pressure_table_.emplace_back(d.col[1], d.col[2]);
  }
  report::plot_distribution(plot_, p.control.earth_pressure_option, points,
                            rows, h);
  return pressure::station_loads(points, h, p.geometry.increments);
}

// p-y option 2: the curves of every derived layer, printed, written to the
// p-y curve file with the user curves ahead of them, and read back.
std::vector<wall::CurveRecord> Run::generated_curves() {
  const engine::Problem& p = problem_;
  if (!(p.soil.wall.width_resistance > 0.0) ||
      !(p.soil.wall.width_pressure > 0.0)) {
    throw InputError(StopKind::kInvalid, shown_input_, p.soil.wall.line,
                     "earth-pressure wall record, fields 2 and 3 (WA and WP)",
                     "the widths must be positive to generate p-y curves");
  }
  for (size_t i = 0; i < p.soil.layers.size(); ++i) {
    const engine::SoilLayer& l = p.soil.layers[i];
    if (l.model() == engine::SoilModel::kWeakRock &&
        !(l.at_top.epsilon50 > 0.0 && l.at_bottom.epsilon50 > 0.0 &&
          l.at_top.subgrade_modulus > 0.0)) {
      throw InputError(StopKind::kInvalid, shown_input_, l.line,
                       "soil layer " + std::to_string(i + 1) +
                           ", values records",
                       "weak rock needs a positive "
                           "krm (epsilon-50 column) and rock mass modulus "
                           "(k column, top)");
    }
  }
  const py::PySoil soil = py::build_py_soil(p, pressure_table_);
  report::write_soil_data(report_, soil, labels_);
  const py::Generation g = py::generate_curves(soil);
  check_finite_curves(g);
  for (const py::GeneratedCurve& c : g.curves) {
    report::write_generated_curve(report_, c, soil, labels_);
  }
  if (g.unavailable_type) {
    throw InputError(StopKind::kInvalid, shown_input_, engine::kNoLine,
                     "soil layer data",
                     "the p-y model of soil type " +
                         std::to_string(*g.unavailable_type) +
                         " is not available in this version");
  }
  if (g.stop) {
    report::write_py_stop(report_, *g.stop);
    const int code = g.stop->code;
    const std::string reason =
        code == 5 ? "a weak-rock layer has no strength"
        : code == 4
            ? "a depth lies beyond the input unit-weight profile"
            : "a depth lies beyond the input " +
                  std::string(g.stop->curve == "PHI" ? "friction-angle"
                                                     : "strength") +
                  " profile";
    throw GeneratorStop{code,
                        shown_input_ + ": p-y generation: stop code " +
                            std::to_string(code) + ": " + reason,
                        "STOP " + std::to_string(code)};
  }

  const bool with_user = p.control.pressure_option() !=
                             engine::EarthPressureOption::kSoilMovement &&
                         !p.user_curves.empty();
  const std::vector<engine::UserPyCurve> none;
  const std::vector<engine::UserPyCurve>& user = with_user ? p.user_curves : none;
  const int count =
      static_cast<int>(user.size() + 5 * soil.layers.size());
  io_.write_scratch(engine::Scratch::kPyCurves, [&](std::ostream& scratch) {
    report::write_py_file(scratch, user, g.curves, count);
  });

  // Read back: the solver sees the values as the file carries them.
  const std::unique_ptr<std::istream> scratch =
      io_.read_scratch(engine::Scratch::kPyCurves);
  engine::RecordReader in(*scratch, files_.py_scratch.string());
  in.begin("p-y curve count record");
  const int total = in.integer("number of curves");
  in.end();
  if (total > engine::kMaxPyCurves) {
    in.fail(StopKind::kTooMuchData,
            std::to_string(total) + " curves, at most " +
                std::to_string(engine::kMaxPyCurves));
  }
  if (total < 0) in.fail(StopKind::kQuiet, "negative number of curves");
  std::vector<wall::CurveRecord> records;
  if (total == 0) {
    report_.empty_lines(1);
    report_.blanks(20).end_line();
    return records;
  }
  const double h = p.geometry.increment_length;
  for (size_t u = 0; u < user.size(); ++u) {
    in.begin("user p-y curve header");
    wall::CurveRecord r;
    r.from = r.to = in.integer("station");
    const int n = in.integer("number of points");
    in.end();
    r.contd = user[u].contd;
    for (int i = 0; i < n; ++i) {
      in.begin("user p-y curve point");
      in.integer("point number");
      const double pv = in.real("p");
      const double yv = in.real("y");
      in.end();
      r.points.emplace_back(yv, pv);
    }
    records.push_back(std::move(r));
  }
  for (size_t k = 0; k < g.curves.size(); ++k) {
    in.begin("generated p-y curve header");
    const double depth = in.real("depth");
    const int n = in.integer("number of points");
    in.end();
    std::vector<std::pair<double, double>> points;  // (y, p) as written
    for (int i = 0; i < n; ++i) {
      in.begin("generated p-y curve point");
      in.integer("point number");
      const double pv = in.real("p");
      const double yv = in.real("y");
      in.end();
      points.emplace_back(yv, pv);
    }
    wall::CurveRecord r;
    r.from = r.to = station_of_depth(depth, h);
    r.contd = 1;
    r.group = 1;
    // Backfill points 17 down to 1 with the deflection negated, then the
    // excavation points 2 to 17 with the resistance negated.
    for (int i = 33; i >= 17; --i) {
      r.points.emplace_back(-points[static_cast<size_t>(i)].first,
                            points[static_cast<size_t>(i)].second);
    }
    for (int i = 1; i <= 16; ++i) {
      r.points.emplace_back(points[static_cast<size_t>(i)].first,
                            -points[static_cast<size_t>(i)].second);
    }
    records.push_back(std::move(r));
  }
  return records;
}

void Run::analyse() {
  if (const auto refused =
          pressure::generation_refusal(problem_, control_line_)) {
    // The refusal reads "record, field k (name): message".
    const size_t cut = refused->text.find(": ");
    throw InputError(StopKind::kInvalid, shown_input_, refused->line,
                     cut == std::string::npos ? std::string()
                                              : refused->text.substr(0, cut),
                     cut == std::string::npos ? refused->text
                                              : refused->text.substr(cut + 2));
  }
  std::vector<double> pressure_loads;
  if (problem_.control.generated_pressure()) {
    pressure_loads = generated_loads();
  } else if (problem_.control.pressure_option() ==
             engine::EarthPressureOption::kSpecified) {
    pressure_loads = specified_loads();
  }
  std::optional<std::vector<wall::CurveRecord>> file_curves;
  if (problem_.control.generated_py_curves()) file_curves = generated_curves();
  model_ = std::make_unique<wall::WallModel>();
  wall::WallModel& built = *model_;
  wall::build_wall_model(problem_, built);
  if (file_curves) built.curves = std::move(*file_curves);
  for (wall::CurveRecord& r : movement_curves_) r.group = 2;
  built.curves.insert(built.curves.begin(), movement_curves_.begin(),
                      movement_curves_.end());
  for (size_t s = 0; s < pressure_loads.size(); ++s) {
    built.stations.load[wall::StationModel::index(static_cast<int>(s))] +=
        pressure_loads[s];
  }
  if (options_.max_iterations > 0 &&
      built.max_iterations > options_.max_iterations) {
    built.max_iterations = options_.max_iterations;
  }
  iterations_allowed_ += built.max_iterations;
  if (iterations_allowed_ > kMaxRunIterations) {
    throw InputError(
        StopKind::kInvalid, shown_input_, geometry_line_,
        "wall-geometry record, field 8 (maximum number of iterations)",
        "the iteration limits of problems 1 to " +
            std::to_string(result_.problems) + " add up to " +
            std::to_string(iterations_allowed_) + ", more than the " +
            std::to_string(kMaxRunIterations) +
            " iterations a run may take: lower the limits or split the "
            "file");
  }
  const wall::WallModel& model = built;
  check_finite_stations(model.stations, model.rigidity);
  if (wall::has_data_beyond_end(model.stations)) refuse_data_beyond_end();
  std::optional<size_t> out_of_order;
  const auto ranges = wall::curve_ranges(model.curves, &out_of_order);
  if (out_of_order) {
    const wall::CurveRange& r = ranges[*out_of_order];
    const size_t movement = movement_curves_.size();
    const size_t curve = r.first;
    const int line =
        curve >= movement && curve - movement < problem_.user_curves.size()
            ? problem_.user_curves[curve - movement].line
            : 0;
    throw InputError(
        StopKind::kStationsNotInOrder, shown_input_, line, "",
        "p-y curve " +
            std::to_string(r.first + 1 - movement) +
            " (station " + std::to_string(model.curves[r.first].from) +
            ") is continued to curve " + std::to_string(r.last + 1 - movement) +
            " at station " + std::to_string(model.curves[r.last].to) +
            " above it");
  }
  warn_short_profile();
  report::write_monitoring_header(iteration_, model.max_iterations);
  solution_ = wall::solve(model, deflections_,
                          [this](const wall::IterationRecord& r) {
                            report::write_iteration_line(iteration_, r);
                          });
  // A solution that is not finite would print as NaN: the stiffnesses or
  // loads of the input cannot be solved. No result of it is written.
  auto not_finite = [&](const std::string& where) {
    solution_.reset();
    return InputError(StopKind::kInvalid, shown_input_, engine::kNoLine, "",
                      "the solution of problem " +
                          std::to_string(result_.problems) + " is not finite " +
                          where + ": check the stiffnesses and loads");
  };
  if (solution_->outcome == wall::Outcome::kNotFinite) {
    throw not_finite("in iteration " + std::to_string(solution_->iterations));
  }
  for (size_t k = 0; k < solution_->stations.size(); ++k) {
    const wall::StationResult& r = solution_->stations[k];
    for (double v : {r.deflection, r.slope, r.moment, r.shear,
                     r.soil_reaction, r.net_force, r.rigidity}) {
      if (!std::isfinite(v)) throw not_finite("at station " + std::to_string(k));
    }
  }
  // The support results come from the solution and the input alone: a
  // finite deflection times an extreme spring or spacing may still not be.
  const bool wales = problem_.control.wale_flag > 0;
  if (solution_->has_results()) {
    solution_->forces =
        wall::support_results(problem_, model.supports,
                              solution_->deflections, solution_->stations);
    for (const auto& [support, f] : solution_->forces.supports) {
      bool finite = std::isfinite(f.horizontal) && std::isfinite(f.along) &&
                    std::isfinite(f.per_support);
      if (wales) {
        finite = finite && std::isfinite(f.wale_reaction) &&
                 std::isfinite(f.wale_load) && std::isfinite(f.wale_moment);
      }
      if (!finite) {
        const int tie_backs = static_cast<int>(problem_.tie_backs.size());
        solution_.reset();
        throw InputError(
            StopKind::kInvalid, shown_input_, engine::kNoLine,
            support.tie_back ? "tie-back record " +
                                   std::to_string(support.number)
                             : "strut/raker record " +
                                   std::to_string(support.number - tie_backs),
            std::string("its force") + (wales ? " or wale result" : "") +
                " is beyond the range of the numbers: check its area, "
                "modulus, lengths and spacing");
      }
    }
    for (const wall::RestraintForce& f : solution_->forces.restraints) {
      if (!std::isfinite(f.force) || !std::isfinite(f.moment)) {
        solution_.reset();
        throw InputError(StopKind::kInvalid, shown_input_, engine::kNoLine,
                         "restraint records",
                         "the restraint force or moment at station " +
                             std::to_string(f.station) +
                             " is beyond the range of the numbers: check the "
                             "restraint stiffnesses");
      }
    }
  }
  deflections_ = solution_->deflections;
  report::write_results(report_, iteration_, problem_, *solution_, labels_);
  if (!solution_->has_results() && result_.status == RunStatus::kCompleted) {
    result_.status = RunStatus::kNotClosed;
  }
}

void Run::problem_loop() {
  for (;;) {
    std::optional<std::string> title = reader_.fixed_text(70);
    if (!title) {
      throw InputError(
          StopKind::kInvalid, shown_input_, reader_.line_number() + 1,
          "title record",
          "end of file where the title of problem " +
              std::to_string(result_.problems + 1) + " is due");
    }
    ++result_.problems;
    problem_ = engine::Problem{};
    problem_.title = *title;
    problem_.title.resize(80, ' ');
    if (result_.problems == 1) first_title_ = problem_.title;
    plot_written_ = false;
    solution_.reset();
    model_.reset();
    movement_curves_.clear();
    pressure_table_.clear();
    problem_warnings_.clear();

    problem_.control = engine::read_control(reader_);
    control_line_ = reader_.record_line();
    problem_started_ = true;
    const engine::ControlRecord& control = problem_.control;

    if (result_.problems > 1) report_.empty_lines(2);
    report::HeaderInfo header;
    header.version_label = options_.version_label ? *options_.version_label
                                                  : files_.version_label;
    header.input_path = header_input_;
    header.report_path = files_.report.string();
    header.plot_path = files_.plot.string();
    header.time = options_.fixed_clock ? *options_.fixed_clock : clock_now();
    report::write_header(report_, header);
    for (RecordWriter* out : {&report_, &iteration_}) {
      report::write_title_line(*out, control.stage_code, result_.problems,
                               problem_.title, first_title_);
    }

    engine::check_unit_system(reader_, control, control_line_);
    labels_ = engine::unit_labels(
        control.units() == engine::UnitSystem::kEnglish ? 1 : -1);
    report::echo_control(report_, control);
    read_problem_body(problem_);

    check_before_analysis(problem_);
    analyse();

    const int continuation = engine::read_continuation(reader_);
    if (continuation == control.stage_code || continuation == 0) return;
    // Another problem follows; its stage value in the plot file is 2 when
    // the continuation code is 9.
    write_plot_block(continuation == 9 ? 2 : control.stage_code);
  }
}

void Run::read_problem_body(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  const engine::UnitSystem units = p.units();

  p.geometry = engine::read_wall_geometry(reader_);
  geometry_line_ = reader_.record_line();
  report::echo_wall_geometry(report_, p.geometry, units, labels_);
  if (p.geometry.max_iterations < 0) throw EndOfRun{};
  if (options_.max_iterations > 0 &&
      options_.max_iterations < p.geometry.max_iterations) {
    report::echo_caller_iteration_limit(report_, options_.max_iterations);
  }

  engine::check_specified_count(reader_, c.specified_points, control_line_);
  if (c.specified_points > 0) {
    report::echo_conditions_heading(report_, labels_);
    for (int i = 1; i <= c.specified_points; ++i) {
      const int* previous =
          p.conditions.empty() ? nullptr : &p.conditions.back().station;
      p.conditions.push_back(engine::read_specified_condition(
          reader_, i, previous, p.geometry.increments));
      report::echo_condition(report_, p.conditions.back());
    }
    reader_.end_counted_group(control_line_);
  }

  if (c.wall_sections > engine::kMaxWallSections) {
    throw InputError(StopKind::kTooMuchData, shown_input_, control_line_,
                     "control record, field 3 (number of wall sections)",
                     std::to_string(c.wall_sections) +
                         " sections, at most " +
                         std::to_string(engine::kMaxWallSections));
  }
  if (c.wall_sections > 0) {
    report::echo_wall_sections_heading(report_, labels_);
    for (int i = 1; i <= c.wall_sections; ++i) {
      p.wall_sections.push_back(
          engine::read_wall_section(reader_, i, c.cross_sections));
      report::echo_wall_section(report_, i, p.wall_sections.back());
    }
    reader_.end_counted_group(control_line_);
  }
  read_sections(p);

  const int loads = engine::read_count(
      reader_, "stiffness-and-load count record", "number of load entries");
  const int loads_line = reader_.record_line();
  report::echo_loads_heading(report_, labels_);
  for (int i = 1; i <= loads; ++i) {
    const engine::LoadEntry* opening =
        !p.loads.empty() && p.loads.back().contd == 1 ? &p.loads.back()
                                                      : nullptr;
    const int previous_contd = p.loads.empty() ? 0 : p.loads.back().contd;
    engine::LoadEntry e = engine::read_load_entry(reader_, i, opening);
    if (i == loads) {
      engine::check_last_entry_closed(reader_, e.contd,
                                      "stiffness-and-load entry");
    }
    report::echo_load_entry(report_, e, previous_contd);
    p.loads.push_back(e);
  }
  reader_.end_counted_group(loads_line);

  read_supports(p);

  if (c.wale_flag > 0) {
    const int wales =
        engine::read_count(reader_, "wale count record", "number of wales");
    const int wales_line = reader_.record_line();
    for (int i = 1; i <= wales; ++i) {
      p.wales.push_back(engine::read_wale(reader_, i));
    }
    reader_.end_counted_group(wales_line);
  }
  if (c.py_factors > 0) {
    p.py_factor_option = engine::read_py_factor_option(reader_);
    for (int i = 1; i <= c.py_factors; ++i) {
      p.py_factors.push_back(engine::read_py_factor(reader_, i));
    }
    reader_.end_counted_group(control_line_);
  }
  read_earth_pressure_data(p);
  read_user_curves(p);
}

void Run::read_sections(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.cross_sections > engine::kMaxCrossSections) {
    throw InputError(StopKind::kTooMuchData, shown_input_, control_line_,
                     "control record, field 4 (number of cross sections)",
                     std::to_string(c.cross_sections) + " sections, at most " +
                         std::to_string(engine::kMaxCrossSections));
  }
  if (c.cross_sections > 0) {
    report::echo_cross_sections_heading(report_);
    for (int i = 1; i <= c.cross_sections; ++i) {
      p.cross_sections.push_back(engine::read_cross_section(reader_, i));
      report::echo_cross_section(report_, i, p.cross_sections.back(),
                                 labels_);
    }
  }
  if (c.nonlinear_ei_sets > 0) {
    engine::read_ei_set_header(reader_);
    report::echo_ei_sets_heading(report_);
    for (int i = 1; i <= c.nonlinear_ei_sets; ++i) {
      p.ei_sets.push_back(engine::read_ei_set(reader_, i));
      report::echo_thrust_level(report_, i, p.ei_sets.back(), labels_);
    }
  }
  for (int i = 1; i <= c.cross_sections; ++i) {
    engine::CrossSection& section = p.cross_sections[static_cast<size_t>(i - 1)];
    section.moment_curvature = engine::read_moment_curvature(reader_, i);
    if (!section.elastic()) engine::check_nonlinear_table(reader_, i, section, p.ei_sets);
    if (!section.moment_curvature.empty()) {
      report::echo_moment_curvature_heading(report_);
    }
    int level = 0;
    for (const engine::ThrustLevel& l : section.moment_curvature) {
      report::echo_thrust_level(report_, ++level, l, labels_);
    }
  }
}

void Run::read_earth_pressure_data(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.pressure_option() == engine::EarthPressureOption::kSpecified) {
    const int points = engine::read_count(
        reader_, "active earth pressure count record", "number of points");
    const int points_line = reader_.record_line();
    report::echo_specified_pressure_heading(report_, labels_);
    for (int i = 1; i <= points; ++i) {
      p.specified_pressure.push_back(engine::read_pressure_point(reader_, i));
      report::echo_pressure_point(report_, p.specified_pressure.back());
    }
    reader_.end_counted_group(points_line);
  }
  if (!c.generated_pressure() && !c.generated_py_curves()) return;

  engine::SoilProfile& soil = p.soil;
  p.has_soil_profile = true;
  soil.wall = engine::read_earth_pressure_wall(reader_);
  if (c.generated_py_curves()) {
    p.geometry.reference_depth = soil.wall.free_height;
  }
  soil.surface = engine::read_surface_loads(reader_);
  const int surcharges = engine::read_count(
      reader_, "surcharge count record", "number of surcharge loadings");
  const int surcharges_line = reader_.record_line();
  for (int i = 1; i <= surcharges; ++i) {
    soil.surcharges.push_back(engine::read_surcharge(reader_, i, p.units()));
  }
  reader_.end_counted_group(surcharges_line);
  const int layers = engine::read_soil_record(reader_, soil);
  const int layers_line = reader_.record_line();
  for (int i = 1; i <= layers; ++i) {
    soil.layers.push_back(engine::read_soil_layer(
        reader_, i, soil.layers.empty() ? nullptr : &soil.layers.back(),
        c.generated_py_curves()));
  }
  reader_.end_counted_group(layers_line);
}

void Run::read_user_curves(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  if (c.py_curves() == engine::PyOption::kUserCurves) {
    engine::check_user_curve_count(reader_, c.user_py_curves, control_line_);
  }
  const bool present =
      c.user_py_curves > 0 &&
      (c.py_curves() == engine::PyOption::kUserCurves ||
       (c.generated_py_curves() &&
        c.pressure_option() != engine::EarthPressureOption::kSoilMovement));
  if (!present) return;
  report::echo_user_curves_heading(report_);
  for (int i = 1; i <= c.user_py_curves; ++i) {
    p.user_curves.push_back(engine::read_user_curve(reader_, i, p.geometry));
    report::echo_user_curve(report_, p.user_curves.back(), labels_);
    report::plot_user_curve(plot_, p.user_curves.back());
  }
  engine::check_user_curves_paired(reader_, p.user_curves);
}

void Run::read_supports(engine::Problem& p) {
  const engine::ControlRecord& c = p.control;
  const int restraints = engine::read_count(
      reader_, "support count record", "number of restraint entries");
  const int restraints_line = reader_.record_line();
  for (int i = 1; i <= restraints; ++i) {
    const engine::RestraintEntry* opening =
        !p.restraints.empty() && p.restraints.back().contd == 1
            ? &p.restraints.back()
            : nullptr;
    const int previous_contd =
        p.restraints.empty() ? 0 : p.restraints.back().contd;
    engine::RestraintEntry e = engine::read_restraint(reader_, i, opening);
    if (i == restraints) {
      engine::check_last_entry_closed(reader_, e.contd, "restraint entry");
    }
    report::echo_restraint(report_, e, previous_contd);
    p.restraints.push_back(e);
  }
  reader_.end_counted_group(restraints_line);

  engine::check_support_count(reader_, c, control_line_);
  if (c.tie_backs > 0) {
    report::echo_tie_backs_heading(report_, labels_);
    for (int i = 1; i <= c.tie_backs; ++i) {
      p.tie_backs.push_back(
          engine::read_tie_back(reader_, i, p.geometry, p.units()));
      report::echo_anchor(report_, p.tie_backs.back(), true);
    }
    reader_.end_counted_group(control_line_);
  }
  if (c.struts > 0) {
    report::echo_struts_heading(report_, labels_);
    for (int i = 1; i <= c.struts; ++i) {
      p.struts.push_back(
          engine::read_strut(reader_, i, p.geometry, p.units()));
      report::echo_anchor(report_, p.struts.back(), false);
    }
    reader_.end_counted_group(control_line_);
  }
  if (c.wale_flag > 0) report::echo_wales(report_, c.wale_continuity);
}

}  // namespace

RunResult Engine::run(const RunFiles& files, const RunOptions& options) {
  const RunFiles paths = absolute_files(files);
  engine::FileIo io(files, paths);
  // The run's tables take some 30 KB: on the heap, not the caller's stack.
  const auto run = std::make_unique<Run>(
      files, options, io, paths.input.lexically_normal().string());
  return run->execute();
}

RunText Engine::run_text(std::string_view input, const RunOptions& options) {
  // The names shown: the input's, and the outputs' after its stem.
  RunFiles shown;
  shown.version_label = KORVAN_VERSION;
  shown.input = options.input_name;
  const std::filesystem::path stem = shown.input.stem();
  shown.report = stem.string() + ".out";
  shown.plot = stem.string() + ".plot";
  shown.iteration = stem.string() + ".iter";
  shown.py_scratch = stem.string() + ".pyc";
  shown.pressure_scratch = stem.string() + ".epd";
  RunOptions with_results = options;
  with_results.collect_results = true;
  engine::TextIo io(input);
  RunText text;
  {
    const auto run =
        std::make_unique<Run>(shown, with_results, io, options.input_name);
    text.result = run->execute();
  }
  text.result.files_written = false;  // the texts are in memory
  text.report = io.report_text();
  text.plot = io.plot_text();
  text.iteration = io.iteration_text();
  return text;
}

}  // namespace korvan
