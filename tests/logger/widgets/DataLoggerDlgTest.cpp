// The DataLogger window as the user meets it: the list after a download and
// after an import, a set opened by a double click into the graph with its
// fields and title, the graph's readouts, scroll bars and UnDoZoom through the
// window's own controls, Save Data, reset, and closing.
#include "common/Clock.h"
#include "common/TimeText.h"
#include "graph/GraphReadouts.h"
#include "graph/TrafficGraphPainter.h"
#include "graph/widgets/CTimeButtom.h"
#include "logger/DataFile.h"
#include "logger/LoggerGraphSize.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "logger/widgets/DataLoggerForm.h"
#include "tests/logger/LoggerBytesKit.h"
#include "tests/support/FieldRoom.h"
#include "tests/support/ScriptedDialogs.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTableWidget>
#include <QTest>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

constexpr Header kNewYear{0xAA, 0x07, 0x12, 0x31, 0x31, 0x59, 0x50, 0x05};
constexpr Header kRateOne{0xCC, 0x08, 0x02, 0x28, 0x31, 0x59, 0x58, 0x0F};

class DataLoggerDlgTest : public ::testing::Test {
protected:
    std::string Field(int id) const { return window.Form()->Edit(id)->text().toStdString(); }
    std::vector<std::string> Row(int r) const
    {
        std::vector<std::string> cells;
        for (int c = 0; c < window.Form()->List()->columnCount(); ++c)
            cells.push_back(window.Form()->List()->item(r, c)->text().toStdString());
        return cells;
    }
    QImage GraphImage() const
    {
        return window.Graph()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    std::string ReadAll(const std::string& path) const
    {
        std::ifstream file(path, std::ios::binary);
        std::stringstream content;
        content << file.rdbuf();
        return content.str();
    }

    CManualClock clock{MakeLocalTime(2024, 5, 6, 7, 8, 9)};
    CScriptedDialogs dialogs;
    CTempDir temp{"vx_dldlg"};
    CDataLoggerDlg window{dialogs, clock, QFont(QStringLiteral("DejaVu Sans"), 8)};
};

TEST_F(DataLoggerDlgTest, ADownloadedSetOpensIntoTheGraphWithItsFieldsTitleReadoutsAndBars)
{
    // The size the command line and the report draw a set at.
    EXPECT_EQ(window.Graph()->size(), QSize(LoggerGraphSize::kWidth, LoggerGraphSize::kHeight));
    EXPECT_EQ(window.Form()->Title()->text(), QStringLiteral("2024-05-06 07:08:09"));
    EXPECT_EQ(Field(1007), "30.0");
    EXPECT_EQ(Field(1044), "130.0");
    EXPECT_FALSE(window.Form()->HScroll()->isEnabled());
    EXPECT_FALSE(window.Command(CDataLoggerDlg::kPrintDataId)->isEnabled());

    Download d;
    d.Add(kNewYear, {45.5, 101.3, 29.9, 88.8}).Add(kRateOne, {60.1, 60.2});
    window.LoadRecordSets(d.bytes, d.table);
    ASSERT_EQ(window.Form()->List()->rowCount(), 2);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "2007-12-31", "23:59:50", "dBA", "5", "4"}));
    EXPECT_EQ(Row(1), (std::vector<std::string>{"2", "2008-02-28", "23:59:58", "dBC", "1", "2"}));

    window.OpenRow(-1);
    EXPECT_EQ(Field(1005), "0") << "no row, nothing opened";
    window.OpenRow(0);
    EXPECT_EQ(Field(1005), "4");
    EXPECT_EQ(Field(1014), "23:59:50");
    EXPECT_EQ(Field(1007), "101.3");
    EXPECT_EQ(Field(1008), "23:59:55");
    EXPECT_EQ(Field(1044), "29.9");
    EXPECT_EQ(Field(1010), "00:00:00");
    EXPECT_EQ(Field(1006), "66.38");
    EXPECT_EQ(Field(1045), "dBA");
    EXPECT_EQ(window.Form()->Title()->text(), QStringLiteral("Real-Time From:2007-12-31 23:59:50 To:2008-01-01 00:00:05"));

    // 15 seconds over 624 pixels: a sample every 208 pixels, 3.02 pixels a decibel.
    const QImage shown = GraphImage();
    EXPECT_EQ(shown.pixel(30, 302 - 46), GraphColours::kTrace.rgb()) << "45.5 dB";
    EXPECT_EQ(shown.pixel(238, 302 - 215), GraphColours::kTrace.rgb()) << "101.3 dB";

    // The graph's readouts in the window's fields, its bars in the window's bars.
    QTest::mouseDClick(window.Graph(), Qt::LeftButton, {}, QPoint(238, 150));
    EXPECT_EQ(Field(1013), "101.3");
    EXPECT_EQ(Field(1015), "23:59:55");
    QTest::mousePress(window.Graph(), Qt::LeftButton, {}, QPoint(31, 100));
    QTest::mouseRelease(window.Graph(), Qt::LeftButton, {}, QPoint(450, 200));
    QScrollBar* hBar = window.Form()->HScroll();
    QScrollBar* vBar = window.Form()->VScroll();
    ASSERT_TRUE(hBar->isEnabled());
    EXPECT_TRUE(vBar->isEnabled());
    EXPECT_EQ(Field(1013), "0.0") << "a zoom removes the cursors";
    EXPECT_EQ(window.Graph()->Graph().State().zoomFirst, 0);
    EXPECT_EQ(window.Graph()->Graph().State().zoomLast, 2);
    hBar->triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(hBar->value(), 1);
    EXPECT_EQ(window.Graph()->Graph().State().zoomLast, 3) << "on to the set's end";
    GraphImage();
    EXPECT_EQ(window.TimeStrip()->Left(), "23:59:50");
    EXPECT_EQ(window.TimeStrip()->Right(), "0:0:5");
    const double top = window.Graph()->Graph().State().topDb;
    vBar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_GT(window.Graph()->Graph().State().topDb, top + 6.0) << "a fifth of the window up";
    window.Form()->UndoZoomButton()->click();
    EXPECT_FALSE(hBar->isEnabled());
    EXPECT_FALSE(vBar->isEnabled());
    EXPECT_TRUE(window.Graph()->Graph().State().fullView);

    // Save Data writes the opened set with its own rate.
    const std::string path = temp.File("set.txt");
    dialogs.QueueSavePath(path);
    window.Command(CDataLoggerDlg::kSaveDataId)->trigger();
    EXPECT_NE(ReadAll(path).find("SamplingRate:5.0;"), std::string::npos);
    window.OpenRow(1);
    dialogs.QueueSavePath(path);
    window.SaveData();
    EXPECT_NE(ReadAll(path).find("SamplingRate:1.0;"), std::string::npos) << "a rate byte of 0x0F is 1 second";

    // A reset keeps the list and lets go of the set.
    clock.AdvanceSeconds(60);
    window.ResetWindow();
    EXPECT_EQ(window.Form()->List()->rowCount(), 2);
    EXPECT_EQ(Field(1005), "0");
    EXPECT_EQ(window.Form()->Title()->text(), QStringLiteral("2024-05-06 07:09:09"));
    const QImage empty = GraphImage();
    for (int x = 0; x < empty.width(); x += 2)
        for (int y = 0; y < empty.height(); ++y)
            ASSERT_NE(empty.pixel(x, y), GraphColours::kTrace.rgb()) << x << "," << y;
}

