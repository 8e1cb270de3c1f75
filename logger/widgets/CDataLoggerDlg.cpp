#include "common/DialogSeam.h"
#include "graph/widgets/CStaticCursor.h"
#include "graph/widgets/CTimeButtom.h"
#include "graph/widgets/OwnerScrollBars.h"
#include "graph/widgets/WindowPlace.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "logger/widgets/CNoiseIndicatorPanel.h"
#include "logger/widgets/DataLoggerForm.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

const QColor kBackground(170, 175, 195);

// The window's place in the program's settings.
const char* const kPlaceKey = "DataLogger";

} // namespace

CDataLoggerDlg::CDataLoggerDlg(IDialogSeam& dialogs, const IClock& clock, const QFont& face, QWidget* parent)
    : QDialog(parent, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint),
      m_dialogs(dialogs),
      m_model(clock),
      m_graphOwner(m_feed, this, ReadoutTimes::AsHanded)
{
    setObjectName(QString::number(kTemplateId));
    setWindowTitle(QStringLiteral("DataLogger"));
    setFont(face);
    // The window and every control but the edits and the list stand on its colour.
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, kBackground);
    palette.setColor(QPalette::Button, kBackground);
    setPalette(palette);
    setAutoFillBackground(true);

    // The form keeps its size and its controls their pixels; a window made
    // smaller than the form shows it through scroll bars.
    m_scroll = new QScrollArea(this);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setWidgetResizable(false);
    m_form = new CDataLoggerForm(m_scroll);
    m_form->setFixedSize(CDataLoggerForm::FormSize());
    m_scroll->setWidget(m_form);
    BuildMenu();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(m_menu);
    m_body = new QHBoxLayout;
    m_body->setContentsMargins(0, 0, 0, 0);
    m_body->setSpacing(0);
    m_body->addWidget(m_scroll);
    layout->addLayout(m_body);
    // No larger than the whole form, so no empty band grows beside it.
    setMaximumSize(NaturalSize());
    resize(NaturalSize());

    InstallGraphControls();
    ConnectControls();
    m_graphOwner.Publish();
    ShowFields();
}

CDataLoggerDlg::~CDataLoggerDlg()
{
    // Closed by the user or going with the program: the place is kept either way.
    if (m_placed)
        RememberPlace(*this, QString::fromLatin1(kPlaceKey));
    // The graph reads the model's samples: it lets go of them first, and the
    // controls go while the models they report to are still there.
    m_graph->ClearData();
    delete m_form;
}

void CDataLoggerDlg::BuildMenu()
{
    m_menu = new QMenuBar(this);
    m_menu->setObjectName(QString::number(kMenuId));
    const auto add = [this](int id, const char* text) {
        QAction* action = m_menu->addAction(QString::fromLatin1(text));
        action->setData(id);
        action->setObjectName(QString::number(id));
        return action;
    };
    connect(add(kImportDataId, "Import Data(&I)"), &QAction::triggered, this, &CDataLoggerDlg::ImportData);
    connect(add(kSaveDataId, "Save Data(&S)"), &QAction::triggered, this, &CDataLoggerDlg::SaveData);
    QAction* print = add(kPrintDataId, "Print Data(&P)");
    print->setEnabled(false);
    connect(print, &QAction::triggered, this, [this] { PrintData(); });
    QAction* report = add(kReportId, "Report\u2026");
    report->setText(QString::fromUtf8("Report\u2026"));
    report->setEnabled(false);
    connect(report, &QAction::triggered, this, [this] {
        if (OpenedRow() >= 0)
            emit ReportRequested();
    });
    QMenu* view = m_menu->addMenu(QStringLiteral("View(&V)"));
    QAction* indicators = view->addAction(QStringLiteral("Noise Indicators(&N)"));
    indicators->setData(kNoiseIndicatorsId);
    indicators->setObjectName(QString::number(kNoiseIndicatorsId));
    indicators->setCheckable(true);
    connect(indicators, &QAction::triggered, this, [this](bool checked) { ShowNoiseIndicators(checked); });
}

