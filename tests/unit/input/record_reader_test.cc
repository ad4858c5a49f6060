#include "input/record_reader.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

namespace korvan::engine {
namespace {

struct Fixture {
  explicit Fixture(std::string text)
      : in(std::move(text)), reader(in, "t.dat") {}
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
  EXPECT_EQ(reals(f.reader, 9),
            (std::vector<double>{150, 0.25, 3, -40, 0.5, 6, 700, 0.00825, 1}));
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
  EXPECT_EQ(f.reader.fixed_text(12),
            std::optional<std::string>("A TITLE     "));
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
      {"1 2\n3 x\n",
       "t.dat:2: test record, field 4 (v4): expected a real, "
       "found \"x\""},
      {"1 2\n",
       "t.dat:1: test record, field 3 (v3): end of file before "
       "this value"},
      {"1 2 1.O-3",
       "t.dat:1: test record, field 3 (v3): expected a real, "
       "found \"1.O-3\""},
      {"1 2 3 inf",
       "t.dat:1: test record, field 4 (v4): expected a real, "
       "found \"inf\""},
      {"1 2 3 1e999",
       "t.dat:1: test record, field 4 (v4): expected a real, "
       "found \"1e999\""},
      {"\n\n1 0*5",
       "t.dat:3: test record, field 2 (v2): bad repeat count in "
       "\"0*\""},
      // A quote left open is named on its line, not where a later quote
      // would close it.
      {"1 'open\n2 'x'\n",
       "t.dat:1: test record, field 2 (v2): the quote ' "
       "opened on this line is not closed on it"},
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

// Messages point at the likely mistake: a decimal comma, values after a
// count, a count too small; the input goes on being read as before.
TEST(RecordReader, HintsAtTheLikelyMistake) {
  // "6,0" where a real is expected reads as 6 and 0: a later field trips.
  {
    Fixture f("50 6,0 10.0 100.0 7\n");
    RecordReader& r = f.reader;
    r.begin("geometry");
    r.integer("n");
    r.real("h");
    r.real("a");
    r.real("b");
    try {
      r.integer("iterations");
      ADD_FAILURE() << "100.0 read as an integer";
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()),
                "t.dat:1: geometry, field 5 (iterations): expected an integer, "
                "found \"100.0\" (a decimal comma? use a point: 6.0)");
    }
  }
  // Integers separated by commas are no decimal commas; neither is a
  // record that reads whole.
  {
    Fixture f("1,2 x\n3 7,5\n");
    f.reader.begin("record");
    f.reader.integer("a");
    f.reader.integer("b");
    try {
      f.reader.integer("c");
      ADD_FAILURE();
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()).find("decimal"), std::string::npos);
    }
    std::ostringstream warnings;
    f.reader.set_warnings(&warnings);
    EXPECT_EQ(reals(f.reader, 3), (std::vector<double>{3, 7, 5}));
    EXPECT_EQ(warnings.str(), "");
  }
  // Values left over after a count are warned about (a remark is not); the
  // values read are those of before.
  {
    Fixture f("2 0 0 40\n3 ! two\n4 / 5\n");
    std::ostringstream warnings;
    f.reader.set_warnings(&warnings);
    f.reader.begin_count("load count record");
    EXPECT_EQ(f.reader.integer("count"), 2);
    f.reader.end();
    f.reader.begin_count("count record");
    EXPECT_EQ(f.reader.integer("count"), 3);
    f.reader.end();
    f.reader.begin_count("count record");
    EXPECT_EQ(f.reader.integer("count"), 4);
    f.reader.end();
    EXPECT_EQ(warnings.str(),
              "t.dat:1: load count record: warning: the values after the "
              "count on this line, from \"0\", are ignored: the records it "
              "counts start on the next line\n");
  }
  // A decimal comma in a real field that leaves values over shifted the
  // fields after it: the record is refused, naming the field of the comma,
  // also when the record spans lines. Without leftovers, or between
  // integer fields, the commas separate values as free format says.
  {
    Fixture f("1 2,5 9\n");
    try {
      reals(f.reader, 3);
      ADD_FAILURE() << "a decimal comma with a value over was accepted";
    } catch (const InputError& e) {
      EXPECT_EQ(e.kind(), StopKind::kInvalid);
      EXPECT_EQ(std::string(e.what()),
                "t.dat:1: test record, field 2 (value): \"2,5\" reads as two "
                "values, 2 and 5, and the record leaves values over on line 1, "
                "from \"9\" (a decimal comma? use a point: 2.5)");
    }
  }
  {
    Fixture f("1\n-32,5 0.0 0.0 0\n");
    try {
      reals(f.reader, 4);
      ADD_FAILURE();
    } catch (const InputError& e) {
      EXPECT_NE(std::string(e.what()).find(
                    "t.dat:2: test record, field 2 (value): \"-32,5\" reads "
                    "as two values"),
                std::string::npos)
          << e.what();
    }
  }
  {
    Fixture f("1,2,3\n4 1,0 5\n6 ! 7,5\n");
    EXPECT_EQ(reals(f.reader, 3), (std::vector<double>{1, 2, 3}));
    f.reader.begin("integers");
    EXPECT_EQ(f.reader.integer("a"), 4);
    EXPECT_EQ(f.reader.integer("b"), 1);
    EXPECT_EQ(f.reader.integer("c"), 0);
    EXPECT_EQ(f.reader.integer("d"), 5);
    EXPECT_NO_THROW(f.reader.end());
    EXPECT_EQ(reals(f.reader, 1), (std::vector<double>{6}));
  }
  // A count too small leaves a record of its group to be read as the next
  // record: the error there names the count's line when the line looks like
  // the group's records.
  {
    Fixture f("1\n0 0 10 5.0\n0 11 20 5.0\n7\n");
    RecordReader& r = f.reader;
    r.begin_count("count record");
    r.integer("count");
    r.end();
    reals(r, 4);
    r.end_counted_group(1);
    r.begin("next record");
    r.integer("a");
    r.integer("b");
    r.integer("c");
    try {
      r.integer("d");
      ADD_FAILURE();
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()),
                "t.dat:3: next record, field 4 (d): expected an integer, found "
                "\"5.0\" (check the count on line 1)");
    }
  }
  // A count too small leaves a restraint entry of five values to be read
  // ahead of a record of nine: the first value of the wrong type names the
  // count; a mistake in a later record does not.
  {
    Fixture f(
        "1\n0 10 0 1.0 0.0\n0 20 0 2.0 0.0\n10.0 12.0 12.0 0 0 1 1 0 0\n");
    RecordReader& r = f.reader;
    r.begin_count("support count record");
    r.integer("count");
    r.end();
    r.begin("restraint entry 1");
    r.integer("from");
    r.integer("to");
    r.integer("contd");
    r.real("s");
    r.real("r");
    r.end();
    r.end_counted_group(1);
    r.begin("earth-pressure wall record");
    for (int k = 0; k < 6; ++k) r.real("value");
    try {
      r.integer("water flag");
      ADD_FAILURE();
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()),
                "t.dat:4: earth-pressure wall record, field 7 (water flag): "
                "expected an integer, found \"12.0\" (check the count on line "
                "1)");
    }
  }
  {
    Fixture f("1\n0 10 0 1.0 0.0\n1.0 2.0\n3.5\n");
    RecordReader& r = f.reader;
    r.begin_count("count record");
    r.integer("count");
    r.end();
    reals(r, 5);
    r.end_counted_group(1);
    reals(r, 2);
    r.begin("later record");
    try {
      r.integer("a");
      ADD_FAILURE();
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()).find("check the count"),
                std::string::npos);
    }
  }
  {
    Fixture f("1\n0 0 10 5.0\nx\n");
    f.reader.begin_count("count record");
    f.reader.integer("count");
    f.reader.end();
    reals(f.reader, 4);
    f.reader.end_counted_group(1);
    f.reader.begin("next record");
    try {
      f.reader.integer("a");
      ADD_FAILURE();
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()).find("check the count"),
                std::string::npos);
    }
  }
}

