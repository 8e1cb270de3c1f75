#include "monitor/widgets/CRealTimeSetup.h"

#include "common/Clock.h"
#include "common/DialogSeam.h"
#include "monitor/widgets/MainForm.h"
#include "res/DialogUnits.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

namespace {

// The closed height of the drop-down list; the 50 units of its rectangle
// include the list that drops down.
constexpr int kComboClosedHeight = 14;

QLabel* AddStatic(QWidget* parent, const char* text, int x, int y, int w, int h)
{
    auto* label = new QLabel(QString::fromLatin1(text), parent);
    label->setGeometry(DialogRect(x, y, w, h));
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setWordWrap(true);
    return label;
}

QLineEdit* AddEdit(QWidget* parent, int id, int x, int y, int w, int h)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::number(id));
    edit->setGeometry(DialogRect(x, y, w, h));
    return edit;
}

void SetTextIfChanged(QLineEdit* edit, const std::string& text)
{
    const QString q = QString::fromStdString(text);
    if (edit->text() != q)
        edit->setText(q);
}

// A date and time too long for its field shows how it begins: the date.
void ShowFromStart(QLineEdit* edit, const std::string& text)
{
    SetTextIfChanged(edit, text);
    edit->setCursorPosition(0);
}

bool IsBlank(const QString& text)
{
    return text.trimmed().isEmpty();
}

} // namespace

CRealTimeSetup::CRealTimeSetup(IDialogSeam& dialogs, std::int64_t now, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint),
      m_dialogs(dialogs), m_logic(now)
{
    setObjectName(QStringLiteral("166"));
    setWindowTitle(QStringLiteral("Real-Time Setup"));
    setFont(DialogFont(QStringLiteral("Microsoft Sans Serif"), 10));
    setFixedSize(DialogUnitsToPixelsX(213), DialogUnitsToPixelsY(134));
    setModal(true);
    CreateControls();
}

void CRealTimeSetup::CreateControls()
{
    m_start = new QPushButton(QStringLiteral("Start"), this);
    m_start->setObjectName(QStringLiteral("1"));
    m_start->setGeometry(DialogRect(27, 113, 50, 14));
    m_start->setDefault(true);
    m_start->setAutoDefault(true);

    m_cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_cancel->setObjectName(QStringLiteral("2"));
    m_cancel->setGeometry(DialogRect(106, 113, 50, 14));
    m_cancel->setAutoDefault(false);

    AddStatic(this, "Real-Time data.no to be recorded", 14, 20, 110, 8);
    m_countEdit = AddEdit(this, 1005, 128, 19, 41, 14);
    AddStatic(this, "(Adjust the number to meet your need)", 15, 36, 132, 8);
    AddStatic(this, "Real-Time Sampling Rate", 9, 54, 80, 8);

    m_intervalList = new QComboBox(this);
    m_intervalList->setObjectName(QStringLiteral("1033"));
    m_intervalList->setEditable(false);
    const QRect listRect = DialogRect(90, 52, 48, 50);
    m_intervalList->setGeometry(listRect.x(), listRect.y(), listRect.width(), DialogUnitsToPixelsY(kComboClosedHeight));
    m_intervalList->setMaxVisibleItems(4);

    AddStatic(this, "Second", 143, 55, 24, 8);
    AddStatic(this, "Recording Period", 15, 76, 57, 16);
    AddStatic(this, "From:", 78, 76, 18, 8);
    m_fromEdit = AddEdit(this, 1034, 102, 74, 67, 14);
    AddStatic(this, "To:", 80, 94, 11, 8);
    m_toEdit = AddEdit(this, 1047, 103, 90, 66, 14);

    // The tab order of the template.
    setTabOrder(m_start, m_cancel);
    setTabOrder(m_cancel, m_countEdit);
    setTabOrder(m_countEdit, m_intervalList);
    setTabOrder(m_intervalList, m_fromEdit);
    setTabOrder(m_fromEdit, m_toEdit);

    connect(m_start, &QPushButton::clicked, this, &CRealTimeSetup::OnStart);
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_intervalList, &QComboBox::currentIndexChanged, this, &CRealTimeSetup::OnSelectionChanged);
    connect(m_countEdit, &QLineEdit::textEdited, this, &CRealTimeSetup::OnCountEdited);
}

