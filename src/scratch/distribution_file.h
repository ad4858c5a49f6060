// The earth-pressure distribution file: the scratch file through which a
// generated distribution passes on its way to the wall. The writer and the
// parser stand side by side so that the layout is stated once; the wall
// sees the numbers as the file carries them (five significant digits).
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "pressure/earth_pressure.h"

namespace korvan::scratch {

// Writes the number of points, then per point its 13 columns (col[1] to
// col[13], 1PE12.5 each after a blank).
void write_distribution_file(
    std::ostream& file, const std::vector<pressure::DistributionPoint>& pts);

// Reads a file as written above. `file_name` names it in messages; a
// malformed file throws InputError naming its line and record. A text laid
// out exactly as the writer lays it out is read field by field without the
// record reader, with the values the record reader gives.
std::vector<pressure::DistributionPoint> read_distribution_file(
    std::istream& file, const std::string& file_name);

// The same file read record by record with the record reader, whatever its
// layout.
std::vector<pressure::DistributionPoint> read_distribution_records(
    std::istream& file, const std::string& file_name);

}  // namespace korvan::scratch
