// A project (JSON) to its input data file. Every value is checked for its
// kind here, with its path; the reader of input data files then checks the
// values themselves, and its diagnostics are moved back onto the paths
// (ProjectSource).
#include <charconv>
#include <cmath>
#include <limits>
#include <set>

#include "model/constants.h"
#include "project/project_json.h"
#include "project/words.h"

namespace korvan::project {
namespace {

std::string real_token(double v) {
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v);
  return ec == std::errc() ? std::string(buf, end) : std::string("0");
}

// A JSON value as a message shows it: short.
std::string shown(const Json& j) {
  std::string s = j.dump();
  if (s.size() > 40) s = s.substr(0, 37) + "...";
  return s;
}

std::string kind_of(const Json& j) {
  switch (j.type()) {
    case Json::value_t::null:
      return "null";
    case Json::value_t::boolean:
      return shown(j);
    case Json::value_t::string:
      return shown(j);
    case Json::value_t::array:
      return "a list";
    case Json::value_t::object:
      return "an object";
    default:
      return shown(j);
  }
}

std::string words_list(std::span<const Word> words) {
  std::string s;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) s += i + 1 == words.size() ? " or " : ", ";
    s += "\"" + std::string(words[i].word) + "\"";
  }
  return s;
}

class Writer;

// The members of one object of the project, read with their checks. A
// missing object reads as all its members left out.
class Obj {
 public:
  Obj(Writer& w, const Json* j, std::string path);
  const std::string& path() const { return path_; }
  std::string at(std::string_view name) const {
    return path_ + "." + std::string(name);
  }
  bool has(std::string_view name) const;
  // The member, marked as known; null when left out.
  const Json* member(std::string_view name);
  double real(std::string_view name, double left_out = 0.0);
  int integer(std::string_view name);
  int flag(std::string_view name);
  int code(std::string_view name, std::span<const Word> words, int left_out);
  std::string text(std::string_view name, size_t at_most);
  // A list member: its items (none when left out).
  std::vector<const Json*> list(std::string_view name);
  Obj object(std::string_view name);
  // Unknown members are faults.
  void finish();

 private:
  Writer& w_;
  const Json* j_;
  std::string path_;
  std::set<std::string, std::less<>> known_;
};

class Writer {
 public:
  Writer(std::string file, std::vector<Diagnostic>& faults)
      : file_(std::move(file)), faults_(faults) {}

  void fault(const std::string& path, const std::string& message) {
    Diagnostic d;
    d.file = file_;
    d.path = path;
    d.message = message;
    faults_.push_back(std::move(d));
  }
  bool faulty() const { return !faults_.empty(); }

  // A record: its fields on as many lines as they need.
  void begin(std::string path) {
    out_.records.push_back({std::move(path), {}});
    line_.clear();
    record_lines_ = 0;
  }
  void put(std::string field_path, const std::string& token) {
    if (!line_.empty() && line_.size() + 1 + token.size() > kLineWidth) {
      end_line();
    }
    if (!line_.empty()) line_ += ' ';
    line_ += token;
    out_.records.back().fields.push_back(std::move(field_path));
  }
  void put(std::string field_path, double v) {
    put(std::move(field_path), real_token(v));
  }
  void put_int(std::string field_path, int v) {
    put(std::move(field_path), std::to_string(v));
  }
  void end() {
    if (!line_.empty() || record_lines_ == 0) end_line();
  }
  // A fixed-field line (the title): the record of `path`.
  void fixed_line(std::string path, const std::string& text) {
    begin(std::move(path));
    line_ = text;
    end_line();
  }

  // Reads and writes one field.
  void real(Obj& o, std::string_view name, double left_out = 0.0) {
    put(o.at(name), o.real(name, left_out));
  }
  void integer(Obj& o, std::string_view name) {
    put_int(o.at(name), o.integer(name));
  }
  void flag(Obj& o, std::string_view name) {
    put_int(o.at(name), o.flag(name));
  }
  // A fixed number of reals or integers in a list member (left out: zeros).
  void reals(Obj& o, std::string_view name, size_t n);
  void integers(Obj& o, std::string_view name, size_t n);
  void text(Obj& o, std::string_view name) {
    std::string quoted = "'";
    for (char ch : o.text(name, 80)) {
      quoted += ch;
      if (ch == '\'') quoted += '\'';
    }
    put(o.at(name), quoted + "'");
  }

  DataText take() { return std::move(out_); }
  const std::string& file() const { return file_; }

 private:
  static constexpr size_t kLineWidth = 100;
  void end_line() {
    out_.text += line_;
    out_.text += '\n';
    out_.record_of_line.push_back(static_cast<int>(out_.records.size()) - 1);
    line_.clear();
    ++record_lines_;
  }

  std::string file_;
  std::vector<Diagnostic>& faults_;
  DataText out_;
  std::string line_;
  int record_lines_ = 0;
};