TEST_F(DataLoggerDlgTest, ImportedSetsListTheFilesRateAndOpenAlikeTwice)
{
    std::vector<DataSample> samples;
    for (int k = 0; k < 6; ++k) {
        DataSample s;
        s.value = 60.0 + (k % 3) * 5.0;
        s.valid = 1;
        s.date = "7-3-2007";
        s.time = "9:5:" + std::to_string(k);
        s.unit = "dBC";
        samples.push_back(s);
    }
    const std::string path = temp.File("import.txt");
    dialogs.QueueSavePath(path);
    ASSERT_TRUE(SaveDataFile(dialogs, samples.data(), static_cast<int>(samples.size()), 1.0));

    dialogs.QueueOpenPath(path);
    window.Command(CDataLoggerDlg::kImportDataId)->trigger();
    ASSERT_EQ(window.Form()->List()->rowCount(), 1);
    EXPECT_EQ(Row(0), (std::vector<std::string>{"1", "2007-03-07", "09:05:00", "dBC", "1.0 s", "6"}));
    EXPECT_EQ(Field(1045), "dBA/dBC");

    window.OpenRow(0);
    const std::vector<std::string> first = {Field(1006), Field(1007), Field(1008), Field(1044), Field(1010)};
    EXPECT_EQ(first, (std::vector<std::string>{"65.00", "70.0", "09:05:02", "60.0", "09:05:03"}));
    window.OpenRow(0);
    EXPECT_EQ((std::vector<std::string>{Field(1006), Field(1007), Field(1008), Field(1044), Field(1010)}), first);
    EXPECT_EQ(GraphImage().pixel(30, 302 - 90), GraphColours::kTrace.rgb()) << "60 dB at 9:05:00";
}

TEST_F(DataLoggerDlgTest, StatisticsAndReadoutFieldsShowTheirWidestTextsWhole)
{
    window.show();
    Download d;
    d.Add(kNewYear, {130.0, 129.9, 130.0});
    window.LoadRecordSets(d.bytes, d.table);
    window.OpenRow(0);
    EXPECT_EQ(Field(1006), "129.97");
    for (const int id : {1005, 1006, 1007, 1008, 1044, 1010, 1014}) {
        const QLineEdit* edit = window.Form()->Edit(id);
        EXPECT_TRUE(TextFits(*edit)) << id << ": " << edit->text().toStdString() << " in " << TextRoom(*edit) << " px";
    }
    // The readouts' widest texts: 130 dB levels and an average with more
    // digits than the field has room for.
    GraphReadouts readouts;
    readouts.cursorA = readouts.cursorB = readouts.maxBetween = readouts.minBetween = 130.0;
    readouts.cursorATime = readouts.cursorBTime = readouts.maxBetweenTime = readouts.minBetweenTime = "00:00:00";
    readouts.avgBetween = 389.9 / 3;
    const GraphReadoutTexts texts = MakeReadoutTexts(readouts);
    for (const auto& [field, text] : texts.Fields()) {
        const int id = ControlIdOf(field);
        QLineEdit* edit = window.Form()->Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        edit->setText(QString::fromStdString(*text));
        EXPECT_TRUE(TextFits(*edit)) << id << ": " << *text << " in " << TextRoom(*edit) << " px";
        // A readout takes no typing.
        QTest::keyClicks(edit, QStringLiteral("243"));
        EXPECT_EQ(edit->text().toStdString(), *text) << id;
    }
}

