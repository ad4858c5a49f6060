#include "report/echo.h"

#include <array>
#include <vector>

#include "model/constants.h"

namespace korvan::report {
namespace {

void framed_heading(RecordWriter& out, int empty_before,
                    std::string_view title) {
  const std::string stars(50, '*');
  out.empty_lines(empty_before);
  out.blanks(6).line(stars);
  out.blanks(6).line(title);
  out.blanks(6).line(stars);
  out.empty_lines(1);
}

void count_line(RecordWriter& out, std::string_view label, int value) {
  out.blanks(6).put(label).i(value, 2).end_line();
}

// Right-justifies each text in its own field of `width` columns.
std::string columns(std::initializer_list<std::string> texts, int width) {
  std::string line;
  for (const auto& t : texts) line += fmt_a(t, width);
  return line;
}

void station_columns(RecordWriter& out, int from, int to, int contd,
                     int previous_contd) {
  const bool closes = previous_contd == 1;
  const bool opens = contd == 1;
  if (opens && !closes) {
    out.blanks(5).i(from, 4).blanks(4).i(contd, 3);
  } else if (closes && !opens) {
    out.blanks(9).i(to, 4).i(contd, 3);
  } else {
    out.blanks(5).i(from, 4).i(to, 4).i(contd, 3);
  }
}

void six_values(RecordWriter& out, const std::array<double, 6>& v) {
  out.blanks(1);
  for (double x : v) out.e(x, 10, 3, 1);
  out.end_line();
}

}  // namespace

void echo_control(RecordWriter& out, const engine::ControlRecord& c) {
  framed_heading(out, 2, "*        PROGRAM CONTROL PARAMETERS              *");
  count_line(out, "NO OF POINTS FOR SPECIFIED DEFLECTIONS AND SLOPES  = ",
             c.specified_points);
  count_line(out, "NO OF WALL SECTIONS                                = ",
             c.wall_sections);
  count_line(out, "NO OF CROSS SECTIONS                               = ",
             c.cross_sections);
  count_line(out, "GENERATE EARTH PRESSURE INTERNALLY                 = ",
             c.generated_pressure() ? 1 : 0);
  count_line(out, "GENERATE SOIL RESISTANCE (P-Y) CURVES INTERNALLY   = ",
             c.generated_py_curves() ? 1 : 0);
  count_line(out, "NO OF P-Y MODIFICATION FACTORS FOR GEN. P-Y CURVES = ",
             c.py_factors);
  count_line(out, "NO OF USER-SPECIFIED SOIL RESISTANCE (P-Y) CURVES  = ",
             c.user_py_curves);
  count_line(out, "NO OF TIE BACKS                                    = ",
             c.tie_backs);
  count_line(out,
             "NO OF STRUTS/RAKERS                                = ", c.struts);
  if (c.tie_backs <= 0 && c.struts <= 0) {
    out.empty_lines(1);
  } else if (c.hinge_model == 1) {
    out.blanks(6).line("CONSIDER ZERO MOMENT (AASHTO HINGE MODEL) IN WALL");
    out.blanks(6).line("AT TIE BACK LOCATIONS EXCEPT TOP ONE");
    out.empty_lines(1);
  }
}

void echo_wall_geometry(RecordWriter& out, const engine::WallGeometry& g,
                        engine::UnitSystem units, const UnitLabels& labels) {
  out.empty_lines(1);
  const bool english = units == engine::UnitSystem::kEnglish;
  out.blanks(6)
      .put("HEIGHT OF WALL                                     = ")
      .f(in_feet(g.wall_height, english), 10, 3)
      .line(english ? labels.long_length.substr(0, 3) : labels.length);
  out.blanks(6)
      .put("NUMBER OF INCREMENTS                               = ")
      .i(g.increments, 10)
      .end_line();
  out.blanks(6)
      .put("INCREMENT LENGTH                                   = ")
      .f(g.increment_length, 10, 3)
      .line(labels.length);
  if (g.max_iterations > 0) {
    out.blanks(6)
        .put("MAXIMUM ALLOWABLE DEFLECTION                       = ")
        .f(g.allowable_deflection, 10, 3)
        .line(labels.length);
    out.blanks(6)
        .put("DEFLECTION CLOSURE TOLERANCE                       = ")
        .e(g.closure_tolerance, 10, 3, 1)
        .line(labels.length);
    out.blanks(6)
        .put("MAXIMUM NUMBER OF ITERATIONS                       = ")
        .i(g.max_iterations, 10)
        .end_line();
  }
}

void echo_caller_iteration_limit(RecordWriter& out, int limit) {
  out.blanks(6)
      .put("MAXIMUM NUMBER OF ITERATIONS LIMITED BY THE CALLER TO")
      .i(limit, 6)
      .end_line();
}

void echo_conditions_heading(RecordWriter& out, const UnitLabels& labels) {
  framed_heading(out, 2, "*        SPECIFIED DEFLECTIONS AND SLOPES        *");
  out.blanks(5).line("     STA      CASE       DEFLECTION        SLOPE");
  out.blanks(5).blanks(28).put(labels.short_length).line("              RAD");
}

void echo_condition(RecordWriter& out, const engine::SpecifiedCondition& c) {
  out.blanks(10).i(c.station, 3).blanks(7).i(c.case_code, 2);
  if (c.kind() == engine::SpecifiedKind::kDeflection) {
    out.blanks(8).e(c.deflection, 10, 3).blanks(9).line("NONE");
  } else if (c.kind() == engine::SpecifiedKind::kSlope) {
    out.blanks(11).put("NONE").blanks(8).e(c.slope, 10, 3).end_line();
  } else {
    out.blanks(8).e(c.deflection, 10, 3).blanks(5).e(c.slope, 10, 3).end_line();
  }
}

void echo_wall_sections_heading(RecordWriter& out, const UnitLabels& labels) {
  out.empty_lines(1);
  out.blanks(5).line("* WALL SECTIONS *");
  out.empty_lines(1);
  out.blanks(5)
      .put("  SECT")
      .blanks(9)
      .put(" TOP ")
      .blanks(7)
      .put("BOTTOM")
      .blanks(5)
      .line("SECTION");
  const std::string unit = labels.long_length_left.substr(0, 2);
  out.blanks(5 + 6 + 9 + 1).put(unit).blanks(12).line(unit);
}

void echo_wall_section(RecordWriter& out, int number,
                       const engine::WallSection& s) {
  out.write_blanks(5)
      .write_int(6, number)
      .write_real(14, 5, s.top)
      .write_real(13, 5, s.bottom)
      .write_int(10, s.cross_section)
      .end_record();
}

void echo_loads_heading(RecordWriter& out, const UnitLabels& labels) {
  framed_heading(out, 3, "*        STIFFNESS AND LOAD DATA                 *");
  out.blanks(6).line("EI - FLEXURAL RIGIDITY,  Q - TRANSVERSE LOAD,");
  out.blanks(6).line("S - STIFFNESS OF TRANSVERSE RESISTANCE,");
  out.blanks(6).line("T - TORQUE,              P - AXIAL LOAD,");
  out.blanks(6).line("R - STIFFNESS OF TORSIONAL RESISTANCE.");
  out.empty_lines(2);
  out.put("     FROM TO CONTD     EI         Q        S")
      .line("        T         R         P");
  // Units right-justified under their columns; the torque unit leaves one
  // blank before the wider unit of the rotational stiffness.
  out.blanks(17)
      .put(columns({labels.flexural_rigidity(), labels.force,
                    labels.force + "/" + labels.short_length},
                   10))
      .a(labels.moment(), 9)
      .blanks(1)
      .a(labels.short_force + "-" + labels.short_length + "/RAD", 10)
      .a(labels.force, 10)
      .end_line();
}

void echo_load_entry(RecordWriter& out, const engine::LoadEntry& e,
                     int previous_contd) {
  station_columns(out, e.from, e.to, e.contd, previous_contd);
  six_values(out, {0.0, e.load, 0.0, e.torque, 0.0, e.axial});
}

void echo_restraint(RecordWriter& out, const engine::RestraintEntry& e,
                    int previous_contd) {
  station_columns(out, e.from, e.to, e.contd, previous_contd);
  six_values(out, {0.0, 0.0, e.lateral, 0.0, e.rotational, 0.0});
}

namespace {
void anchor_heading(RecordWriter& out, const UnitLabels& labels,
                    std::string_view title, bool prestressed) {
  framed_heading(out, 3, title);
  out.blanks(6)
      .put("   DEPTH      AREA    ELASTIC   UNBONDED   HORIZ.  ")
      .line(prestressed ? "  ANCHOR  PRESTRESS." : "  ANCHOR  ");
  out.blanks(6)
      .put("                      MODULUS    LENGTH    ANGLE   ")
      .line(prestressed ? " SPACING    FORCE" : " SPACING  ");
  // Depths, unbonded lengths and spacings of supports are entered in feet
  // in English units.
  const std::string length = labels.long_length.substr(0, 3);
  const std::string area = labels.short_length + "**2";
  const std::string modulus = labels.short_force + "/" + area;
  std::string units =
      columns({length, area, modulus, length, "DEG", length}, 10);
  if (prestressed) units += fmt_a(labels.force, 10);
  // Each unit stands under the last letters of its heading.
  out.blanks(5).line(units);
}
}  // namespace

void echo_tie_backs_heading(RecordWriter& out, const UnitLabels& labels) {
  anchor_heading(out, labels,
                 "*                  TIE BACK DATA                 *", true);
}

void echo_struts_heading(RecordWriter& out, const UnitLabels& labels) {
  anchor_heading(out, labels,
                 "*               STRUT/RAKER DATA                 *", false);
}

void echo_anchor(RecordWriter& out, const engine::Anchor& a, bool prestressed) {
  out.blanks(6);
  for (double x :
       {a.depth, a.area, a.modulus, a.unbonded_length, a.angle, a.spacing}) {
    out.e(x, 10, 3, 1);
  }
  if (prestressed) out.e(a.prestress, 10, 3, 1);
  out.end_line();
}

namespace {

// The printed name of each section shape code, 18 columns.
constexpr const char* kShapeNames[engine::kSectionShapes] = {
    " GENERAL SECTION  ", " CIRCULAR PIPE    ", " RECTANGULAR PIPE ",
    " I SECTION        ", " H SECTION        ", " SHEET PILING     ",
    " AISC SECTION     ", " ROUND SHAFT      ", " CASED SHAFT      ",
    " RECTANGULAR PILE ", " SQUARE PRESTR.   ", " ROUND PRESTR.    ",
    " OCTAGONAL PRESTR.", " STEEL PIPE       ", " H PILE           ",
    " I PILE           ", " USER-DEFINED EI  "};

// A dimension printed for a shape: its position in the dimension row and
// its 23-column label.
struct Dimension {
  int position;
  const char* label;
};
constexpr Dimension kDiameter{0, " EQUIVALENT DIAMETER : "};
constexpr Dimension kOutside{1, " OUTSIDE DIAMETER    : "};
constexpr Dimension kWidth{1, " EXTERNAL WIDTH      : "};
constexpr Dimension kDepth{2, " EXTERNAL DEPTH      : "};
constexpr Dimension kWall{3, " WALL THICKNESS      : "};
constexpr Dimension kFlangeWidth{4, " FLANGE WIDTH        : "};
constexpr Dimension kFlange{5, " FLANGE THICKNESS    : "};
constexpr Dimension kWebDepth{6, " WEB DEPTH           : "};
constexpr Dimension kWeb{7, " WEB THICKNESS       : "};

std::vector<Dimension> shape_dimensions(int shape) {
  switch (shape) {
    case 2:
    case 9:
    case 14:
      return {kDiameter, kOutside, kWall};
    case 3:
      return {kDiameter, kWidth, kDepth, kWall};
    case 4:
    case 5:
    case 7:
    case 15:
    case 16:
      return {kDiameter, kFlangeWidth, kFlange, kWebDepth, kWeb};
    case 6:
      return {kDiameter, kWidth, kDepth, kFlange, kWeb};
    case 10:
      return {kDiameter, kWidth, kDepth};
    case 11:
    case 13:
      return {kDiameter, kWidth};
    case 12:
      return {kDiameter, kOutside};
    default:
      return {kDiameter};
  }
}

void property_line(RecordWriter& out, std::string_view label, double value,
                   std::string_view unit) {
  out.write_blanks(5).put(label).write_real(13, 5, value).put(" ").put(unit);
  out.end_record();
}

void section_values(RecordWriter& out, int shape,
                    const std::array<double, 8>& dimensions,
                    const UnitLabels& labels) {
  for (const Dimension& d : shape_dimensions(shape)) {
    property_line(out, d.label, dimensions[static_cast<size_t>(d.position)],
                  labels.small_length);
  }
}

void elastic_properties(RecordWriter& out,
                        const std::array<double, 10>& properties,
                        const UnitLabels& labels) {
  using engine::CrossSection;
  property_line(out, " AREA                : ", properties[CrossSection::kArea],
                labels.small_length + "**2");
  property_line(out, " MOMENT OF INERTIA   : ",
                properties[CrossSection::kMomentOfInertia],
                labels.small_length + "**4");
  property_line(out, " YOUNG MODULUS       : ",
                properties[CrossSection::kElasticModulus], labels.pressure());
}

}  // namespace

void echo_cross_sections_heading(RecordWriter& out) {
  out.empty_lines(1);
  out.blanks(5).line("* CROSS SECTIONS *");
}

void echo_cross_section(RecordWriter& out, int number,
                        const engine::CrossSection& c,
                        const UnitLabels& labels) {
  out.empty_lines(1);
  out.blanks(5).put(" CROSS SECTION       : ").i(number, 5).end_line();
  out.blanks(5).put(" SECTION NAME        : ").a(c.name, 32).end_line();
  out.blanks(5)
      .put(" TYPE                : ")
      .line(c.elastic() ? " ELASTIC" : " NONLINEAR");
  out.blanks(5).put(" CROSS SECTION TYPE  :").line(kShapeNames[c.shape - 1]);
  section_values(out, c.shape, c.dimensions, labels);
  if (!c.elastic()) {
    property_line(out, " YOUNG MODULUS       : ", c.modulus, labels.pressure());
    return;
  }
  elastic_properties(out, c.properties, labels);
  if (c.bottom_rows > 0) {
    out.blanks(5).line(" AT THE BOTTOM OF THE WALL SECTION:");
    section_values(out, c.shape, c.bottom_dimensions, labels);
    elastic_properties(out, c.bottom_properties, labels);
  }
}

void echo_ei_sets_heading(RecordWriter& out) {
  out.empty_lines(1);
  out.blanks(5).line("* USER DEFINED NONLINEAR EI *");
}

void echo_moment_curvature_heading(RecordWriter& out) {
  out.empty_lines(1);
  out.blanks(5).line("* INTERNALLY GENERATED NONLINEAR EI *");
}

void echo_thrust_level(RecordWriter& out, int number,
                       const engine::ThrustLevel& level,
                       const UnitLabels& labels) {
  out.empty_lines(1);
  out.blanks(5).put("   SET          =  ").i(number, 5).end_line();
  out.empty_lines(1);
  out.blanks(5)
      .put("   AXIAL THRUST =  ")
      .f(level.thrust, 10, 4)
      .blanks(2)
      .line(labels.force);
  out.empty_lines(1);
  out.blanks(5)
      .put("   N  ")
      .blanks(9)
      .put(" CURVATURE ")
      .blanks(7)
      .put(" MOMENT ")
      .blanks(7)
      .line("   EI   ");
  out.blanks(5 + 8 + 9)
      .put("RAD/")
      .put(labels.short_length)
      .blanks(9)
      .put(labels.moment())
      .blanks(9)
      .line(labels.flexural_rigidity());
  // The rigidity of a point is its secant M/phi; at zero curvature the
  // initial rigidity of the table, M/phi of its second point.
  double initial = 0.0;
  if (level.points.size() >= 2 && level.points[1].curvature != 0.0) {
    initial = level.points[1].moment / level.points[1].curvature;
  }
  int n = 0;
  for (const engine::CurvaturePoint& p : level.points) {
    const double ei = p.curvature != 0.0 ? p.moment / p.curvature : initial;
    out.blanks(5)
        .i(++n, 4)
        .blanks(8)
        .e(p.curvature, 13, 4, 1)
        .blanks(3)
        .e(p.moment, 13, 4, 1)
        .blanks(4)
        .e(ei, 13, 4, 1)
        .end_line();
  }
}

void echo_specified_pressure_heading(RecordWriter& out,
                                     const UnitLabels& labels) {
  framed_heading(out, 2, "*        SPECIFIED ACTIVE EARTH PRESSURE         *");
  out.empty_lines(1);
  out.blanks(8).line(" DEPTH         ACTIVE EARTH PRESSURE");
  out.blanks(9).put(labels.length).blanks(17).line(labels.pressure());
  out.blanks(8).line("--------       ------------------------");
}

void echo_pressure_point(RecordWriter& out, const engine::PressurePoint& p) {
  out.blanks(5)
      .e(p.depth, 12, 5, 1)
      .blanks(8)
      .e(p.pressure, 12, 5, 1)
      .end_line();
}

void echo_user_curves_heading(RecordWriter& out) {
  framed_heading(out, 2, "*     INPUTTED  SOIL RESISTANCE (P-Y) CURVES     *");
}

void echo_user_curve(RecordWriter& out, const engine::UserPyCurve& c,
                     const UnitLabels& labels) {
  out.empty_lines(2);
  out.put("     FROM TO CONTD      P-MULTIPLIER  Y-MULTIPLIER")
      .line("      POINTS     ");
  out.blanks(9)
      .i(c.station, 4)
      .i(c.contd, 3)
      .blanks(5)
      .e(c.p_multiplier, 14, 3, 1)
      .e(c.y_multiplier, 14, 3, 1)
      .blanks(10)
      .i(static_cast<long long>(c.points.size()), 3)
      .end_line();
  out.empty_lines(1);
  out.blanks(18).put("    Y    ").blanks(12).line("   P    ");
  out.blanks(20)
      .put(labels.length)
      .blanks(16)
      .put(labels.force)
      .put("/")
      .line(labels.short_length);
  out.blanks(18).put("---------").blanks(12).line("--------");
  for (const auto& [y, p] : c.points) {
    out.blanks(17).e(y, 10, 3, 1).blanks(10).e(p, 10, 3, 1).end_line();
  }
}

void plot_user_curve(RecordWriter& plot, const engine::UserPyCurve& c) {
  plot.list_int(static_cast<long long>(c.points.size())).end_line();
  for (const auto& [y, p] : c.points) {
    plot.list_real(y * c.y_multiplier).list_real(p * c.p_multiplier).end_line();
  }
}

void echo_wales(RecordWriter& out, int wale_continuity) {
  out.blanks(6).line(wale_continuity == 1
                         ? "* CONSIDER WALES AS SIMPLY SUPPORTED"
                         : "* CONSIDER WALES AS CONTINUOUS SPAN ");
}

}  // namespace korvan::report
