#include "graph/widgets/CTrafficButton.h"

#include "graph/widgets/TrafficGraphPrinting.h"

CTrafficButton::CTrafficButton(IGraphOwner& owner, IDialogSeam& dialogs, QWidget* parent)
    : CGraphControl(owner, dialogs, parent)
{
    setObjectName(QStringLiteral("CTrafficButton"));
}

void CTrafficButton::SetTimeScale(std::int64_t startTime, double pixelsPerSecond)
{
    m_graph.SetTimeScale(startTime, pixelsPerSecond);
}

PrintOutcome CTrafficButton::PrintGraph(const std::optional<std::string>& printer)
{
    const PrintedChart chart = TrafficGraphChart(m_graph, MakePrintedFrame(m_printJob, m_graph.State().bottomDb,
                                                                           m_graph.State().topDb));
    return PrintChartCommand(m_printJob, m_dialogs, printer, chart);
}
