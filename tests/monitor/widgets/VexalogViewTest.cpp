// The main view put together and driven as the frame drives it, over a
// pseudo-terminal to the simulated meter: first layout, the panel's two
// faces, the keys, the commands with their enable rules and marks, the
// statistics fields, Save as, and the port remembered when the view goes.
#include "common/CommandIds.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "common/TimeText.h"
#include "graph/GraphMath.h"
#include "graph/GraphReadouts.h"
#include "graph/TrafficGraphPainter.h"
#include "graph/widgets/CTimeButtom.h"
#include "graph/widgets/CTrafficButton.h"
#include "monitor/widgets/CMeterButton.h"
#include "monitor/widgets/CVexalogView.h"
#include "res/PanelBitmaps.h"
#include "tests/support/FastClock.h"
#include "tests/support/FieldRoom.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"

#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QMainWindow>
#include <QStatusBar>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>

using namespace std::chrono_literals;

namespace {

constexpr int kNotConnectedFace = 176;
// The part of the panel no key covers: the LCD window and everything above it.
const QRect kUpperPanel(0, 0, CMeterPanel::kWidth, 200);

class VexalogViewTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_temp.IsValid());
        m_ini = (m_dir / "TempPort.ini").string();
        m_device = (m_dir / "ttyLX47").string();
        // Com1 and port 12 both lead to the simulated meter.
        for (const char* port : {"1", "12"})
            ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CPortMap::kOverrideSection, port, m_device));
    }

    void TearDown() override
    {
        m_view.reset();
        m_sim.reset();
    }

    void StartMeter(const std::string& level = "const:85.3")
    {
        m_sim = std::make_unique<CSimulatedMeter>(
            std::vector<std::string>{"--level", level, "--link", m_device, "--exit-with-parent"});
        ASSERT_TRUE(m_sim->Started()) << m_sim->Error();
    }

    void MakeView(int startupPort = 0)
    {
        CVexalogView::Options options;
        options.iniPath = m_ini;
        options.clock = &m_clock;
        options.timing.link = LinkTiming{100, 8000ms}; // two real seconds on the four-times clock
        options.timing.watcherPeriod = 100ms;
        m_view = std::make_unique<CVexalogView>(m_dialogs, options);
        m_view->SetStartupPort(startupPort);
        m_view->OnInitialUpdate();
    }

    bool WaitConnected(bool connected, int timeoutMs = 10000)
    {
        return QTest::qWaitFor([&] { return m_view->Link().Connected() == connected; }, timeoutMs);
    }

    QImage Screen() const { return m_view->grab(QRect(QPoint(0, 0), CVexalogView::FormSize())).toImage().convertToFormat(QImage::Format_RGB32); }

    std::string Field(int id) const { return m_view->Edit(id)->text().toStdString(); }

    CTempDir m_temp{"vx_view"};
    const std::filesystem::path m_dir = m_temp.Path();
    std::string m_ini;
    std::string m_device;
    CFastClock m_clock;
    CScriptedDialogs m_dialogs;
    std::unique_ptr<CSimulatedMeter> m_sim;
    std::unique_ptr<CVexalogView> m_view;
};

