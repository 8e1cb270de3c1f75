// A recording from the simulated meter whose program ends without saving (the
// view goes as under kill -9: its journal closed, nothing saved) is offered
// back by the next program started in the same folder, reading for reading.
#include "common/CommandIds.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "logger/DataFileWriter.h"
#include "monitor/widgets/CVexalogView.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

using namespace std::chrono_literals;

namespace {

class ViewRecovery : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CPortMap::kOverrideSection, "1", m_device));
        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", "const:72.4", "--link", m_device, "--exit-with-parent"});
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }
    void TearDown() override
    {
        m_view.reset();
        m_sim.reset();
    }
    void MakeView(int port)
    {
        CVexalogView::Options options;
        options.iniPath = m_ini;
        options.timing.link = LinkTiming{100, 2000ms};
        options.timing.watcherPeriod = 100ms;
        m_view = std::make_unique<CVexalogView>(m_dialogs, options);
        m_view->SetStartupPort(port);
        m_view->OnInitialUpdate();
    }
    int Journals() const
    {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(m_temp.Path()))
            n += entry.path().extension() == ".journal";
        return n;
    }

    CTempDir m_temp{"vx_viewrecovery"};
    const std::string m_ini = m_temp.File("TempPort.ini");
    const std::string m_device = m_temp.File("ttyLX47");
    CScriptedDialogs m_dialogs;
    std::unique_ptr<CSimulatedMeter> m_sim;
    std::unique_ptr<CVexalogView> m_view;
};

TEST_F(ViewRecovery, AnUnsavedRecordingIsOfferedBackReadingForReading)
{
    MakeView(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view->Link().Connected(); }, 10000));
    m_view->OnCommand(CommandId::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view->Controller().Store().Count() >= 4; }, 15000));
    std::vector<std::string> recorded;
    for (int i = 0; i < m_view->Controller().Store().Count(); ++i)
        recorded.push_back(FormatDataFileLine(m_view->Controller().Store()[i]));
    const RealTimeStatisticsTexts statistics = m_view->Controller().StatisticsTexts();
    m_view.reset(); // mid-run, nothing saved
    ASSERT_EQ(Journals(), 1);

    m_dialogs.QueueChoice(0); // Recover
    MakeView(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view->Controller().Store().Count() > 0; }, 10000));
    const CRealTimeController& controller = m_view->Controller();
    ASSERT_EQ(controller.Store().Count(), static_cast<int>(recorded.size()));
    for (int i = 0; i < controller.Store().Count(); ++i)
        EXPECT_EQ(FormatDataFileLine(controller.Store()[i]), recorded[static_cast<std::size_t>(i)]) << i;
    const RealTimeStatisticsTexts restored = controller.StatisticsTexts();
    EXPECT_EQ(restored.startTime, statistics.startTime);
    EXPECT_EQ(restored.dataNo, statistics.dataNo);
    EXPECT_EQ(restored.avg, statistics.avg);
    EXPECT_EQ(restored.maximum, statistics.maximum);
    EXPECT_EQ(restored.minimum, statistics.minimum);
    EXPECT_FALSE(controller.Running());
    EXPECT_EQ(Journals(), 1); // the recovered readings, journalled by this program
}

} // namespace
