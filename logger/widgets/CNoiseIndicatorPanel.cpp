#include "logger/widgets/CNoiseIndicatorPanel.h"

#include "logger/IndicatorCharts.h"

#include <QPainter>
#include <QResizeEvent>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>

namespace {

constexpr double kMargin = 8.0;
constexpr double kGap = 6.0;
constexpr double kCellPadding = 1.0;
constexpr double kChartHeight = 76.0;
constexpr double kSmallestChartHeight = 52.0;
// The panel's text at most this large, so the table and both charts fit
// the main window's height.
constexpr int kLargestPointSize = 8;
// Room beside and under the charts' plot boxes for their axis labels.
constexpr double kHourlyLeft = 30.0;
constexpr double kDistributionLeft = 44.0;
constexpr double kDistributionRight = 40.0;

const QColor kPaper(255, 255, 255);
const QColor kHeadingShade(222, 226, 236);
const QColor kStripeShade(244, 245, 249);
const QColor kRuleColour(200, 204, 214);

QString Text(const std::string& text)
{
    return QString::fromStdString(text);
}

constexpr int kWrap = Qt::TextWordWrap | Qt::AlignLeft | Qt::AlignTop;

// The canvas inside the scroll area: it paints what the panel lays out, and
// a new width lays the panel out again.
class CIndicatorCanvas final : public QWidget {
public:
    CIndicatorCanvas(CNoiseIndicatorPanel& panel, std::function<void()> widthChanged)
        : m_panel(panel), m_widthChanged(std::move(widthChanged))
    {
        setAutoFillBackground(true);
        QPalette palette = this->palette();
        palette.setColor(QPalette::Window, kPaper);
        palette.setColor(QPalette::WindowText, Qt::black);
        setPalette(palette);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing, true);
        m_panel.PaintContents(painter);
    }
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (event->oldSize().width() != event->size().width())
            m_widthChanged();
    }

private:
    CNoiseIndicatorPanel& m_panel;
    std::function<void()> m_widthChanged;
};

} // namespace

CNoiseIndicatorPanel::CNoiseIndicatorPanel(Source source, QWidget* parent)
    : QScrollArea(parent), m_source(std::move(source)), m_timer(new QTimer(this))
{
    setObjectName(QStringLiteral("NoiseIndicators"));
    setFixedWidth(kWidth);
    setFrameShape(QFrame::StyledPanel);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setWidgetResizable(true);
    QFont face = font();
    if (face.pointSize() > kLargestPointSize)
        face.setPointSize(kLargestPointSize);
    setFont(face);
    setWidget(new CIndicatorCanvas(*this, [this] { Layout(); }));
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &CNoiseIndicatorPanel::Refresh);
}

void CNoiseIndicatorPanel::Invalidate()
{
    m_stale = true;
    if (isHidden() || m_timer->isActive())
        return;
    const qint64 since = m_lastRefresh.isValid() ? m_lastRefresh.elapsed() : kRefreshMs;
    m_timer->start(static_cast<int>(std::clamp<qint64>(kRefreshMs - since, 0, kRefreshMs)));
}

void CNoiseIndicatorPanel::Refresh()
{
    m_timer->stop();
    m_stale = false;
    m_texts = m_source ? m_source() : IndicatorPanelTexts{};
    ++m_refreshes;
    m_lastRefresh.start();
    Layout();
    widget()->update();
}

void CNoiseIndicatorPanel::showEvent(QShowEvent* event)
{
    QScrollArea::showEvent(event);
    if (m_stale)
        Refresh();
}