TEST_F(VexalogViewTest, FirstLayoutFillsTheRateBoxPlacesTheKeysAndHostsTheGraph)
{
    MakeView();
    QComboBox* rates = m_view->RateBox();
    ASSERT_EQ(rates->count(), 10);
    EXPECT_EQ(rates->itemText(0), "0.1");
    EXPECT_EQ(rates->itemText(9), "10");
    EXPECT_EQ(rates->currentText(), "0.5");

    // Six picture keys where the meter's keys are, at their pictures' sizes.
    for (const MeterKey& key : kMeterKeys) {
        CMeterButton* button = m_view->Key(key.id);
        ASSERT_NE(button, nullptr) << key.caption;
        EXPECT_EQ(button->geometry(), QRect(key.normalPos, LoadPanelBitmap(key.pictureId).size())) << key.caption;
        EXPECT_FALSE(button->isHidden()) << key.caption;
    }
    CMeterButton* hold = m_view->Key(kHoldButtonId);
    ASSERT_NE(hold, nullptr);
    EXPECT_TRUE(hold->isHidden());
    EXPECT_FALSE(hold->isEnabled());

    // The graph stands as control 1011 with the plot width the recorder scales by.
    EXPECT_EQ(m_view->Control(1011), m_view->Graph());
    EXPECT_EQ(m_view->Graph()->width(), 560);
    EXPECT_EQ(m_view->Graph()->GetPlotWidth(), 530);

    // Statistics start at their cleaned values; the scroll bars are off.
    EXPECT_EQ(Field(1005), "0");
    EXPECT_EQ(Field(1007), "30.0");
    EXPECT_EQ(Field(1009), "130.0");
    EXPECT_FALSE(m_view->HScroll()->isEnabled());
    EXPECT_FALSE(m_view->VScroll()->isEnabled());

    // Running the first layout again changes nothing.
    m_view->OnInitialUpdate();
    EXPECT_EQ(rates->count(), 10);
    EXPECT_EQ(m_view->Keys().size(), kMeterKeys.size() + 1);
}

TEST_F(VexalogViewTest, StatisticsAndReadoutFieldsShowTheirWidestTextsWhole)
{
    MakeView();
    m_view->show();
    // The widest texts a field can get: levels up to 130 dB, averages with
    // more digits than the field has room for, the longest times.
    RealTimeStatistics statistics;
    statistics.startTime = statistics.maximumTime = statistics.minimumTime = "00:00:00";
    statistics.dataNo = 40000;
    statistics.avg = 389.9 / 3;
    statistics.maximum = 130.0;
    statistics.minimum = 129.9;
    const RealTimeStatisticsTexts fields = MakeStatisticsTexts(statistics);
    EXPECT_EQ(fields.avg, "129.97");
    GraphReadouts readouts;
    readouts.cursorA = readouts.cursorB = readouts.maxBetween = readouts.minBetween = 130.0;
    readouts.cursorATime = readouts.cursorBTime = readouts.maxBetweenTime = readouts.minBetweenTime = "00:00:00";
    readouts.avgBetween = 389.9 / 3;
    const GraphReadoutTexts readoutFields = MakeReadoutTexts(readouts);

    std::vector<std::pair<int, const std::string*>> all;
    for (const auto& field : fields.ByControlId())
        all.push_back(field);
    for (const auto& field : readoutFields.ByControlId())
        all.push_back(field);
    for (const auto& [id, text] : all) {
        QLineEdit* edit = m_view->Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setText(QString::fromStdString(*text));
        EXPECT_TRUE(TextFits(*edit)) << id << ": " << *text << " in " << TextRoom(*edit) << " px";
    }
}

TEST_F(VexalogViewTest, ScrollBarsGoThroughTheGraphOwnerAndShowWhatItDecided)
{
    MakeView();
    QScrollBar* h = m_view->HScroll();
    QScrollBar* v = m_view->VScroll();
    // The graph pages its readings: the bar gets its range and its arrows.
    m_view->GraphOwner().SetHScrollPage(10);
    EXPECT_TRUE(h->isEnabled());
    EXPECT_EQ(h->maximum(), 40000 / 10);

    h->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(h->value(), 1);
    EXPECT_EQ(m_view->GraphOwner().FirstVisibleReading(), 10);
    // Page and end codes change nothing: the bar stays where the graph owner keeps it.
    h->triggerAction(QAbstractSlider::SliderPageStepAdd);
    h->triggerAction(QAbstractSlider::SliderToMaximum);
    EXPECT_EQ(h->value(), 1);
    h->triggerAction(QAbstractSlider::SliderSingleStepSub);
    h->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(h->value(), 0);

    // Vertical: 5 steps below the top level 130.
    m_view->GraphOwner().SetVScroll(10.0, 5, 130.0);
    EXPECT_TRUE(v->isEnabled());
    EXPECT_EQ(v->maximum(), 5);
    for (int i = 0; i < 7; ++i)
        v->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(v->value(), 5);

    // UnDo Zoom puts both bars back at 0 with their arrows off.
    m_view->UndoZoomButton()->click();
    EXPECT_EQ(h->value(), 0);
    EXPECT_EQ(v->value(), 0);
    EXPECT_FALSE(h->isEnabled());
    EXPECT_FALSE(v->isEnabled());
}

