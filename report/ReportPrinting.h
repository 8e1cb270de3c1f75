#pragma once

#include "common/DataSample.h"
#include "graph/widgets/ChartPrinting.h"
#include "report/ReportContent.h"

#include <optional>
#include <string>
#include <vector>

class CPrintJob;
class IDialogSeam;

inline constexpr int kReportPages = 2;
inline constexpr const char* kReportFailedText =
    "The report was not printed: the printer or the PDF file could not be opened or written.";

// Prints the measurement report of one record set on the printer named (a
// name ending in ".pdf" is a PDF file), or on the one chosen in the print
// dialog when none is named. Page 1: title, location, the meter's settings,
// the period, the level-time graph of the whole set as the DataLogger window
// prints it, and the indicator table; page 2: the hourly LAeq bars and the
// level distribution. Every page carries its number and the footer. The
// layout follows the paper the printer holds (A4, Letter). Returns 0 when
// printed, -1 when the dialog was cancelled or the printer could not be
// opened or written (the job's error code says which).
int PrintMeasurementReport(CPrintJob& job, const std::optional<std::string>& printer, const ReportRequest& request,
                           const std::vector<DataSample>& samples, const std::string& unit, double rate);

// The windows' Report… command: PrintMeasurementReport through the print
// dialog, and a message when the printer or file could not be written.
PrintOutcome PrintReportCommand(CPrintJob& job, IDialogSeam& dialogs, const ReportRequest& request,
                                const std::vector<DataSample>& samples, const std::string& unit, double rate);
