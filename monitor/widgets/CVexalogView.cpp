#include "common/Clock.h"
#include "common/CommandIds.h"
#include "common/DialogSeam.h"
#include "common/TempFile.h"
#include "graph/widgets/CStaticCursor.h"
#include "graph/widgets/CTimeButtom.h"
#include "graph/widgets/CTrafficButton.h"
#include "graph/widgets/OwnerScrollBars.h"
#include "logger/DataFile.h"
#include "logger/widgets/CNoiseIndicatorPanel.h"
#include "meter/PortProbe.h"
#include "monitor/widgets/CMeterButton.h"
#include "monitor/widgets/CPortDialog.h"
#include "monitor/widgets/CVexalogView.h"
#include "monitor/widgets/PanelAreas.h"

#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStatusBar>

namespace {

constexpr const char* kExitQuestion =
    "There is data in Real-Time graph that has not been saved.\r\n Do you want to save the data before you exit?";

} // namespace

CVexalogView::CVexalogView(IDialogSeam& dialogs, QWidget* parent)
    : CVexalogView(dialogs, Options{}, parent)
{
}

CVexalogView::CVexalogView(IDialogSeam& dialogs, const Options& options, QWidget* parent)
    : CMainForm(parent)
    , m_dialogs(dialogs)
    , m_systemClock(options.clock ? nullptr : std::make_unique<CSystemClock>())
    , m_clock(options.clock ? *options.clock : *m_systemClock)
    , m_iniPath(options.iniPath)
    // The graph reports to the graph owner, made just after the controller.
    , m_graph(new CTrafficButton(m_graphOwner, dialogs, this))
    , m_setupRunner(this, dialogs, m_clock)
    , m_link(m_iniPath, dialogs, m_clock, options.timing)
    , m_journal(m_clock)
    , m_controller(m_link.State(), *m_graph, m_clock, dialogs, m_setupRunner,
                   [this](const DataSample* samples, int count, double rate) {
                       return SaveReadings(samples, count, rate);
                   },
                   // Questions wait until the receive handler has returned.
                   [this](std::function<void()> task) {
                       QMetaObject::invokeMethod(this, std::move(task), Qt::QueuedConnection);
                   },
                   RealTimeControllerViews{this, this})
    , m_graphOwner(m_controller, this)
    , m_export(dialogs, this)
    , m_askPort([this](int current) { return AskPortWithDialog(current); })
{
    setObjectName(QStringLiteral("CVexalogView"));
    m_formWidth = minimumWidth();
    m_controller.SetJournal(&m_journal, FolderOf(m_iniPath));
    m_link.AddListener(m_controller);
    m_link.AddListener(*this);
    InstallGraphControls();
    ConnectControls();
    connect(&m_link, &CMeterLink::DownloadProgressed, this, [this](int received, int expected) {
        if (m_waitDialog)
            m_waitDialog->SetProgress(received, expected);
    });
    connect(&m_link, &CMeterLink::DownloadFinished, this, &CVexalogView::OnDownloadFinished);
    connect(&m_export, &CExportCommand::Written, this,
            [this](const QString& status) { ShowStatusMessage(status.toStdString()); });
}

CVexalogView::~CVexalogView()
{
    // The port in use is remembered for the next start.
    if (!m_portSaved)
        SaveRememberedPort(false);
    m_link.RemoveListener(*this);
    m_link.RemoveListener(m_controller);
    delete m_dataLogger;
}

void CVexalogView::InstallGraphControls()
{
    InstallControl(ControlId::Graph, m_graph);
    m_graph->Attach();
    m_timeStrip = new CTimeButtom(this);
    InstallControl(ControlId::TimeStrip, m_timeStrip);
    m_timeStrip->Attach();
    auto* cursorA = new CStaticCursor(this);
    cursorA->SetIsA(true);
    InstallControl(ControlId::CursorALabel, cursorA);
    auto* cursorB = new CStaticCursor(this);
    cursorB->SetIsB(true);
    InstallControl(ControlId::CursorBLabel, cursorB);
}

