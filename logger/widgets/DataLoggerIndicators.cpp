// View > Noise Indicators of the DataLogger window: the panel beside the
// form, for the set opened and the samples between cursors A and B.
#include "logger/widgets/CDataLoggerDlg.h"

#include "graph/widgets/WindowPlace.h"
#include "logger/SetIndicators.h"
#include "logger/widgets/CNoiseIndicatorPanel.h"

#include <QAction>
#include <QHBoxLayout>

bool CDataLoggerDlg::NoiseIndicatorsShown() const
{
    return m_indicatorPanel && !m_indicatorPanel->isHidden();
}

void CDataLoggerDlg::ShowNoiseIndicators(bool shown)
{
    if (QAction* item = Command(kNoiseIndicatorsId))
        item->setChecked(shown);
    if (shown == NoiseIndicatorsShown())
        return;
    if (!m_indicatorPanel) {
        m_indicatorPanel = new CNoiseIndicatorPanel([this] { return IndicatorTexts(); }, this);
        m_indicatorPanel->hide();
        m_body->addWidget(m_indicatorPanel);
    }
    // The form keeps its size: the window grows by the panel, and narrows
    // again when it goes.
    if (shown) {
        m_indicatorPanel->show();
        m_indicatorPanel->Invalidate();
        setMaximumSize(NaturalSize());
        m_indicatorWidening = WidenWindow(*this, CNoiseIndicatorPanel::kWidth);
    } else {
        m_indicatorPanel->hide();
        WidenWindow(*this, -m_indicatorWidening);
        m_indicatorWidening = 0;
        setMaximumSize(NaturalSize());
    }
}

void CDataLoggerDlg::OpenedSetChanged()
{
    m_openedIndicatorsStale = true;
    if (m_indicatorPanel)
        m_indicatorPanel->Invalidate();
}

IndicatorPanelTexts CDataLoggerDlg::IndicatorTexts()
{
    const std::vector<DataSample>& samples = m_model.OpenedSamples();
    if (m_openedIndicatorsStale) {
        m_openedIndicatorsStale = false;
        m_openedIndicators = IndicatorsByWeighting(samples.data(), static_cast<int>(samples.size()), m_model.SaveRate());
    }
    IndicatorColumn between;
    const std::span<const DataSample> chosen = m_graph->Graph().SamplesBetweenCursors();
    between.any = !chosen.empty();
    if (between.any)
        between.weightings =
            IndicatorsByWeighting(chosen.data(), static_cast<int>(chosen.size()), m_model.SaveRate());
    return MakeIndicatorPanelTexts(kOpenedSetHeading, IndicatorColumn{m_openedIndicators, true}, between);
}