TEST_F(VexalogViewTest, PanelShowsTheNotConnectedFaceUntilDataArrivesAndAgainAfterLinkLoss)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    MakeView();
    const QImage unlit = LoadPanelBitmap(kNotConnectedFace).convertToFormat(QImage::Format_RGB32);
    // No port remembered: nothing open, the unlit face.
    EXPECT_EQ(m_view->Link().Link().PortNumber(), 0);
    EXPECT_EQ(Screen().copy(kUpperPanel), unlit.copy(kUpperPanel));

    m_view->OnCommand(CommandId::Com1);
    ASSERT_TRUE(WaitConnected(true));
    // 85.3: a blank hundreds digit, then 8 at (70, 113), once the first reading is drawn.
    const QImage eight = LoadPanelBitmap(CMeterPanel::DigitPictureId(8)).convertToFormat(QImage::Format_RGB32);
    QImage lit;
    EXPECT_TRUE(QTest::qWaitFor([&] { lit = Screen(); return lit.copy(70, 113, 25, 53) == eight; }, 5000));
    EXPECT_EQ(lit.copy(kUpperPanel), m_view->Panel().Face().convertToFormat(QImage::Format_RGB32).copy(kUpperPanel));
    EXPECT_NE(lit.copy(kUpperPanel), unlit.copy(kUpperPanel));

    // The meter goes quiet: eight clock seconds later the link is lost and the face goes out.
    ASSERT_TRUE(m_sim->Send("silent"));
    ASSERT_TRUE(WaitConnected(false));
    EXPECT_TRUE(QTest::qWaitFor([&] { return Screen().copy(kUpperPanel) == unlit.copy(kUpperPanel); }, 5000));

    // It talks again: the watcher reopens the port and the face lights up.
    ASSERT_TRUE(m_sim->Send("resume"));
    ASSERT_TRUE(WaitConnected(true, 15000));
    EXPECT_TRUE(m_view->Link().Link().PortOpen());
}

TEST_F(VexalogViewTest, KeysSendTheirByteOnlyWhileTheMeterIsConnected)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    ASSERT_TRUE(m_sim->Send("silent"));
    ASSERT_FALSE(m_sim->WaitFor("OK silent", 2000).empty());
    MakeView(12);
    EXPECT_EQ(m_view->Link().Link().PortNumber(), 12);
    ASSERT_TRUE(m_view->Link().Link().PortOpen());
    ASSERT_FALSE(m_view->Link().Connected());

    CMeterButton* rec = m_view->Key(1023);
    ASSERT_NE(rec, nullptr);
    QTest::mousePress(rec, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(rec->pos(), QPoint(40, 204)); // pushed in one pixel
    QTest::mouseRelease(rec, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(rec->pos(), QPoint(41, 204));

    // The silent meter still logs every key byte it reads, in order: had REC
    // gone out, its line would come before the one of the key pressed once
    // connected.
    ASSERT_TRUE(m_sim->Send("resume"));
    ASSERT_TRUE(WaitConnected(true));
    QTest::mouseClick(m_view->Key(1025), Qt::LeftButton, {}, QPoint(5, 5));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_sim->CountLines("KEY ") > 0; }, 10000));
    EXPECT_EQ(m_sim->WaitFor("KEY ", 0), "KEY 0x99");
    EXPECT_EQ(m_sim->CountLines("KEY "), 1);
}

