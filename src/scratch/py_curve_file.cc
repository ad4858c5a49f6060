#include "scratch/py_curve_file.h"

#include "input/record_reader.h"
#include "report/fortran_format.h"
#include "report/record_writer.h"

namespace korvan::scratch {

using report::fmt_e;
using report::fmt_i;
using report::list_int;
using report::list_real;

void write_py_file(std::ostream& file,
                   const std::vector<engine::UserPyCurve>& user,
                   const std::vector<py::GeneratedCurve>& generated,
                   int count) {
  report::RecordWriter out(file);
  out.list_int(count).end_line();
  for (const engine::UserPyCurve& c : user) {
    out.list_int(c.station)
        .list_int(static_cast<long long>(c.points.size()))
        .end_line();
    int n = 0;
    for (const auto& [y, p] : c.points) {
      out.list_int(++n)
          .list_real(p * c.p_multiplier)
          .list_real(y * c.y_multiplier)
          .end_line();
    }
  }
  for (const py::GeneratedCurve& c : generated) {
    out.list_real(c.depth).list_int(34).end_line();
    for (const py::SideCurve* side : {&c.excavation, &c.backfill}) {
      int n = 0;
      for (const py::CurvePoint& p : side->points) {
        out.i(++n, 5);
        const engine::SoilModel model = c.model();
        if (model == engine::SoilModel::kSilt ||
            model == engine::SoilModel::kWeakRock) {
          out.blanks(2).e(p.p, 10, 3).blanks(2).e(p.y, 10, 3).end_line();
        } else if (model == engine::SoilModel::kRock) {
          out.blanks(1).e(p.p, 10, 3, 1).e(p.y, 10, 3, 1).end_line();
        } else {
          out.blanks(1).e(p.p, 10, 3, 1).blanks(1).e(p.y, 10, 3, 1).end_line();
        }
      }
    }
  }
}

namespace {

// `n` points of a curve: point number, p, y; returned as (y, p).
std::vector<std::pair<double, double>> read_points(engine::RecordReader& in,
                                                   const std::string& record,
                                                   int n) {
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i < n; ++i) {
    in.begin(record);
    in.integer("point number");
    const double p = in.real("p");
    const double y = in.real("y");
    in.end();
    points.emplace_back(y, p);
  }
  return points;
}

}  // namespace

PyCurveFile read_py_file(std::istream& file, const std::string& file_name,
                         size_t user_curves, size_t generated_curves) {
  engine::RecordReader in(file, file_name);
  PyCurveFile read;
  in.begin("p-y curve count record");
  read.count = in.integer("number of curves");
  in.end();
  if (read.count > engine::kMaxPyCurves) {
    in.fail(engine::StopKind::kTooMuchData,
            std::to_string(read.count) + " curves, at most " +
                std::to_string(engine::kMaxPyCurves));
  }
  if (read.count < 0) {
    in.fail(engine::StopKind::kQuiet, "negative number of curves");
  }
  if (read.count == 0) return read;
  for (size_t u = 0; u < user_curves; ++u) {
    in.begin("user p-y curve header");
    UserCurveRead c;
    c.station = in.integer("station");
    const int n = in.integer("number of points");
    in.end();
    c.points = read_points(in, "user p-y curve point", n);
    read.user.push_back(std::move(c));
  }
  for (size_t k = 0; k < generated_curves; ++k) {
    in.begin("generated p-y curve header");
    GeneratedCurveRead c;
    c.depth = in.real("depth");
    const int n = in.integer("number of points");
    // The wall takes a generated curve's 34 points by their places.
    if (n != 34) {
      in.fail(engine::StopKind::kInvalid,
              "a generated curve has 34 points, not " + std::to_string(n));
    }
    in.end();
    c.points = read_points(in, "generated p-y curve point", n);
    read.generated.push_back(std::move(c));
  }
  return read;
}

}  // namespace korvan::scratch
