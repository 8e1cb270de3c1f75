#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Reads an OLE2 compound file held in memory (versions 3 and 4): its
// directory as it stands, and the bytes of any stream. Every sector number,
// chain and size is checked against the file, so a damaged or hostile file
// fails with a reason instead of reading out of bounds or looping.
struct CompoundEntry {
    static constexpr std::size_t kSize = 128;
    static constexpr std::uint32_t kNone = 0xFFFFFFFF;
    enum Type : std::uint8_t { Unused = 0, Storage = 1, Stream = 2, Root = 5 };

    std::string raw; // the entry's 128 bytes as found
    std::u16string name;
    std::uint8_t type = Unused;
    std::uint32_t left = kNone;
    std::uint32_t right = kNone;
    std::uint32_t child = kNone;
    std::uint32_t start = 0;
    std::uint64_t size = 0;
};

class CCompoundFileReader {
public:
    // The reader looks at file, which must outlive it.
    bool Open(std::string_view file, std::string* error);

    const std::vector<CompoundEntry>& Entries() const { return m_entries; }
    // A stream right under the root storage, by name (ASCII letters in any
    // case), or -1.
    int FindRootStream(std::u16string_view name) const;
    // The stream's bytes; false with *error when its chain is damaged.
    bool ReadStream(std::size_t index, std::string& out, std::string* error) const;

private:
    bool Chain(const std::vector<std::uint32_t>& table, std::uint32_t start, std::size_t limit,
               std::vector<std::uint32_t>& sectors) const;
    bool ReadSectors(const std::vector<std::uint32_t>& sectors, std::string& out) const;

    std::string_view m_file;
    std::size_t m_sectorSize = 512;
    std::size_t m_miniCutoff = 4096;
    std::vector<std::uint32_t> m_fat;
    std::vector<std::uint32_t> m_miniFat;
    std::string m_miniStream;
    std::vector<CompoundEntry> m_entries;
};

// Lays a compound file out anew from a directory read by the reader: every
// entry keeps its 128 bytes (names, tree, class ids, times) but for where
// its stream starts and how long it is; contents[i] is the new content of
// stream entry i (the others are ignored). Version 3, 512-byte sectors.
std::string BuildCompoundFileFrom(const std::vector<CompoundEntry>& entries, const std::vector<std::string>& contents);

// UTF-8 of an entry name (for messages).
std::string EntryNameText(const std::u16string& name);
