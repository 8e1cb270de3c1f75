#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

struct DataSample;

// The calendar times of a store's readings, each converted once, when the
// graph learns that the reading is there, instead of on every frame. The
// store only grows at its end between clearings, so what was converted
// stays right until the store is cleared or another one is handed over.
class CSampleTimes {
public:
    // Turns a date and a time text into a calendar time, or nothing.
    using Converter = std::optional<std::int64_t> (*)(std::string_view date, std::string_view time);
    // A reading whose texts form no calendar time.
    static constexpr std::int64_t kNoTime = INT64_MIN;

    explicit CSampleTimes(Converter convert = nullptr);

    // Converts readings from the first not yet converted up to count - 1.
    // Returns the index of the first reading that has no calendar time among
    // those, or -1.
    int Sync(const DataSample* store, int count);
    // The store was emptied: everything is converted again.
    void Forget();

    int Count() const { return static_cast<int>(m_times.size()); }
    // kNoTime for a reading without calendar time.
    std::int64_t operator[](int index) const { return m_times[static_cast<std::size_t>(index)]; }
    const std::int64_t* Data() const { return m_times.data(); }

private:
    Converter m_convert;
    const DataSample* m_store = nullptr;
    std::vector<std::int64_t> m_times;
};
