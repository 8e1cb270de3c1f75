// The view's DataLogger and Open commands end to end: the simulated meter on
// a pseudo-terminal, the download with its wait dialog into the DataLogger
// window, the listed sets against what the meter holds, a set opened by a
// double click with its graph and fields; Cancel, an empty logger, Open.
#include "common/CommandIds.h"
#include "common/PrivateProfile.h"
#include "common/ScriptedDialogs.h"
#include "graph/TrafficGraphPainter.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "logger/widgets/DataLoggerForm.h"
#include "monitor/widgets/CDialog1.h"
#include "monitor/widgets/CVexalogView.h"
#include "tests/support/FastClock.h"
#include "tests/support/SimulatedMeter.h"
#include "tests/support/TempDir.h"
#include "tools/sim/SimWire.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>

using namespace std::chrono_literals;

namespace {

// Every kind of set the meter can hold, then two plain ones of 40 readings 2 s apart.
constexpr const char* kLogger = "cases,110x2,2x40@2"; // more sets than the first 100

std::string ListTime(int hour, int minute, int second)
{
    char text[32];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", hour, minute, second);
    return text;
}

std::string ListDate(int year, int month, int day)
{
    char text[32];
    std::snprintf(text, sizeof text, "%d-%02d-%02d", year, month, day);
    return text;
}

class DataLoggerPtyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.IsValid());
        ASSERT_TRUE(CPrivateProfile(ini).WriteString(CPortMap::kOverrideSection, "12", device));
        sim = std::make_unique<CSimulatedMeter>(std::vector<std::string>{
            "--level", "const:64.2", "--logger", kLogger, "--dump", "once", "--link", device, "--exit-with-parent"});
        ASSERT_TRUE(sim->Started()) << sim->Error();
        CVexalogView::Options options;
        options.iniPath = ini;
        options.clock = &clock;
        options.timing.link = LinkTiming{100, 8000ms}; // two real seconds on the four-times clock
        options.timing.watcherPeriod = 100ms;
        view = std::make_unique<CVexalogView>(dialogs, options);
        view->SetStartupPort(12);
        view->OnInitialUpdate();
        ASSERT_TRUE(QTest::qWaitFor([&] { return view->Link().Connected(); }, 5000));
        std::string error;
        ASSERT_TRUE(SimWire::ParseLoggerSpec(kLogger, sets, error)) << error;
    }
    void TearDown() override
    {
        view.reset();
        sim.reset();
    }

    // DataLogger as the menu gives it, until the download has ended.
    bool Download()
    {
        if (!view->IsCommandEnabled(CommandId::DataLogger))
            return false;
        view->OnCommand(CommandId::DataLogger);
        return QTest::qWaitFor([&] { return !view->Link().Download().Busy(); }, 15000);
    }
    QTableWidget* List() const { return view->DataLoggerWindow()->Form()->List(); }
    std::string Cell(int row, int column) const { return List()->item(row, column)->text().toStdString(); }
    std::string Field(int id) const
    {
        return view->DataLoggerWindow()->Form()->Edit(id)->text().toStdString();
    }

    CTempDir temp{"vx_dlpty"};
    const std::string ini = temp.File("TempPort.ini");
    const std::string device = temp.File("ttyLX47");
    std::unique_ptr<CSimulatedMeter> sim;
    std::vector<SimWire::LoggerSet> sets;
    CFastClock clock;
    CScriptedDialogs dialogs;
    std::unique_ptr<CVexalogView> view;
};

TEST_F(DataLoggerPtyTest, DownloadListsTheMetersSetsAndADoubleClickOpensOne)
{
    view->OnCommand(CommandId::Run);
    ASSERT_TRUE(view->IsCommandEnabled(CommandId::DataLogger));
    view->OnCommand(CommandId::DataLogger);
    ASSERT_NE(view->DataLoggerWindow(), nullptr);
    EXPECT_TRUE(view->WaitDialog()->isVisible());
    EXPECT_FALSE(view->IsCommandEnabled(CommandId::DataLogger)) << "one download at a time";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->Link().Download().Busy(); }, 15000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->WaitDialog()->isVisible(); }, 2000));
    EXPECT_FALSE(view->Controller().Running()) << "a download stops recording";
    EXPECT_TRUE(dialogs.MessageTexts().empty());
    // The window belongs to the main window and is the one in front after the download.
    EXPECT_EQ(view->DataLoggerWindow()->parentWidget(), view->window());
    EXPECT_TRUE(QTest::qWaitFor([&] { return QApplication::activeWindow() == view->DataLoggerWindow(); }, 5000));

    // Every set as the meter holds it.
    const int listed = static_cast<int>(sets.size());
    ASSERT_EQ(List()->rowCount(), listed);
    for (int r = 0; r < listed; ++r) {
        const SimWire::LoggerSet& set = sets[static_cast<std::size_t>(r)];
        SCOPED_TRACE(r);
        EXPECT_EQ(Cell(r, 0), std::to_string(r + 1));
        EXPECT_EQ(Cell(r, 1), ListDate(set.year, set.month, set.day));
        EXPECT_EQ(Cell(r, 2), ListTime(set.hour, set.minute, set.second));
        EXPECT_EQ(Cell(r, 3), set.cWeighted ? "dBC" : "dBA");
        EXPECT_EQ(Cell(r, 4), std::to_string(set.rate));
        EXPECT_EQ(Cell(r, 5), std::to_string(set.readings.size()));
    }

    // The last set: 40 readings 2 seconds apart, 8 pixels a second.
    const int row = listed - 1;
    const SimWire::LoggerSet& set = sets[static_cast<std::size_t>(row)];
    QTableWidget* list = List();
    list->scrollToItem(list->item(row, 1));
    const QPoint where = list->visualRect(list->model()->index(row, 1)).center();
    // A click, then a double click, as a user's double click reaches the list.
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, where);
    QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, where);
    ASSERT_EQ(Field(1005), "40");
    EXPECT_EQ(Field(1014), ListTime(set.hour, set.minute, set.second));
    EXPECT_EQ(Field(1045), set.cWeighted ? "dBC" : "dBA");
    const auto highest = std::max_element(set.readings.begin(), set.readings.end());
    char maximum[16];
    std::snprintf(maximum, sizeof maximum, "%.1f", *highest);
    EXPECT_EQ(Field(1007), maximum);
    const int at = set.second + 2 * static_cast<int>(highest - set.readings.begin());
    EXPECT_EQ(Field(1008), ListTime(set.hour, set.minute + at / 60, at % 60));
    EXPECT_EQ(view->DataLoggerWindow()->Form()->Title()->text().left(15), QStringLiteral("Real-Time From:"));

    const QImage shown =
        view->DataLoggerWindow()->Graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int k : {0, 1, 10, 25}) {
        const int x = 30 + 16 * k;
        const int y = 302 - static_cast<int>((set.readings[static_cast<std::size_t>(k)] - 30.0) * 3.02);
        EXPECT_EQ(shown.pixel(x, y), GraphColours::kTrace.rgb()) << "reading " << k << " at " << x << "," << y;
    }
}