QAction* CDataLoggerDlg::Command(int id) const
{
    for (QAction* action : m_menu->actions()) {
        if (action->data().toInt() == id)
            return action;
        if (action->menu())
            for (QAction* item : action->menu()->actions())
                if (item->data().toInt() == id)
                    return item;
    }
    return nullptr;
}

void CDataLoggerDlg::InstallGraphControls()
{
    m_graph = new CDataLoggerButton(m_graphOwner, m_dialogs);
    m_form->Install(CDataLoggerForm::kGraphId, m_graph);
    m_graph->Attach();
    // Every frame says anew whether the view may be printed.
    m_graph->SetFrameDrawn([this] { UpdatePrintCommand(); });
    m_feed.SetGraph(&m_graph->Graph());
    m_timeStrip = new CTimeButtom;
    m_form->Install(CDataLoggerForm::kTimeStripId, m_timeStrip);
    m_timeStrip->Attach();
    auto* cursorA = new CStaticCursor;
    cursorA->SetIsA(true);
    m_form->Install(CDataLoggerForm::kCursorALabelId, cursorA);
    auto* cursorB = new CStaticCursor;
    cursorB->SetIsB(true);
    m_form->Install(CDataLoggerForm::kCursorBLabelId, cursorB);
}

void CDataLoggerDlg::ConnectControls()
{
    connect(m_form->List(), &QTableWidget::cellDoubleClicked, this, [this](int row, int) { OpenRow(row); });
    connect(m_form->UndoZoomButton(), &QPushButton::clicked, this, [this] { m_graphOwner.UndoZoom(); });
    ConnectOwnerScrollBar(m_form->HScroll(), this, [this](ScrollCode code, int thumb) {
        m_graphOwner.HorizontalScroll(code, thumb);
        return m_graphOwner.HScrollBar().position;
    });
    ConnectOwnerScrollBar(m_form->VScroll(), this, [this](ScrollCode code, int thumb) {
        m_graphOwner.VerticalScroll(code, thumb);
        return m_graphOwner.VScrollBar().position;
    });
}

QSize CDataLoggerDlg::NaturalSize() const
{
    return CDataLoggerForm::FormSize() + QSize(NoiseIndicatorsShown() ? CNoiseIndicatorPanel::kWidth : 0,
                                               m_menu->sizeHint().height());
}

void CDataLoggerDlg::PlaceInside(const QRect& available)
{
    m_placed = true;
    ::PlaceInside(*this, available, NaturalSize(), QString::fromLatin1(kPlaceKey));
}

void CDataLoggerDlg::showEvent(QShowEvent* event)
{
    // Inside the screen's available area when it first appears: centred, or
    // where the user left it last time.
    if (!m_placed) {
        m_placed = true;
        PlaceOnScreen(*this, NaturalSize(), QString::fromLatin1(kPlaceKey));
    }
    QDialog::showEvent(event);
}

void CDataLoggerDlg::closeEvent(QCloseEvent* event)
{
    event->accept();
    emit Closed();
}

// ---- what the view and the commands ask ----

void CDataLoggerDlg::ResetWindow()
{
    m_graph->ClearData();
    m_model.Reset();
    m_graphOwner.UndoZoom();
    ShowFields();
    OpenedSetChanged();
}

void CDataLoggerDlg::LoadRecordSets(const std::vector<std::uint8_t>& bytes, const std::vector<LoggerRecordSet>& sets)
{
    // The list's sets are replaced: the graph lets go of the one it shows.
    m_graph->ClearData();
    m_graphOwner.UndoZoom();
    m_model.LoadRecordSets(bytes, sets);
    ShowList();
    UpdatePrintCommand();
    OpenedSetChanged();
}

void CDataLoggerDlg::ImportData()
{
    m_graph->ClearData();
    m_graphOwner.UndoZoom();
    m_model.Import(m_dialogs, [this] {
        ShowList();
        ShowFields();
        OpenedSetChanged();
    });
}

