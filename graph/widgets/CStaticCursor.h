#pragma once

#include <QWidget>

// The legend in front of a cursor's readouts (1035, 1036): "CursorA" in the
// colour of cursor line A, or "CursorB" in that of line B. The control's own
// caption is not painted.
class CStaticCursor final : public QWidget {
public:
    explicit CStaticCursor(QWidget* parent = nullptr);

    void SetIsA(bool isA) { m_isA = isA; update(); }
    void SetIsB(bool isB) { m_isB = isB; update(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    bool m_isA = false;
    bool m_isB = false;
};