Obj::Obj(Writer& w, const Json* j, std::string path)
    : w_(w), j_(j), path_(std::move(path)) {
  if (j_ != nullptr && !j_->is_object()) {
    w_.fault(path_, "expected an object, found " + kind_of(*j_));
    j_ = nullptr;
  }
}

bool Obj::has(std::string_view name) const {
  return j_ != nullptr && j_->contains(name) &&
         !(*j_)[std::string(name)].is_null();
}

const Json* Obj::member(std::string_view name) {
  known_.insert(std::string(name));
  if (j_ == nullptr) return nullptr;
  const auto it = j_->find(name);
  if (it == j_->end() || it->is_null()) return nullptr;
  return &*it;
}

double Obj::real(std::string_view name, double left_out) {
  const Json* m = member(name);
  if (m == nullptr) return left_out;
  if (m->is_number()) {
    const double v = m->get<double>();
    if (std::isfinite(v)) return v;
  }
  w_.fault(at(name), "expected a number, found " + kind_of(*m));
  return left_out;
}

// An integer of the JSON that an int holds.
std::optional<int> int_of(const Json& j) {
  if (j.is_number_unsigned()) {
    const auto v = j.get<unsigned long long>();
    if (v > static_cast<unsigned long long>(std::numeric_limits<int>::max())) {
      return std::nullopt;
    }
    return static_cast<int>(v);
  }
  if (!j.is_number_integer()) return std::nullopt;
  const auto v = j.get<long long>();
  if (v < std::numeric_limits<int>::min() ||
      v > std::numeric_limits<int>::max()) {
    return std::nullopt;
  }
  return static_cast<int>(v);
}

int Obj::integer(std::string_view name) {
  const Json* m = member(name);
  if (m == nullptr) return 0;
  if (const std::optional<int> v = int_of(*m)) return *v;
  w_.fault(at(name), m->is_number_integer()
                         ? "expected an integer from -2147483648 to "
                           "2147483647, found " +
                               kind_of(*m)
                         : "expected an integer, found " + kind_of(*m));
  return 0;
}

int Obj::flag(std::string_view name) {
  const Json* m = member(name);
  if (m == nullptr) return 0;
  if (m->is_boolean()) return m->get<bool>() ? 1 : 0;
  if (m->is_number_integer()) return integer(name);
  w_.fault(at(name),
           "expected true, false or an integer code, found " + kind_of(*m));
  return 0;
}

int Obj::code(std::string_view name, std::span<const Word> words,
              int left_out) {
  const Json* m = member(name);
  if (m == nullptr) return left_out;
  if (m->is_string()) {
    if (const auto c = code_of(m->get<std::string>(), words)) return *c;
  } else if (m->is_number_integer()) {
    return integer(name);
  }
  w_.fault(at(name), "expected " + words_list(words) +
                         " (or an integer code), found " + kind_of(*m));
  return left_out;
}

std::string Obj::text(std::string_view name, size_t at_most) {
  const Json* m = member(name);
  if (m == nullptr) return {};
  if (!m->is_string()) {
    w_.fault(at(name), "expected a text, found " + kind_of(*m));
    return {};
  }
  const std::string s = m->get<std::string>();
  if (s.size() > at_most) {
    w_.fault(at(name), "a text of " + std::to_string(s.size()) +
                           " characters, at most " + std::to_string(at_most));
    return {};
  }
  if (s.find('\n') != std::string::npos) {
    w_.fault(at(name), "a text must stand on one line");
    return {};
  }
  return s;
}

std::vector<const Json*> Obj::list(std::string_view name) {
  const Json* m = member(name);
  std::vector<const Json*> items;
  if (m == nullptr) return items;
  if (!m->is_array()) {
    w_.fault(at(name), "expected a list, found " + kind_of(*m));
    return items;
  }
  for (const Json& item : *m) items.push_back(&item);
  return items;
}

Obj Obj::object(std::string_view name) {
  return Obj(w_, member(name), at(name));
}

void Obj::finish() {
  if (j_ == nullptr) return;
  for (const auto& [key, value] : j_->items()) {
    if (!known_.contains(key)) {
      w_.fault(at(key), "unknown member \"" + key + "\"");
    }
  }
}

// A list of numbers of a fixed length, or pairs of numbers.
std::vector<double> numbers(Writer& w, const Json* j, const std::string& path,
                            size_t n) {
  std::vector<double> v(n, 0.0);
  if (j == nullptr) return v;
  if (!j->is_array() || j->size() != n) {
    w.fault(path, "expected a list of " + std::to_string(n) +
                      " numbers, found " + kind_of(*j));
    return v;
  }
  for (size_t i = 0; i < n; ++i) {
    const Json& x = (*j)[i];
    if (x.is_number() && std::isfinite(x.get<double>())) {
      v[i] = x.get<double>();
    } else {
      w.fault(path + "[" + std::to_string(i) + "]",
              "expected a number, found " + kind_of(x));
    }
  }
  return v;
}

