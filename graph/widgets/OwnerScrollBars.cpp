#include "graph/widgets/OwnerScrollBars.h"

#include <QEvent>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyleOptionSlider>
#include <QStylePainter>

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

// A disabled bar shows its arrows and its groove but no thumb, as the
// platform's disabled bars do: a thumb would claim a position the bar
// cannot be moved from.
class CDisabledThumbHider final : public QObject {
public:
    using QObject::QObject;

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* bar = qobject_cast<QScrollBar*>(watched);
        if (bar == nullptr || event->type() != QEvent::Paint || bar->isEnabled())
            return false;
        QStyleOptionSlider option;
        option.initFrom(bar);
        option.orientation = bar->orientation();
        if (bar->orientation() == Qt::Horizontal)
            option.state |= QStyle::State_Horizontal;
        option.minimum = bar->minimum();
        option.maximum = bar->maximum();
        option.sliderPosition = bar->sliderPosition();
        option.sliderValue = bar->value();
        option.singleStep = bar->singleStep();
        option.pageStep = bar->pageStep();
        option.subControls = QStyle::SubControls(QStyle::SC_All) & ~QStyle::SubControls(QStyle::SC_ScrollBarSlider);
        QStylePainter painter(bar);
        painter.drawComplexControl(QStyle::CC_ScrollBar, option);
        return true;
    }
};

} // namespace

void ConnectOwnerScrollBar(QScrollBar* bar, QObject* context, const std::function<int(ScrollCode, int)>& scroll)
{
    bar->installEventFilter(new CDisabledThumbHider(bar));
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
