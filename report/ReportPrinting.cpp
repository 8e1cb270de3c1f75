#include "common/DialogSeam.h"
#include "graph/GraphOwnerModel.h"
#include "graph/widgets/CPrintJob.h"
#include "logger/DataLoggerGraph.h"
#include "logger/LoggerGraphSize.h"
#include "logger/widgets/DataLoggerForm.h"
#include "logger/widgets/DataLoggerPrinting.h"
#include "report/ReportPrinting.h"

#include "acoustics/LocalClock.h"
#include "logger/IndicatorCharts.h"
#include "logger/SetIndicators.h"

#include <QPainter>

#include <algorithm>

namespace {

constexpr double kMargin = 45.0;        // points, left, right and top
constexpr double kFooterRise = 40.0;    // the footer's line this far above the page's bottom
constexpr double kGraphTop = 215.0;     // the level-time graph's top
constexpr double kRowHeight = 13.0;
const QColor kTraceColour(255, 0, 0);
const QColor kGridColour(32, 64, 32);

QFont PointFont(int points, bool bold = false)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(points); // the painter is scaled to points
    font.setBold(bold);
    return font;
}

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

// The set on a data-logger graph of the DataLogger window's size, in its
// overview, as the window shows it after opening the set.
struct ReportGraph {
    CDataLoggerFeed feed;
    CGraphOwnerModel owner{feed, nullptr, ReadoutTimes::AsHanded};
    CDataLoggerGraph graph{owner};

    ReportGraph(const std::vector<DataSample>& samples, const NoiseIndicators& indicators)
    {
        feed.SetGraph(&graph);
        graph.Attach(LoggerGraphSize::kWidth, LoggerGraphSize::kHeight);
        const std::int64_t start = indicators.start;
        const auto stop = static_cast<std::int64_t>(indicators.end);
        const std::int64_t seconds = std::max<std::int64_t>(stop - start, 1);
        graph.SetData(start, graph.GetPlotWidth() / static_cast<double>(seconds), samples.data(),
                      static_cast<int>(samples.size()));
        owner.UndoZoom();
    }
};