void CVexalogView::ConnectControls()
{
    connect(RateBox(), &QComboBox::activated, this, [this](int index) { m_controller.SamplingRateSelected(index); });
    connect(UndoZoomButton(), &QPushButton::clicked, this, [this] { m_graphOwner.UndoZoom(); });

    ConnectOwnerScrollBar(HScroll(), this, [this](ScrollCode code, int thumb) {
        m_graphOwner.HorizontalScroll(code, thumb);
        return m_graphOwner.HScrollBar().position;
    });
    ConnectOwnerScrollBar(VScroll(), this, [this](ScrollCode code, int thumb) {
        m_graphOwner.VerticalScroll(code, thumb);
        return m_graphOwner.VScrollBar().position;
    });
}

void CVexalogView::OnInitialUpdate()
{
    if (m_initialUpdateDone)
        return;
    m_initialUpdateDone = true;

    {
        const QSignalBlocker blocker(RateBox());
        RateBox()->clear();
        for (const char* item : kSamplingRateItems)
            RateBox()->addItem(QString::fromLatin1(item));
    }
    ShowSamplingRate(m_controller.SamplingRateIndex());
    m_graphOwner.Publish();
    m_controller.RefreshStatistics();
    PlaceKeys();

    if (m_startupPort > 0)
        m_link.SerialLink().ChoosePort(m_startupPort);
    else
        m_link.SerialLink().LoadRememberedPort(m_iniPath);
    // Asked once the window is up, not from inside its first layout.
    QMetaObject::invokeMethod(this, &CVexalogView::OfferRecovery, Qt::QueuedConnection);
}

void CVexalogView::PlaceKeys()
{
    m_keys = CreateMeterKeys(this, [this](std::uint8_t byte) { m_link.SendCommandByte(byte); });
    for (CMeterButton* key : m_keys) {
        const bool hidden = key->Id() == kHoldButtonId;
        InstallControl(key->Id(), key);
        if (hidden) {
            key->hide();
            key->setEnabled(false);
        } else {
            key->Place();
        }
    }
}

CMeterButton* CVexalogView::Key(int id) const
{
    for (CMeterButton* key : m_keys) {
        if (key->Id() == id)
            return key;
    }
    return nullptr;
}

void CVexalogView::showEvent(QShowEvent* event)
{
    CMainForm::showEvent(event);
    OnInitialUpdate();
}

void CVexalogView::paintEvent(QPaintEvent*)
{
    // The panel composes the whole face; the paint event's region clips it.
    QPainter painter(this);
    m_panel.Paint(painter, m_link.State(), m_link.Connected());
}

void CVexalogView::PanelChanged(PanelElement element)
{
    update(PanelAreaOf(element));
}

// ---- what the controller shows ----

void CVexalogView::ShowStatistics(const RealTimeStatisticsTexts& texts)
{
    for (const auto& [field, text] : texts.Fields())
        ShowFieldText(ControlIdOf(field), *text);
    // The statistics follow every decoded block: the reading it may have
    // brought goes into the run's indicators too.
    if (m_recordingIndicators.Follow(m_controller.Store(), m_controller.SamplingPeriod()) && m_indicatorPanel)
        m_indicatorPanel->Invalidate();
}

void CVexalogView::ShowReadouts(const GraphReadoutTexts& texts)
{
    for (const auto& [field, text] : texts.Fields())
        ShowFieldText(ControlIdOf(field), *text);
    // The cursors moved, or what lies between them: the panel follows.
    if (m_indicatorPanel)
        m_indicatorPanel->Invalidate();
}

void CVexalogView::ShowFieldText(int id, const std::string& text)
{
    if (QLineEdit* edit = Edit(id); edit && edit->text().toStdString() != text) {
        edit->setText(QString::fromStdString(text));
        // A field too narrow for its number shows how it begins, as the
        // platform's edits do.
        edit->setCursorPosition(0);
    }
}

void CVexalogView::ShowTimeLabels(const std::string& left, const std::string& middle, const std::string& right)
{
    // The graph reports from its attachment on, before the strip stands.
    if (m_timeStrip)
        m_timeStrip->SetLabels(left, middle, right);
}

void CVexalogView::ShowStatusMessage(const std::string& text)
{
    // The status line is the main window's; a view on its own has none.
    if (auto* frame = qobject_cast<QMainWindow*>(window()))
        frame->statusBar()->showMessage(QString::fromStdString(text));
}

