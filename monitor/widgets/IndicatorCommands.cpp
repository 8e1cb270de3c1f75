// View > Noise Indicators of the main window: the panel beside the form,
// for the run recorded and the readings between cursors A and B.
#include "monitor/widgets/CVexalogView.h"

#include "graph/widgets/CTrafficButton.h"
#include "graph/widgets/WindowPlace.h"
#include "logger/SetIndicators.h"
#include "logger/widgets/CNoiseIndicatorPanel.h"

#include <QResizeEvent>

bool CVexalogView::NoiseIndicatorsShown() const
{
    return m_indicatorPanel && !m_indicatorPanel->isHidden();
}

void CVexalogView::ShowNoiseIndicators(bool shown)
{
    if (shown == NoiseIndicatorsShown())
        return;
    if (!m_indicatorPanel) {
        m_indicatorPanel = new CNoiseIndicatorPanel([this] { return IndicatorTexts(); }, this);
        m_indicatorPanel->hide();
    }
    // The form keeps its size: the view, and with it the window, grows by
    // the panel, and narrows again when it goes.
    const int extra = CNoiseIndicatorPanel::kWidth;
    if (shown) {
        const int before = width();
        m_indicatorWidening = WidenWindow(*window(), extra);
        setMinimumWidth(m_formWidth + extra);
        // The view alone (no frame around it) grows with its least width.
        if (window() == this)
            m_indicatorWidening = width() - before;
        PlaceIndicatorPanel();
        m_indicatorPanel->show();
        m_indicatorPanel->raise();
        m_indicatorPanel->Invalidate();
    } else {
        m_indicatorPanel->hide();
        setMinimumWidth(m_formWidth);
        WidenWindow(*window(), -m_indicatorWidening);
        m_indicatorWidening = 0;
    }
}

void CVexalogView::resizeEvent(QResizeEvent* event)
{
    CMainForm::resizeEvent(event);
    if (m_indicatorPanel)
        PlaceIndicatorPanel();
}

void CVexalogView::PlaceIndicatorPanel()
{
    // Right beside the form's controls, as high as the view.
    m_indicatorPanel->setGeometry(m_formWidth, 0, CNoiseIndicatorPanel::kWidth, std::max(height(), minimumHeight()));
}

IndicatorPanelTexts CVexalogView::IndicatorTexts() const
{
    IndicatorColumn whole{m_recordingIndicators.Results(), true};
    IndicatorColumn between;
    const std::span<const DataSample> chosen = m_graph->Graph().ReadingsBetweenCursors();
    between.any = !chosen.empty();
    if (between.any)
        between.weightings =
            IndicatorsByWeighting(chosen.data(), static_cast<int>(chosen.size()), m_controller.SamplingPeriod());
    return MakeIndicatorPanelTexts(kWholeRunHeading, whole, between);
}
