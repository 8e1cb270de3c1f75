#include "graph/widgets/ChartPrinting.h"

#include "common/DialogSeam.h"
#include "graph/GraphMath.h"
#include "graph/widgets/CPrintJob.h"

#include <QColor>
#include <QPainter>
#include <QPen>

#include <cstdio>

namespace {

const QColor kGridColour(32, 64, 32);
const QColor kTraceColour(255, 0, 0);
// A printer context writes text in its own colour, black, whatever pen
// draws the lines.
const QColor kTextColour(0, 0, 0);

// Draws a text with its top-left corner at (x, y) device pixels in the
// printer's current font, leaving the pen as it was.
void TextAt(QPainter& painter, int x, int y, const std::string& text)
{
    const QPen pen = painter.pen();
    painter.setPen(kTextColour);
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), QString::fromStdString(text));
    painter.setPen(pen);
}

// Positions are truncated to whole points; a hair is added first so that the
// binary rounding of tenths does not cost a point (3 × 0.2 × 100 × 2.95 comes
// out as 176.99999…, and the fourth level line belongs 177 points up). A
// wild level from a data file is held far off the page rather than
// overflowing.
int TruncPoints(double points)
{
    return GraphMath::Trunc(points + (points >= 0 ? 1e-9 : -1e-9));
}

} // namespace

int PrintedFrame::Y(double value) const
{
    return y0 - TruncPoints((value - bottomDb) * pointsPerDb);
}

PrintedFrame MakePrintedFrame(const CPrintJob& job, double bottomDb, double topDb)
{
    PrintedFrame frame;
    frame.left = job.Margins().left;
    frame.top = job.Margins().top;
    frame.x0 = frame.left + PrintedPage::kPlotOffset;
    frame.y0 = frame.top + PrintedPage::kAxisHeight;
    frame.pointsPerDb = topDb > bottomDb ? PrintedPage::kAxisHeight / (topDb - bottomDb) : 0.0;
    frame.bottomDb = bottomDb;
    return frame;
}

std::string PrintedLevelText(double bottomDb, double topDb, int i, bool oneDecimal)
{
    char text[64];
    std::snprintf(text, sizeof text, oneDecimal ? "%3.1f" : "%3.0f", bottomDb + (topDb - bottomDb) * 0.2 * i);
    return text;
}

int PrintChartPage(CPrintJob& job, const std::optional<std::string>& printer, const PrintedChart& chart)
{
    if (job.OpenPrinter(printer, 1) != 0)
        return -1;
    if (job.StartDocument() != 0)
        return -1;
    job.BeginPage();
    QPainter& painter = *job.Painter();
    const PrintedFrame frame = MakePrintedFrame(job, chart.bottomDb, chart.topDb);
    const int right = frame.left + PrintedPage::kAxisLength + PrintedPage::kPlotOffset;
    const auto device = [&job](int x, int y) { return QPoint(job.PixelsX(x), job.PixelsY(y)); };
    const QPen gridPen(kGridColour, 1);

    painter.setPen(gridPen);
    painter.drawLine(device(frame.x0, frame.top), device(frame.x0, frame.y0));
    painter.drawLine(device(frame.x0, frame.y0), device(right, frame.y0));

    if (!chart.trace.empty()) {
        painter.setPen(QPen(kTraceColour, chart.tracePenWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        QPolygon line;
        line.reserve(int(chart.trace.size()));
        for (const QPoint& p : chart.trace)
            line << device(p.x(), p.y());
        painter.drawPolyline(line);
    }

    painter.setPen(gridPen);
    const double span = chart.topDb - chart.bottomDb;
    for (int i = 0; i <= 5; ++i) {
        const int y = TruncPoints(frame.top + PrintedPage::kAxisHeight - i * 0.2 * span * frame.pointsPerDb);
        const int labelX = frame.left - PrintedPage::kLabelOffset;
        TextAt(painter, job.PixelsX(labelX), job.PixelsY(y - PrintedPage::kLabelRise),
               PrintedLevelText(chart.bottomDb, chart.topDb, i, chart.oneDecimal));
        painter.drawLine(device(frame.x0, y), device(right, y));
    }

    if (chart.timeTexts) {
        const int y = job.PixelsY(frame.y0 + PrintedPage::kTimeGap);
        const int xs[3] = {frame.x0, (frame.x0 + PrintedPage::kAxisLength) / 2,
                           frame.x0 + PrintedPage::kRightTimeOffset};
        for (int k = 0; k < 3; ++k)
            TextAt(painter, job.PixelsX(xs[k]), y, (*chart.timeTexts)[std::size_t(k)]);
    }

    job.SelectFont(0, 3);
    const int* box = PrintedPage::kTitleBox;
    job.PrintText(chart.title, {box[0], box[1], box[2], box[3]}, kPrintCentreX | kPrintCentreY);
    job.FinishPage();
    job.EndDocument();
    return 0;
}

PrintOutcome PrintChartCommand(CPrintJob& job, IDialogSeam& dialogs, const std::optional<std::string>& printer,
                               const PrintedChart& chart)
{
    if (PrintChartPage(job, printer, chart) == 0)
        return PrintOutcome::Printed;
    // The dialog's Cancel leaves no error behind; a printer or file that
    // could not be opened or written does, and the user is told.
    if (job.ErrorCode() == 0)
        return PrintOutcome::Cancelled;
    ShowMessage(dialogs, kPrintFailedText);
    return PrintOutcome::Failed;
}