TEST_F(DataLoggerDlgTest, ClosingOrEscapeAsksTheOwnerToDestroyIt)
{
    QSignalSpy closed(&window, &CDataLoggerDlg::Closed);
    window.show();
    QTest::keyClick(&window, Qt::Key_Escape);
    EXPECT_EQ(closed.count(), 1);
    window.show();
    window.close();
    EXPECT_EQ(closed.count(), 2);
}

} // namespace

TEST(DataLoggerWindowPlace, OpensInsideTheAvailableAreaAndShowsTheWholeFormThroughScrollBars)
{
    CManualClock clock{MakeLocalTime(2024, 5, 6, 7, 8, 9)};
    CScriptedDialogs dialogs;
    const QSize form = CDataLoggerForm::FormSize();
    const struct {
        QRect available;
        bool scrolls;
    } cases[] = {
        {QRect(0, 0, 800, 570), true},
        {QRect(0, 0, 1920, 1050), false},
        {QRect(1920, 24, 1280, 1000), false},
    };
    for (const auto& c : cases) {
        CDataLoggerDlg window{dialogs, clock, QFont(QStringLiteral("DejaVu Sans"), 8)};
        window.PlaceInside(c.available);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        EXPECT_TRUE(c.available.contains(window.frameGeometry()))
            << window.frameGeometry().x() << "," << window.frameGeometry().y() << " "
            << window.frameGeometry().width() << "x" << window.frameGeometry().height();
        // Resizable, and never larger than the whole form.
        EXPECT_LT(window.minimumWidth(), 800);
        EXPECT_LT(window.minimumHeight(), 570);
        EXPECT_EQ(window.maximumSize(), window.NaturalSize());
        // The form keeps its size and pixels whatever the window's size.
        EXPECT_EQ(window.Form()->size(), form);
        QScrollBar* across = window.ScrollArea()->horizontalScrollBar();
        QScrollBar* down = window.ScrollArea()->verticalScrollBar();
        EXPECT_EQ(across->maximum() > 0, c.scrolls);
        EXPECT_EQ(down->maximum() > 0, c.scrolls);
        if (!c.scrolls) {
            EXPECT_EQ(window.size(), window.NaturalSize());
            continue;
        }
        // Scrolled to the end, the form's bottom right corner is in view.
        across->setValue(across->maximum());
        down->setValue(down->maximum());
        QWidget* viewport = window.ScrollArea()->viewport();
        const QPoint corner = window.Form()->mapTo(viewport, QPoint(form.width() - 1, form.height() - 1));
        EXPECT_TRUE(viewport->rect().contains(corner)) << corner.x() << "," << corner.y();
    }
}

TEST(DataLoggerWindowPlace, OpensWhereItWasLeftAsFarAsTheScreenStillHoldsIt)
{
    CTempDir temp{"vx_dlplace"};
    ASSERT_TRUE(temp.IsValid());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, QString::fromStdString(temp.Path().string()));
    QCoreApplication::setOrganizationName(QStringLiteral("LX47 Application"));
    QCoreApplication::setApplicationName(QStringLiteral("LX47"));
    CManualClock clock{MakeLocalTime(2024, 5, 6, 7, 8, 9)};
    CScriptedDialogs dialogs;
    const QRect large(0, 0, 1920, 1050);
    const QRect left(100, 200, 700, 500);
    {
        CDataLoggerDlg window{dialogs, clock, QFont(QStringLiteral("DejaVu Sans"), 8)};
        window.PlaceInside(large);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        window.setGeometry(left);
        ASSERT_TRUE(QTest::qWaitFor([&] { return window.geometry() == left; }, 5000));
    }
    {
        CDataLoggerDlg window{dialogs, clock, QFont(QStringLiteral("DejaVu Sans"), 8)};
        window.PlaceInside(large);
        EXPECT_EQ(window.geometry(), left);
    }
    // On a screen too small for the place left, the window is moved and shrunk into it.
    const QRect small(0, 0, 640, 450);
    CDataLoggerDlg window{dialogs, clock, QFont(QStringLiteral("DejaVu Sans"), 8)};
    window.PlaceInside(small);
    EXPECT_TRUE(small.contains(window.geometry())) << window.geometry().x() << "," << window.geometry().y();
    EXPECT_LE(window.width(), 640);
    QCoreApplication::setOrganizationName(QString());
}
