// korvan._korvan: the engine for Python, over the public C++ interface.
//
// Every entry point takes and returns plain Python values (texts, dicts,
// lists, numpy arrays), so that results pickle and travel between the
// processes of a study. The engine runs with the GIL released: one Engine
// per call, so calls from several threads run at the same time.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include <korvan/engine.h>
#include <korvan/number_text.h>
#include <korvan/project.h>
#include <korvan/results.h>
#include <korvan/version.h>

namespace py = pybind11;

namespace {

// Text from the engine as Python text: bytes of the input that are not
// UTF-8 (a title, a value quoted in a diagnostic) become U+FFFD.
py::str text(const std::string& s) {
  PyObject* o = PyUnicode_DecodeUTF8(s.data(), static_cast<Py_ssize_t>(s.size()),
                                     "replace");
  if (o == nullptr) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(o);
}

py::list texts(const std::vector<std::string>& v) {
  py::list out;
  for (const std::string& s : v) out.append(text(s));
  return out;
}

const char* status_name(korvan::RunStatus s) {
  switch (s) {
    case korvan::RunStatus::kCompleted:
      return "completed";
    case korvan::RunStatus::kNotClosed:
      return "not closed";
    case korvan::RunStatus::kInputError:
      return "input error";
    case korvan::RunStatus::kGeneratorStop:
      return "generator stop";
    case korvan::RunStatus::kFileError:
      return "file error";
  }
  return "file error";
}

py::dict diagnostic_dict(const korvan::Diagnostic& d) {
  py::dict o;
  o["file"] = text(d.file);
  o["line"] = d.line;
  o["record"] = text(d.record);
  o["field"] = d.field;
  o["field_name"] = text(d.field_name);
  o["message"] = text(d.message);
  o["path"] = text(d.path);
  return o;
}

py::list diagnostics_list(const std::vector<korvan::Diagnostic>& ds) {
  py::list out;
  for (const korvan::Diagnostic& d : ds) out.append(diagnostic_dict(d));
  return out;
}

py::object optional_number(const std::optional<double>& v) {
  return v ? py::object(py::float_(*v)) : py::object(py::none());
}

py::dict extreme_dict(const korvan::Extreme& e) {
  py::dict o;
  o["value"] = e.value;
  o["depth"] = e.depth;
  return o;
}

template <class Get>
py::array_t<double> station_column(const korvan::ProblemResults& p, Get get) {
  py::array_t<double> a(static_cast<py::ssize_t>(p.stations.size()));
  auto m = a.mutable_unchecked<1>();
  for (size_t k = 0; k < p.stations.size(); ++k) {
    m(static_cast<py::ssize_t>(k)) = get(p.stations[k]);
  }
  return a;
}

py::dict problem_dict(const korvan::ProblemResults& p) {
  using korvan::StationResults;
  py::dict o;
  o["number"] = p.number;
  o["title"] = text(p.title);
  o["stage_code"] = p.stage_code;
  o["english"] = p.english;
  o["outcome"] = korvan::outcome_name(p.outcome);
  o["outcome_detail"] = text(p.outcome_detail);
  o["warnings"] = texts(p.warnings);
  o["iterations"] = p.iterations;
  o["increments"] = p.increments;
  o["increment_length"] = p.increment_length;
  o["wall_width"] = p.wall_width;
  o["station_loads"] =
      py::array_t<double>(static_cast<py::ssize_t>(p.station_loads.size()),
                          p.station_loads.data());
  o["excavation_depth"] = optional_number(p.excavation_depth);
  o["reference_depth"] = p.reference_depth;
  o["water_table_backfill"] = optional_number(p.water_backfill);
  o["water_table_excavation"] = optional_number(p.water_excavation);

  py::list layers;
  for (const korvan::SoilLayerResults& l : p.soil_layers) {
    py::dict d;
    d["type"] = l.type;
    d["top"] = l.top;
    d["bottom"] = l.bottom;
    layers.append(d);
  }
  o["soil_layers"] = layers;
  py::list positions;
  for (const korvan::SupportPosition& s : p.support_positions) {
    py::dict d;
    d["number"] = s.number;
    d["tie_back"] = s.tie_back;
    d["depth"] = s.depth;
    positions.append(d);
  }
  o["support_positions"] = positions;

  py::dict st;
  py::array_t<int> station(static_cast<py::ssize_t>(p.stations.size()));
  for (size_t k = 0; k < p.stations.size(); ++k) {
    station.mutable_at(static_cast<py::ssize_t>(k)) = p.stations[k].station;
  }
  st["station"] = station;
  st["depth"] = station_column(p, [](const StationResults& s) { return s.depth; });
  st["deflection"] =
      station_column(p, [](const StationResults& s) { return s.deflection; });
  st["slope"] = station_column(p, [](const StationResults& s) { return s.slope; });
  st["moment"] = station_column(p, [](const StationResults& s) { return s.moment; });
  st["shear"] = station_column(p, [](const StationResults& s) { return s.shear; });
  st["soil_reaction"] =
      station_column(p, [](const StationResults& s) { return s.soil_reaction; });
  st["net_force"] =
      station_column(p, [](const StationResults& s) { return s.net_force; });
  st["rigidity"] =
      station_column(p, [](const StationResults& s) { return s.rigidity; });
  st["corrected_moment"] = station_column(
      p, [](const StationResults& s) { return s.corrected_moment; });
  st["corrected_shear"] = station_column(
      p, [](const StationResults& s) { return s.corrected_shear; });
  o["stations"] = st;

  py::list supports;
  for (const korvan::SupportResults& s : p.supports) {
    py::dict d;
    d["number"] = s.number;
    d["tie_back"] = s.tie_back;
    d["station"] = s.station;
    d["depth"] = s.depth;
    d["angle"] = s.angle;
    d["spacing"] = s.spacing;
    d["prestress"] = s.prestress;
    d["horizontal_per_station"] = s.horizontal_per_station;
    d["along_per_station"] = s.along_per_station;
    d["per_support"] = s.per_support;
    d["wale"] = s.wale;
    d["wale_reaction"] = s.wale_reaction;
    d["wale_load"] = s.wale_load;
    d["wale_moment"] = s.wale_moment;
    supports.append(d);
  }
  o["supports"] = supports;

  py::list restraints;
  for (const korvan::RestraintResults& r : p.restraints) {
    py::dict d;
    d["station"] = r.station;
    d["depth"] = r.depth;
    d["force"] = r.force;
    d["moment"] = r.moment;
    restraints.append(d);
  }
  o["restraints"] = restraints;

  py::list reactions;
  for (const korvan::NodeReaction& r : p.node_reactions) {
    py::dict d;
    d["number"] = r.number;
    d["station"] = r.station;
    d["depth"] = r.depth;
    d["force"] = r.force;
    reactions.append(d);
  }
  o["node_reactions"] = reactions;

  py::list pressure;
  for (const korvan::PressurePoint& q : p.pressure) {
    py::dict d;
    d["depth"] = q.depth;
    d["load"] = q.load;
    pressure.append(d);
  }
  o["earth_pressure"] = pressure;

  py::list curves;
  for (const korvan::CurveResults& c : p.curves) {
    py::dict d;
    d["station"] = c.station;
    d["depth"] = c.depth;
    d["generated"] = c.generated;
    py::array_t<double> pts({static_cast<py::ssize_t>(c.points.size()),
                             static_cast<py::ssize_t>(2)});
    auto m = pts.mutable_unchecked<2>();
    for (size_t k = 0; k < c.points.size(); ++k) {
      m(static_cast<py::ssize_t>(k), 0) = c.points[k].first;
      m(static_cast<py::ssize_t>(k), 1) = c.points[k].second;
    }
    d["points"] = pts;
    curves.append(d);
  }
  o["py_curves"] = curves;

  o["max_deflection"] = extreme_dict(p.max_deflection);
  o["max_moment"] = extreme_dict(p.max_moment);
  o["min_moment"] = extreme_dict(p.min_moment);
  o["max_shear"] = extreme_dict(p.max_shear);
  return o;
}

// One run on a text: the input data file's text, or a project's JSON text
// when `input_name` ends in ".json".
py::dict run_text(const std::string& input, const std::string& input_name,
                  int max_iterations, std::optional<std::string> shown_path,
                  std::optional<std::string> version_label,
                  std::optional<std::vector<int>> fixed_clock) {
  korvan::RunOptions options;
  options.input_name = input_name;
  options.max_iterations = max_iterations;
  options.collect_results = true;
  options.version_label = std::move(version_label);
  options.shown_input_path = std::move(shown_path);
  if (fixed_clock) {
    const std::vector<int>& c = *fixed_clock;
    if (c.size() != 6) {
      throw py::value_error(
          "fixed_clock: six integers, year, month, day, hour, minute, second");
    }
    options.fixed_clock = korvan::ClockTime{c[0], c[1], c[2], c[3], c[4], c[5]};
  }
  korvan::RunText out;
  {
    py::gil_scoped_release release;
    korvan::Engine engine;
    out = engine.run_text(input, options);
  }
  py::dict o;
  const korvan::RunResult& r = out.result;
  o["status"] = status_name(r.status);
  o["exit_status"] = static_cast<int>(r.status);
  o["message"] = text(r.message);
  o["stop_code"] = r.stop_code;
  o["problem_count"] = r.problems;
  o["diagnostic"] = r.diagnostic ? py::object(diagnostic_dict(*r.diagnostic))
                                 : py::object(py::none());
  py::list problems;
  for (const korvan::ProblemResults& p : r.results) {
    problems.append(problem_dict(p));
  }
  o["problems"] = problems;
  o["report"] = text(out.report);
  o["plot"] = text(out.plot);
  o["iteration"] = text(out.iteration);
  return o;
}

py::tuple conversion_tuple(const korvan::Conversion& c) {
  return py::make_tuple(text(c.text), text(c.message),
                        diagnostics_list(c.diagnostics));
}

py::dict units_dict(bool english) {
  const korvan::present::Units u = korvan::present::units_of(english);
  py::dict o;
  o["system"] = u.english ? "English" : "metric";
  o["length"] = u.length;
  o["force"] = u.force;
  o["moment"] = u.moment;
  o["line_load"] = u.line_load;
  o["rigidity"] = u.rigidity;
  o["spacing"] = u.spacing;
  o["wale_load"] = u.wale_load;
  o["wale_moment"] = u.wale_moment;
  o["shown_depth"] = u.depth;
  o["depth_factor"] = u.depth_factor;
  o["shown_deflection"] = u.deflection;
  o["deflection_factor"] = u.deflection_factor;
  return o;
}

}  // namespace

