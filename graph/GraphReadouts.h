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
};

// The same fields as the texts their edits show: numbers in general notation
// (up to 15 significant digits), times as they were handed over.
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

    // (control id, text) of every field, so a window can fill its edits in a loop.
    std::array<std::pair<int, const std::string*>, 9> ByControlId() const;
};

GraphReadoutTexts MakeReadoutTexts(const GraphReadouts& readouts);
