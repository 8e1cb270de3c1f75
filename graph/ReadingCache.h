#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct DataSample;

// The store's readings as the overview walks them: each reading's calendar
// time, converted once, when the graph learns that the reading is there,
// instead of on every frame; and its value beside it, so a frame reads a
// small array rather than every reading's texts. The store only grows at its
// end between clearings, so what was taken stays right until the store is
// cleared or another one is handed over.
class CReadingCache {
public:
    // Turns a date and a time text into a calendar time, or nothing.
    using Converter = std::optional<std::int64_t> (*)(std::string_view date, std::string_view time);
    // A reading whose texts form no calendar time.
    static constexpr std::int64_t kNoTime = INT64_MIN;

    explicit CReadingCache(Converter convert = nullptr);

    // Takes readings from the first not yet taken up to count - 1. Returns
    // the index of the first of them that has no calendar time, or -1.
    int Sync(const DataSample* store, int count);
    // The store was emptied: everything is taken again.
    void Forget();

    int Count() const { return static_cast<int>(m_times.size()); }
    // kNoTime for a reading without calendar time.
    std::int64_t Time(int index) const { return m_times[static_cast<std::size_t>(index)]; }
    double Value(int index) const { return m_values[static_cast<std::size_t>(index)]; }

private:
    Converter m_convert;
    const DataSample* m_store = nullptr;
    std::vector<std::int64_t> m_times;
    std::vector<double> m_values;
};
