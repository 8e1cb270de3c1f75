// The port file as any file may hold it: read without harm, and after the
// program writes a key the same key reads back what was written, whatever
// else the file holds.
#include "common/PrivateProfile.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace {

void Require(bool condition)
{
    if (!condition)
        std::abort();
}

// A name as the program writes one: printable, no brackets or '=' and no
// blanks at the ends.
std::string Name(FuzzedDataProvider& input)
{
    std::string name;
    for (char c : input.ConsumeRandomLengthString(16)) {
        if (c > ' ' && c < 0x7F && c != '[' && c != ']' && c != '=' && c != ';')
            name += c;
    }
    return name.empty() ? std::string("Port") : name;
}

const std::string& FilePath()
{
    static const std::string path = "/tmp/vexalog-fuzz-profile." + std::to_string(getpid()) + ".ini";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    FuzzedDataProvider input(data, size);
    const std::string section = Name(input);
    const std::string key = Name(input);
    const std::string value = std::to_string(input.ConsumeIntegralInRange<int>(0, 100));
    const std::string file = input.ConsumeRemainingBytesAsString();
    {
        std::ofstream out(FilePath(), std::ios::binary | std::ios::trunc);
        out.write(file.data(), static_cast<std::streamsize>(file.size()));
    }
    const CPrivateProfile profile(FilePath());
    (void)profile.Problem();
    (void)profile.ReadString("Port Record", "Port");
    (void)profile.ReadString(section, key);
    if (profile.WriteString(section, key, value))
        Require(profile.ReadString(section, key) == value);
    return 0;
}
