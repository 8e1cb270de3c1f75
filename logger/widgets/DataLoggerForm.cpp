#include "logger/widgets/DataLoggerForm.h"

#include "common/ControlIds.h"
#include "res/DialogUnits.h"

#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>

#include <iterator>

namespace {

using K = CDataLoggerForm::Kind;

// The list's columns: heading and width in pixels.
struct Column {
    const char* heading;
    int width;
};
constexpr Column kColumns[] = {{"Set", 30}, {"DATE", 70}, {"TIME", 60}, {"UNIT", 55}, {"Sampling Rate", 100},
                               {"Nums", 45}};

} // namespace

const std::vector<CDataLoggerForm::Control>& CDataLoggerForm::Table()
{
    // Creation order of the template, which is also the tab order.
    static const std::vector<Control> table = {
        {kListId, K::List, "", 7, 7, 112, 296},
        {kTitleId, K::Title, "", 126, 8, 300, 10},
        {kUndoZoomId, K::Button, "UnDoZoom", 451, 5, 50, 14},
        {-1, K::Label, "DataNo.", 126, 24, 28, 9},
        {ControlId::DataNo, K::Edit, "", 156, 22, 40, 12},
        {-1, K::Label, "Start Time", 204, 24, 36, 9},
        {ControlId::StartTime, K::Edit, "", 242, 22, 56, 12},
        {-1, K::Label, "Avg", 306, 24, 14, 9},
        {ControlId::Avg, K::Edit, "", 322, 22, 40, 12},
        {-1, K::Label, "dB", 364, 24, 10, 9},
        {-1, K::Label, "Unit", 384, 24, 16, 9},
        {ControlId::SetUnit, K::Edit, "", 402, 22, 40, 12},
        {-1, K::Label, "Maximum", 126, 40, 32, 9},
        {ControlId::Maximum, K::Edit, "", 160, 38, 40, 12},
        {-1, K::Label, "@", 203, 40, 8, 9},
        {ControlId::MaximumTime, K::Edit, "", 213, 38, 56, 12},
        {-1, K::Label, "Minimum", 284, 40, 32, 9},
        {ControlId::SetMinimum, K::Edit, "", 318, 38, 40, 12},
        {-1, K::Label, "@", 361, 40, 8, 9},
        {ControlId::MinimumTime, K::Edit, "", 371, 38, 56, 12},
        {-1, K::GroupBox, "Real-Time Graph", 121, 52, 398, 251},
        {kGraphId, K::Graph, "Traffic", 126, 62, 375, 161},
        {kVScrollId, K::VScroll, "", 502, 62, 11, 161},
        {kTimeStripId, K::TimeStrip, "Button2", 126, 223, 375, 11},
        {kHScrollId, K::HScroll, "", 126, 234, 375, 9},
        {kCursorALabelId, K::CursorLabel, "CursorA", 130, 252, 32, 10},
        {ControlId::CursorA, K::Edit, "", 165, 250, 34, 12},
        {-1, K::Label, "@", 202, 252, 8, 9},
        {ControlId::CursorATime, K::Edit, "", 212, 250, 56, 12},
        {kCursorBLabelId, K::CursorLabel, "CursorB", 290, 252, 32, 10},
        {ControlId::CursorB, K::Edit, "", 325, 250, 34, 12},
        {-1, K::Label, "@", 362, 252, 8, 9},
        {ControlId::CursorBTime, K::Edit, "", 372, 250, 56, 12},
        {-1, K::Label, "Max.Between A and B", 130, 269, 76, 10},
        {ControlId::MaxBetween, K::Edit, "", 208, 267, 34, 12},
        {-1, K::Label, "@", 245, 269, 8, 9},
        {ControlId::MaxBetweenTime, K::Edit, "", 255, 267, 56, 12},
        {-1, K::Label, "Min.Between A and B", 130, 285, 76, 10},
        {ControlId::MinBetween, K::Edit, "", 208, 283, 34, 12},
        {-1, K::Label, "@", 245, 285, 8, 9},
        {ControlId::MinBetweenTime, K::Edit, "", 255, 283, 56, 12},
        {-1, K::Label, "Avg.Between A and B", 330, 277, 78, 10},
        {ControlId::AvgBetween, K::Edit, "", 410, 275, 40, 12},
    };
    return table;
}