void Writer::reals(Obj& o, std::string_view name, size_t n) {
  const std::vector<double> v = numbers(*this, o.member(name), o.at(name), n);
  for (size_t i = 0; i < n; ++i) {
    put(o.at(name) + "[" + std::to_string(i) + "]", v[i]);
  }
}

std::vector<int> integer_list(Writer& w, const Json* j, const std::string& path,
                              std::optional<size_t> n) {
  std::vector<int> v(n.value_or(0), 0);
  if (j == nullptr) return v;
  if (!j->is_array() || (n && j->size() != *n)) {
    w.fault(path, "expected a list of " +
                      (n ? std::to_string(*n) + " integers" : "integers") +
                      ", found " + kind_of(*j));
    return v;
  }
  v.assign(j->size(), 0);
  for (size_t i = 0; i < j->size(); ++i) {
    const Json& x = (*j)[i];
    if (const std::optional<int> k = int_of(x)) {
      v[i] = *k;
    } else {
      w.fault(path + "[" + std::to_string(i) + "]",
              "expected an integer, found " + kind_of(x));
    }
  }
  return v;
}

void Writer::integers(Obj& o, std::string_view name, size_t n) {
  const std::vector<int> v = integer_list(*this, o.member(name), o.at(name), n);
  for (size_t i = 0; i < n; ++i) {
    put_int(o.at(name) + "[" + std::to_string(i) + "]", v[i]);
  }
}

std::string item_path(const std::string& list, size_t i) {
  return list + "[" + std::to_string(i) + "]";
}

// A list of [a, b] (or [a, b, c]) points, each a record of its own.
void point_records(Writer& w, Obj& o, std::string_view name, size_t width) {
  const std::string path = o.at(name);
  const std::vector<const Json*> items = o.list(name);
  for (size_t i = 0; i < items.size(); ++i) {
    const std::string p = item_path(path, i);
    const std::vector<double> v = numbers(w, items[i], p, width);
    w.begin(p);
    for (size_t k = 0; k < width; ++k) {
      w.put(p + "[" + std::to_string(k) + "]", v[k]);
    }
    w.end();
  }
}

size_t list_size(const Json& problem, std::string_view name) {
  const auto it = problem.find(name);
  return it != problem.end() && it->is_array() ? it->size() : 0;
}

}  // namespace

DerivedCounts derived_counts(const Json& p) {
  DerivedCounts c;
  if (!p.is_object()) return c;
  auto size = [&](std::string_view name) {
    return static_cast<int>(list_size(p, name));
  };
  c.specified_points = size("specified_conditions");
  c.wall_sections = size("wall_sections");
  c.cross_sections = size("cross_sections");
  c.user_py_curves = size("user_curves");
  c.nonlinear_ei_sets = size("ei_sets");
  c.tie_backs = size("tie_backs");
  c.struts = size("struts");
  const auto factors = p.find("py_factors");
  if (factors != p.end() && factors->is_object()) {
    c.py_factors = static_cast<int>(list_size(*factors, "rows"));
  }
  const auto wales = p.find("wales");
  if (wales != p.end() && wales->is_object()) {
    c.wale_flag = 1;
    const auto continuity = wales->find("continuity");
    if (continuity != wales->end()) {
      if (continuity->is_string()) {
        c.wale_continuity =
            code_of(continuity->get<std::string>(), kContinuityWords)
                .value_or(0);
      } else if (continuity->is_number_integer()) {
        c.wale_continuity = continuity->get<int>();
      }
    }
  }
  return c;
}

namespace {

// One problem: its records in the order the reader takes them. Returns
// false when the problem ends the run after its wall-geometry record (a
// negative iteration limit).
class ProblemWriter {
 public:
  ProblemWriter(Writer& w, const Json& json, std::string path)
      : w_(w), json_(json), p_(w, &json, std::move(path)) {}

  bool write(bool last);

 private:
  void read_control();
  void check_counts(const Obj& counts);
  // A negative iteration limit: the run ends after the wall geometry.
  bool ends_run() const {
    const auto wall = json_.find("wall");
    if (wall == json_.end() || !wall->is_object()) return false;
    const auto limit = wall->find("max_iterations");
    return limit != wall->end() && limit->is_number_integer() &&
           limit->get<long long>() < 0;
  }
  void control_record();
  void geometry_record();
  void conditions();
  void wall_sections();
  void cross_section(const Json* j, const std::string& path);
  void moment_curvature(const Json* j, const std::string& path);
  void curvature_points(Obj& o, std::string_view name);
  void ei_sets();
  void entries();
  void supports();
  void anchors(std::string_view name, bool tie_back);
  void wales();
  void py_factors();
  void earth_pressure();
  void soil();
  void user_curves();
  void not_read(std::string_view name, const std::string& why);
  // One real per record.
  void value_records(const std::string& path,
                     const std::vector<const Json*>& items) {
    for (size_t i = 0; i < items.size(); ++i) {
      const std::string ip = item_path(path, i);
      double v = 0.0;
      if (items[i]->is_number() && std::isfinite(items[i]->get<double>())) {
        v = items[i]->get<double>();
      } else {
        w_.fault(ip, "expected a number, found " + kind_of(*items[i]));
      }
      w_.begin(ip);
      w_.put(ip, v);
      w_.end();
    }
  }
  void count_record(const std::string& path, int count) {
    w_.begin(path);
    w_.put_int(path, count);
    w_.end();
  }

