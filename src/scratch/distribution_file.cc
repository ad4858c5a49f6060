#include "scratch/distribution_file.h"

#include "input/record_reader.h"
#include "report/fortran_format.h"
#include "report/record_writer.h"

namespace korvan::scratch {

void write_distribution_file(
    std::ostream& file, const std::vector<pressure::DistributionPoint>& pts) {
  using report::fmt_e;
  using report::list_int;
  report::RecordWriter out(file);
  out.list_int(static_cast<long long>(pts.size())).end_line();
  for (const pressure::DistributionPoint& p : pts) {
    for (int c = pressure::DistributionPoint::kDepth;
         c <= pressure::DistributionPoint::kColumns; ++c) {
      out.blanks(1).e(p.col[c], 12, 5, 1);
    }
    out.end_line();
  }
}

std::vector<pressure::DistributionPoint> read_distribution_file(
    std::istream& file, const std::string& file_name) {
  engine::RecordReader in(file, file_name);
  in.begin_count("distribution count record");
  const int count = in.integer("number of points");
  in.end();
  if (count < 0) {
    in.fail(engine::StopKind::kInvalid,
            "negative count " + std::to_string(count));
  }
  std::vector<pressure::DistributionPoint> points;
  for (int i = 1; i <= count; ++i) {
    in.begin("distribution record " + std::to_string(i));
    pressure::DistributionPoint d;
    for (int c = pressure::DistributionPoint::kDepth;
         c <= pressure::DistributionPoint::kColumns; ++c) {
      d.col[c] = in.real("column");
    }
    in.end();
    points.push_back(d);
  }
  return points;
}

}  // namespace korvan::scratch
