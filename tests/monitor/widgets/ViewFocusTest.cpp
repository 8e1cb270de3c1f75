// Keyboard focus in the main view while it records from the simulated
// meter: Run leaves the focus where the user put it, and tabbing and typing
// through the form never lands in a field or changes what a field shows.
#include "common/CommandIds.h"
#include "tests/monitor/widgets/SimulatedViewKit.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>

#include <gtest/gtest.h>

#include <map>

using namespace std::chrono_literals;

TEST(ViewFocusTest, RunKeepsTheFocusWhereTheUserLeftItAndTypingChangesNoField)
{
    CSimulatedView kit("vx_viewfocus", "ramp:60:90:5");
    ASSERT_TRUE(kit.Start());
    CVexalogView& view = kit.View();
    view.show();
    view.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&view, 20000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.MeterLink().Connected(); }, 20000));

    view.RateBox()->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return QApplication::focusWidget() == view.RateBox(); }, 20000));
    view.OnCommand(CommandId::Run);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.Controller().Store().Count() >= 3; }, 20000));
    view.OnCommand(CommandId::Stop);
    QApplication::processEvents();
    EXPECT_EQ(QApplication::focusWidget(), view.RateBox());
    EXPECT_FALSE(view.Edit(1014)->hasFocus()) << "the Start Time field";
    ASSERT_FALSE(view.Edit(1006)->text().isEmpty());

    // Tab round the form, typing digits wherever the focus lands.
    std::map<int, QString> fields;
    for (int id = 1005; id <= 1022; ++id)
        if (QLineEdit* edit = view.Edit(id))
            fields[id] = edit->text();
    for (int i = 0; i < 40; ++i) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_NE(focus, nullptr);
        EXPECT_EQ(qobject_cast<QLineEdit*>(focus), nullptr) << "tab stop " << i << " is a field";
        QTest::keyClicks(focus, QStringLiteral("243"));
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    for (const auto& [id, text] : fields)
        EXPECT_EQ(view.Edit(id)->text(), text) << id;
}