void CVexalogView::ShowHScrollBar(const HScrollBarState& bar)
{
    ShowOwnerScrollBar(HScroll(), bar.maximum, bar.position, bar.arrowsEnabled);
}

void CVexalogView::ShowVScrollBar(const VScrollBarState& bar)
{
    ShowOwnerScrollBar(VScroll(), bar.maximum, bar.position, bar.arrowsEnabled);
}

void CVexalogView::ShowSamplingRate(int index)
{
    const QSignalBlocker blocker(RateBox());
    RateBox()->setCurrentIndex(index < RateBox()->count() ? index : -1);
}

// ---- commands ----

const CVexalogView::Command* CVexalogView::FindCommand(int id)
{
    for (const Command& command : Commands()) {
        if (command.id == id)
            return &command;
    }
    return nullptr;
}

bool CVexalogView::HandlesCommand(int id) const
{
    return FindCommand(id) != nullptr;
}

bool CVexalogView::IsCommandEnabled(int id) const
{
    const Command* command = FindCommand(id);
    return command != nullptr && (command->enabled == nullptr || command->enabled(*this, id));
}

bool CVexalogView::IsCommandMarked(int id) const
{
    const Command* command = FindCommand(id);
    return command != nullptr && command->marked != nullptr && command->marked(*this, id);
}

void CVexalogView::OnCommand(int id)
{
    if (const Command* command = FindCommand(id))
        command->run(*this, id);
}

void CVexalogView::SaveAs()
{
    m_controller.Save();
}

// ---- the recovery journal and the end of the program ----

void CVexalogView::OfferRecovery()
{
    CRecordingJournal orphan(m_clock);
    if (!orphan.TakeOrphan(FolderOf(m_iniPath)))
        return;
    const JournalContents contents = ReadJournal(orphan.Path(), ReadingStore::kSlots);
    const std::string damaged =
        contents.damagedLines == 0
            ? std::string()
            : "\r\n " + std::to_string(contents.damagedLines) +
                  (contents.damagedLines == 1 ? " damaged line was" : " damaged lines were") + " left out.";
    if (contents.samples.empty()) {
        // Nothing whole to give back: a journal begun just before the end.
        orphan.Remove();
        if (!damaged.empty())
            ShowMessage(m_dialogs, "The recovery journal \"" + orphan.Path() +
                                       "\" of a recording that was not saved held no whole reading." + damaged);
        return;
    }
    const DataSample& first = contents.samples.front();
    const DataSample& last = contents.samples.back();
    const std::string text = "A recording was not saved when the program last ended: " +
                             std::to_string(contents.samples.size()) + " readings from " + first.date + " " +
                             first.time + " to " + last.date + " " + last.time + " are kept in \"" +
                             orphan.Path() + "\"." + damaged + "\r\n Do you want to recover them?";
    if (m_dialogs.AskChoice(kMessageCaption, text, {"Recover", "Discard"}) == 0 && !m_controller.Restore(contents))
        return;
    orphan.Remove();
}

bool CVexalogView::QueryClose()
{
    if (m_controller.HasUnsavedReadings()) {
        const int choice = m_dialogs.AskChoice(kMessageCaption, kExitQuestion, {"Save", "Discard", "Cancel"});
        if (choice != 0 && choice != 1)
            return false;
        // The run ends with the program: nothing is added while the file is written.
        m_controller.Stop();
        if (choice == 0 && !m_controller.Save())
            return false;
    }
    // What is left was saved or given up: no journal is needed any more.
    m_controller.Stop();
    m_journal.Remove();
    if (!m_portSaved)
        SaveRememberedPort(true);
    // The window's place is kept without the panel's width: the next start
    // opens without the panel.
    ShowNoiseIndicators(false);
    return true;
}

bool CVexalogView::SaveRememberedPort(bool sayFailure)
{
    m_portSaved = true;
    if (m_link.SerialLink().SaveRememberedPort(m_iniPath))
        return true;
    if (sayFailure) {
        const std::string why = WhyNotReplaceable(m_iniPath);
        ShowMessage(m_dialogs, "The port in use (Com" + std::to_string(m_link.SerialLink().PortNumber()) +
                                   ") could not be written to \"" + m_iniPath + "\"" +
                                   (why.empty() ? std::string() : " (" + why + ")") +
                                   ": the next start will not open it by itself.");
    }
    return false;
}

