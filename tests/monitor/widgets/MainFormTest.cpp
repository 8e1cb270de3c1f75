// The main form laid out from its resource: positions through the one
// dialog-unit conversion, the background colour as rendered, the edits on
// the system's colours, the tab order and replacing the placeholders.
#include "monitor/widgets/MainForm.h"
#include "res/DialogUnits.h"

#include <QComboBox>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <gtest/gtest.h>

#include <set>

namespace {

struct ExpectedControl {
    int id;
    int x, y, w, h;
};

// The form's controls with ids, in dialog units.
const ExpectedControl kControls[] = {
    {1000, 17, 7, 22, 22},    {1037, 125, 15, 50, 14},  {1005, 367, 16, 51, 12},  {1014, 161, 29, 73, 12},
    {1006, 387, 29, 22, 12},  {1007, 161, 44, 31, 12},  {1008, 205, 43, 64, 12},  {1009, 312, 42, 31, 12},
    {1010, 356, 43, 61, 12},  {1011, 118, 57, 321, 149}, {1039, 439, 57, 11, 155}, {1051, 118, 206, 321, 11},
    {1030, 118, 217, 331, 9}, {1035, 124, 230, 32, 10}, {1013, 159, 228, 27, 13}, {1015, 200, 228, 66, 13},
    {1036, 274, 229, 31, 10}, {1016, 309, 227, 30, 13}, {1017, 353, 227, 70, 13}, {1018, 200, 241, 30, 12},
    {1022, 244, 241, 62, 12}, {1021, 397, 246, 27, 12}, {1019, 200, 253, 31, 12}, {1020, 243, 253, 63, 12},
};

const int kEditIds[] = {1005, 1014, 1006, 1007, 1008, 1009, 1010, 1013, 1015,
                        1016, 1017, 1018, 1022, 1021, 1019, 1020};

QWidget* NextFocusable(QWidget* widget)
{
    for (QWidget* w = widget->nextInFocusChain(); w && w != widget; w = w->nextInFocusChain()) {
        if (w->focusPolicy() & Qt::TabFocus)
            return w;
    }
    return nullptr;
}

QImage Render(CMainForm& form)
{
    return form.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

TEST(MainForm, EveryControlStandsAtItsConvertedPosition)
{
    CMainForm form;
    EXPECT_EQ(form.size(), DialogRect(0, 0, 477, 357).size());
    for (const ExpectedControl& want : kControls) {
        QWidget* control = form.Control(want.id);
        ASSERT_NE(control, nullptr) << want.id;
        EXPECT_EQ(control->objectName(), QString::number(want.id));
        EXPECT_EQ(control->geometry(), DialogRect(want.x, want.y, want.w, want.h)) << want.id;
    }
    // The graph is 560 pixels wide: the page the graph's drawing is made for.
    EXPECT_EQ(form.Control(1011)->width(), 560);
    // The drop-down list: its place and width; its height is the closed box.
    QComboBox* rates = form.RateBox();
    ASSERT_NE(rates, nullptr);
    EXPECT_EQ(rates->objectName(), QStringLiteral("1038"));
    EXPECT_EQ(rates->geometry(), DialogRect(289, 29, 48, CMainForm::kDropDownClosedHeight));
    EXPECT_FALSE(rates->isEditable());
    EXPECT_GE(rates->maxVisibleItems(), 1);
    // The keys are the view's.
    for (int id : {1023, 1024, 1025, 1026, 1027, 1028, 1029})
        EXPECT_EQ(form.Control(id), nullptr) << id;
}

TEST(MainForm, LabelsGroupBoxButtonAndScrollBars)
{
    CMainForm form;
    struct Label {
        const char* text;
        int x, y, w, h;
    };
    const Label labels[] = {
        {"DataNo.", 340, 17, 26, 9},  {"Start Time", 124, 31, 35, 9}, {"Sampling Rate", 240, 30, 45, 8},
        {"Sec", 338, 31, 12, 8},      {"Avg", 366, 31, 12, 10},       {"dB", 411, 30, 9, 8},
        {"Maximum", 124, 45, 35, 9},  {"@", 194, 45, 8, 9},           {"Minimum", 281, 44, 27, 11},
        {"@", 345, 44, 8, 8},         {"@", 188, 229, 8, 8},          {"@", 341, 229, 8, 8},
        {"Max.Between A and B", 123, 243, 75, 10}, {"@", 233, 243, 8, 8},
        {"Avg.Between A and B", 319, 249, 76, 10}, {"Min.Between A and B", 124, 255, 75, 10},
        {"@", 232, 255, 8, 8},
    };
    ASSERT_EQ(form.Labels().size(), std::size(labels));
    for (const Label& want : labels) {
        const QRect rect = DialogRect(want.x, want.y, want.w, want.h);
        const auto found = std::count_if(form.Labels().begin(), form.Labels().end(), [&](QLabel* label) {
            return label->text() == QLatin1String(want.text) && label->geometry() == rect
                   && (label->alignment() & Qt::AlignLeft);
        });
        EXPECT_EQ(found, 1) << want.text << " at " << want.x << "," << want.y;
    }
    QGroupBox* group = form.GraphGroup();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Real-Time Graph"));
    EXPECT_EQ(group->alignment(), Qt::AlignHCenter);
    EXPECT_EQ(group->geometry(), DialogRect(114, 7, 340, 263));

    EXPECT_EQ(form.UndoZoomButton()->text(), QStringLiteral("UnDo Zoom"));
    EXPECT_TRUE(form.UndoZoomButton()->isFlat());
    EXPECT_EQ(form.HScroll()->orientation(), Qt::Horizontal);
    EXPECT_EQ(form.VScroll()->orientation(), Qt::Vertical);
    for (int id : kEditIds) {
        QLineEdit* edit = form.Edit(id);
        ASSERT_NE(edit, nullptr) << id;
        EXPECT_TRUE(edit->hasFrame());
    }
    EXPECT_EQ(form.Edit(1011), nullptr);
    EXPECT_EQ(form.font().family(), QStringLiteral("MS Shell Dlg"));
    EXPECT_EQ(form.font().pointSize(), 9);
}

TEST(MainForm, PlaceholdersAreEmptyAndTheSerialControlIsHidden)
{
    CMainForm form;
    form.show();
    for (int id : {1000, 1011, 1051, 1035, 1036}) {
        QWidget* placeholder = form.Placeholder(id);
        ASSERT_NE(placeholder, nullptr) << id;
        EXPECT_EQ(form.Control(id), placeholder);
        EXPECT_TRUE(placeholder->children().isEmpty()) << id;
    }
    EXPECT_FALSE(form.Placeholder(1000)->isVisible());
    EXPECT_TRUE(form.Placeholder(1011)->isVisible());
    EXPECT_EQ(form.Placeholder(1005), nullptr);
}

TEST(MainForm, BackgroundIsTheFormColourAndEditsKeepTheirOwn)
{
    CMainForm form;
    form.resize(CMainForm::FormSize());
    const QImage image = Render(form);
    const QRgb background = qRgb(170, 175, 195);
    // Empty form, inside the group box, the graph placeholder, and a label's corner.
    for (const QPoint p : {QPoint(5, 5), QPoint(DialogUnitsToPixelsX(300), DialogUnitsToPixelsY(150)),
                           QPoint(DialogUnitsToPixelsX(117), DialogUnitsToPixelsY(20)),
                           DialogRect(124, 255, 75, 10).bottomRight() - QPoint(1, 1),
                           QPoint(DialogUnitsToPixelsX(460), DialogUnitsToPixelsY(340))}) {
        EXPECT_EQ(image.pixel(p), background) << p.x() << "," << p.y();
    }
    for (int id : kEditIds) {
        const QPoint inside = form.Edit(id)->geometry().center();
        EXPECT_NE(image.pixel(inside), background) << id;
        EXPECT_EQ(QColor(image.pixel(inside)), form.Edit(id)->palette().color(QPalette::Base)) << id;
    }
    // "UnDo Zoom" is a flat button, not a label: a thin frame in the text
    // colour around the form's colour.
    const QRect button = DialogRect(125, 15, 50, 14);
    const QRgb frame = form.palette().color(QPalette::WindowText).rgb();
    for (const QPoint p : {QPoint(button.left(), button.center().y()), QPoint(button.right(), button.center().y()),
                           QPoint(button.center().x(), button.top()), QPoint(button.center().x(), button.bottom())})
        EXPECT_EQ(image.pixel(p), frame) << p.x() << "," << p.y();
    EXPECT_EQ(image.pixel(button.topLeft() + QPoint(2, 2)), background);
    EXPECT_EQ(image.pixel(button.topLeft() - QPoint(1, 1)), background);
}

TEST(MainForm, TabOrderFollowsTheResource)
{
    CMainForm form;
    // The focusable controls in the resource's creation order.
    const std::vector<int> order = {1014, 1005, 1006, 1007, 1008, 1009, 1010, 1013, 1015, 1016,
                                    1017, 1018, 1019, 1020, 1021, 1022, 1030, 1037, 1038, 1039};
    std::vector<int> seen;
    QWidget* start = form.Control(1014);
    QWidget* w = start;
    do {
        bool ok = false;
        const int id = w->objectName().toInt(&ok);
        if (ok && w->focusPolicy() & Qt::TabFocus && w->parentWidget() == &form)
            seen.push_back(id);
        w = w->nextInFocusChain();
    } while (w && w != start);
    std::vector<int> expected;
    for (int id : order) {
        if (form.Control(id)->focusPolicy() & Qt::TabFocus)
            expected.push_back(id);
    }
    // The edits are readouts: read-only, and no tab stops, so no focus lands
    // in one that the user did not put there.
    for (int id : kEditIds) {
        EXPECT_TRUE(qobject_cast<QLineEdit*>(form.Control(id))->isReadOnly()) << id;
        EXPECT_FALSE(form.Control(id)->focusPolicy() & Qt::TabFocus) << id;
    }
    EXPECT_FALSE(expected.empty());
    EXPECT_EQ(seen, expected);
}

TEST(MainForm, InstalledControlsTakeThePlaceholdersPlace)
{
    CMainForm form;
    form.show();
    auto* graph = new QPushButton(QStringLiteral("Traffic"));
    form.InstallControl(1011, graph);
    EXPECT_EQ(form.Placeholder(1011), nullptr);
    EXPECT_EQ(form.Control(1011), graph);
    EXPECT_EQ(graph->parentWidget(), &form);
    EXPECT_EQ(graph->geometry(), DialogRect(118, 57, 321, 149));
    EXPECT_EQ(graph->objectName(), QStringLiteral("1011"));
    EXPECT_TRUE(graph->isVisible());
    // In the focus chain between 1010 and 1013, as in the resource, and the
    // next tab stop after 1010 (the readouts are none).
    EXPECT_EQ(NextFocusable(form.Control(1010)), graph);
    bool passed = false;
    QWidget* w = form.Control(1010);
    for (int i = 0; i < 200 && w != form.Control(1013); ++i, w = w->nextInFocusChain())
        passed = passed || w == graph;
    EXPECT_TRUE(passed);
    // Above the group box drawn before it, below the controls after it.
    const QObjectList children = form.children();
    EXPECT_LT(children.indexOf(form.GraphGroup()), children.indexOf(graph));
    EXPECT_LT(children.indexOf(graph), children.indexOf(form.Control(1013)));

    auto* serial = new QWidget;
    form.InstallControl(1000, serial);
    EXPECT_TRUE(serial->isHidden());

    auto* key = new QPushButton(QStringLiteral("REC"));
    form.InstallControl(1023, key);
    EXPECT_EQ(form.Control(1023), key);
    EXPECT_EQ(key->geometry(), DialogRect(14, 33, 40, 30));

    // Ids the form does not have are refused.
    auto* stray = new QWidget;
    form.InstallControl(4242, stray);
    EXPECT_EQ(form.Control(4242), nullptr);
    EXPECT_EQ(stray->parentWidget(), nullptr);
    delete stray;
}

} // namespace
