#include "OwnerScrollBars.h"

#include <QScrollBar>
#include <QSignalBlocker>

#include <optional>

namespace {

// What a scroll bar's action means in the window system's terms.
std::optional<ScrollCode> ScrollCodeOf(int action)
{
    switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
        return ScrollCode::LineBack;
    case QAbstractSlider::SliderSingleStepAdd:
        return ScrollCode::LineForward;
    case QAbstractSlider::SliderPageStepSub:
        return ScrollCode::PageBack;
    case QAbstractSlider::SliderPageStepAdd:
        return ScrollCode::PageForward;
    case QAbstractSlider::SliderToMinimum:
        return ScrollCode::ToStart;
    case QAbstractSlider::SliderToMaximum:
        return ScrollCode::ToEnd;
    case QAbstractSlider::SliderMove:
        return ScrollCode::ThumbTrack;
    default:
        return std::nullopt;
    }
}

} // namespace

void ConnectOwnerScrollBar(QScrollBar* bar, QObject* context, const std::function<int(ScrollCode, int)>& scroll)
{
    bar->setTracking(false);
    bar->setSingleStep(1);
    bar->setPageStep(1);
    QObject::connect(bar, &QAbstractSlider::actionTriggered, context, [bar, scroll](int action) {
        const auto code = ScrollCodeOf(action);
        if (!code)
            return;
        const int position = scroll(*code, bar->sliderPosition());
        if (*code != ScrollCode::ThumbTrack)
            bar->setSliderPosition(position);
    });
    QObject::connect(bar, &QAbstractSlider::sliderReleased, context, [bar, scroll] {
        scroll(ScrollCode::ThumbPosition, bar->sliderPosition());
        bar->setSliderPosition(scroll(ScrollCode::EndScroll, 0));
    });
}

void ShowOwnerScrollBar(QScrollBar* bar, int maximum, int position, bool enabled)
{
    const QSignalBlocker blocker(bar);
    bar->setRange(0, maximum);
    bar->setSliderPosition(position);
    bar->setValue(position);
    bar->setEnabled(enabled);
}
