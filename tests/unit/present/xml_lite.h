// A small XML reader for the tests of the HTML report. It accepts a
// DOCTYPE without internal subset, elements, attributes, character data
// and the five predefined and numeric references; anything else that is
// not well-formed throws std::runtime_error with the byte offset.
#pragma once

#include <cctype>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace xml_lite {

struct Element {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<std::unique_ptr<Element>> children;
  std::string text;  // character data directly inside

  std::string attr(const std::string& key) const {
    auto it = attributes.find(key);
    return it == attributes.end() ? std::string() : it->second;
  }
  bool has(const std::string& key) const { return attributes.count(key) > 0; }
  // Every element below this one, in document order, for which `match`
  // holds.
  std::vector<const Element*> find_all(
      const std::function<bool(const Element&)>& match) const {
    std::vector<const Element*> found;
    for (const auto& c : children) {
      if (match(*c)) found.push_back(c.get());
      for (const Element* e : c->find_all(match)) found.push_back(e);
    }
    return found;
  }
  std::vector<const Element*> find_all(const std::string& tag) const {
    return find_all([&](const Element& e) { return e.name == tag; });
  }
  std::string all_text() const {
    std::string t = text;
    for (const auto& c : children) t += c->all_text();
    return t;
  }
};

class Reader {
 public:
  explicit Reader(const std::string& doc) : s_(doc) {}

  std::unique_ptr<Element> document() {
    skip_space();
    if (s_.compare(i_, 9, "<!DOCTYPE") == 0) {
      const size_t end = s_.find('>', i_);
      if (end == std::string::npos || s_.find('[', i_) < end) fail("DOCTYPE");
      i_ = end + 1;
      skip_space();
    }
    if (peek() != '<') fail("no root element");
    auto root = element();
    skip_space();
    if (i_ != s_.size()) fail("content after the root element");
    return root;
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw std::runtime_error("XML error at byte " + std::to_string(i_) + ": " +
                             what);
  }
  char peek() const { return i_ < s_.size() ? s_[i_] : '\0'; }
  void skip_space() {
    while (i_ < s_.size() &&
           std::string(" \t\r\n").find(s_[i_]) != std::string::npos)
      ++i_;
  }
  std::string name() {
    const size_t start = i_;
    while (i_ < s_.size() &&
           (std::isalnum(static_cast<unsigned char>(s_[i_])) ||
            std::string("_:-.").find(s_[i_]) != std::string::npos)) {
      ++i_;
    }
    if (i_ == start || std::isdigit(static_cast<unsigned char>(s_[start]))) {
      fail("expected a name");
    }
    return s_.substr(start, i_ - start);
  }
  // Character data up to `stop`, with its references checked (and
  // resolved for the predefined ones).
  std::string data(char stop) {
    std::string out;
    while (i_ < s_.size() && s_[i_] != stop) {
      const char c = s_[i_];
      if (c == '<') fail("'<' in character data");
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' &&
          c != '\r') {
        fail("control character");
      }
      if (c != '&') {
        out += c;
        ++i_;
        continue;
      }
      const size_t end = s_.find(';', i_);
      if (end == std::string::npos) fail("unterminated reference");
      const std::string ref = s_.substr(i_ + 1, end - i_ - 1);
      static const std::map<std::string, std::string> named{{"amp", "&"},
                                                            {"lt", "<"},
                                                            {"gt", ">"},
                                                            {"quot", "\""},
                                                            {"apos", "'"}};
      if (auto it = named.find(ref); it != named.end()) {
        out += it->second;
      } else if (ref.size() > 1 && ref[0] == '#' &&
                 ref.find_first_not_of("0123456789", 1) == std::string::npos) {
        // ASCII resolved, the rest kept as written.
        const long code = std::stol(ref.substr(1));
        out += code < 128 ? std::string(1, static_cast<char>(code))
                          : "&" + ref + ";";
      } else {
        fail("undefined entity &" + ref + ";");
      }
      i_ = end + 1;
    }
    return out;
  }
  std::unique_ptr<Element> element() {
    ++i_;  // '<'
    auto e = std::make_unique<Element>();
    e->name = name();
    for (;;) {
      const size_t before = i_;
      skip_space();
      if (s_.compare(i_, 2, "/>") == 0) {
        i_ += 2;
        return e;
      }
      if (peek() == '>') {
        ++i_;
        break;
      }
      if (i_ == before) fail("expected white space before an attribute");
      const std::string key = name();
      skip_space();
      if (peek() != '=') fail("expected '=' after " + key);
      ++i_;
      skip_space();
      const char quote = peek();
      if (quote != '"' && quote != '\'') fail("attribute value not quoted");
      ++i_;
      if (!e->attributes.emplace(key, data(quote)).second) {
        fail("attribute " + key + " repeated");
      }
      if (peek() != quote) fail("unterminated attribute value");
      ++i_;
    }
    for (;;) {
      e->text += data('<');
      if (i_ >= s_.size()) fail("<" + e->name + "> not closed");
      if (s_.compare(i_, 2, "</") != 0) {
        if (s_.compare(i_, 2, "<!") == 0 || s_.compare(i_, 2, "<?") == 0) {
          fail("declaration in content");
        }
        e->children.push_back(element());
        continue;
      }
      i_ += 2;
      if (name() != e->name) fail("</...> does not close <" + e->name + ">");
      skip_space();
      if (peek() != '>') fail("expected '>'");
      ++i_;
      return e;
    }
  }

  const std::string& s_;
  size_t i_ = 0;
};

inline std::unique_ptr<Element> parse(const std::string& doc) {
  return Reader(doc).document();
}

}  // namespace xml_lite