TEST_F(DataLoggerPtyTest, CancelDestroysTheWindowAnEmptyLoggerSaysSoAndDataLoggerWorksAgain)
{
    view->OnCommand(CommandId::DataLogger);
    ASSERT_NE(view->DataLoggerWindow(), nullptr);
    view->WaitDialog()->CancelButton()->click();
    EXPECT_EQ(view->DataLoggerWindow(), nullptr);
    EXPECT_TRUE(view->IsCommandEnabled(CommandId::DataLogger)) << "the meter had not answered: download again at once";
    ASSERT_TRUE(QTest::qWaitFor([&] { return !view->Link().Download().Busy(); }, 15000));
    EXPECT_TRUE(dialogs.MessageTexts().empty());

    ASSERT_TRUE(sim->Send("logger none"));
    ASSERT_FALSE(sim->WaitFor("OK logger", 2000).empty());
    ASSERT_TRUE(Download());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialogs.MessageTexts().empty(); }, 2000));
    EXPECT_EQ(dialogs.MessageTexts(), (std::vector<std::string>{"No Data In DataLogger"}));
    EXPECT_FALSE(view->WaitDialog()->isVisible());
    EXPECT_EQ(List()->rowCount(), 0);

    ASSERT_TRUE(sim->Send(std::string("logger ") + kLogger));
    ASSERT_FALSE(sim->WaitFor("OK logger", 2000).empty());
    ASSERT_TRUE(Download());
    ASSERT_TRUE(QTest::qWaitFor([&] { return List()->rowCount() > 0; }, 2000));
    EXPECT_EQ(List()->rowCount(), static_cast<int>(sets.size()));
}

TEST_F(DataLoggerPtyTest, OpenImportsAFileIntoTheWindowItMakesOrRestores)
{
    ASSERT_TRUE(Download());
    ASSERT_TRUE(QTest::qWaitFor([&] { return List()->rowCount() > 0; }, 2000));
    CDataLoggerDlg* window = view->DataLoggerWindow();
    const int row = List()->rowCount() - 1;
    window->OpenRow(row);
    const std::string path = temp.File("set.txt");
    dialogs.QueueSavePath(path);
    window->SaveData();
    // The file holds the meter's readings, each at its time.
    const SimWire::LoggerSet& set = sets[static_cast<std::size_t>(row)];
    std::ifstream file(path);
    std::string line;
    ASSERT_TRUE(std::getline(file, line));
    EXPECT_NE(line.find("SamplingRate:2.0;"), std::string::npos) << line;
    for (std::size_t k = 0; k < set.readings.size(); ++k) {
        ASSERT_TRUE(std::getline(file, line)) << k;
        const int second = set.hour * 3600 + set.minute * 60 + set.second + 2 * static_cast<int>(k);
        char expected[64];
        std::snprintf(expected, sizeof expected, "%d-%d-%d, %d:%d:%d, %5.2f, %s", set.day, set.month, set.year,
                      second / 3600, second / 60 % 60, second % 60, set.readings[k], set.cWeighted ? "dBC" : "dBA");
        EXPECT_EQ(line.substr(0, line.find_last_not_of("\r") + 1), expected);
    }

    window->showMinimized();
    dialogs.QueueOpenPath(path);
    view->OnCommand(CommandId::Open);
    EXPECT_EQ(view->DataLoggerWindow(), window) << "the window is restored, not made anew";
    EXPECT_FALSE(window->isMinimized());
    ASSERT_EQ(List()->rowCount(), 1);
    EXPECT_EQ(Cell(0, 4), "2.0 s");
    EXPECT_EQ(Cell(0, 5), "40");

    window->close();
    EXPECT_TRUE(QTest::qWaitFor([&] { return view->DataLoggerWindow() == nullptr; }, 5000));
    dialogs.QueueOpenPath(path);
    view->OnCommand(CommandId::Open);
    ASSERT_NE(view->DataLoggerWindow(), nullptr);
    EXPECT_EQ(List()->rowCount(), 1);
}

} // namespace
