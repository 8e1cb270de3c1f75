#pragma once

#include "graph/widgets/GraphWindowIds.h"
#include "monitor/RealTimeStatistics.h"

#include <QColor>
#include <QFont>
#include <QRect>
#include <QWidget>

#include <map>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollBar;

// The main form's own control ids, beside those it shares with the DataLogger window.
namespace ControlId {
// The serial control hosted by the main form.
inline constexpr int SerialControl = 1000;
// The sampling-rate box and the meter panel's keys.
inline constexpr int SamplingRate = 1038;
inline constexpr int KeyRec = 1023;
inline constexpr int KeyFastSlow = 1024;
inline constexpr int KeyAC = 1025;
inline constexpr int KeyMaxMin = 1026;
inline constexpr int KeyHold = 1027; // hidden and disabled
inline constexpr int KeyLevel = 1028;
inline constexpr int KeyStop = 1029;
} // namespace ControlId

// The edit a statistics field is shown in.
constexpr int ControlIdOf(StatisticsField field)
{
    switch (field) {
    case StatisticsField::StartTime:
        return ControlId::StartTime;
    case StatisticsField::DataNo:
        return ControlId::DataNo;
    case StatisticsField::Avg:
        return ControlId::Avg;
    case StatisticsField::Maximum:
        return ControlId::Maximum;
    case StatisticsField::MaximumTime:
        return ControlId::MaximumTime;
    case StatisticsField::Minimum:
        return ControlId::Minimum;
    case StatisticsField::MinimumTime:
        return ControlId::MinimumTime;
    }
    return -1;
}

// face at pointSize, falling back on narrow faces of about its metrics where
// the face is missing, so labels fit the widths their resource gives them.
QFont DialogFont(const QString& face, int pointSize);
// The main form's face, "MS Shell Dlg", with those fallbacks.
QFont ShellDialogFont(int pointSize);

enum class FormControlKind {
    SerialControl, // 1000, hosted by the view; nothing visible
    GroupBox,
    FlatButton,
    Label,
    Edit,
    DropDownList,
    Graph,       // 1011, the real-time graph
    TimeStrip,   // 1051
    CursorLabel, // 1035, 1036
    HScroll,
    VScroll,
    KeyButton, // 1023..1029, the panel keys the view creates
};

// One control of the main form (resource 101) in dialog units.
struct FormControl {
    int id = -1; // -1: a label or the group box, which have no id
    FormControlKind kind = FormControlKind::Label;
    const char* text = "";
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

// The main form of the view, laid out from the resource: labels, the group
// box, the edits, the sampling-rate box, the scroll bars and the UnDo Zoom
// button. The serial control, the graph, the time strip and the cursor labels
// start as empty placeholders of their size for the view to replace; the
// panel keys are the view's own. The form holds no logic.
class CMainForm : public QWidget {
    Q_OBJECT
public:
    explicit CMainForm(QWidget* parent = nullptr);

    // The resource's controls in creation (tab) order, keys included.
    static const std::vector<FormControl>& Table();
    static const FormControl* Find(int id);
    // A control's rectangle in pixels, converted from its dialog units.
    static QRect PixelRect(const FormControl& control);
    static QSize FormSize();
    static QColor BackgroundColor() { return QColor(170, 175, 195); }
    // The closed height of the drop-down list (the resource's height is that
    // of the open list).
    static constexpr int kDropDownClosedHeight = 12;

    QLineEdit* Edit(int id) const;
    QComboBox* RateBox() const { return m_rateBox; }
    QScrollBar* HScroll() const { return m_hScroll; }
    QScrollBar* VScroll() const { return m_vScroll; }
    QPushButton* UndoZoomButton() const { return m_undoZoom; }
    QGroupBox* GraphGroup() const { return m_group; }
    const std::vector<QLabel*>& Labels() const { return m_labels; }
    // The placeholder still standing for control id (1000, 1011, 1051, 1035,
    // 1036), or null once it has been replaced.
    QWidget* Placeholder(int id) const;
    // The widget now standing for control id, or null.
    QWidget* Control(int id) const;

    // Puts control in the form as control id: at its resource rectangle, in
    // its place in the tab and stacking order, replacing (and deleting) the
    // placeholder. The form takes ownership. For a key button this is its
    // resource position; the view then moves the keys where the panel wants them.
    void InstallControl(int id, QWidget* control);

    QSize sizeHint() const override { return FormSize(); }

private:
    QWidget* Create(const FormControl& control);
    void RestoreOrder();

    std::map<int, QWidget*> m_controls;
    std::map<int, QWidget*> m_placeholders;
    std::vector<QWidget*> m_ordered; // widgets in table order; null for controls not present
    std::vector<QLabel*> m_labels;
    QComboBox* m_rateBox = nullptr;
    QScrollBar* m_hScroll = nullptr;
    QScrollBar* m_vScroll = nullptr;
    QPushButton* m_undoZoom = nullptr;
    QGroupBox* m_group = nullptr;
};
