#include "logger/DataFileWriter.h"

#include "common/DataSample.h"
#include "common/NumberText.h"
#include "common/TempFile.h"

namespace {

DataFileWriteResult Failure(const std::string& path, const std::string& reason)
{
    return {false, "The data file \"" + path + "\" could not be saved: " + reason + "."};
}

} // namespace

std::string FormatDataFileHeader(double rate)
{
    return std::string(kDataFileSignature) + " SamplingRate:" + FormatFixed(rate, 1, 2) + ";";
}

std::string FormatDataFileLine(const DataSample& sample)
{
    return sample.date + ", " + sample.time + ", " + FormatFixed(sample.value, 2, 5) + ", " + sample.unit;
}

DataFileWriteResult CheckDataFileTarget(const std::string& path)
{
    if (std::string why = WhyNotReplaceable(path); !why.empty())
        return Failure(path, why);
    return {true, {}};
}

DataFileWriteResult WriteDataFile(const std::string& path, const DataSample* samples, int count, double rate)
{
    if (samples == nullptr || count < 0)
        count = 0;
    std::string text = FormatDataFileHeader(rate);
    text += kDataFileLineEnd;
    for (int i = 0; i < count; ++i) {
        text += FormatDataFileLine(samples[i]);
        text += kDataFileLineEnd;
    }
    if (std::string why = ReplaceFileAtomically(path, {text}); !why.empty())
        return Failure(path, why);
    return {true, {}};
}