void CNoiseIndicatorPanel::Layout()
{
    QWidget* canvas = widget();
    const QFontMetricsF metrics(canvas->font());
    const double line = metrics.height();
    const double width = std::max<double>(canvas->width(), kWidth - 2 * frameWidth() - verticalScrollBar()->sizeHint().width());

    m_nameWidth = 0.0;
    for (const IndicatorPanelRow& row : m_texts.rows)
        if (row.kind == IndicatorPanelRow::Kind::Value)
            m_nameWidth = std::max(m_nameWidth, metrics.horizontalAdvance(Text(row.name)) + kGap);
    m_columnWidth = std::max(40.0, (width - 2 * kMargin - m_nameWidth - kGap) / 2.0);

    // The title, then the rows, each as high as its longest wrapped cell.
    double y = kMargin + line + kGap;
    m_rowRects.clear();
    for (const IndicatorPanelRow& row : m_texts.rows) {
        double height = line;
        if (row.kind != IndicatorPanelRow::Kind::Section)
            for (const std::string* cell : {&row.whole, &row.between})
                height = std::max(height, metrics.boundingRect(QRectF(0, 0, m_columnWidth - 2 * kCellPadding, 1e6),
                                                               kWrap, Text(*cell)).height());
        m_rowRects.emplace_back(kMargin, y, width - 2 * kMargin, height + 2 * kCellPadding);
        y += height + 2 * kCellPadding;
    }

    // The charts give up some of their height before the panel scrolls.
    const double belowCharts = kGap + 2 * (line + kGap) + line + kGap + line + kMargin;
    const double room = (viewport()->height() - y - belowCharts) / 2.0;
    const double chartHeight = std::clamp(std::floor(room), kSmallestChartHeight, kChartHeight);

    y += kGap;
    m_hourlyTitle = QRectF(kMargin, y, width - 2 * kMargin, line);
    y += line + kGap;
    m_hourlyBox = QRectF(kMargin + kHourlyLeft, y, width - 2 * kMargin - kHourlyLeft, chartHeight);
    y += chartHeight + line + kGap;
    m_distributionTitle = QRectF(kMargin, y, width - 2 * kMargin, line);
    y += line + kGap;
    m_distributionBox = QRectF(kMargin + kDistributionLeft, y,
                               width - 2 * kMargin - kDistributionLeft - kDistributionRight, chartHeight);
    y += chartHeight + line + kMargin;
    canvas->setMinimumHeight(static_cast<int>(std::ceil(y)));
}

void CNoiseIndicatorPanel::PaintContents(QPainter& painter) const
{
    QFont bold = painter.font();
    bold.setBold(true);
    const QFont plain = painter.font();
    painter.setPen(Qt::black);

    painter.setFont(bold);
    painter.drawText(QRectF(kMargin, kMargin, m_rowRects.empty() ? 300.0 : m_rowRects.front().width(), 100.0),
                     kWrap, QString::fromLatin1(kIndicatorPanelTitle));

    const double wholeX = kMargin + m_nameWidth;
    const double betweenX = wholeX + m_columnWidth + kGap;
    for (std::size_t i = 0; i < m_rowRects.size() && i < m_texts.rows.size(); ++i) {
        const IndicatorPanelRow& row = m_texts.rows[i];
        const QRectF& rect = m_rowRects[i];
        const auto cell = [&](double x, double w) {
            return QRectF(x + kCellPadding, rect.top() + kCellPadding, w - 2 * kCellPadding,
                          rect.height() - 2 * kCellPadding);
        };
        switch (row.kind) {
        case IndicatorPanelRow::Kind::Heading:
            painter.fillRect(rect, kHeadingShade);
            painter.setFont(bold);
            break;
        case IndicatorPanelRow::Kind::Section:
            painter.setFont(bold);
            painter.drawText(cell(rect.left(), rect.width()), kWrap, Text(row.name));
            painter.setPen(kRuleColour);
            painter.drawLine(rect.bottomLeft(), rect.bottomRight());
            painter.setPen(Qt::black);
            continue;
        case IndicatorPanelRow::Kind::Value:
            if (i % 2 == 0)
                painter.fillRect(rect, kStripeShade);
            painter.setFont(plain);
            break;
        }
        painter.drawText(cell(rect.left(), m_nameWidth), kWrap, Text(row.name));
        painter.drawText(cell(wholeX, m_columnWidth), kWrap, Text(row.whole));
        painter.drawText(cell(betweenX, m_columnWidth), kWrap, Text(row.between));
    }

    painter.setFont(bold);
    painter.drawText(m_hourlyTitle, kWrap, Text(m_texts.hourlyTitle));
    painter.drawText(m_distributionTitle, kWrap, Text(m_texts.distributionTitle));
    painter.setFont(plain);
    DrawHourlyBars(painter, m_hourlyBox, m_texts.charted);
    DrawLevelDistribution(painter, m_distributionBox, m_texts.charted);
}
