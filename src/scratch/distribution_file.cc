#include "scratch/distribution_file.h"

#include <charconv>
#include <cmath>
#include <iterator>
#include <optional>
#include <sstream>
#include <string_view>

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

std::vector<pressure::DistributionPoint> read_distribution_records(
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

namespace {

// A field as the writer above puts it down (blanks, an optional minus,
// digits with a point, an exponent with or without its letter), read as
// the record reader reads it; nothing for anything else.
std::optional<double> written_field(std::string_view f) {
  size_t i = 0;
  while (i < f.size() && f[i] == ' ') ++i;
  char buf[40];
  size_t n = 0;
  if (i < f.size() && f[i] == '-') buf[n++] = f[i++];
  size_t digits = 0;
  bool point = false;
  for (; i < f.size() && n < 30; ++i) {
    if (f[i] >= '0' && f[i] <= '9') {
      ++digits;
    } else if (f[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
    buf[n++] = f[i];
  }
  if (digits == 0 || i >= f.size()) return std::nullopt;
  if (f[i] == 'E') ++i;
  if (i >= f.size() || (f[i] != '+' && f[i] != '-')) return std::nullopt;
  buf[n++] = 'e';
  buf[n++] = f[i++];
  if (i == f.size() || f.size() - i > 4) return std::nullopt;
  for (; i < f.size(); ++i) {
    if (f[i] < '0' || f[i] > '9') return std::nullopt;
    buf[n++] = f[i];
  }
  double value = 0.0;
  const auto [end, ec] = std::from_chars(buf, buf + n, value);
  if (ec != std::errc() || end != buf + n || !std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// The text read directly when it has exactly the layout of the writer;
// nothing otherwise.
std::optional<std::vector<pressure::DistributionPoint>> read_written(
    std::string_view text) {
  constexpr size_t kField = 13;  // a blank and 1PE12.5
  constexpr size_t kLine = kField * pressure::DistributionPoint::kColumns;
  auto next_line = [&text]() -> std::optional<std::string_view> {
    const size_t end = text.find('\n');
    if (end == std::string_view::npos) return std::nullopt;
    const std::string_view line = text.substr(0, end);
    text.remove_prefix(end + 1);
    return line;
  };
  std::optional<std::string_view> line = next_line();
  if (!line) return std::nullopt;
  std::string_view count_text = *line;
  while (!count_text.empty() && count_text.front() == ' ') {
    count_text.remove_prefix(1);
  }
  int count = 0;
  const auto [end, ec] = std::from_chars(
      count_text.data(), count_text.data() + count_text.size(), count);
  if (ec != std::errc() || end != count_text.data() + count_text.size() ||
      count < 0 || count_text.empty()) {
    return std::nullopt;
  }
  std::vector<pressure::DistributionPoint> points(static_cast<size_t>(count));
  for (pressure::DistributionPoint& d : points) {
    line = next_line();
    if (!line || line->size() != kLine) return std::nullopt;
    for (int c = pressure::DistributionPoint::kDepth;
         c <= pressure::DistributionPoint::kColumns; ++c) {
      const std::string_view field =
          line->substr(static_cast<size_t>(c - 1) * kField, kField);
      if (field[0] != ' ') return std::nullopt;
      const std::optional<double> value = written_field(field);
      if (!value) return std::nullopt;
      d.col[c] = *value;
    }
  }
  return points;
}

}  // namespace

std::vector<pressure::DistributionPoint> read_distribution_file(
    std::istream& file, const std::string& file_name) {
  const std::string text(std::istreambuf_iterator<char>(file), {});
  if (auto points = read_written(text)) return std::move(*points);
  std::istringstream again(text);
  return read_distribution_records(again, file_name);
}

}  // namespace korvan::scratch
