#pragma once

#include <QPoint>

#include <array>
#include <optional>
#include <string>
#include <vector>

class CPrintJob;
class IDialogSeam;

// The page both graphs print: a title over a chart of 494 × 295 points with
// its two axes, six labelled level lines and, for a page or a zoomed view,
// three times under the axis. Only the trace differs between the graphs; it
// comes in as a polyline in points, placed by the helpers below.
namespace PrintedPage {
inline constexpr int kAxisLength = 494; // points
inline constexpr int kAxisHeight = 295;
inline constexpr int kPlotOffset = 20;  // the y axis stands this far right of the left margin
inline constexpr int kLabelOffset = 5;  // level texts start this far left of the left margin
inline constexpr int kLabelRise = 10;   // and this far above their line
inline constexpr int kTimeGap = 5;      // time texts this far under the axis
inline constexpr int kRightTimeOffset = 454;
inline constexpr int kTitleBox[4] = {46, 20, 520, 56};
} // namespace PrintedPage

struct PrintedChart {
    std::string title;
    double bottomDb = 30.0;
    double topDb = 130.0;
    bool oneDecimal = false; // "%3.1f" labels after a narrow zoom
    // Left, middle and right time texts, already cut for the strip.
    std::optional<std::array<std::string, 3>> timeTexts;
    int tracePenWidth = 3; // device pixels
    // Joined in order; empty for no trace (histogram style).
    std::vector<QPoint> trace;
};

// The chart's corners in points for the job's margins (left L, top T):
// X0 = L + 20, Y0 = T + 295.
struct PrintedFrame {
    int left = 0;
    int top = 0;
    int x0 = 0;
    int y0 = 0;
    double pointsPerDb = 0.0;
    double bottomDb = 0.0;

    // Height of a level in points: Y0 − trunc((v − bottom) × points per dB).
    int Y(double value) const;
};
PrintedFrame MakePrintedFrame(const CPrintJob& job, double bottomDb, double topDb);

// The text of level line i (0 at the bottom .. 5 at the top).
std::string PrintedLevelText(double bottomDb, double topDb, int i, bool oneDecimal);

// Prints the chart on one page of the printer named, or of the one chosen in
// the print dialog when no name is given. Returns 0 when the page was
// printed, -1 when the dialog was cancelled or the printer could not be
// opened or written (the job's error code says which).
int PrintChartPage(CPrintJob& job, const std::optional<std::string>& printer, const PrintedChart& chart);

enum class PrintOutcome { Printed, Cancelled, Failed };

inline constexpr const char* kPrintFailedText =
    "The graph was not printed: the printer or the PDF file could not be opened or written.";

// A print command's page: PrintChartPage, and a message to the user when
// the printer or file chosen could not be opened or written. Cancel in the
// print dialog prints nothing and says nothing.
PrintOutcome PrintChartCommand(CPrintJob& job, IDialogSeam& dialogs, const std::optional<std::string>& printer,
                               const PrintedChart& chart);