void CRealTimeSetup::SetStart(int year, int month, int day, int hour, int minute, int second)
{
    m_logic.SetStart(year, month, day, hour, minute, second);
}

void CRealTimeSetup::SetParameters(double interval, int count)
{
    m_logic.SetParameters(interval, count);
}

void CRealTimeSetup::GetParameters(double& interval, int& count, int& choice) const
{
    m_logic.GetParameters(interval, count, choice);
}

void CRealTimeSetup::showEvent(QShowEvent* event)
{
    if (!m_initialised) {
        m_initialised = true;
        OnInitDialog();
    }
    QDialog::showEvent(event);
}

void CRealTimeSetup::OnInitDialog()
{
    const QSignalBlocker blocker(m_intervalList);
    m_intervalList->clear();
    for (const char* item : kSamplingRateItems)
        m_intervalList->addItem(QString::fromLatin1(item));
    m_intervalList->setCurrentIndex(m_logic.Open());
    ShowFields();
}

CRealTimeSetupLogic::CountCheck CRealTimeSetup::ReadFields()
{
    const CRealTimeSetupLogic::CountCheck check =
        m_logic.Update(m_intervalList->currentIndex(), m_countEdit->text().toStdString());
    if (check == CRealTimeSetupLogic::CountCheck::NotInteger)
        ShowMessage(m_dialogs, CRealTimeSetupLogic::NotIntegerMessage());
    else if (check == CRealTimeSetupLogic::CountCheck::OutOfRange)
        ShowMessage(m_dialogs, CRealTimeSetupLogic::CountRangeMessage());
    return check;
}

void CRealTimeSetup::ShowFields()
{
    SetTextIfChanged(m_countEdit, m_logic.CountText());
    ShowFromStart(m_fromEdit, m_logic.FromText());
    ShowFromStart(m_toEdit, m_logic.ToText());
}

void CRealTimeSetup::OnSelectionChanged()
{
    ReadFields();
    ShowFields();
}

void CRealTimeSetup::OnCountEdited()
{
    // An emptied field is a number still being typed: no message, and the
    // field is left as the user has it. "Start" checks it.
    if (IsBlank(m_countEdit->text()))
        return;
    ReadFields();
    ShowFields();
}

void CRealTimeSetup::OnStart()
{
    const bool valid = ReadFields() == CRealTimeSetupLogic::CountCheck::Ok;
    ShowFields();
    if (!valid) {
        // As the toolkit does after a failed check: back to the field at fault.
        m_countEdit->setFocus();
        m_countEdit->selectAll();
        return;
    }
    accept();
}

CRealTimeSetupRunner::CRealTimeSetupRunner(QWidget* parent, IDialogSeam& dialogs, const IClock& clock)
    : m_parent(parent), m_dialogs(dialogs), m_clock(clock)
{
}

CRealTimeSetupRunner::~CRealTimeSetupRunner() = default;

CRealTimeSetup& CRealTimeSetupRunner::Dialog()
{
    if (!m_dialog)
        m_dialog = std::make_unique<CRealTimeSetup>(m_dialogs, m_clock.Now(), m_parent);
    return *m_dialog;
}

void CRealTimeSetupRunner::SetStart(int year, int month, int day, int hour, int minute, int second)
{
    // Every Setup command gets a dialog of its own, as one made on the stack would be.
    m_dialog = std::make_unique<CRealTimeSetup>(m_dialogs, m_clock.Now(), m_parent);
    m_dialog->SetStart(year, month, day, hour, minute, second);
}

void CRealTimeSetupRunner::SetParameters(double interval, int count)
{
    Dialog().SetParameters(interval, count);
}

bool CRealTimeSetupRunner::Run()
{
    return Dialog().exec() == QDialog::Accepted;
}

void CRealTimeSetupRunner::GetParameters(double& interval, int& count, int& choice) const
{
    if (m_dialog)
        m_dialog->GetParameters(interval, count, choice);
}