PYBIND11_MODULE(_korvan, m) {
  m.doc() = "korvan engine (compiled part); use the korvan package.";
  m.attr("__version__") = KORVAN_VERSION;
  m.def("run_text", &run_text, py::arg("text"), py::arg("input_name"),
        py::arg("max_iterations") = 0, py::arg("shown_path") = py::none(),
        py::arg("version_label") = py::none(),
        py::arg("fixed_clock") = py::none(),
        "Runs the text of an input data file (or a project, when input_name "
        "ends in .json); returns the outputs and results as a dict.");
  m.def(
      "data_to_project",
      [](const std::string& text, const std::string& name) {
        korvan::Conversion c;
        {
          py::gil_scoped_release release;
          c = korvan::data_to_project(text, name);
        }
        return conversion_tuple(c);
      },
      py::arg("text"), py::arg("name") = "input.dat");
  m.def(
      "project_to_data",
      [](const std::string& text, const std::string& name) {
        korvan::Conversion c;
        {
          py::gil_scoped_release release;
          c = korvan::project_to_data(text, name);
        }
        return conversion_tuple(c);
      },
      py::arg("text"), py::arg("name") = "model.json");
  m.def(
      "validate_project",
      [](const std::string& text, const std::string& name) {
        std::vector<korvan::Diagnostic> ds;
        {
          py::gil_scoped_release release;
          ds = korvan::validate_project(text, name);
        }
        return diagnostics_list(ds);
      },
      py::arg("text"), py::arg("name") = "model.json");
  m.def("is_project_name", [](const std::string& name) {
    return korvan::is_project_name(name);
  });
  m.def("units", &units_dict, py::arg("english"));
}
