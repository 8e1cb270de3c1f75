#include "MeterPanel.h"

#include "PanelBitmaps.h"

#include <QFont>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

enum Picture {
    kFaceLit = 162,
    kFaceUnlit = 176,
    kBlankDigit = 148,
    kDecimalPoint = 140,
    kClockBackground = 144,
    kBarBackground = 153,
    kBarSegment = 146,
    kUpperStatusBackground = 149,
    kLowerStatusBackground = 151,
    kEraser = 163,
};

constexpr int kDigitIds[10] = {141, 143, 132, 133, 134, 135, 136, 137, 138, 139};

struct PictureSize {
    int id;
    int width;
    int height;
};

constexpr PictureSize kPictureSizes[] = {
    {kFaceLit, 195, 480}, {kFaceUnlit, 195, 480}, {141, 25, 53}, {143, 25, 53}, {132, 25, 53},
    {133, 25, 53}, {134, 25, 53}, {135, 25, 53}, {136, 25, 53}, {137, 25, 53}, {138, 25, 53},
    {139, 25, 53}, {kBlankDigit, 25, 53}, {kDecimalPoint, 7, 8}, {kClockBackground, 110, 24},
    {kBarBackground, 151, 27}, {kBarSegment, 1, 7}, {kUpperStatusBackground, 104, 10},
    {kLowerStatusBackground, 112, 13}, {kEraser, 53, 10},
};

// A font sized like the meter software's: `height` is the whole character
// cell, `width` the average character width (0: the face's own), both in
// pixels. The faces are named as the meter software names them; Qt substitutes
// whatever this machine has.
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

// Text placed by the top-left corner of its cell, the way the meter software
// places it, on a transparent background.
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
    if (const QImage* lit = Find(kFaceLit))
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
    return digit >= 0 && digit <= 9 ? kDigitIds[digit] : -1;
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
        if (const QImage* unlit = Find(kFaceUnlit))
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
        const int id = (i == 0 && digit == 0) ? kBlankDigit : DigitPictureId(digit);
        if (id > 0)
            Blit(face, id, 45 + 25 * i, 113);
    }
    Blit(face, kDecimalPoint, 120, 158);
    const int tenths = DigitPictureId(state.displayDigits[3]);
    if (tenths > 0)
        Blit(face, tenths, 127, 113);
}

void CMeterPanel::PaintClock(QPainter& face, const MeterState& state) const
{
    Blit(face, kClockBackground, 41, 88);
    face.setFont(PanelFont("Time New Roman", 24, 6, 700));
    TextAt(face, 66, 90, QString::fromStdString(state.clockText12));
    face.setFont(PanelFont("Time New Roman", 14, 5, 400));
    TextAt(face, 122, 99, QStringLiteral("TIME"));
}

void CMeterPanel::PaintBarGraph(QPainter& face, const MeterState& state) const
{
    Blit(face, kBarBackground, 44, 61);
    const BarGraphLayout layout = LayoutBarGraph(state);
    face.setFont(PanelFont("Time New Roman", 13, 0, 400));
    TextAt(face, 47, 61, layout.leftLabel);
    TextAt(face, layout.rightLabelPos.x(), layout.rightLabelPos.y(), layout.rightLabel);

    // The zero mark, then one segment per step, every fifth one doubled above.
    Blit(face, kBarSegment, 50, 72);
    Blit(face, kBarSegment, 50, 81);
    for (int k = 1; k <= layout.segments; ++k) {
        const int x = 52 + 2 * (k - 1);
        Blit(face, kBarSegment, x, 81);
        if (k % 5 == 0)
            Blit(face, kBarSegment, x, 72);
    }
}

void CMeterPanel::PaintStatus(QPainter& face, const MeterState& state) const
{
    face.setFont(PanelFont("Status New Roman", 10, 6, 400));

    Blit(face, kUpperStatusBackground, 45, 50);
    if (state.fast)
        TextAt(face, 95, 50, QStringLiteral("FAST"));
    if (state.slow)
        TextAt(face, 114, 50, QStringLiteral("SLOW"));
    if (state.max)
        TextAt(face, 45, 50, QStringLiteral("MAX"));
    if (state.min)
        TextAt(face, 70, 50, QStringLiteral("MIN"));

    Blit(face, kLowerStatusBackground, 42, 168);
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
        Blit(face, kEraser, 98, 40, 51, 10);
    if (state.under)
        InverseTextAt(face, 45, 40, QStringLiteral("UNDER"));
    else
        Blit(face, kEraser, 45, 40, 53, 10);
}
