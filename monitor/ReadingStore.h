#pragma once

#include "common/DataSample.h"

#include <memory>

// The real-time store: 40000 sample slots allocated once, when the view is
// created, plus the number of readings of the current run. Readings occupy
// slots 0 .. Count() - 1 in time order; recording never allocates.
class ReadingStore {
public:
    static constexpr int kSlots = 40000;

    ReadingStore() : m_slots(std::make_unique<DataSample[]>(kSlots)) {}
    ReadingStore(const ReadingStore&) = delete;
    ReadingStore& operator=(const ReadingStore&) = delete;

    // Slot 0; the graph and the data-file writer read the readings through it.
    DataSample* Data() { return m_slots.get(); }
    const DataSample* Data() const { return m_slots.get(); }

    DataSample& operator[](int index) { return m_slots[index]; }
    const DataSample& operator[](int index) const { return m_slots[index]; }

    int Count() const { return m_count; }
    void SetCount(int count) { m_count = count; }

    // Every slot back to empty: value 0.0, valid 0, time " ". Date and unit
    // texts are left as they were, count becomes 0.
    void EmptySlots()
    {
        for (int i = 0; i < kSlots; ++i) {
            m_slots[i].valid = 0;
            m_slots[i].value = 0.0;
            m_slots[i].time = " ";
        }
        m_count = 0;
    }

private:
    std::unique_ptr<DataSample[]> m_slots;
    int m_count = 0;
};
