#pragma once

#include "common/PrivateProfile.h"
#include "meter/PortMap.h"
#include "monitor/widgets/CVexalogView.h"
#include "tests/support/FastClock.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// The main view as a user starts it with the meter on Com1: the simulated
// meter sending level (an lx47sim --level) on a pseudo-terminal, the view on
// the four-times clock with its dialogs answered from a script.
class CSimulatedView {
public:
    CSimulatedView(const char* folder, std::string level) : m_temp(folder), m_level(std::move(level)) {}

    // Starts the meter and the view (which then connects on its own).
    testing::AssertionResult Start()
    {
        using namespace std::chrono_literals;
        if (!m_temp.IsValid())
            return testing::AssertionFailure() << "no temporary folder";
        const std::string ini = m_temp.File("TempPort.ini");
        const std::string device = m_temp.File("ttyLX47");
        if (!CPrivateProfile(ini).WriteString(CPortMap::kOverrideSection, "1", device))
            return testing::AssertionFailure() << "cannot write " << ini;
        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", m_level, "--link", device, "--exit-with-parent"});
        if (!m_sim->Started())
            return testing::AssertionFailure() << m_sim->Error();
        CVexalogView::Options options;
        options.iniPath = ini;
        options.clock = &m_clock;
        options.timing.link = LinkTiming{100, 8000ms}; // two real seconds on the four-times clock
        options.timing.watcherPeriod = 100ms;
        m_view = std::make_unique<CVexalogView>(m_dialogs, options);
        m_view->SetStartupPort(1);
        m_view->OnInitialUpdate();
        return testing::AssertionSuccess();
    }

    CVexalogView& View() { return *m_view; }
    CScriptedDialogs& Dialogs() { return m_dialogs; }
    const CTempDir& Temp() const { return m_temp; }

private:
    CTempDir m_temp;
    std::string m_level;
    CFastClock m_clock;
    CScriptedDialogs m_dialogs;
    std::unique_ptr<CSimulatedMeter> m_sim;
    std::unique_ptr<CVexalogView> m_view; // goes before the meter it listens to
};
