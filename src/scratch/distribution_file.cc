#include "scratch/distribution_file.h"

#include <charconv>
#include <cmath>
#include <cstdint>
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
  const bool negative = i < f.size() && f[i] == '-';
  if (negative) ++i;
  uint64_t mantissa = 0;
  int digits = 0;
  int decimals = 0;
  bool point = false;
  for (; i < f.size(); ++i) {
    if (f[i] >= '0' && f[i] <= '9') {
      mantissa = 10 * mantissa + static_cast<uint64_t>(f[i] - '0');
      ++digits;
      decimals += point;
    } else if (f[i] == '.' && !point) {
      point = true;
    } else {
      break;
    }
  }
  if (digits == 0 || digits > 18 || i >= f.size()) return std::nullopt;
  if (f[i] == 'E') ++i;
  if (i >= f.size() || (f[i] != '+' && f[i] != '-')) return std::nullopt;
  const bool exponent_negative = f[i++] == '-';
  if (i == f.size() || f.size() - i > 4) return std::nullopt;
  int exponent = 0;
  for (; i < f.size(); ++i) {
    if (f[i] < '0' || f[i] > '9') return std::nullopt;
    exponent = 10 * exponent + (f[i] - '0');
  }
  const int scale = (exponent_negative ? -exponent : exponent) - decimals;
  // A mantissa below 2^53 and a power of ten up to 10^22 are exact
  // doubles: one multiplication or division rounds correctly, as the
  // conversion of the whole text does.
  static constexpr double kPowers[] = {
      1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
      1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
  double value = 0.0;
  if (mantissa < (uint64_t{1} << 53) && scale >= -22 && scale <= 22) {
    const double m = static_cast<double>(mantissa);
    value = scale >= 0 ? m * kPowers[scale] : m / kPowers[-scale];
  } else {
    // The general conversion: the digits without the point, and the
    // exponent made to count from the last digit.
    char buf[48];
    const auto [mid, ec1] = std::to_chars(buf, buf + 24, mantissa);
    char* end = mid;
    *end++ = 'e';
    const auto [last, ec2] = std::to_chars(end, buf + sizeof buf, scale);
    const auto [used, ec] = std::from_chars(buf, last, value);
    if (ec1 != std::errc() || ec2 != std::errc() || ec != std::errc() ||
        used != last) {
      return std::nullopt;
    }
  }
  if (!std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
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
  // A text in memory is read where it is; a file is read whole first.
  std::string whole;
  std::string_view text;
  if (const auto* in_memory = dynamic_cast<const std::istringstream*>(&file);
      in_memory && file.tellg() == 0) {
    text = in_memory->view();
  } else {
    std::ostringstream all;
    all << file.rdbuf();
    whole = std::move(all).str();
    text = whole;
  }
  if (auto points = read_written(text)) return std::move(*points);
  std::istringstream again{std::string(text)};
  return read_distribution_records(again, file_name);
}

}  // namespace korvan::scratch