void CDataLoggerDlg::SaveData()
{
    m_model.SaveData(m_dialogs);
}

bool CDataLoggerDlg::CanPrintData() const
{
    return m_graph->Graph().State().sampleCount > 0 && m_graphOwner.CanPrint();
}

void CDataLoggerDlg::PrintData(const std::optional<std::string>& printer)
{
    if (CanPrintData())
        m_graph->PrintGraph(printer);
}

void CDataLoggerDlg::UpdatePrintCommand()
{
    if (QAction* print = Command(kPrintDataId))
        print->setEnabled(CanPrintData());
    if (QAction* report = Command(kReportId))
        report->setEnabled(OpenedRow() >= 0);
}

void CDataLoggerDlg::OpenRow(int row)
{
    OpenedSet opened;
    switch (m_model.Open(row, m_graph->GetPlotWidth(), &opened)) {
    case OpenStatus::NoRow:
        return;
    case OpenStatus::Opened:
        m_openedRow = row;
        m_graph->SetData(opened.start, opened.scale, opened.samples, opened.count);
        m_graphOwner.UndoZoom();
        ShowFields();
        OpenedSetChanged();
        return;
    case OpenStatus::OutOfMemory:
        m_graph->ClearData();
        m_graphOwner.UndoZoom();
        ShowFields();
        OpenedSetChanged();
        ShowMessage(m_dialogs, "Memory OverFlow!");
        return;
    }
}

// ---- what the window shows ----

void CDataLoggerDlg::ShowList()
{
    if (m_listShown == m_model.RowsVersion())
        return; // the list already shows these rows
    m_listShown = m_model.RowsVersion();
    QTableWidget* list = m_form->List();
    const std::vector<DataLoggerRow>& rows = m_model.Rows();
    // Up to 999 rows of six cells: drawn once when all are in.
    list->setUpdatesEnabled(false);
    list->clearContents();
    list->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r) {
        const DataLoggerRow& row = rows[static_cast<std::size_t>(r)];
        const std::string* cells[] = {&row.set, &row.date, &row.time, &row.unit, &row.rate, &row.nums};
        for (int c = 0; c < 6; ++c)
            list->setItem(r, c, new QTableWidgetItem(QString::fromStdString(*cells[c])));
    }
    list->setUpdatesEnabled(true);
}

void CDataLoggerDlg::ShowFields()
{
    UpdatePrintCommand();
    for (const auto& [id, text] : DataLoggerFieldTexts(m_model.Fields()))
        ShowText(id, text);
    m_form->Title()->setText(QString::fromStdString(m_model.Title()));
}

void CDataLoggerDlg::ShowText(int id, const std::string& text)
{
    QLineEdit* edit = m_form->Edit(id);
    if (!edit || edit->text().toStdString() == text)
        return;
    edit->setText(QString::fromStdString(text));
    // A field too narrow for its number shows how it begins.
    edit->setCursorPosition(0);
}

void CDataLoggerDlg::ShowReadouts(const GraphReadoutTexts& texts)
{
    for (const auto& [field, text] : texts.Fields())
        ShowText(ControlIdOf(field), *text);
    // The cursors moved: the panel's column between them follows.
    if (m_indicatorPanel)
        m_indicatorPanel->Invalidate();
}

void CDataLoggerDlg::ShowHScrollBar(const HScrollBarState& bar)
{
    ShowOwnerScrollBar(m_form->HScroll(), bar.maximum, bar.position, bar.arrowsEnabled);
}

void CDataLoggerDlg::ShowVScrollBar(const VScrollBarState& bar)
{
    ShowOwnerScrollBar(m_form->VScroll(), bar.maximum, bar.position, bar.arrowsEnabled);
}

void CDataLoggerDlg::ShowTimeLabels(const std::string& left, const std::string& middle, const std::string& right)
{
    m_timeStrip->SetLabels(left, middle, right);
}

void CDataLoggerDlg::ShowStatusMessage(const std::string& text)
{
    emit StatusMessage(QString::fromStdString(text));
}
