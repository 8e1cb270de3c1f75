#include "logger/IndicatorCharts.h"

#include "acoustics/IndicatorText.h"
#include "acoustics/LocalClock.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

const QColor kAxisColour(32, 64, 32);
const QColor kGridColour(200, 210, 200);
const QColor kBarColour(40, 90, 160);
const QColor kPartBarColour(150, 180, 220);
const QColor kCurveColour(200, 0, 0);
constexpr double kHairline = 0.5; // points

void NotEnoughData(QPainter& painter, const QRectF& box)
{
    painter.setPen(kAxisColour);
    painter.drawRect(box);
    painter.drawText(box, Qt::AlignCenter, QString::fromLatin1(kNotEnoughDataText));
}

QString Number(double value, int decimals)
{
    return QString::fromStdString(FixedText(value, decimals));
}

} // namespace

void DrawTextAt(QPainter& painter, double x, double y, const QString& text)
{
    painter.drawText(QPointF(x, y + painter.fontMetrics().ascent()), text);
}

void DrawHourlyBars(QPainter& painter, const QRectF& box, const NoiseIndicators& in)
{
    painter.save();
    if (!in.enough || in.hourly.empty()) {
        NotEnoughData(painter, box);
        painter.restore();
        return;
    }
    const auto [low, high] = std::minmax_element(in.hourly.begin(), in.hourly.end(),
                                                 [](const HourlyLevel& a, const HourlyLevel& b) { return a.leq < b.leq; });
    const double bottom = std::floor((low->leq - 5.0) / 10.0) * 10.0;
    const double top = std::max(std::ceil((high->leq + 5.0) / 10.0) * 10.0, bottom + 10.0);
    const auto y = [&](double level) { return box.bottom() - (level - bottom) / (top - bottom) * box.height(); };
    const double lineHeight = painter.fontMetrics().height();

    for (double level = bottom; level <= top + 1e-9; level += 10.0) {
        painter.setPen(QPen(kGridColour, kHairline));
        painter.drawLine(QPointF(box.left(), y(level)), QPointF(box.right(), y(level)));
        painter.setPen(Qt::black);
        const QString text = Number(level, 0);
        DrawTextAt(painter, box.left() - 4 - painter.fontMetrics().horizontalAdvance(text), y(level) - lineHeight / 2,
                   text);
    }
    const auto count = static_cast<double>(in.hourly.size());
    const double slot = box.width() / count;
    const std::size_t labelEvery = static_cast<std::size_t>(std::ceil(count / 24.0));
    for (std::size_t i = 0; i < in.hourly.size(); ++i) {
        const HourlyLevel& hour = in.hourly[i];
        const double x = box.left() + slot * static_cast<double>(i);
        const double barTop = std::clamp(y(hour.leq), box.top(), box.bottom());
        painter.fillRect(QRectF(x + slot * 0.1, barTop, slot * 0.8, box.bottom() - barTop),
                         hour.coverage >= 0.999 ? kBarColour : kPartBarColour);
        if (i % labelEvery != 0)
            continue;
        painter.setPen(Qt::black);
        const QString label = QString::fromStdString(FormatLocal(hour.hourStart, "%H"));
        DrawTextAt(painter, x + (slot - painter.fontMetrics().horizontalAdvance(label)) / 2, box.bottom() + 2, label);
        if (in.hourly.size() <= 12) {
            const QString value = Number(hour.leq, 1);
            DrawTextAt(painter, x + (slot - painter.fontMetrics().horizontalAdvance(value)) / 2,
                       barTop - lineHeight - 1, value);
        }
    }
    painter.setPen(QPen(kAxisColour, kHairline));
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.bottomLeft(), box.topLeft());
    painter.restore();
}

void DrawLevelDistribution(QPainter& painter, const QRectF& box, const NoiseIndicators& in)
{
    painter.save();
    if (!in.enough || in.distribution.empty()) {
        NotEnoughData(painter, box);
        painter.restore();
        return;
    }
    const double first = in.distribution.front().level;
    const double last = in.distribution.back().level + 1.0;
    double most = 0.0;
    for (const LevelShare& share : in.distribution)
        most = std::max(most, share.share);
    // The left axis in whole 5 % steps above the highest bar.
    const double shareTop = std::max(5.0, std::ceil(most * 100.0 / 5.0) * 5.0) / 100.0;
    const auto x = [&](double level) { return box.left() + (level - first) / (last - first) * box.width(); };
    const auto yShare = [&](double share) { return box.bottom() - share / shareTop * box.height(); };
    const auto yCumulative = [&](double share) { return box.bottom() - share * box.height(); };
    const QFontMetricsF metrics(painter.font());
    const double lineHeight = metrics.height();

    for (int step = 0; step <= 4; ++step) {
        const double share = shareTop * step / 4.0;
        painter.setPen(QPen(kGridColour, kHairline));
        painter.drawLine(QPointF(box.left(), yShare(share)), QPointF(box.right(), yShare(share)));
        painter.setPen(Qt::black);
        const QString left = Number(share * 100.0, 1) + QStringLiteral(" %");
        DrawTextAt(painter, box.left() - 4 - metrics.horizontalAdvance(left), yShare(share) - lineHeight / 2, left);
        const QString right = Number(step * 25.0, 0) + QStringLiteral(" %");
        DrawTextAt(painter, box.right() + 4, yCumulative(step / 4.0) - lineHeight / 2, right);
    }
    const double span = last - first;
    const int labelStep = span <= 15 ? 1 : span <= 40 ? 5 : 10;
    for (const LevelShare& share : in.distribution) {
        painter.fillRect(QRectF(x(share.level) + 0.5, yShare(share.share), std::max(x(share.level + 1) - x(share.level) - 1.0, 0.5),
                                box.bottom() - yShare(share.share)),
                         kBarColour);
        if (share.level % labelStep == 0) {
            painter.setPen(Qt::black);
            const QString text = QString::number(share.level);
            DrawTextAt(painter, x(share.level + 0.5) - metrics.horizontalAdvance(text) / 2, box.bottom() + 2, text);
        }
    }
    QPainterPath curve;
    curve.moveTo(x(first), yCumulative(0.0));
    for (const LevelShare& share : in.distribution)
        curve.lineTo(x(share.level + 1.0), yCumulative(share.cumulative));
    painter.setPen(QPen(kCurveColour, 1.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(curve);

    // L10, L50 and L90: the exceedance levels of the table at 10, 50 and 90 %.
    for (const int percent : {10, 50, 90}) {
        const double level = in.Exceeded(percent);
        const double at = x(std::clamp(level, first, last));
        painter.setPen(QPen(kCurveColour, kHairline, Qt::DashLine));
        painter.drawLine(QPointF(at, box.top()), QPointF(at, box.bottom()));
        painter.setPen(Qt::black);
        const QString text = QStringLiteral("L%1 %2").arg(percent).arg(Number(level, 1));
        const double row = (percent == 10 ? 0 : percent == 50 ? 1 : 2) * lineHeight;
        const double left = std::min(at + 2, box.right() - metrics.horizontalAdvance(text));
        // On a light ground of its own, so the label reads over the bars.
        painter.fillRect(QRectF(left, box.top() + row, metrics.horizontalAdvance(text), metrics.height()),
                         QColor(255, 255, 255, 200));
        DrawTextAt(painter, left, box.top() + row, text);
    }
    painter.setPen(QPen(kAxisColour, kHairline));
    painter.drawLine(box.bottomLeft(), box.bottomRight());
    painter.drawLine(box.bottomLeft(), box.topLeft());
    painter.drawLine(box.bottomRight(), box.topRight());
    painter.restore();
}