  Writer& w_;
  const Json& json_;
  Obj p_;
  engine::ControlRecord c_;  // as written
  std::optional<Obj> pressure_storage_, wales_storage_, factors_storage_;
  // Objects read for the control record and written later.
  Obj& pressure() { return *pressure_storage_; }
  Obj& wales_object() { return *wales_storage_; }
  Obj& factors() { return *factors_storage_; }
};

void ProblemWriter::read_control() {
  c_ = derived_counts(json_);
  Obj counts = p_.object("counts");
  for (const CountField& f : kCountFields) {
    if (counts.has(f.name)) {
      c_.*(f.member) = counts.integer(f.name);
    } else {
      counts.member(f.name);
    }
  }
  counts.finish();
  c_.unit_system = p_.code("units", kUnitWords, 0);
  c_.stage_code = p_.integer("stage");
  c_.hinge_model = p_.flag("hinge_model");
  pressure_storage_.reset();
  pressure_storage_.emplace(p_.object("earth_pressure"));
  c_.earth_pressure_option = pressure().code("option", kPressureWords, 0);
  c_.py_option = p_.code("py_curves", kPyWords, 0);
  wales_storage_.reset();
  wales_storage_.emplace(p_.object("wales"));
  if (p_.has("wales")) {
    c_.wale_continuity = wales_object().code("continuity", kContinuityWords, 0);
  }
  factors_storage_.reset();
  factors_storage_.emplace(p_.object("py_factors"));
  check_counts(counts);
}

// A count kept as read must not change which records are read: a group
// whose records are read holds as many as its list.
void ProblemWriter::check_counts(const Obj& counts) {
  if (ends_run()) return;  // nothing after the wall geometry is read
  const DerivedCounts lists = derived_counts(json_);
  const bool curves_read =
      c_.py_curves() == engine::PyOption::kUserCurves ||
      (c_.generated_py_curves() &&
       c_.pressure_option() != engine::EarthPressureOption::kSoilMovement);
  for (const CountField& f : kCountFields) {
    if (!counts.has(f.name) || f.name == "wale_continuity") continue;
    const int count = c_.*(f.member);
    const int listed = lists.*(f.member);
    const std::string where = counts.at(f.name);
    if (f.name == "wale_flag") {
      if (count <= 0 && listed > 0) {
        w_.fault(where, "a wale flag of " + std::to_string(count) +
                            " reads no wales, but the problem has wales");
      }
      continue;
    }
    const bool read = count > 0 && (f.name != "user_py_curves" || curves_read);
    if (read ? count != listed : listed > 0) {
      w_.fault(where, "a count of " + std::to_string(count) + " reads " +
                          std::to_string(read ? count : 0) +
                          " records, but the list holds " +
                          std::to_string(listed) +
                          ": leave the count out, the list gives it");
    }
  }
}

void ProblemWriter::control_record() {
  w_.begin(p_.path());
  w_.put_int(p_.at("units"), c_.unit_system);
  w_.put_int(p_.at("specified_conditions"), c_.specified_points);
  w_.put_int(p_.at("wall_sections"), c_.wall_sections);
  w_.put_int(p_.at("cross_sections"), c_.cross_sections);
  w_.put_int(p_.at("py_factors"), c_.py_factors);
  w_.put_int(p_.at("earth_pressure.option"), c_.earth_pressure_option);
  w_.put_int(p_.at("py_curves"), c_.py_option);
  w_.put_int(p_.at("user_curves"), c_.user_py_curves);
  w_.put_int(p_.at("stage"), c_.stage_code);
  w_.put_int(p_.at("ei_sets"), c_.nonlinear_ei_sets);
  w_.put_int(p_.at("tie_backs"), c_.tie_backs);
  w_.put_int(p_.at("hinge_model"), c_.hinge_model);
  w_.put_int(p_.at("wales"), c_.wale_flag);
  w_.put_int(p_.at("wales.continuity"), c_.wale_continuity);
  w_.put_int(p_.at("struts"), c_.struts);
  w_.end();
}

void ProblemWriter::geometry_record() {
  Obj g = p_.object("wall");
  w_.begin(g.path());
  w_.integer(g, "increments");
  w_.real(g, "increment_length");
  w_.real(g, "allowable_deflection");
  w_.real(g, "closure_tolerance");
  w_.real(g, "reference_depth");
  w_.real(g, "width");
  w_.real(g, "height");
  w_.integer(g, "max_iterations");
  w_.integer(g, "ninth_value");
  w_.integer(g, "tenth_value");
  w_.flag(g, "section_adjustment");
  w_.end();
  g.finish();
}

void ProblemWriter::conditions() {
  const std::string path = p_.at("specified_conditions");
  const auto items = p_.list("specified_conditions");
  for (size_t i = 0; i < items.size(); ++i) {
    Obj o(w_, items[i], item_path(path, i));
    w_.begin(o.path());
    w_.put_int(o.at("fixes"), o.code("fixes", kConditionWords, 1));
    w_.integer(o, "station");
    w_.real(o, "deflection");
    w_.real(o, "slope");
    w_.end();
    o.finish();
  }
}

void ProblemWriter::wall_sections() {
  const std::string path = p_.at("wall_sections");
  const auto items = p_.list("wall_sections");
  for (size_t i = 0; i < items.size(); ++i) {
    Obj o(w_, items[i], item_path(path, i));
    w_.begin(o.path());
    w_.real(o, "top");
    w_.real(o, "bottom");
    w_.integer(o, "cross_section");
    w_.end();
    o.finish();
  }
}

void named_row(Writer& w, Obj& o, const std::string_view* names, size_t n) {
  for (size_t i = 0; i < n; ++i) w.real(o, names[i]);
}

void ProblemWriter::cross_section(const Json* j, const std::string& path) {
  Obj o(w_, j, path);
  const int ei = o.code("ei", kEiWords, 0);
  w_.begin(o.path());
  w_.integers(o, "unused", 2);
  w_.put_int(o.at("shape"), o.code("shape", kShapeWords, 1));
  w_.put_int(o.at("ei"), ei);
  w_.end();
  w_.begin(o.path());
  w_.text(o, "name");
  w_.end();
  Obj d = o.object("dimensions");
  if (ei != 0) {
    w_.begin(d.path());
    named_row(w_, d, kDimensionNames, 8);
    w_.real(o, "elastic_modulus");
    w_.end();
    d.finish();
    Obj n = o.object("nonlinear");
    w_.begin(n.path());
    w_.integer(n, "material_option");
    w_.reals(n, "materials", 10);
    w_.end();
    const auto bar_list =
        integer_list(w_, n.member("bar_list"), n.at("bar_list"), std::nullopt);
    const auto bars = n.list("bars");
    const auto strand_list = integer_list(w_, n.member("strand_list"),
                                          n.at("strand_list"), std::nullopt);
    const auto strands = n.list("strands");
    const auto casing = n.list("casing_table");
    const auto steel = n.list("steel_table");
    w_.begin(n.path());
    w_.reals(n, "reinforcement", 6);
    w_.put_int(n.at("bar_list"), static_cast<int>(bar_list.size()));
    w_.put_int(n.at("bars"), static_cast<int>(bars.size()));
    w_.put_int(n.at("strand_list"), static_cast<int>(strand_list.size()));
    w_.put_int(n.at("strands"), static_cast<int>(strands.size()));
    w_.end();
    w_.begin(n.path());
    w_.text(n, "steel_name");
    w_.end();
    w_.begin(n.path());
    for (size_t i = 0; i < bar_list.size(); ++i) {
      w_.put_int(item_path(n.at("bar_list"), i), bar_list[i]);
    }
    w_.reals(n, "bar_values", 5);
    w_.integer(n, "bar_option");
    w_.end();
    w_.begin(n.path());
    w_.integers(n, "layout_options", 6);
    w_.reals(n, "layout_values", 4);
    w_.end();
    point_records(w_, n, "bars", 3);
    w_.begin(n.path());
    for (size_t i = 0; i < strand_list.size(); ++i) {
      w_.put_int(item_path(n.at("strand_list"), i), strand_list[i]);
    }
    w_.reals(n, "strand_values", 7);
    w_.end();
    point_records(w_, n, "strands", 3);
    w_.begin(n.path());
    w_.integers(n, "casing_options", 2);
    w_.put_int(n.at("casing_table"), static_cast<int>(casing.size()));
    w_.reals(n, "casing_values", 2);
    w_.end();
    value_records(n.at("casing_table"), casing);
    w_.begin(n.path());
    w_.integers(n, "confinement_options", 7);
    w_.reals(n, "confinement_values", 4);
    w_.end();
    w_.begin(n.path());
    w_.integers(n, "steel_options", 3);
    w_.put_int(n.at("steel_table"), static_cast<int>(steel.size()));
    w_.reals(n, "steel_values", 2);
    w_.end();
    value_records(n.at("steel_table"), steel);
    n.finish();
    o.member("properties");
    o.member("bottom");
    o.member("option_record");
    o.member("remark");
    if (o.has("properties") || o.has("bottom") || o.has("option_record") ||
        o.has("remark")) {
      w_.fault(o.path(),
               "a nonlinear section takes no properties, bottom, "
               "option record or remark: give elastic_modulus and "
               "nonlinear");
    }
  } else {
    w_.begin(d.path());
    named_row(w_, d, kDimensionNames, 8);
    w_.end();
    d.finish();
    Obj q = o.object("properties");
    const bool bottom = o.has("bottom");
    w_.begin(q.path());
    named_row(w_, q, kPropertyNames, 10);
    w_.real(q, "further_value");
    w_.put_int(o.at("bottom"), bottom ? 1 : 0);
    w_.end();
    q.finish();
    Obj b = o.object("bottom");
    if (bottom) {
      Obj bd = b.object("dimensions");
      w_.begin(bd.path());
      named_row(w_, bd, kDimensionNames, 8);
      w_.end();
      bd.finish();
      Obj bq = b.object("properties");
      w_.begin(bq.path());
      named_row(w_, bq, kPropertyNames, 10);
      w_.real(bq, "further_value");
      w_.end();
      bq.finish();
    }
    b.finish();
    Obj r = o.object("option_record");
    w_.begin(r.path());
    w_.integers(r, "options", 2);
    w_.real(r, "value");
    w_.integers(r, "more_options", 6);
    w_.end();
    r.finish();
    w_.begin(o.path());
    w_.text(o, "remark");
    w_.end();
    o.member("elastic_modulus");
    o.member("nonlinear");
    if (o.has("elastic_modulus") || o.has("nonlinear")) {
      w_.fault(o.path(),
               "an elastic section takes its modulus in "
               "properties.elastic_modulus and no nonlinear records");
    }
  }
  o.member("moment_curvature");  // written after every section
  o.finish();
}

void ProblemWriter::curvature_points(Obj& o, std::string_view name) {
  const auto points = o.list(name);
  w_.begin(o.at(name));
  w_.put_int(o.at(name), 0);
  w_.put_int(o.at(name), static_cast<int>(points.size()));
  w_.end();
  point_records(w_, o, name, 2);
}

void ProblemWriter::moment_curvature(const Json* j, const std::string& path) {
  Obj o(w_, j, path);
  const std::string tp = o.at("moment_curvature");
  const auto levels = o.list("moment_curvature");
  w_.begin(tp);
  w_.put_int(tp, 0);
  w_.put_int(tp, static_cast<int>(levels.size()));
  w_.end();
  for (size_t i = 0; i < levels.size(); ++i) {
    Obj l(w_, levels[i], item_path(tp, i));
    w_.begin(l.path());
    w_.real(l, "thrust");
    w_.real(l, "second_value");
    w_.end();
    curvature_points(l, "points");
    l.finish();
  }
}

void ProblemWriter::ei_sets() {
  const std::string path = p_.at("ei_sets");
  const auto sets = p_.list("ei_sets");
  if (c_.nonlinear_ei_sets <= 0) return;
  w_.begin(path);
  w_.put_int(path, 0);
  w_.end();
  for (size_t i = 0; i < sets.size(); ++i) {
    Obj s(w_, sets[i], item_path(path, i));
    w_.begin(s.path());
    w_.real(s, "thrust");
    w_.end();
    curvature_points(s, "points");
    s.finish();
  }
}

void ProblemWriter::entries() {
  const std::string path = p_.at("loads");
  const auto items = p_.list("loads");
  count_record(path, static_cast<int>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    Obj o(w_, items[i], item_path(path, i));
    w_.begin(o.path());
    w_.flag(o, "continued");
    w_.integer(o, "from");
    w_.integer(o, "to");
    w_.real(o, "load");
    w_.real(o, "torque");
    w_.real(o, "axial");
    w_.end();
    o.finish();
  }
}

void ProblemWriter::anchors(std::string_view name, bool tie_back) {
  const std::string path = p_.at(name);
  const auto items = p_.list(name);
  for (size_t i = 0; i < items.size(); ++i) {
    Obj o(w_, items[i], item_path(path, i));
    w_.begin(o.path());
    for (std::string_view f :
         {"depth", "area", "modulus", "unbonded_length", "angle", "spacing"}) {
      w_.real(o, f);
    }
    if (tie_back) w_.real(o, "prestress");
    w_.end();
    o.finish();
  }
}

void ProblemWriter::supports() {
  const std::string path = p_.at("restraints");
  const auto items = p_.list("restraints");
  count_record(path, static_cast<int>(items.size()));
  for (size_t i = 0; i < items.size(); ++i) {
    Obj o(w_, items[i], item_path(path, i));
    w_.begin(o.path());
    w_.integer(o, "from");
    w_.integer(o, "to");
    w_.flag(o, "continued");
    w_.real(o, "lateral");
    w_.real(o, "rotational");
    w_.end();
    o.finish();
  }
  anchors("tie_backs", true);
  anchors("struts", false);
}

void ProblemWriter::wales() {
  const std::string path = wales_object().at("records");
  const auto items = wales_object().list("records");
  if (c_.wale_flag > 0) {
    count_record(path, static_cast<int>(items.size()));
    for (size_t i = 0; i < items.size(); ++i) {
      Obj o(w_, items[i], item_path(path, i));
      w_.begin(o.path());
      w_.integer(o, "number");
      w_.reals(o, "values", 3);
      w_.end();
      o.finish();
    }
  }
  wales_object().finish();
}

void ProblemWriter::py_factors() {
  const std::string path = factors().at("rows");
  const auto rows = factors().list("rows");
  const int option = factors().code("option", kFactorOptionWords, 0);
  if (c_.py_factors > 0) {
    w_.begin(factors().at("option"));
    w_.put_int(factors().at("option"), option);
    w_.end();
    for (size_t i = 0; i < rows.size(); ++i) {
      Obj o(w_, rows[i], item_path(path, i));
      w_.begin(o.path());
      w_.real(o, "depth");
      w_.real(o, "p");
      w_.real(o, "y");
      w_.end();
      o.finish();
    }
  }
  factors().finish();
}

void ProblemWriter::not_read(std::string_view name, const std::string& why) {
  w_.fault(p_.at(name), "not read: " + why);
}

void ProblemWriter::earth_pressure() {
  const std::string path = pressure().at("points");
  const bool specified =
      c_.pressure_option() == engine::EarthPressureOption::kSpecified;
  if (pressure().has("points") && !specified) {
    w_.fault(path,
             "not read: specified points are read with the option "
             "\"specified\" only");
  }
  const auto points = pressure().list("points");
  if (specified) {
    count_record(path, static_cast<int>(points.size()));
    for (size_t i = 0; i < points.size(); ++i) {
      Obj o(w_, points[i], item_path(path, i));
      w_.begin(o.path());
      w_.real(o, "depth");
      w_.real(o, "pressure");
      w_.end();
      o.finish();
    }
  }
  pressure().finish();
  const bool form_b = c_.generated_pressure() || c_.generated_py_curves();
  if (!form_b) {
    if (p_.has("soil")) {
      not_read("soil",
               "the soil is read with a generated earth pressure or "
               "generated p-y curves only");
    }
    p_.member("soil");
    return;
  }
  if (!p_.has("soil")) {
    w_.fault(p_.at("soil"),
             "missing: a generated earth pressure or generated "
             "p-y curves need the soil");
  }
  soil();
}

void ProblemWriter::soil() {
  Obj s = p_.object("soil");
  w_.begin(s.path());
  for (std::string_view f :
       {"free_height", "width_pressure", "width_resistance",
        "water_table_backfill", "water_table_excavation", "active_factor"}) {
    w_.real(s, f);
  }
  w_.flag(s, "water_pressure");
  w_.real(s, "backfill_slope");
  w_.real(s, "excavation_slope");
  w_.end();
  Obj f = s.object("surface");
  w_.begin(f.path());
  for (std::string_view n : {"pressure", "distance", "point_load", "line_load",
                             "strip_load", "strip_width"}) {
    w_.real(f, n);
  }
  w_.end();
  f.finish();
  const std::string sp = s.at("surcharges");
  const auto surcharges = s.list("surcharges");
  count_record(sp, static_cast<int>(surcharges.size()));
  for (size_t i = 0; i < surcharges.size(); ++i) {
    Obj o(w_, surcharges[i], item_path(sp, i));
    w_.begin(o.path());
    w_.put_int(o.at("type"), o.code("type", kSurchargeWords, 0));
    for (std::string_view n :
         {"load", "distance", "width", "vertical", "factor"}) {
      w_.real(o, n);
    }
    w_.end();
    o.finish();
  }
  const std::string lp = s.at("layers");
  const auto layers = s.list("layers");
  w_.begin(s.path());
  w_.put_int(lp, static_cast<int>(layers.size()));
  w_.put_int(s.at("loading"), s.code("loading", kLoadingWords, 1));
  w_.real(s, "load_cycles");
  w_.end();
  for (size_t i = 0; i < layers.size(); ++i) {
    Obj l(w_, layers[i], item_path(lp, i));
    w_.begin(l.path());
    w_.put_int(l.at("soil"), l.code("soil", kSoilWords, 1));
    w_.real(l, "top");
    w_.real(l, "bottom");
    w_.end();
    for (std::string_view side : {"at_top", "at_bottom"}) {
      Obj v = l.object(side);
      w_.begin(v.path());
      for (std::string_view n :
           {"unit_weight", "strength", "friction_angle", "epsilon50",
            "subgrade_modulus", "coefficient_or_rqd"}) {
        w_.real(v, n);
      }
      w_.end();
      v.finish();
    }
    l.finish();
  }
  s.finish();
}

void ProblemWriter::user_curves() {
  const std::string path = p_.at("user_curves");
  const auto curves = p_.list("user_curves");
  const bool read =
      c_.user_py_curves > 0 &&
      (c_.py_curves() == engine::PyOption::kUserCurves ||
       (c_.generated_py_curves() &&
        c_.pressure_option() != engine::EarthPressureOption::kSoilMovement));
  if (!read) {
    if (!curves.empty()) {
      not_read("user_curves",
               "user p-y curves are read with the p-y curves "
               "\"user\", or \"generated\" with an "
               "earth-pressure option other than "
               "\"soil_movement\"");
    }
    return;
  }
  for (size_t i = 0; i < curves.size(); ++i) {
    Obj o(w_, curves[i], item_path(path, i));
    const auto points = o.list("points");
    w_.begin(o.path());
    w_.integer(o, "station");
    w_.put_int(o.at("points"), static_cast<int>(points.size()));
    w_.real(o, "p_multiplier", 1.0);
    w_.real(o, "y_multiplier", 1.0);
    w_.end();
    point_records(w_, o, "points", 2);
    o.finish();
  }
}

bool ProblemWriter::write(bool last) {
  read_control();
  // A carriage return that ends the line would be taken for its line end.
  std::string title = p_.text("title", 70);
  if (!title.empty() && title.back() == '\r') title += ' ';
  w_.fixed_line(p_.at("title"), title);
  control_record();
  geometry_record();
  if (ends_run()) {
    // Nothing after the wall-geometry record is read.
    for (const auto& [key, value] : json_.items()) p_.member(key);
    p_.finish();
    return false;
  }
  conditions();
  wall_sections();
  const std::string cp = p_.at("cross_sections");
  const auto sections = p_.list("cross_sections");
  for (size_t i = 0; i < sections.size(); ++i) {
    cross_section(sections[i], item_path(cp, i));
  }
  ei_sets();
  if (c_.cross_sections > 0) {
    for (size_t i = 0; i < sections.size(); ++i) {
      moment_curvature(sections[i], item_path(cp, i));
    }
  }
  entries();
  supports();
  wales();
  py_factors();
  earth_pressure();
  user_curves();
  const int continuation =
      p_.has("continuation") ? p_.integer("continuation") : (last ? 0 : 1);
  p_.member("continuation");
  const bool ends = continuation == 0 || continuation == c_.stage_code;
  if (!last && ends) {
    w_.fault(p_.at("continuation"),
             "the continuation code " + std::to_string(continuation) +
                 " ends the run before the problems that follow");
  } else if (last && !ends) {
    w_.fault(p_.at("continuation"),
             "the continuation code " + std::to_string(continuation) +
                 " of the last problem asks for another problem; 0 ends the "
                 "run");
  }
  count_record(p_.at("continuation"), continuation);
  p_.finish();
  return true;
}

}  // namespace