QRect CDataLoggerForm::PixelRect(int id)
{
    for (const Control& control : Table()) {
        if (control.id == id && id >= 0)
            return DialogRect(control.x, control.y, control.width, control.height);
    }
    return {};
}

QSize CDataLoggerForm::FormSize()
{
    return DialogRect(0, 0, kWidthDu, kHeightDu).size();
}

CDataLoggerForm::CDataLoggerForm(QWidget* parent) : QWidget(parent)
{
    resize(FormSize());
    for (const Control& control : Table())
        m_ordered.push_back(Create(control));
    RestoreOrder();
}

QWidget* CDataLoggerForm::Create(const Control& control)
{
    const QString text = QString::fromLatin1(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case K::List: {
        m_list = new QTableWidget(0, static_cast<int>(std::size(kColumns)), this);
        // A report list: full rows selected, grid lines, headings on the left.
        m_list->verticalHeader()->hide();
        m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_list->setSelectionMode(QAbstractItemView::SingleSelection);
        m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_list->setShowGrid(true);
        m_list->setWordWrap(false);
        m_list->horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        m_list->horizontalHeader()->setHighlightSections(false);
        m_list->verticalHeader()->setDefaultSectionSize(m_list->fontMetrics().height() + 4);
        for (int c = 0; c < static_cast<int>(std::size(kColumns)); ++c) {
            m_list->setHorizontalHeaderItem(c, new QTableWidgetItem(QString::fromLatin1(kColumns[c].heading)));
            m_list->setColumnWidth(c, kColumns[c].width);
        }
        widget = m_list;
        break;
    }
    case K::Title:
        m_title = new QLabel(this);
        m_title->setTextFormat(Qt::PlainText);
        widget = m_title;
        break;
    case K::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_labels.push_back(label);
        widget = label;
        break;
    }
    case K::Edit: {
        auto* edit = new QLineEdit(this);
        // The fields show what the window computed; typing in them changes nothing.
        edit->setReadOnly(true);
        m_edits[control.id] = edit;
        widget = edit;
        break;
    }
    case K::GroupBox: {
        auto* group = new QGroupBox(text, this);
        group->setAlignment(Qt::AlignHCenter);
        group->setFocusPolicy(Qt::NoFocus);
        widget = group;
        break;
    }
    case K::Button:
        m_undoZoom = new QPushButton(text, this);
        widget = m_undoZoom;
        break;
    case K::HScroll:
        m_hScroll = new QScrollBar(Qt::Horizontal, this);
        widget = m_hScroll;
        break;
    case K::VScroll:
        m_vScroll = new QScrollBar(Qt::Vertical, this);
        widget = m_vScroll;
        break;
    case K::Graph:
    case K::TimeStrip:
    case K::CursorLabel:
        return nullptr;
    }
    widget->setGeometry(DialogRect(control.x, control.y, control.width, control.height));
    if (control.id >= 0)
        widget->setObjectName(QString::number(control.id));
    return widget;
}

QLineEdit* CDataLoggerForm::Edit(int id) const
{
    const auto it = m_edits.find(id);
    return it == m_edits.end() ? nullptr : it->second;
}

void CDataLoggerForm::Install(int id, QWidget* control)
{
    for (std::size_t i = 0; i < Table().size(); ++i) {
        if (Table()[i].id != id || id < 0)
            continue;
        control->setParent(this);
        control->setGeometry(PixelRect(id));
        control->setObjectName(QString::number(id));
        control->show();
        m_ordered[i] = control;
        RestoreOrder();
        return;
    }
}

void CDataLoggerForm::RestoreOrder()
{
    // Later controls lie above earlier ones and follow them in the tab order.
    QWidget* previousFocusable = nullptr;
    for (QWidget* widget : m_ordered) {
        if (!widget)
            continue;
        widget->raise();
        if (widget->focusPolicy() != Qt::NoFocus) {
            if (previousFocusable)
                QWidget::setTabOrder(previousFocusable, widget);
            previousFocusable = widget;
        }
    }
}
