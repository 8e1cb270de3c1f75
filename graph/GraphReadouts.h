#pragma once

#include <array>
#include <string>
#include <utility>

// What a graph reports about its cursors: the readings at A and B and the
// maximum, minimum and average between them. Both graph windows show them in
// the same edit fields (1013 .. 1022).
struct GraphReadouts {
    double cursorA = 0.0;        // 1013
    std::string cursorATime;     // 1015
    double cursorB = 0.0;        // 1016
    std::string cursorBTime;     // 1017
    double maxBetween = 0.0;     // 1018
    std::string maxBetweenTime;  // 1022
    double minBetween = 0.0;     // 1019
    std::string minBetweenTime;  // 1020
    double avgBetween = 0.0;     // 1021
    // No reading under the cursor, or none between the cursors: the fields are empty.
    bool noCursorA = false;
    bool noCursorB = false;
    bool noneBetween = false;
};

// The readout fields, which each graph window places in an edit of its own.
enum class GraphReadoutField {
    CursorA,
    CursorATime,
    CursorB,
    CursorBTime,
    MaxBetween,
    MaxBetweenTime,
    MinBetween,
    MinBetweenTime,
    AvgBetween,
};

// The same fields as the texts their edits show: levels with one decimal as
// the meter shows them, the average with two, times as they were handed over.
struct GraphReadoutTexts {
    std::string cursorA;         // 1013
    std::string cursorATime;     // 1015
    std::string cursorB;         // 1016
    std::string cursorBTime;     // 1017
    std::string maxBetween;      // 1018
    std::string maxBetweenTime;  // 1022
    std::string minBetween;      // 1019
    std::string minBetweenTime;  // 1020
    std::string avgBetween;      // 1021

    // (field, text) of every field, so a window can fill its edits in a loop.
    std::array<std::pair<GraphReadoutField, const std::string*>, 9> Fields() const;
};

GraphReadoutTexts MakeReadoutTexts(const GraphReadouts& readouts);

// A level as the form's fields show it: one decimal ("%.1f"), or two for an
// average. The full value stays where it is kept.
std::string LevelFieldText(double value);
std::string AverageFieldText(double value);
