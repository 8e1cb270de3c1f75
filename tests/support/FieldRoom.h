#pragma once

// For widget tests only (header only: the support library has no widgets).
// Whether a line edit shows its whole text without scrolling it: the text's
// width against the room the edit gives it, its rectangle less the frame,
// the text margins and the two pixels QLineEdit keeps on either side.
#include <QLineEdit>
#include <QStyle>
#include <QStyleOptionFrame>

inline int TextRoom(const QLineEdit& edit)
{
    QStyleOptionFrame option;
    option.initFrom(&edit);
    option.rect = edit.rect();
    option.lineWidth = edit.hasFrame() ? edit.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &option, &edit) : 0;
    const QRect contents =
        edit.style()->subElementRect(QStyle::SE_LineEditContents, &option, &edit).marginsRemoved(edit.textMargins());
    return contents.width() - 4;
}

inline bool TextFits(const QLineEdit& edit)
{
    return edit.fontMetrics().horizontalAdvance(edit.text()) <= TextRoom(edit);
}