TEST_F(VexalogViewTest, RecordingFillsTheFieldsFollowsTheEnableRulesAndSavesAsADataFile)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    MakeView(1);
    ASSERT_TRUE(WaitConnected(true));

    EXPECT_TRUE(m_view->IsCommandEnabled(CommandId::Print));
    EXPECT_TRUE(m_view->IsCommandEnabled(CommandId::DataLogger));
    EXPECT_TRUE(m_view->IsCommandEnabled(CommandId::Run));
    EXPECT_FALSE(m_view->IsCommandEnabled(CommandId::Stop));
    EXPECT_FALSE(m_view->IsCommandEnabled(CommandId::Histogram));
    EXPECT_TRUE(m_view->IsCommandEnabled(CommandId::Line));

    m_view->OnCommand(CommandId::Run);
    EXPECT_FALSE(m_view->IsCommandEnabled(CommandId::Run));
    EXPECT_FALSE(m_view->IsCommandEnabled(CommandId::Setup));
    EXPECT_TRUE(m_view->IsCommandEnabled(CommandId::Stop));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_view->Controller().Store().Count() >= 3; }, 8000));

    // The rate cannot change while running: the box goes back to 0.5.
    m_view->RateBox()->setCurrentIndex(5);
    emit m_view->RateBox()->activated(5);
    EXPECT_EQ(m_dialogs.MessageTexts().back(), "Can not change Sampling Rate while real time is running.");
    EXPECT_EQ(m_view->RateBox()->currentText(), "0.5");

    m_view->OnCommand(CommandId::Stop);
    const int count = m_view->Controller().Store().Count();
    EXPECT_EQ(Field(1005), std::to_string(count));
    EXPECT_EQ(Field(1006), "85.30");
    EXPECT_EQ(Field(1007), "85.3");
    EXPECT_EQ(Field(1009), "85.3");
    EXPECT_EQ(Field(1014).size(), 8u); // HH:MM:SS
    EXPECT_EQ(Field(1014), m_view->Controller().Statistics().startTime);

    // Once stopped the rate can change, and the controller takes it.
    m_view->RateBox()->setCurrentIndex(3);
    emit m_view->RateBox()->activated(3);
    EXPECT_DOUBLE_EQ(m_view->Controller().SamplingPeriod(), 1.0);

    const std::string path = (m_dir / "run.txt").string();
    m_dialogs.QueueSavePath(path);
    QMainWindow frame; // the status line is the main window's
    frame.setCentralWidget(m_view.get());
    m_view->OnCommand(CommandId::SaveAs);
    EXPECT_EQ(frame.statusBar()->currentMessage().toStdString(),
              "Saved " + std::to_string(count) + " readings to run.txt");
    m_view->setParent(nullptr);
    std::ifstream file(path, std::ios::binary);
    ASSERT_TRUE(file.good());
    std::stringstream content;
    content << file.rdbuf();
    const std::string text = content.str();
    EXPECT_EQ(text.rfind("ORVANTIS LX47 DATA LOGGER SamplingRate:1.0;\r\r\n", 0), 0u) << text.substr(0, 60);
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = text.find("\r\r\n", at)) != std::string::npos; at += 3)
        ++lines;
    EXPECT_EQ(lines, static_cast<std::size_t>(count) + 1);
    EXPECT_NE(text.find(", 85.30, dBA\r\r\n"), std::string::npos);

    // Clean puts the statistics back and the store empties.
    m_view->OnCommand(CommandId::CleanData);
    EXPECT_EQ(Field(1005), "0");
    EXPECT_EQ(Field(1007), "30.0");
    EXPECT_EQ(Field(1009), "130.0");
    EXPECT_EQ(m_view->Controller().Store().Count(), 0);
}

