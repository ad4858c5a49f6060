// The field writer as it stood before fields were built in stack buffers:
// one std::string per piece. Kept as the reference that the faster writer
// is compared with on random fields.
#pragma once

#include <string>
#include <string_view>

namespace korvan::report::reference {

std::string fmt_i(long long value, int w);
std::string fmt_i_zero(long long value, int w);
std::string fmt_f(double value, int w, int d);
std::string fmt_e(double value, int w, int d, int scale = 0);
std::string fmt_a(std::string_view text, int w);
std::string fmt_real(double value, int w, int n);
std::string list_int(long long value);
std::string list_real(double value);

}  // namespace korvan::report::reference