// Save as, and the save the end of a run offers: the status bar says what
// was written and where.
bool CVexalogView::SaveReadings(const DataSample* samples, int count, double rate)
{
    std::string path;
    if (!SaveDataFile(m_dialogs, samples, count, rate, &path))
        return false;
    ShowStatusMessage(WrittenReadingsText("Saved", count, path));
    m_savedPath = path;
    return true;
}

std::string CVexalogView::LivePrompt(int id) const
{
    const CPortMap& map = m_link.PortMap();
    if (id >= CommandId::Com1 && id <= CommandId::Com5)
        return PortPrompt(map, id - CommandId::Com1 + 1);
    if (id == CommandId::OtherPort) {
        const std::string any = "Another port by number, 1 to 100";
        const int port = m_link.SerialLink().PortNumber();
        return port == 0 ? any : any + "; now " + PortPrompt(map, port);
    }
    return {};
}

void CVexalogView::OnOtherPort()
{
    if (const std::optional<int> port = m_askPort(m_link.SerialLink().PortNumber()))
        m_link.SerialLink().OnOtherPort(*port);
}

std::optional<int> CVexalogView::AskPortWithDialog(int current)
{
    CPortDialog dialog(current, m_dialogs, this);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.Port();
}

// ---- the DataLogger window and the download ----

CDataLoggerDlg* CVexalogView::ShowDataLoggerWindow()
{
    if (m_dataLogger) {
        m_dataLogger->showNormal();
        m_dataLogger->raise();
        m_dataLogger->activateWindow();
        return m_dataLogger;
    }
    // The window belongs to the main window: it stays in front of it.
    m_dataLogger = new CDataLoggerDlg(m_dialogs, m_clock, ShellDialogFont(8), window());
    connect(m_dataLogger, &CDataLoggerDlg::Closed, this, &CVexalogView::DestroyDataLoggerWindow);
    connect(m_dataLogger, &CDataLoggerDlg::ReportRequested, this, &CVexalogView::PrintDataLoggerReport);
    connect(m_dataLogger, &CDataLoggerDlg::StatusMessage, this,
            [this](const QString& text) { ShowStatusMessage(text.toStdString()); });
    m_dataLogger->show();
    return m_dataLogger;
}

void CVexalogView::DestroyDataLoggerWindow()
{
    // Closing comes from inside the window's own handlers: it goes once they are done.
    if (m_dataLogger)
        m_dataLogger->deleteLater();
    m_dataLogger = nullptr;
}

void CVexalogView::OnDataLogger()
{
    if (!m_link.StartDownload())
        return;
    ShowDataLoggerWindow()->ResetWindow();
    if (!m_waitDialog) {
        m_waitDialog = new CDialog1(this);
        connect(m_waitDialog, &CDialog1::CancelPressed, this, &CVexalogView::OnDownloadCancelled);
    }
    // Modal, but it returns at once: the link goes on receiving.
    m_waitDialog->ShowWaiting();
}

void CVexalogView::OnDownloadFinished(const LoggerDownloadResult& result)
{
    // The link queues the end of a download, so what is shown here is not
    // shown from inside its receive path.
    if (m_waitDialog)
        m_waitDialog->Finish();
    if (result.outcome == DownloadOutcome::Finished && m_dataLogger) {
        m_dataLogger->LoadRecordSets(result.data, result.sets);
        // The wait dialog belonged to the main window: the sets' window,
        // not the main window, is the one the user goes on working in.
        m_dataLogger->raise();
        m_dataLogger->activateWindow();
    }
    if (result.outcome == DownloadOutcome::Finished || result.outcome == DownloadOutcome::Cancelled)
        m_controller.Stop();
    if (const std::string message = result.Message(); !message.empty())
        ShowMessage(m_dialogs, message);
}

void CVexalogView::OnDownloadCancelled()
{
    m_link.CancelDownload();
    DestroyDataLoggerWindow();
}
