#include "monitor/widgets/MainForm.h"

#include "common/ControlIds.h"
#include "res/DialogUnits.h"

#include <algorithm>

#include <QComboBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>

namespace {

using K = FormControlKind;

// A group box drawn as the platform's dialogs draw one: an etched frame and
// the title on the form's own background, with no shaded panel inside, so
// the whole graph area stands on the form colour.
class CEtchedGroupBox final : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        const QFontMetrics metrics(font());
        const int top = metrics.height() / 2;
        const QRect frame = rect().adjusted(0, top, -2, -2);
        painter.setPen(palette().color(QPalette::Dark));
        painter.drawRect(frame);
        painter.setPen(palette().color(QPalette::Light));
        painter.drawRect(frame.translated(1, 1));
        if (title().isEmpty())
            return;
        const int width = metrics.horizontalAdvance(title()) + 6;
        const QRect titleRect((this->width() - width) / 2, 0, width, metrics.height());
        painter.fillRect(titleRect, palette().color(QPalette::Window));
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawText(titleRect, Qt::AlignCenter, title());
    }
};

// A flat push button as the platform draws one: the face on the form's colour
// inside a thin frame, so it reads as a button and not as a label.
class CFlatButton final : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void paintEvent(QPaintEvent* event) override
    {
        QPushButton::paintEvent(event);
        QPainter painter(this);
        painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

QFont DialogFont(const QString& face, int pointSize)
{
    QStringList families = {face};
    for (const char* fallback : {"Microsoft Sans Serif", "Liberation Sans Narrow", "Arial", "Liberation Sans",
                                 "DejaVu Sans Condensed"}) {
        if (face != QLatin1String(fallback))
            families.append(QString::fromLatin1(fallback));
    }
    QFont font;
    font.setFamilies(families);
    font.setPointSize(pointSize);
    return font;
}

QFont ShellDialogFont(int pointSize)
{
    return DialogFont(QStringLiteral("MS Shell Dlg"), pointSize);
}

const std::vector<FormControl>& CMainForm::Table()
{
    // Creation order of the resource, which is also the tab order.
    static const std::vector<FormControl> table = {
        {ControlId::SerialControl, K::SerialControl, "", 17, 7, 22, 22},
        {-1, K::GroupBox, "Real-Time Graph", 114, 7, 340, 263},
        {ControlId::StartTime, K::Edit, "", 161, 29, 73, 12},
        {-1, K::Label, "Start Time", 124, 31, 35, 9},
        {-1, K::Label, "DataNo.", 340, 17, 26, 9},
        {ControlId::DataNo, K::Edit, "", 367, 16, 51, 12},
        {-1, K::Label, "Avg", 366, 31, 12, 10},
        {ControlId::Avg, K::Edit, "", 387, 29, 22, 12},
        {-1, K::Label, "Maximum", 124, 45, 35, 9},
        {ControlId::Maximum, K::Edit, "", 161, 44, 31, 12},
        {-1, K::Label, "@", 194, 45, 8, 9},
        {ControlId::MaximumTime, K::Edit, "", 205, 43, 64, 12},
        {-1, K::Label, "Minimum", 281, 44, 27, 11},
        {ControlId::Minimum, K::Edit, "", 312, 42, 31, 12},
        {-1, K::Label, "@", 345, 44, 8, 8},
        {ControlId::MinimumTime, K::Edit, "", 356, 43, 61, 12},
        {ControlId::Graph, K::Graph, "Traffic", 118, 57, 321, 149},
        {ControlId::CursorALabel, K::CursorLabel, "CursorA", 124, 230, 32, 10},
        {ControlId::CursorA, K::Edit, "", 159, 228, 27, 13},
        {-1, K::Label, "@", 188, 229, 8, 8},
        {ControlId::CursorATime, K::Edit, "", 200, 228, 66, 13},
        {ControlId::CursorBLabel, K::CursorLabel, "CursorB", 274, 229, 31, 10},
        {ControlId::CursorB, K::Edit, "", 309, 227, 30, 13},
        {-1, K::Label, "@", 341, 229, 8, 8},
        {ControlId::CursorBTime, K::Edit, "", 353, 227, 70, 13},
        {-1, K::Label, "Avg.Between A and B", 319, 249, 76, 10},
        {ControlId::MaxBetween, K::Edit, "", 200, 241, 30, 12},
        {-1, K::Label, "@", 233, 243, 8, 8},
        {-1, K::Label, "Min.Between A and B", 124, 255, 75, 10},
        {ControlId::MinBetween, K::Edit, "", 200, 253, 31, 12},
        {-1, K::Label, "@", 232, 255, 8, 8},
        {ControlId::MinBetweenTime, K::Edit, "", 243, 253, 63, 12},
        {ControlId::AvgBetween, K::Edit, "", 397, 246, 27, 12},
        {ControlId::MaxBetweenTime, K::Edit, "", 244, 241, 62, 12},
        {-1, K::Label, "Max.Between A and B", 123, 243, 75, 10},
        {ControlId::KeyRec, K::KeyButton, "REC", 14, 33, 40, 30},
        {ControlId::KeyFastSlow, K::KeyButton, "FASTSLOW", 64, 30, 50, 40},
        {ControlId::KeyAC, K::KeyButton, "A/C", 15, 85, 39, 39},
        {ControlId::KeyMaxMin, K::KeyButton, "MAXMIN", 71, 80, 26, 53},
        {ControlId::KeyLevel, K::KeyButton, "LEVEL", 56, 149, 45, 28},
        {ControlId::KeyStop, K::KeyButton, "STOP", 16, 189, 34, 34},
        {ControlId::HScroll, K::HScroll, "", 118, 217, 331, 9},
        {ControlId::UndoZoom, K::FlatButton, "UnDo Zoom", 125, 15, 50, 14},
        {-1, K::Label, "Sampling Rate", 240, 30, 45, 8},
        {ControlId::SamplingRate, K::DropDownList, "", 289, 29, 48, 71},
        {-1, K::Label, "Sec", 338, 31, 12, 8},
        {-1, K::Label, "dB", 411, 30, 9, 8},
        {ControlId::VScroll, K::VScroll, "", 439, 57, 11, 155},
        {ControlId::KeyHold, K::KeyButton, "Hold", 363, 276, 50, 25},
        {ControlId::TimeStrip, K::TimeStrip, "Button2", 118, 206, 321, 11},
    };
    return table;
}

const FormControl* CMainForm::Find(int id)
{
    if (id < 0)
        return nullptr;
    for (const FormControl& control : Table()) {
        if (control.id == id)
            return &control;
    }
    return nullptr;
}

QRect CMainForm::PixelRect(const FormControl& control)
{
    const int height = control.kind == K::DropDownList ? kDropDownClosedHeight : control.height;
    return DialogRect(control.x, control.y, control.width, height);
}

QSize CMainForm::FormSize()
{
    return DialogRect(0, 0, 477, 357).size();
}

CMainForm::CMainForm(QWidget* parent)
    : QWidget(parent)
{
    setFont(ShellDialogFont(9));
    // The form and every control but the edits stand on the form's colour;
    // the edits keep the system's own.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, BackgroundColor());
    palette.setColor(QPalette::Button, BackgroundColor());
    setPalette(palette);
    setAutoFillBackground(true);
    resize(FormSize());
    // Never squeezed below its controls and their margin: a smaller window
    // scrolls over the form instead.
    QRect used;
    for (const FormControl& control : Table())
        used |= PixelRect(control);
    setMinimumSize(used.right() + 1 + DialogUnitsToPixelsX(7), used.bottom() + 1 + DialogUnitsToPixelsY(7));

    for (const FormControl& control : Table())
        m_ordered.push_back(Create(control));
    RestoreOrder();
}

QWidget* CMainForm::Create(const FormControl& control)
{
    const QString text = QString::fromLatin1(control.text);
    QWidget* widget = nullptr;
    switch (control.kind) {
    case K::Label: {
        auto* label = new QLabel(text, this);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        m_labels.push_back(label);
        widget = label;
        break;
    }
    case K::GroupBox:
        m_group = new CEtchedGroupBox(text, this);
        m_group->setAlignment(Qt::AlignHCenter);
        m_group->setFocusPolicy(Qt::NoFocus);
        widget = m_group;
        break;
    case K::Edit: {
        auto* edit = new QLineEdit(this);
        // Only the window and button colours are the form's: the edit keeps
        // the system's base and text colours.
        edit->setFrame(true);
        // Every field of the form is a readout: it can be selected and
        // copied, but takes no typing, and no focus the user did not give it
        // (disabling the focused control after Run would move it there).
        edit->setReadOnly(true);
        edit->setFocusPolicy(Qt::ClickFocus);
        widget = edit;
        break;
    }
    case K::FlatButton:
        m_undoZoom = new CFlatButton(text, this);
        m_undoZoom->setFlat(true);
        widget = m_undoZoom;
        break;
    case K::DropDownList: {
        m_rateBox = new QComboBox(this);
        m_rateBox->setEditable(false);
        m_rateBox->setInsertPolicy(QComboBox::InsertAtBottom);
        // As many items as the resource's open list has room for.
        const int listPixels = DialogUnitsToPixelsY(control.height - kDropDownClosedHeight);
        m_rateBox->setMaxVisibleItems(std::max(1, listPixels / QFontMetrics(font()).height()));
        widget = m_rateBox;
        break;
    }
    case K::HScroll:
        m_hScroll = new QScrollBar(Qt::Horizontal, this);
        widget = m_hScroll;
        break;
    case K::VScroll:
        m_vScroll = new QScrollBar(Qt::Vertical, this);
        widget = m_vScroll;
        break;
    case K::SerialControl:
    case K::Graph:
    case K::TimeStrip:
    case K::CursorLabel:
        widget = new QWidget(this);
        m_placeholders[control.id] = widget;
        // The serial control has nothing to show.
        if (control.kind == K::SerialControl)
            widget->hide();
        break;
    case K::KeyButton:
        return nullptr;
    }
    widget->setGeometry(PixelRect(control));
    if (control.id >= 0) {
        widget->setObjectName(QString::number(control.id));
        m_controls[control.id] = widget;
    }
    return widget;
}

QLineEdit* CMainForm::Edit(int id) const
{
    const FormControl* control = Find(id);
    if (!control || control->kind != K::Edit)
        return nullptr;
    return qobject_cast<QLineEdit*>(Control(id));
}

QWidget* CMainForm::Placeholder(int id) const
{
    const auto it = m_placeholders.find(id);
    return it == m_placeholders.end() ? nullptr : it->second;
}

QWidget* CMainForm::Control(int id) const
{
    const auto it = m_controls.find(id);
    return it == m_controls.end() ? nullptr : it->second;
}

void CMainForm::InstallControl(int id, QWidget* control)
{
    const FormControl* entry = Find(id);
    if (!entry || !control)
        return;
    const bool wasHidden = Placeholder(id) && Placeholder(id)->isHidden();
    if (QWidget* old = Control(id); old && old != control) {
        for (QWidget*& slot : m_ordered) {
            if (slot == old)
                slot = nullptr;
        }
        m_placeholders.erase(id);
        old->deleteLater();
        old->hide();
    }
    control->setParent(this);
    control->setGeometry(PixelRect(*entry));
    control->setObjectName(QString::number(id));
    if (entry->kind == K::SerialControl && wasHidden)
        control->hide();
    else
        control->show();
    m_controls[id] = control;
    m_ordered[static_cast<std::size_t>(entry - Table().data())] = control;
    RestoreOrder();
}

void CMainForm::RestoreOrder()
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
