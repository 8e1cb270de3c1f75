#include "monitor/widgets/MeterPanel.h"

#include "res/PanelBitmaps.h"
#include "res/PictureIds.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

using namespace PictureId;

struct PictureSize {
    int id;
    int width;
    int height;
};

constexpr PictureSize kPictureSizes[] = {
    {FaceLit, 195, 480}, {FaceUnlit, 195, 480}, {Digit0, 25, 53}, {Digit1, 25, 53}, {Digit2, 25, 53},
    {Digit3, 25, 53}, {Digit4, 25, 53}, {Digit5, 25, 53}, {Digit6, 25, 53}, {Digit7, 25, 53}, {Digit8, 25, 53},
    {Digit9, 25, 53}, {BlankDigit, 25, 53}, {DecimalPoint, 7, 8}, {ClockBackground, 110, 24},
    {BarBackground, 151, 27}, {BarSegment, 1, 7}, {UpperStatusBackground, 104, 10},
    {LowerStatusBackground, 112, 13}, {Eraser, 53, 10},
};

// A font of the panel: `height` is the whole character cell, `width` the
// average character width (0: the face's own), both in pixels. Qt substitutes
// whatever this machine has for the face named.
QFont PanelFont(const char* face, int height, int width, int weight)
{
    QFont font(QString::fromLatin1(face));
    font.setStyleStrategy(QFont::PreferAntialias);
    font.setWeight(static_cast<QFont::Weight>(weight));
    font.setPixelSize(height);
    const int cell = QFontMetrics(font).height();
    if (cell > 0 && cell != height)
        font.setPixelSize(std::max(1, static_cast<int>(std::lround(double(height) * height / cell))));
    if (width > 0) {
        const int average = QFontMetrics(font).averageCharWidth();
        if (average > 0)
            font.setStretch(std::clamp(static_cast<int>(std::lround(100.0 * width / average)), 1, 4000));
    }
    return font;
}

// Text placed by the top-left corner of its cell, on a transparent background.
void TextAt(QPainter& painter, int x, int y, const QString& text)
{
    painter.drawText(QPoint(x, y + painter.fontMetrics().ascent()), text);
}

// White on black, the black filling the text's cell.
void InverseTextAt(QPainter& painter, int x, int y, const QString& text)
{
    const QFontMetrics metrics = painter.fontMetrics();
    painter.fillRect(QRect(x, y, metrics.horizontalAdvance(text), metrics.height()), Qt::black);
    painter.setPen(Qt::white);
    TextAt(painter, x, y, text);
    painter.setPen(Qt::black);
}

} // namespace

BarGraphLayout LayoutBarGraph(const MeterState& state)
{
    // Per range 1..4: how much the bar value is reduced by, the scale's ends
    // and where the right one stands.
    struct RangeScale {
        int reduceBy;
        const char* left;
        const char* right;
        QPoint rightPos;
    };
    static const RangeScale kScales[] = {
        {30, "30", "80", QPoint(138, 61)},
        {50, "50", "100", QPoint(132, 61)},
        {80, "80", "130", QPoint(132, 61)},
        {30, "30", "130", QPoint(132, 61)},
    };
    BarGraphLayout layout;
    if (state.range < 1 || state.range > 4)
        return layout;
    const RangeScale& scale = kScales[state.range - 1];
    const int reduceBy = scale.reduceBy;
    layout.leftLabel = QString::fromLatin1(scale.left);
    layout.rightLabel = QString::fromLatin1(scale.right);
    layout.rightLabelPos = scale.rightPos;
    // The tenths digit does not count; the bar digits come unchecked from the meter.
    const int bar = std::min(state.barDigits[0] * 100 + state.barDigits[1] * 10 + state.barDigits[2], 130);
    const int reduced = bar - reduceBy;
    if (reduced < 0)
        return layout;
    const int segments = state.range == 4 ? reduced / 2 : reduced; // range 4: 1 pixel per dB
    layout.segments = std::min(segments, CMeterPanel::kMaxSegments);
    return layout;
}

CMeterPanel::CMeterPanel()
{
    for (const PictureSize& expected : kPictureSizes) {
        QImage picture = LoadPanelBitmap(expected.id);
        if (picture.isNull() || picture.width() != expected.width || picture.height() != expected.height) {
            m_allLoaded = false;
            continue;
        }
        m_pictures.emplace(expected.id, std::move(picture));
    }
    if (const QImage* lit = Find(FaceLit))
        m_face = lit->copy();
    else {
        m_face = QImage(kWidth, kHeight, QImage::Format_RGB32);
        m_face.fill(Qt::black);
    }
}

QImage CMeterPanel::Picture(int id) const
{
    const QImage* picture = Find(id);
    return picture ? *picture : QImage();
}

