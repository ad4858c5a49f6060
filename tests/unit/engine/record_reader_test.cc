#include "engine/record_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace korvan::engine {
namespace {

struct Fixture {
  explicit Fixture(std::string text) : in(std::move(text)), reader(in, "t.dat") {}
  std::istringstream in;
  RecordReader reader;
};

std::vector<double> reals(RecordReader& r, int n) {
  r.begin("test record");
  std::vector<double> v;
  for (int i = 0; i < n; ++i) v.push_back(r.real("value", -99.0));
  r.end();
  return v;
}

TEST(RecordReader, SeparatorsSpanningAndLeftovers) {
  // Blanks, commas and tabs separate; a record spans lines; what is left on
  // its last line is ignored; the next record starts on a new line.
  Fixture f("1, 2\t3\n  4\n5 6 7 ignored text\n8\n");
  EXPECT_EQ(reals(f.reader, 5), (std::vector<double>{1, 2, 3, 4, 5}));
  EXPECT_EQ(reals(f.reader, 1), (std::vector<double>{8}));
}

TEST(RecordReader, NullValuesRepeatsAndSlash) {
  // ",," and a leading comma give nulls (the caller's default); "r*v"
  // repeats; "r*" repeats a null; a slash leaves the rest of the record
  // null and ends it, even when more lines would follow.
  Fixture f(",2,,4\n3*1.5 2* 9\n1 / 5 5\n7\n");
  EXPECT_EQ(reals(f.reader, 4), (std::vector<double>{-99, 2, -99, 4}));
  EXPECT_EQ(reals(f.reader, 6),
            (std::vector<double>{1.5, 1.5, 1.5, -99, -99, 9}));
  EXPECT_EQ(reals(f.reader, 3), (std::vector<double>{1, -99, -99}));
  EXPECT_EQ(reals(f.reader, 1), (std::vector<double>{7}));
}

TEST(RecordReader, RealConstants) {
  Fixture f("1.5E2 2.5d-1 3D+0 -4.e1 .5 +6 7.0+2 8.25e-3 1e0 CRLF\r\n9\r\n");
  EXPECT_EQ(reals(f.reader, 9), (std::vector<double>{150, 0.25, 3, -40, 0.5,
                                                     6, 700, 0.00825, 1}));
  EXPECT_EQ(reals(f.reader, 1), (std::vector<double>{9}));
}

TEST(RecordReader, IntegersAndTexts) {
  Fixture f("12 -3 +4 'A NAME, QUOTED' \"IT''S\" 'DON''T' PLAIN,next\n");
  RecordReader& r = f.reader;
  r.begin("test record");
  EXPECT_EQ(r.integer("a"), 12);
  EXPECT_EQ(r.integer("b"), -3);
  EXPECT_EQ(r.integer("c"), 4);
  EXPECT_EQ(r.text("d", 16), "A NAME, QUOTED  ");
  EXPECT_EQ(r.text("e", 5), "IT''S");
  EXPECT_EQ(r.text("f", 5), "DON'T");
  EXPECT_EQ(r.text("g", 3), "PLA");
  EXPECT_EQ(r.text("h", 4), "next");
  r.end();
}

TEST(RecordReader, FixedTextKeepsBlanksAndSeesEndOfFile) {
  Fixture f("A TITLE   \n\n");
  EXPECT_EQ(f.reader.fixed_text(12), std::optional<std::string>("A TITLE     "));
  EXPECT_EQ(f.reader.fixed_text(3), std::optional<std::string>("   "));
  EXPECT_EQ(f.reader.fixed_text(3), std::nullopt);
}

// Each bad input names the line of the faulty value and the field.
TEST(RecordReader, ErrorsNameLineRecordAndField) {
  struct Case {
    const char* text;
    const char* expected;
  };
  const Case cases[] = {
      {"1 2\n3 x\n", "t.dat:2: test record, field 4 (v4): expected a real, "
                     "found \"x\""},
      {"1 2\n", "t.dat:1: test record, field 3 (v3): end of file before "
                "this value"},
      {"1 2 1.O-3", "t.dat:1: test record, field 3 (v3): expected a real, "
                    "found \"1.O-3\""},
      {"1 2 3 inf", "t.dat:1: test record, field 4 (v4): expected a real, "
                    "found \"inf\""},
      {"1 2 3 1e999", "t.dat:1: test record, field 4 (v4): expected a real, "
                      "found \"1e999\""},
      {"\n\n1 0*5", "t.dat:3: test record, field 2 (v2): bad repeat count in "
                    "\"0*\""},
      {"1 'open\n", "t.dat:1: test record, field 2 (v2): end of file inside "
                    "a quoted text"},
  };
  for (const Case& c : cases) {
    Fixture f(c.text);
    f.reader.begin("test record");
    try {
      for (int i = 1; i <= 4; ++i) {
        f.reader.real("v" + std::to_string(i));
      }
      ADD_FAILURE() << "no error for " << c.text;
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()), c.expected) << c.text;
      EXPECT_EQ(e.kind(), StopKind::kInvalid);
    }
  }
}

