#include "logger/widgets/CDataLoggerButton.h"

#include "logger/widgets/DataLoggerPrinting.h"

CDataLoggerButton::CDataLoggerButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent)
    : CGraphControl(owner, dialogs, parent)
{
    setObjectName(QStringLiteral("CDataLoggerButton"));
}

PrintOutcome CDataLoggerButton::PrintGraph(const std::optional<std::string>& printer)
{
    const DataLoggerGraphState& s = m_graph.State();
    const PrintedChart chart = DataLoggerChart(m_graph, MakePrintedFrame(m_printJob, s.bottomDb, s.topDb));
    return PrintChartCommand(m_printJob, m_dialogs, printer, chart);
}
