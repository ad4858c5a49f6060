// The words a project file takes for the codes of the input data file.
#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace korvan::project {

struct Word {
  int code;
  std::string_view word;
};

inline constexpr Word kUnitWords[] = {{1, "english"}, {2, "metric"}};
inline constexpr Word kConditionWords[] = {
    {1, "deflection"}, {2, "slope"}, {3, "both"}};
inline constexpr Word kShapeWords[] = {{1, "general"},
                                       {2, "circular_pipe"},
                                       {3, "rectangular_pipe"},
                                       {4, "i_section"},
                                       {5, "h_section"},
                                       {6, "sheet_piling"},
                                       {7, "aisc_section"},
                                       {8, "round_shaft"},
                                       {9, "cased_shaft"},
                                       {10, "rectangular_pile"},
                                       {11, "square_prestressed"},
                                       {12, "round_prestressed"},
                                       {13, "octagonal_prestressed"},
                                       {14, "steel_pipe"},
                                       {15, "h_pile"},
                                       {16, "i_pile"},
                                       {17, "user_defined_ei"}};
inline constexpr Word kEiWords[] = {{0, "elastic"}, {1, "nonlinear"}};
inline constexpr Word kContinuityWords[] = {{1, "simply_supported"},
                                            {2, "continuous"}};
inline constexpr Word kFactorOptionWords[] = {{1, "with_spacing_reduction"},
                                              {0, "table_only"}};
inline constexpr Word kPressureWords[] = {
    {0, "none"},          {1, "specified"},    {2, "triangular"},   {3, "fhwa"},
    {4, "soil_movement"}, {5, "uniform_clay"}, {6, "terzaghi_peck"}};
inline constexpr Word kPyWords[] = {{1, "user"}, {2, "generated"}, {3, "none"}};
inline constexpr Word kSurchargeWords[] = {
    {1, "point"}, {2, "line"}, {3, "strip"}};
inline constexpr Word kLoadingWords[] = {{1, "static"}, {0, "cyclic"}};
inline constexpr Word kSoilWords[] = {{1, "soft_clay"},
                                      {2, "stiff_clay_with_free_water"},
                                      {3, "stiff_clay_without_free_water"},
                                      {4, "sand"},
                                      {5, "silt"},
                                      {6, "rock"},
                                      {7, "weak_rock"}};

inline std::optional<std::string_view> word_of(int code,
                                               std::span<const Word> words) {
  for (const Word& w : words)
    if (w.code == code) return w.word;
  return std::nullopt;
}

inline std::optional<int> code_of(std::string_view word,
                                  std::span<const Word> words) {
  for (const Word& w : words)
    if (w.word == word) return w.code;
  return std::nullopt;
}

}  // namespace korvan::project