TEST_F(VexalogViewTest, TheGraphPlotsTheRecordedLevelsWhereTheyBelongAndZoomsOnThem)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter("ramp:40:120:6"));
    MakeView(1);
    ASSERT_TRUE(WaitConnected(true));
    // The fastest rate: a reading with every block of the meter's stream.
    m_view->RateBox()->setCurrentIndex(0);
    emit m_view->RateBox()->activated(0);
    m_view->OnCommand(CommandId::Run);
    const ReadingStore& store = m_view->Controller().Store();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.Count() >= 60; }, 15000));
    m_view->OnCommand(CommandId::Stop);

    // The overview: the newest readings at 2-pixel steps from the plot's left
    // edge, each at the height its level gives (the latest one comes with the
    // next reading).
    CTrafficButton* graph = m_view->Graph();
    const QImage frame = graph->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int drawn = store.Count() - 1;
    std::set<int> heights;
    for (int i = 0; i < drawn; ++i) {
        const int y = GraphMath::LevelY(store[i].value, graph->height(), 30.0, graph->height() / 100.0);
        heights.insert(y);
        EXPECT_EQ(frame.pixel(30 + 2 * i, y), GraphColours::kTrace.rgb()) << i << " " << store[i].value;
    }
    EXPECT_GT(heights.size(), 10u); // the levels moved: the trace is not flat
    EXPECT_FALSE(m_view->IsCommandEnabled(CommandId::Histogram));

    // A drag zooms into the page; the strip shows its times and the histogram may be chosen.
    QTest::mousePress(graph, Qt::LeftButton, {}, QPoint(31, 1));
    QTest::mouseRelease(graph, Qt::LeftButton, {}, QPoint(60, graph->height() - 1));
    EXPECT_TRUE(m_view->IsCommandEnabled(CommandId::Histogram));
    graph->grab();
    EXPECT_EQ(m_view->TimeStrip()->Left(), store[0].time);
    // Cursor A on slot 5 reads reading 5.
    QTest::mouseDClick(graph, Qt::LeftButton, {}, QPoint(30 + 2 * 5, 100));
    EXPECT_EQ(Field(1013), LevelFieldText(store[5].value));
    EXPECT_EQ(Field(1015), PadTimeText(store[5].time));
    m_view->OnCommand(CommandId::Histogram);
    EXPECT_EQ(graph->Graph().State().style, 0);

    // UnDo Zoom: the overview again, readouts cleared, no histogram.
    m_view->UndoZoomButton()->click();
    EXPECT_FALSE(m_view->IsCommandEnabled(CommandId::Histogram));
    EXPECT_EQ(Field(1013), "0.0");
    EXPECT_EQ(Field(1015), "");
    graph->grab();
    EXPECT_EQ(m_view->TimeStrip()->Left(), " ");
}

TEST_F(VexalogViewTest, PortCommandsMarkTheirItemAndTheLastPortIsRememberedWhenTheViewGoes)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    ASSERT_TRUE(CPrivateProfile(m_ini).WriteString(CSerialLink::kProfileSection, CSerialLink::kProfileKey, "1"));
    MakeView();
    // The remembered port is opened at the first layout.
    EXPECT_EQ(m_view->Link().Link().PortNumber(), 1);
    EXPECT_TRUE(m_view->IsCommandMarked(CommandId::Com1));
    EXPECT_FALSE(m_view->IsCommandMarked(CommandId::Com2));
    ASSERT_TRUE(WaitConnected(true));

    // "Other" asks from the current port; 12 clears every mark and opens 12.
    int asked = -1;
    m_view->SetPortQuestion([&](int current) {
        asked = current;
        return std::optional<int>(12);
    });
    m_view->OnCommand(CommandId::OtherPort);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_view->Link().Link().PortNumber(), 12);
    for (int id = CommandId::Com1; id <= CommandId::Com5; ++id)
        EXPECT_FALSE(m_view->IsCommandMarked(id)) << id;
    EXPECT_TRUE(m_view->Link().Link().PortOpen());

    // Cancel changes nothing.
    m_view->SetPortQuestion([](int) { return std::optional<int>(); });
    m_view->OnCommand(CommandId::OtherPort);
    EXPECT_EQ(m_view->Link().Link().PortNumber(), 12);

    // The port items' prompts name the device of their number; Other names the current one's.
    EXPECT_EQ(m_view->LivePrompt(CommandId::Com1), "Port1: " + m_device + " (present)");
    EXPECT_EQ(m_view->LivePrompt(CommandId::OtherPort),
              "Another port by number, 1 to 100; now Port12: " + m_device + " (present)");
    EXPECT_EQ(m_view->LivePrompt(CommandId::Com2).rfind("Port2: /dev/ttyUSB1 (", 0), 0u);
    EXPECT_EQ(m_view->LivePrompt(CommandId::Run), "");

    m_view.reset();
    EXPECT_EQ(CPrivateProfile(m_ini).ReadString(CSerialLink::kProfileSection, CSerialLink::kProfileKey), "12");
}

