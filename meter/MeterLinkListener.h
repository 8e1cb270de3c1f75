#pragma once

#include "meter/PanelAreas.h"

#include <vector>

// What the meter link tells whoever listens to it: the main view (its panel),
// the recorder, the data-logger download, the command-line companion. Each
// listener overrides what it needs. The calls come from the serial receive
// path and the supervision timer: a listener shows no dialog from inside them.
class IMeterLinkListener {
public:
    virtual ~IMeterLinkListener() = default;
    // An area of the meter panel shows something else: redraw it without erasing.
    virtual void InvalidatePanel(const PanelRect& /*rect*/) {}
    // Tag 0x0D: the value bytes of MeterState were replaced.
    virtual void CurrentValueDecoded() {}
    // Tag 0x0B: the display digits were replaced; value is the level they show.
    virtual void DisplayValueDecoded(double /*value*/) {}
    // After each decoded block.
    virtual void BlockDecoded() {}
    // The port has just been opened (again).
    virtual void PortOpened() {}
    // Two seconds of silence: the link is lost and the port closed.
    virtual void LinkLost() {}
};

// The listeners of one link, told in the order they subscribed. None may
// subscribe or leave while they are being told.
class CMeterLinkListeners final : public IMeterLinkListener {
public:
    void Add(IMeterLinkListener& listener) { m_listeners.push_back(&listener); }
    void Remove(IMeterLinkListener& listener);

    void InvalidatePanel(const PanelRect& rect) override;
    void CurrentValueDecoded() override;
    void DisplayValueDecoded(double value) override;
    void BlockDecoded() override;
    void PortOpened() override;
    void LinkLost() override;

private:
    std::vector<IMeterLinkListener*> m_listeners;
};