TEST(RecordReader, ByteOrderMarkIsSkipped) {
  Fixture f(
      "\xEF\xBB\xBF"
      "TITLE\n\xEF\xBB\xBF"
      "1\n");
  EXPECT_EQ(f.reader.fixed_text(5), std::optional<std::string>("TITLE"));
  // Only at the start of the file.
  f.reader.begin("record");
  EXPECT_THROW(f.reader.integer("a"), InputError);
  Fixture g(
      "\xEF\xBB\xBF"
      "1 2\n");
  EXPECT_EQ(reals(g.reader, 2), (std::vector<double>{1, 2}));
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
    Fixture f("1\n" + std::string(8191, ' ') + "2\n" + std::string(8193, ' ') +
              "3\n");
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
  // A quoted text ends on the line where it opens, so the line bound
  // bounds it too: a text that would run on over many lines is refused
  // naming the line where it opens.
  {
    std::string lines;
    for (int i = 0; i < 4; ++i) lines += std::string(3000, 'n') + "\n";
    Fixture f("1\n'" + lines + "'\n");
    reals(f.reader, 1);
    f.reader.begin("name record");
    try {
      f.reader.text("name", 80);
      ADD_FAILURE() << "a long quoted text was read";
    } catch (const InputError& e) {
      EXPECT_EQ(std::string(e.what()),
                "t.dat:2: name record, field 1 (name): the quote ' opened on "
                "this line is not closed on it");
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
              "found \"" +
                  std::string(40, 'x') + "...\"");
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