DataText project_to_data_text(const Json& project, const std::string& file,
                              std::vector<Diagnostic>& faults) {
  Writer w(file, faults);
  Obj top(w, &project, "");
  if (!project.is_object()) return w.take();
  const Json* format = top.member("format");
  if (format != nullptr && *format != std::string(kFormatName)) {
    w.fault("format", "expected \"" + std::string(kFormatName) + "\", found " +
                          kind_of(*format));
  }
  const Json* version = top.member("version");
  if (version != nullptr && *version != kFormatVersion) {
    w.fault("version", "expected " + std::to_string(kFormatVersion) +
                           ", found " + kind_of(*version));
  }
  const Json* problems = top.member("problems");
  if (problems == nullptr || !problems->is_array() || problems->empty()) {
    w.fault("problems", "expected a list of one or more problems, found " +
                            (problems == nullptr ? std::string("nothing")
                                                 : kind_of(*problems)));
    top.finish();
    return w.take();
  }
  for (size_t i = 0; i < problems->size(); ++i) {
    ProblemWriter pw(w, (*problems)[i], item_path("problems", i));
    if (!(*problems)[i].is_object()) {
      w.fault(item_path("problems", i),
              "expected an object, found " + kind_of((*problems)[i]));
      continue;
    }
    if (!pw.write(i + 1 == problems->size())) {
      if (i + 1 < problems->size()) {
        w.fault(item_path("problems", i + 1),
                "never read: the negative iteration limit of " +
                    item_path("problems", i) +
                    ".wall.max_iterations ends the run");
      }
      break;
    }
  }
  top.finish();
  return w.take();
}

void ProjectSource::locate(Diagnostic& d, int problem) const {
  const size_t line = d.line >= 1 ? static_cast<size_t>(d.line - 1) : 0;
  const int r = d.line >= 1 && line < data_.record_of_line.size()
                    ? data_.record_of_line[line]
                    : -1;
  if (r >= 0) {
    const DataText::Record& record = data_.records[static_cast<size_t>(r)];
    d.path =
        d.field >= 1 && static_cast<size_t>(d.field) <= record.fields.size()
            ? record.fields[static_cast<size_t>(d.field - 1)]
            : record.path;
  } else {
    d.path = item_path("problems", static_cast<size_t>(problem));
  }
  d.file = file_;
  d.line = 0;
}

}  // namespace korvan::project
