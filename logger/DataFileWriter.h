#pragma once

#include <string>
#include <string_view>

struct DataSample;

// The program's text data file: a header with the sampling rate, then one
// sample a line. Every line ends in CR CR LF (a "\r\n" line passed through a
// text-mode stream on Windows); we write those three bytes ourselves so the
// files are the same on every platform.
inline constexpr std::string_view kDataFileSignature = "ORVANTIS LX47 DATA LOGGER";
inline constexpr std::string_view kDataFileLineEnd = "\r\r\n";

// "ORVANTIS LX47 DATA LOGGER SamplingRate:%2.1f;" without the line end.
std::string FormatDataFileHeader(double rate);

// "%s, %s, %5.2f, %s" of date, time, value and unit, without the line end.
std::string FormatDataFileLine(const DataSample& sample);

struct DataFileWriteResult {
    bool ok = false;
    std::string error; // when !ok: a sentence naming the file and the reason
};

// Whether path can be saved to: its folder may be written, and the file is
// absent or a regular file that may be written (one without any write
// permission counts as write-protected). Through a symbolic link the linked
// file is checked. Asked before a long recording starts, so that its end is
// not refused, and again by every save.
DataFileWriteResult CheckDataFileTarget(const std::string& path);

// Writes the header and samples[0 .. count-1] to path. The old file is never
// destroyed on failure: everything goes to a temporary file in the same folder,
// which is flushed to disk and only then renamed over the target. A negative
// count or a null array writes the header only. A target refused by
// CheckDataFileTarget is left as it is.
DataFileWriteResult WriteDataFile(const std::string& path, const DataSample* samples, int count, double rate);