// A user who reads the end-of-monitoring question for five seconds before
// answering OK, the event loop running meanwhile as under a modal dialog.
class CSlowUser final : public IDialogSeam {
public:
    static constexpr int kReadingMs = 5000;
    MsgAnswer MessageBox(const std::string&, const std::string& text, MsgButtons buttons, MsgIcon) override
    {
        texts.push_back(text);
        if (buttons == MsgButtons::OkCancel) {
            QElapsedTimer reading;
            reading.start();
            for (bool last = false; !last;) {
                QTest::qWait(100);
                last = reading.elapsed() >= kReadingMs;
                whileAsked(last);
            }
        }
        return MsgAnswer::Ok;
    }
    std::optional<std::string> SaveFileName(const FileDialogRequest&) override { return savePath; }
    std::optional<std::string> OpenFileName(const FileDialogRequest&) override { return std::nullopt; }
    std::optional<PrinterChoice> ChoosePrinter(int) override { return std::nullopt; }

    std::function<void(bool last)> whileAsked;
    std::string savePath;
    std::vector<std::string> texts;
};

TEST_F(VexalogViewTest, TheEndOfMonitoringQuestionWaitsWithoutStoppingTheLink)
{
    ASSERT_NO_FATAL_FAILURE(StartMeter());
    CSlowUser user;
    user.savePath = (m_dir / "asked.txt").string();
    // The real clock and three silent seconds for a lost link: well inside
    // the five seconds the question waits, far above any pause of a busy
    // machine.
    CSystemClock clock;
    CVexalogView::Options options;
    options.iniPath = m_ini;
    options.clock = &clock;
    options.timing.link = LinkTiming{100, 3000ms};
    options.timing.watcherPeriod = 100ms;
    CVexalogView view(user, options);
    view.SetStartupPort(1);
    view.OnInitialUpdate();
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Link().Connected(); }, 5000));

    int linkDown = 0;
    QImage shownAtTheEnd;
    user.whileAsked = [&](bool last) {
        if (!view.Link().Connected() || !view.Link().Link().PortOpen())
            ++linkDown;
        if (last)
            shownAtTheEnd = view.grab(QRect(QPoint(0, 0), CVexalogView::FormSize())).toImage();
    };
    view.Controller().SetParameters(0.5, 3);
    view.OnCommand(CommandId::Run);
    const std::string question = "Monitoring Time has finished. Do you want to save data?";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !user.texts.empty(); }, 15000));
    EXPECT_EQ(user.texts, std::vector<std::string>({question}));
    // Data kept coming while the question waited: the link stayed up, the panel lit.
    EXPECT_EQ(linkDown, 0);
    EXPECT_EQ(shownAtTheEnd.convertToFormat(QImage::Format_RGB32).copy(kUpperPanel),
              view.Panel().Face().convertToFormat(QImage::Format_RGB32).copy(kUpperPanel));
    // The answer saved the three readings.
    std::ifstream file(user.savePath, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    std::size_t lines = 0;
    for (std::size_t at = 0; (at = content.str().find("\r\r\n", at)) != std::string::npos; at += 3)
        ++lines;
    EXPECT_EQ(lines, 4u) << content.str();
}

} // namespace
