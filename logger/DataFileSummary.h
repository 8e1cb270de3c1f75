#pragma once

#include <string>
#include <vector>

struct DataFileImport;

// A data file's contents as text lines, for the command-line companion:
//   Sampling rate: 1.0 s
//   Samples: 120
//   Record sets: 2
//   Set 1: 0..59, dBA, 2007-03-07 09:05:00, 60 samples   ("1 sample" for one)
//   Set 2: 60..119, dBC, 2007-03-07 09:06:00, 60 samples
//   Average: 65.30
//   Maximum: 88.10 @ 09:05:31
//   Minimum: 40.20 @ 09:06:02
// With no samples the statistics read "none". Damaged lines left out follow
// ("line 812 is damaged: ..."), and a bound that cut the import short adds
// its sentence as the last line. Texts taken from the file (the
// units) are escaped: no control character or NUL reaches the lines.
std::vector<std::string> DataFileSummaryLines(const DataFileImport& data);