void DrawLevelTimeGraph(QPainter& painter, const CPrintJob& job, const std::vector<DataSample>& samples,
                        const NoiseIndicators& indicators)
{
    const double left = kMargin;
    const double top = kGraphTop;
    if (!indicators.enough) {
        painter.setPen(kGridColour);
        const QRectF box(left + PrintedPage::kPlotOffset, top, PrintedPage::kAxisLength, PrintedPage::kAxisHeight);
        painter.drawRect(box);
        painter.drawText(box, Qt::AlignCenter, QString::fromLatin1(kNotEnoughDataText));
        return;
    }
    const ReportGraph shown(samples, indicators);
    const DataLoggerGraphState& state = shown.graph.State();
    PrintedFrame frame;
    frame.left = static_cast<int>(left);
    frame.top = static_cast<int>(top);
    frame.x0 = frame.left + PrintedPage::kPlotOffset;
    frame.y0 = frame.top + PrintedPage::kAxisHeight;
    frame.bottomDb = state.bottomDb;
    frame.pointsPerDb = state.topDb > state.bottomDb ? PrintedPage::kAxisHeight / (state.topDb - state.bottomDb) : 0.0;
    const PrintedChart chart = DataLoggerChart(shown.graph, frame);
    const int right = frame.x0 + PrintedPage::kAxisLength;

    painter.save();
    painter.setClipRect(QRectF(frame.x0, frame.top, PrintedPage::kAxisLength, PrintedPage::kAxisHeight));
    if (!chart.trace.empty()) {
        const double width = chart.tracePenWidth * 72.0 / std::max(job.DpiX(), 1);
        painter.setPen(QPen(kTraceColour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPolygonF line;
        for (const QPoint& p : chart.trace)
            line << QPointF(p);
        painter.drawPolyline(line);
    }
    painter.restore();
    painter.setPen(QPen(kGridColour, 0.5));
    painter.drawLine(QPointF(frame.x0, frame.top), QPointF(frame.x0, frame.y0));
    const double span = chart.topDb - chart.bottomDb;
    for (int i = 0; i <= 5; ++i) {
        const double y = frame.y0 - i * 0.2 * span * frame.pointsPerDb;
        painter.drawLine(QPointF(frame.x0, y), QPointF(right, y));
        DrawTextAt(painter, frame.left - 5, y - 10, Text(PrintedLevelText(chart.bottomDb, chart.topDb, i, false)));
    }
    const char* format = "%Y-%m-%d %H:%M:%S";
    const QString from = Text(FormatLocal(indicators.start, format));
    const QString to = Text(FormatLocal(static_cast<std::int64_t>(indicators.end), format));
    DrawTextAt(painter, frame.x0, frame.y0 + 4, from);
    DrawTextAt(painter, right - painter.fontMetrics().horizontalAdvance(to), frame.y0 + 4, to);
}

void DrawFooter(QPainter& painter, const ReportContent& content, double width, double height, int page)
{
    painter.setFont(PointFont(7));
    painter.setPen(Qt::black);
    const double y = height - kFooterRise;
    painter.drawLine(QPointF(kMargin, y - 3), QPointF(width - kMargin, y - 3));
    DrawTextAt(painter, kMargin, y, Text(content.footer));
    const QString number = Text(PageNumberText(page, kReportPages));
    DrawTextAt(painter, width - kMargin - painter.fontMetrics().horizontalAdvance(number), y + 10, number);
}

// (name, value) rows from y on; returns the y under the last row.
double DrawRows(QPainter& painter, const std::vector<std::pair<std::string, std::string>>& rows, double y,
                double valueX)
{
    for (const auto& [name, value] : rows) {
        painter.setFont(PointFont(9, true));
        DrawTextAt(painter, kMargin, y, Text(name));
        painter.setFont(PointFont(9));
        DrawTextAt(painter, valueX, y, Text(value));
        y += kRowHeight;
    }
    return y;
}

void DrawFirstPage(QPainter& painter, const CPrintJob& job, const ReportContent& content,
                   const std::vector<DataSample>& samples)
{
    painter.setPen(Qt::black);
    painter.setFont(PointFont(18, true));
    DrawTextAt(painter, kMargin, kMargin, Text(content.title));
    double y = kMargin + 30;
    auto heading = content.settings;
    heading.insert(heading.begin(), {"Location", content.location});
    heading.emplace_back("Period", content.period);
    y = DrawRows(painter, heading, y, kMargin + 150);

    painter.setFont(PointFont(11, true));
    DrawTextAt(painter, kMargin, kGraphTop - 25, QStringLiteral("Level-time graph (dB)"));
    painter.setFont(PointFont(8));
    DrawLevelTimeGraph(painter, job, samples, content.indicators);

    y = kGraphTop + PrintedPage::kAxisHeight + 25;
    painter.setPen(Qt::black);
    painter.setFont(PointFont(11, true));
    DrawTextAt(painter, kMargin, y, QStringLiteral("Noise indicators"));
    DrawRows(painter, content.table, y + 18, kMargin + 150);
}

void DrawSecondPage(QPainter& painter, const ReportContent& content, double width)
{
    const double chartLeft = kMargin + 40;
    const double chartWidth = width - chartLeft - kMargin - 35;
    painter.setPen(Qt::black);
    painter.setFont(PointFont(11, true));
    DrawTextAt(painter, kMargin, kMargin, Text(std::string(LeqName(content.indicators.weighting)) + " per hour (dB)"));
    painter.setFont(PointFont(7));
    DrawHourlyBars(painter, QRectF(chartLeft, kMargin + 30, chartWidth, 220), content.indicators);

    const double top = kMargin + 300;
    painter.setPen(Qt::black);
    painter.setFont(PointFont(11, true));
    DrawTextAt(painter, kMargin, top, QStringLiteral("Level distribution: share of time per dB, cumulative curve"));
    painter.setFont(PointFont(7));
    DrawLevelDistribution(painter, QRectF(chartLeft, top + 30, chartWidth, 220), content.indicators);
}

} // namespace

int PrintMeasurementReport(CPrintJob& job, const std::optional<std::string>& printer, const ReportRequest& request,
                           const std::vector<DataSample>& samples, const std::string& unit, double rate)
{
    const std::string sha256 = request.dataPath.empty() ? std::string() : FileSha256(request.dataPath).value_or("");
    const ReportContent content = MakeReportContent(request, samples, unit, rate, sha256);
    if (job.OpenPrinter(printer, 1) != 0 || job.StartDocument() != 0)
        return -1;
    QPainter& painter = *job.Painter();
    const double width = job.PageWidth() * 72.0 / std::max(job.DpiX(), 1);
    const double height = job.PageHeight() * 72.0 / std::max(job.DpiY(), 1);
    for (int page = 1; page <= kReportPages; ++page) {
        if (job.BeginPage() != 0) {
            job.EndDocument();
            return -1;
        }
        painter.save();
        painter.scale(job.DpiX() / 72.0, job.DpiY() / 72.0);
        if (page == 1)
            DrawFirstPage(painter, job, content, samples);
        else
            DrawSecondPage(painter, content, width);
        DrawFooter(painter, content, width, height, page);
        painter.restore();
        job.FinishPage();
    }
    job.EndDocument();
    return 0;
}

PrintOutcome PrintReportCommand(CPrintJob& job, IDialogSeam& dialogs, const ReportRequest& request,
                                const std::vector<DataSample>& samples, const std::string& unit, double rate)
{
    if (PrintMeasurementReport(job, std::nullopt, request, samples, unit, rate) == 0)
        return PrintOutcome::Printed;
    if (job.ErrorCode() == 0)
        return PrintOutcome::Cancelled;
    ShowMessage(dialogs, kReportFailedText);
    return PrintOutcome::Failed;
}
