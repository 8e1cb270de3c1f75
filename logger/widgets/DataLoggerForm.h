#pragma once

#include "common/ControlIds.h"

#include <QWidget>

#include <map>
#include <vector>

class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;
class QTableWidget;

// The controls of the DataLogger window (template 168, 526 x 310 dialog
// units) laid out from their resource rectangles: the record-set list, the
// title, the labels and edits of the statistics and readouts, the graph's
// frame, the scroll bars and the UnDoZoom button. The graph, the time strip
// and the cursor legends are the window's own: the form only knows where
// they go. It holds no logic.
class CDataLoggerForm final : public QWidget {
public:
    enum class Kind { List, Title, Label, Edit, GroupBox, Button, HScroll, VScroll, Graph, TimeStrip, CursorLabel };
    struct Control {
        int id = -1; // -1: a label or the group box, which have no id
        Kind kind = Kind::Label;
        const char* text = "";
        int x = 0;
        int y = 0;
        int width = 0;
        int height = 0;
    };

    static constexpr int kWidthDu = 526;
    static constexpr int kHeightDu = 310;
    static constexpr int kListId = ControlId::RecordSets;
    static constexpr int kTitleId = ControlId::Title;
    static constexpr int kGraphId = ControlId::Graph;
    static constexpr int kTimeStripId = ControlId::TimeStrip;
    static constexpr int kCursorALabelId = ControlId::CursorALabel;
    static constexpr int kCursorBLabelId = ControlId::CursorBLabel;
    static constexpr int kUndoZoomId = ControlId::UndoZoom;
    static constexpr int kHScrollId = ControlId::HScroll;
    static constexpr int kVScrollId = ControlId::VScroll;

    explicit CDataLoggerForm(QWidget* parent = nullptr);

    // The template's controls in creation (tab) order.
    static const std::vector<Control>& Table();
    // A control's rectangle in pixels; empty for an id the template lacks.
    static QRect PixelRect(int id);
    static QSize FormSize();

    // Places a control of the window's own at its resource rectangle, in its
    // place in the tab order; the form takes ownership.
    void Install(int id, QWidget* control);

    QTableWidget* List() const { return m_list; }
    QLabel* Title() const { return m_title; }
    QLineEdit* Edit(int id) const;
    QScrollBar* HScroll() const { return m_hScroll; }
    QScrollBar* VScroll() const { return m_vScroll; }
    QPushButton* UndoZoomButton() const { return m_undoZoom; }
    const std::vector<QLabel*>& Labels() const { return m_labels; }

private:
    QWidget* Create(const Control& control);
    void RestoreOrder();

    std::vector<QWidget*> m_ordered; // in table order; null where the window's own control goes
    std::map<int, QLineEdit*> m_edits;
    std::vector<QLabel*> m_labels;
    QTableWidget* m_list = nullptr;
    QLabel* m_title = nullptr;
    QScrollBar* m_hScroll = nullptr;
    QScrollBar* m_vScroll = nullptr;
    QPushButton* m_undoZoom = nullptr;
};
