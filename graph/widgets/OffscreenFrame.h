#pragma once

#include <QImage>
#include <QPainter>
#include <QRect>
#include <QWidget>

// The off-screen drawing of the owner-drawn controls: a repaint is drawn
// into an image of the box being repainted, in the control's own
// coordinates and font, and copied to the screen in one block, so the
// frequent repaints of a drag or a scroll do not flicker. The image is kept
// from one repaint to the next.
class COffscreenFrame {
public:
    // draw(QPainter&) paints the control as if on the whole of it.
    template <class Draw>
    void Paint(QWidget& widget, const QRect& box, Draw&& draw)
    {
        const QRect area = box & widget.rect();
        if (area.isEmpty())
            return;
        if (m_image.size() != area.size())
            m_image = QImage(area.size(), QImage::Format_RGB32);
        {
            QPainter offScreen(&m_image);
            offScreen.translate(-area.topLeft());
            offScreen.setFont(widget.font());
            draw(offScreen);
        }
        QPainter screen(&widget);
        screen.drawImage(area.topLeft(), m_image);
    }

private:
    QImage m_image;
};