int CMeterPanel::DigitPictureId(int digit)
{
    return digit >= 0 && digit <= 9 ? Digits[digit] : -1;
}

const QImage* CMeterPanel::Find(int id) const
{
    const auto it = m_pictures.find(id);
    return it == m_pictures.end() ? nullptr : &it->second;
}

void CMeterPanel::Blit(QPainter& face, int id, int x, int y) const
{
    if (const QImage* picture = Find(id))
        face.drawImage(x, y, *picture);
}

void CMeterPanel::Blit(QPainter& face, int id, int x, int y, int width, int height) const
{
    if (const QImage* picture = Find(id))
        face.drawImage(x, y, *picture, 0, 0, width, height);
}

void CMeterPanel::Paint(QPainter& screen, const MeterState& state, bool connected)
{
    if (!connected) {
        if (const QImage* unlit = Find(FaceUnlit))
            screen.drawImage(0, 0, *unlit, 0, 0, kWidth, kHeight);
        return;
    }

    QPainter face(&m_face);
    face.setRenderHint(QPainter::TextAntialiasing, true);
    face.setPen(Qt::black);
    if (state.displayValid)
        PaintDigits(face, state);
    if (state.clockValid)
        PaintClock(face, state);
    if (state.range != 0)
        PaintBarGraph(face, state);
    PaintStatus(face, state);
    face.end();

    screen.drawImage(0, 0, m_face, 0, 0, kWidth, kHeight);
}

void CMeterPanel::PaintDigits(QPainter& face, const MeterState& state) const
{
    for (int i = 0; i < 3; ++i) {
        const int digit = state.displayDigits[i];
        // Only the hundreds zero is suppressed.
        const int id = (i == 0 && digit == 0) ? BlankDigit : DigitPictureId(digit);
        if (id > 0)
            Blit(face, id, 45 + 25 * i, 113);
    }
    Blit(face, DecimalPoint, 120, 158);
    const int tenths = DigitPictureId(state.displayDigits[3]);
    if (tenths > 0)
        Blit(face, tenths, 127, 113);
}

void CMeterPanel::PaintClock(QPainter& face, const MeterState& state) const
{
    Blit(face, ClockBackground, 41, 88);
    face.setFont(PanelFont("Time New Roman", 24, 6, 700));
    TextAt(face, 66, 90, QString::fromStdString(state.clockText12));
    face.setFont(PanelFont("Time New Roman", 14, 5, 400));
    TextAt(face, 122, 99, QStringLiteral("TIME"));
}

void CMeterPanel::PaintBarGraph(QPainter& face, const MeterState& state) const
{
    Blit(face, BarBackground, 44, 61);
    const BarGraphLayout layout = LayoutBarGraph(state);
    face.setFont(PanelFont("Time New Roman", 13, 0, 400));
    TextAt(face, 47, 61, layout.leftLabel);
    TextAt(face, layout.rightLabelPos.x(), layout.rightLabelPos.y(), layout.rightLabel);

    // The zero mark, then one segment per step, every fifth one doubled above.
    Blit(face, BarSegment, 50, 72);
    Blit(face, BarSegment, 50, 81);
    for (int k = 1; k <= layout.segments; ++k) {
        const int x = 52 + 2 * (k - 1);
        Blit(face, BarSegment, x, 81);
        if (k % 5 == 0)
            Blit(face, BarSegment, x, 72);
    }
}

void CMeterPanel::PaintStatus(QPainter& face, const MeterState& state) const
{
    face.setFont(PanelFont("Status New Roman", 10, 6, 400));

    Blit(face, UpperStatusBackground, 45, 50);
    if (state.fast)
        TextAt(face, 95, 50, QStringLiteral("FAST"));
    if (state.slow)
        TextAt(face, 114, 50, QStringLiteral("SLOW"));
    if (state.max)
        TextAt(face, 45, 50, QStringLiteral("MAX"));
    if (state.min)
        TextAt(face, 70, 50, QStringLiteral("MIN"));

    Blit(face, LowerStatusBackground, 42, 168);
    if (state.dBA)
        TextAt(face, 95, 168, QStringLiteral("dBA"));
    if (state.dBC)
        TextAt(face, 95, 168, QStringLiteral("dBC"));
    if (state.rec)
        TextAt(face, 65, 168, QStringLiteral("REC"));

    if (state.autoRange)
        InverseTextAt(face, 120, 168, QStringLiteral("AUTO"));
    if (state.hold)
        InverseTextAt(face, 120, 168, QStringLiteral("HOLD")); // covers AUTO
    if (state.over)
        InverseTextAt(face, 120, 40, QStringLiteral("OVER"));
    else
        Blit(face, Eraser, 98, 40, 51, 10);
    if (state.under)
        InverseTextAt(face, 45, 40, QStringLiteral("UNDER"));
    else
        Blit(face, Eraser, 45, 40, 53, 10);
}
