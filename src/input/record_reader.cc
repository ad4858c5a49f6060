#include "input/record_reader.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>

namespace korvan::engine {
namespace {

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool ends_value(char c) { return is_blank(c) || c == ',' || c == '/'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool all_digits(std::string_view t) {
  return !t.empty() && std::all_of(t.begin(), t.end(), is_digit);
}

// The number of values on a line, separated by blanks or commas.
int values_on(std::string_view line) {
  int values = 0;
  bool in_value = false;
  for (char c : line) {
    const bool separator = is_blank(c) || c == ',';
    if (!separator && !in_value) ++values;
    in_value = !separator;
  }
  return values;
}
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// A token quoted for a diagnostic: a long one is cut short, so that a
// runaway token is not copied whole into the report and the console.
std::string shown(std::string_view text) {
  std::string quoted;
  quoted += '"';
  if (text.size() > kShownTokenLength) {
    quoted.append(text.substr(0, kShownTokenLength));
    quoted += "...";
  } else {
    quoted.append(text);
  }
  quoted += '"';
  return quoted;
}

// Parses a Fortran real constant: optional sign, digits with an optional
// point, optional exponent with letter E or D (either case) or a bare sign.
std::optional<double> parse_real(std::string_view t) {
  std::string normal;
  size_t i = 0;
  if (i < t.size() && (t[i] == '+' || t[i] == '-')) normal += t[i++];
  size_t digits = 0;
  bool point = false;
  for (; i < t.size(); ++i) {
    char c = t[i];
    if (c >= '0' && c <= '9') {
      ++digits;
      normal += c;
    } else if (c == '.' && !point) {
      point = true;
      normal += c;
    } else {
      break;
    }
  }
  if (digits == 0) return std::nullopt;
  if (i < t.size()) {
    char c = t[i];
    if (c == 'e' || c == 'E' || c == 'd' || c == 'D')
      ++i;
    else if (c != '+' && c != '-')
      return std::nullopt;
    normal += 'e';
    if (i < t.size() && (t[i] == '+' || t[i] == '-')) normal += t[i++];
    size_t exp_digits = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i, ++exp_digits) {
      normal += t[i];
    }
    if (exp_digits == 0 || i != t.size()) return std::nullopt;
  }
  double value = 0.0;
  const char* first = normal.data();
  if (*first == '+') ++first;
  auto [end, ec] = std::from_chars(first, normal.data() + normal.size(), value);
  if (ec != std::errc() || end != normal.data() + normal.size()) {
    return std::nullopt;
  }
  if (!std::isfinite(value)) return std::nullopt;
  return value;
}

std::optional<int> parse_int(std::string_view t) {
  if (!t.empty() && t.front() == '+') t.remove_prefix(1);
  if (t.empty()) return std::nullopt;
  int value = 0;
  auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
  if (ec != std::errc() || end != t.data() + t.size()) return std::nullopt;
  return value;
}

}  // namespace

RecordReader::RecordReader(std::istream& in, std::string file_name)
    : in_(in), file_name_(std::move(file_name)) {}

bool RecordReader::next_line() {
  // The line is read character by character up to its limit: a file
  // without line ends (a device, a binary file) cannot grow it further.
  line_.clear();
  pos_ = 0;
  std::streambuf* buffer = in_.rdbuf();
  bool any = false;
  for (;;) {
    const int c =
        buffer == nullptr ? std::char_traits<char>::eof() : buffer->sbumpc();
    if (c == std::char_traits<char>::eof()) {
      in_.setstate(std::ios::eofbit);
      if (!any) return false;
      break;
    }
    any = true;
    if (c == '\n') break;
    if (line_.size() >= kMaxLineLength) {
      throw InputError(StopKind::kInvalid, file_name_, line_number_ + 1,
                       record_,
                       "the line is longer than " +
                           std::to_string(kMaxLineLength) + " characters");
    }
    line_ += static_cast<char>(c);
  }
  if (!line_.empty() && line_.back() == '\r') line_.pop_back();
  if (line_number_ == 0 && line_.starts_with(kByteOrderMark)) {
    line_.erase(0, kByteOrderMark.size());
  }
  ++line_number_;
  return true;
}

std::optional<std::string> RecordReader::fixed_text(int width,
                                                    std::string record) {
  record_ = std::move(record);
  record_line_ = 0;
  have_line_ = false;
  ++records_;
  if (!next_line()) return std::nullopt;
  std::string text = line_.substr(0, static_cast<size_t>(width));
  text.resize(static_cast<size_t>(width), ' ');
  return text;
}

void RecordReader::begin(std::string record) {
  record_ = std::move(record);
  have_line_ = false;
  slash_ = false;
  after_value_ = false;
  repeat_left_ = 0;
  field_index_ = 0;
  record_line_ = 0;
  count_record_ = false;
  decimal_comma_.clear();
  ++records_;
}

void RecordReader::begin_count(std::string record) {
  begin(std::move(record));
  count_record_ = true;
}

void RecordReader::end() {
  // A decimal comma that leaves values over has shifted every field after
  // it: the record was not read as meant.
  if (!decimal_comma_.empty()) {
    if (const auto extra = leftover_value()) {
      std::string written = decimal_comma_;
      written[written.find('.')] = ',';
      const size_t point = decimal_comma_.find('.');
      throw InputError(
          StopKind::kInvalid, file_name_, decimal_comma_line_,
          record_ + ", field " + std::to_string(decimal_comma_field_) + " (" +
              decimal_comma_name_ + ")",
          shown(written) + " reads as two values, " +
              decimal_comma_.substr(0, point) + " and " +
              decimal_comma_.substr(point + 1) +
              ", and the record leaves values over on line " +
              std::to_string(line_number_) + ", from " + shown(*extra) +
              decimal_comma_hint() + count_hint(false));
    }
  }
  if (warnings_ != nullptr && count_record_) {
    if (const auto extra = leftover_value()) {
      *warnings_ << file_name_ << ":" << line_number_ << ": " << record_
                 << ": warning: the values after the count on this line, from "
                 << shown(*extra)
                 << ", are ignored: the records it counts start on the next "
                    "line"
                 << count_hint(false) << "\n";
    }
  }
  have_line_ = false;
}

// The first value on the rest of the record's last line, when there is
// one: a number, not a remark.
std::optional<std::string> RecordReader::leftover_value() const {
  if (!have_line_ || slash_ || repeat_left_ > 0) return std::nullopt;
  size_t at = pos_;
  while (at < line_.size() && is_blank(line_[at])) ++at;
  if (at < line_.size() && line_[at] == ',' && after_value_) {
    ++at;
    while (at < line_.size() && is_blank(line_[at])) ++at;
  }
  size_t end = at;
  while (end < line_.size() && !ends_value(line_[end])) ++end;
  const std::string token = line_.substr(at, end - at);
  if (token.empty() || !parse_real(token)) return std::nullopt;
  return token;
}

void RecordReader::end_counted_group(int count_line) {
  // A group of no records leaves nothing over.
  hint_record_ = line_number_ > count_line ? records_ + 1 : 0;
  hint_count_line_ = count_line;
  hint_values_ = values_on(line_);
}

std::string RecordReader::count_hint(bool type_mismatch) const {
  if (records_ != hint_record_ || hint_count_line_ <= 0) return {};
  // A record of the group left over: its line looks like the group's
  // records, or its values are of the wrong type for the record that
  // reads them.
  if (!type_mismatch && values_on(line_) != hint_values_) return {};
  return " (check the count on line " + std::to_string(hint_count_line_) + ")";
}

std::string RecordReader::decimal_comma_hint() const {
  if (decimal_comma_.empty()) return {};
  return " (a decimal comma? use a point: " + decimal_comma_ + ")";
}

// A whole number written directly before a comma and more digits ("6,0")
// may be a decimal with a comma: free format reads it as two values. The
// spelling with a point is kept for a hint if the record goes wrong later.
std::string RecordReader::decimal_comma_at(size_t start) const {
  std::string_view whole = std::string_view(line_).substr(start, pos_ - start);
  std::string_view digits = whole;
  if (!digits.empty() && (digits[0] == '-' || digits[0] == '+')) {
    digits.remove_prefix(1);
  }
  if (!all_digits(digits) || pos_ >= line_.size() || line_[pos_] != ',') {
    return {};
  }
  size_t end = pos_ + 1;
  while (end < line_.size() && is_digit(line_[end])) ++end;
  if (end == pos_ + 1 || (end < line_.size() && !ends_value(line_[end]))) {
    return {};
  }
  return std::string(whole) + "." + line_.substr(pos_ + 1, end - pos_ - 1);
}

void RecordReader::fail_at(int line, std::string_view field,
                           std::string_view message, bool count_hint,
                           bool type_mismatch) const {
  std::string where = record_;
  if (!field.empty()) {
    where += ", field " + std::to_string(field_index_) + " (" +
             std::string(field) + ")";
  }
  throw InputError(
      StopKind::kInvalid, file_name_, line, where,
      std::string(message) + decimal_comma_hint() +
          (count_hint ? this->count_hint(type_mismatch) : std::string()));
}

void RecordReader::fail(StopKind kind, std::string_view message) const {
  const int line = record_line_ > 0 ? record_line_ : line_number_;
  throw InputError(kind, file_name_, line, record_,
                   std::string(message) + decimal_comma_hint());
}

std::string RecordReader::quoted_text(char quote, std::string_view field) {
  // pos_ is just past the opening quote. A quote left open would take the
  // lines after it into the text and misread every record that follows,
  // so a quoted text ends on its line.
  std::string text;
  while (pos_ < line_.size()) {
    char c = line_[pos_++];
    if (c != quote) {
      text += c;
    } else if (pos_ < line_.size() && line_[pos_] == quote) {
      text += quote;
      ++pos_;
    } else {
      return text;
    }
  }
  fail_at(line_number_, field,
          std::string("the quote ") + quote +
              " opened on this line is not closed on it",
          false);
}

RecordReader::Item RecordReader::scan_item(std::string_view field) {
  for (;;) {
    if (!have_line_) {
      if (!next_line()) {
        fail_at(line_number_, field, "end of file before this value", false);
      }
      have_line_ = true;
    }
    while (pos_ < line_.size() && is_blank(line_[pos_])) ++pos_;
    if (pos_ >= line_.size()) {
      // The end of a line separates values like a blank.
      have_line_ = false;
      continue;
    }
    // The record begins where its first value or separator stands.
    if (record_line_ == 0) record_line_ = line_number_;
    const char c = line_[pos_];
    if (c == ',') {
      ++pos_;
      if (after_value_) {
        after_value_ = false;
        continue;
      }
      return null_item();
    }
    if (c == '/') {
      slash_ = true;
      return null_item();
    }
    Item item;
    item.null = false;
    item.line = line_number_;
    // A repeat count: digits and an asterisk.
    size_t star = pos_;
    while (star < line_.size() && line_[star] >= '0' && line_[star] <= '9') {
      ++star;
    }
    int repeat = 1;
    if (star > pos_ && star < line_.size() && line_[star] == '*') {
      auto count = parse_int(std::string_view(line_).substr(pos_, star - pos_));
      if (!count || *count <= 0) {
        fail_at(line_number_, field,
                "bad repeat count in " + shown(std::string_view(line_).substr(
                                             pos_, star - pos_ + 1)));
      }
      repeat = *count;
      pos_ = star + 1;
      if (pos_ >= line_.size() || ends_value(line_[pos_])) item.null = true;
    }
    if (!item.null) {
      if (line_[pos_] == '\'' || line_[pos_] == '"') {
        const char quote = line_[pos_++];
        item.text = quoted_text(quote, field);
        item.quoted = true;
      } else {
        const size_t start = pos_;
        while (pos_ < line_.size() && !ends_value(line_[pos_])) ++pos_;
        item.text = line_.substr(start, pos_ - start);
        item.decimal_comma = decimal_comma_at(start);
      }
    }
    after_value_ = true;
    if (repeat > 1) {
      repeat_item_ = item;
      repeat_left_ = repeat - 1;
    }
    return item;
  }
}

RecordReader::Item RecordReader::next_item(std::string_view field) {
  ++field_index_;
  if (slash_) return null_item();
  if (repeat_left_ > 0) {
    --repeat_left_;
    return repeat_item_;
  }
  return scan_item(field);
}

int RecordReader::integer(std::string_view field, int if_null) {
  Item item = next_item(field);
  if (item.null) return if_null;
  auto value = item.quoted ? std::nullopt : parse_int(item.text);
  if (!value) {
    // A real where an integer is due: likely a value of another record.
    const bool real_found = !item.quoted && parse_real(item.text).has_value();
    fail_at(item.line, field, "expected an integer, found " + shown(item.text),
            true, real_found);
  }
  return *value;
}

double RecordReader::real(std::string_view field, double if_null) {
  Item item = next_item(field);
  if (item.null) return if_null;
  auto value = item.quoted ? std::nullopt : parse_real(item.text);
  if (!value) {
    fail_at(item.line, field, "expected a real, found " + shown(item.text));
  }
  // Only a real field makes "6,0" look like a decimal written with a comma.
  if (decimal_comma_.empty() && !item.decimal_comma.empty()) {
    decimal_comma_ = item.decimal_comma;
    decimal_comma_field_ = field_index_;
    decimal_comma_name_ = std::string(field);
    decimal_comma_line_ = item.line;
  }
  return *value;
}

std::string RecordReader::text(std::string_view field, int width) {
  Item item = next_item(field);
  std::string value = item.null ? std::string() : item.text;
  value.resize(static_cast<size_t>(width), ' ');
  return value;
}

}  // namespace korvan::engine
