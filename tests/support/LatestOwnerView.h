#pragma once

// What a graph's owner model last showed: readouts, both scroll bars, the
// time labels; and every status message. For tests of either graph.

#include "graph/GraphOwnerModel.h"

#include <string>
#include <vector>

class CLatestOwnerView final : public IGraphOwnerView {
public:
    void ShowReadouts(const GraphReadoutTexts& texts) override { readouts = texts; }
    void ShowHScrollBar(const HScrollBarState& bar) override { hBar = bar; }
    void ShowVScrollBar(const VScrollBarState& bar) override { vBar = bar; }
    void ShowTimeLabels(const std::string& l, const std::string& m, const std::string& r) override
    {
        labels = {l, m, r};
    }
    void ShowStatusMessage(const std::string& text) override { messages.push_back(text); }

    GraphReadoutTexts readouts;
    HScrollBarState hBar;
    VScrollBarState vBar;
    std::vector<std::string> labels;
    std::vector<std::string> messages;
};