TEST(RecordReader, IntegerFieldsRefuseRealsAndOverflow) {
  for (const char* text : {"1.0", "2e3", "99999999999", "'7'"}) {
    Fixture f(text);
    f.reader.begin("count record");
    EXPECT_THROW(f.reader.integer("count"), InputError) << text;
  }
}

TEST(RecordReader, LinesAndQuotedTokensAreBounded) {
  // A line of 8192 characters is read; one more is refused, naming its
  // line, whether it holds values or is a file without line ends at all
  // (a device of zeros).
  {
    Fixture f("1\n" + std::string(8191, ' ') + "2\n" +
              std::string(8193, ' ') + "3\n");
    EXPECT_EQ(reals(f.reader, 1), std::vector<double>{1});
    EXPECT_EQ(reals(f.reader, 1), std::vector<double>{2});
    try {
      reals(f.reader, 1);
      ADD_FAILURE() << "a long line was read";
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()),
                "t.dat:3: test record: the line is longer than 8192 "
                "characters");
    }
  }
  {
    Fixture f(std::string(1 << 20, '\0'));
    EXPECT_THROW(f.reader.fixed_text(70), InputError);
  }
  // A quoted text is bounded in total, over many lines too, and refused
  // naming the line where it opens.
  {
    std::string lines;
    for (int i = 0; i < 4; ++i) lines += std::string(3000, 'n') + "\n";
    Fixture f("1\n'" + lines + "'\n");
    Fixture g("1\n'" + std::string(4096, 'n') + "\n" + std::string(4096, 'n') +
              "'\n");
    for (Fixture* x : {&f, &g}) {
      reals(x->reader, 1);
      x->reader.begin("name record");
      if (x == &g) {
        EXPECT_EQ(x->reader.text("name", 80), std::string(80, 'n'));
        continue;
      }
      try {
        x->reader.text("name", 80);
        ADD_FAILURE() << "a long quoted text was read";
      } catch (const InputError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "t.dat:2: name record, field 1 (name): a quoted text longer "
                  "than 8192 characters");
      }
    }
  }
  // A bad token is quoted by its first 40 characters.
  Fixture f("1 " + std::string(50, 'x') + "\n");
  try {
    reals(f.reader, 2);
    ADD_FAILURE() << "a bad token was read";
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()),
              "t.dat:1: test record, field 2 (value): expected a real, "
              "found \"" + std::string(40, 'x') + "...\"");
  }
}

TEST(RecordReader, RecordLineIsWhereTheFirstValueStands) {
  Fixture f("1\n\n\n  2 3\n4\n");
  RecordReader& r = f.reader;
  reals(r, 1);
  r.begin("record");
  r.integer("a");
  r.integer("b");
  r.integer("c");
  EXPECT_EQ(r.record_line(), 4);
  try {
    r.fail(StopKind::kStationsNotInOrder, "out of order");
    FAIL();
  } catch (const InputError& e) {
    EXPECT_EQ(std::string(e.what()), "t.dat:4: record: out of order");
    EXPECT_EQ(e.kind(), StopKind::kStationsNotInOrder);
  }
}

}  // namespace
}  // namespace korvan::engine
