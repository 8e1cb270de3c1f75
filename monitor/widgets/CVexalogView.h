#pragma once

#include "common/CommandTarget.h"
#include "graph/GraphOwnerModel.h"
#include "logger/IndicatorPanelText.h"
#include "logger/widgets/CDataLoggerDlg.h"
#include "meter/MeterLink.h"
#include "monitor/RealTimeController.h"
#include "monitor/RecordingIndicators.h"
#include "monitor/widgets/CDialog1.h"
#include "monitor/widgets/CExportCommand.h"
#include "monitor/widgets/CRealTimeSetup.h"
#include "monitor/widgets/MainForm.h"
#include "monitor/widgets/MeterPanel.h"

#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

class CMeterButton;
class CNoiseIndicatorPanel;
class CStaticCursor;
class CTimeButtom;
class CTrafficButton;
class IClock;
class IDialogSeam;
class QScrollBar;

// The main view: the form of the main window with the meter panel on its
// left. It is the hub of the program: it owns the meter link (serial control,
// decoder, download, supervision, watchers), the real-time controller with its
// store, the graph owner, the panel and its keys, and answers the commands of
// the menu and toolbar. Everything it does itself is wiring: the controller
// listens to the link directly, the view only for the panel's redraws; the
// logic lives in the link and the controller, whose results it shows.
class CVexalogView final : public CMainForm,
                           public ICommandTarget,
                           private IMeterLinkListener,
                           private IStatisticsView,
                           private IRealTimeControlsView,
                           private IGraphOwnerView {
    Q_OBJECT

public:
    struct Options {
        // The port file (remembered port and per-number device overrides).
        std::string iniPath = CPortMap::kPortFile;
        // The tick count and calendar; the system clock when null.
        const IClock* clock = nullptr;
        CMeterLink::Timing timing;
    };
    // Asks for a port number, starting from the current one; nothing on Cancel.
    using PortQuestion = std::function<std::optional<int>(int current)>;

    explicit CVexalogView(IDialogSeam& dialogs, QWidget* parent = nullptr);
    CVexalogView(IDialogSeam& dialogs, const Options& options, QWidget* parent = nullptr);
    // Writes the port number back to the port file unless closing did.
    ~CVexalogView() override;

    // A port chosen on the command line: the first layout opens it instead of
    // the remembered one.
    void SetStartupPort(int port) { m_startupPort = port; }
    // The first layout: the rate box, the scroll bars, the keys, then the
    // port. Runs once, when the view is first shown or when called.
    void OnInitialUpdate();
    // The "Other" port dialog; tests answer it themselves.
    void SetPortQuestion(PortQuestion question) { m_askPort = std::move(question); }

    // ICommandTarget
    bool HandlesCommand(int id) const override;
    bool IsCommandEnabled(int id) const override;
    bool IsCommandMarked(int id) const override;
    void OnCommand(int id) override;
    // Unsaved readings ask first: save, discard or stay. Then the port number
    // is written back to the port file, and a failure said.
    bool QueryClose() override;
    // The port items name the device of their number and whether it is present.
    std::string LivePrompt(int id) const override;

    CMeterLink& MeterLink() { return m_link; }
    const CMeterLink& MeterLink() const { return m_link; }
    CRealTimeController& Controller() { return m_controller; }
    const CRealTimeController& Controller() const { return m_controller; }
    // The owner side of the real-time graph: readouts and scroll bars.
    CGraphOwnerModel& GraphOwner() { return m_graphOwner; }
    const CGraphOwnerModel& GraphOwner() const { return m_graphOwner; }
    CMeterPanel& Panel() { return m_panel; }
    CTrafficButton* Graph() const { return m_graph; }
    CTimeButtom* TimeStrip() const { return m_timeStrip; }
    const std::vector<CMeterButton*>& Keys() const { return m_keys; }
    CMeterButton* Key(int id) const;
    // The DataLogger window while there is one, and the download's wait dialog.
    CDataLoggerDlg* DataLoggerWindow() const { return m_dataLogger; }
    CDialog1* WaitDialog() const { return m_waitDialog; }

    // View > Noise Indicators: the panel beside the form, for the whole run
    // and the readings between cursors A and B, following the recording as
    // it goes. The window grows by the panel's width while it is open (as
    // far as the screen has room) and gives it back when it closes; the form
    // keeps its size and place.
    void ShowNoiseIndicators(bool shown);
    bool NoiseIndicatorsShown() const;
    CNoiseIndicatorPanel* NoiseIndicatorPanel() const { return m_indicatorPanel; }
    const CRecordingIndicators& RecordingIndicators() const { return m_recordingIndicators; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // One command the view answers (ViewCommands.cpp): its id, its enable
    // rule (always enabled when null), its handler and its radio mark (none
    // when null).
    struct Command {
        int id = 0;
        bool (*enabled)(const CVexalogView& view, int id) = nullptr;
        void (*run)(CVexalogView& view, int id) = nullptr;
        bool (*marked)(const CVexalogView& view, int id) = nullptr;
    };
    static std::span<const Command> Commands();
    static const Command* FindCommand(int id);

    // IMeterLinkListener
    void PanelChanged(PanelElement element) override;

    // IStatisticsView
    void ShowStatistics(const RealTimeStatisticsTexts& texts) override;
    // IRealTimeControlsView
    void ShowSamplingRate(int index) override;
    // IGraphOwnerView
    void ShowReadouts(const GraphReadoutTexts& texts) override;
    void ShowHScrollBar(const HScrollBarState& bar) override;
    void ShowVScrollBar(const VScrollBarState& bar) override;
    void ShowTimeLabels(const std::string& left, const std::string& middle, const std::string& right) override;
    void ShowStatusMessage(const std::string& text) override;

    void InstallGraphControls();
    void ConnectControls();
    void ShowFieldText(int id, const std::string& text);
    void PlaceKeys();
    void OnOtherPort();
    void SaveAs();
    void OfferRecovery();
    bool SaveRememberedPort(bool sayFailure);
    bool SaveReadings(const DataSample* samples, int count, double rate);
    std::optional<int> AskPortWithDialog(int current);
    CDataLoggerDlg* ShowDataLoggerWindow();
    void DestroyDataLoggerWindow();
    void OnDataLogger();
    void OnDownloadFinished(const LoggerDownloadResult& result);
    void OnDownloadCancelled();
    // File > Report… of the recording, and Report… of the DataLogger window's set.
    void PrintRecordingReport();
    void PrintDataLoggerReport();
    // The Noise Indicators panel's texts, and its place beside the form.
    IndicatorPanelTexts IndicatorTexts() const;
    void PlaceIndicatorPanel();

    IDialogSeam& m_dialogs;
    std::unique_ptr<IClock> m_systemClock;
    const IClock& m_clock;
    std::string m_iniPath;
    CMeterPanel m_panel;
    // Children of the form, which owns them.
    CTrafficButton* m_graph;
    CTimeButtom* m_timeStrip = nullptr;
    CRealTimeSetupRunner m_setupRunner;
    CMeterLink m_link;
    // The recovery journal of the readings, in the port file's folder.
    CRecordingJournal m_journal;
    CRealTimeController m_controller;
    CGraphOwnerModel m_graphOwner;
    std::vector<CMeterButton*> m_keys;
    CExportCommand m_export;
    PortQuestion m_askPort;
    int m_startupPort = 0;
    bool m_initialUpdateDone = false;
    bool m_portSaved = false;
    // The run's noise indicators, one reading added as each is recorded.
    CRecordingIndicators m_recordingIndicators;
    CNoiseIndicatorPanel* m_indicatorPanel = nullptr; // a child, made when first shown
    int m_formWidth = 0;                              // the form's least width, left of the panel
    int m_indicatorWidening = 0;                      // what the window grew by for the panel
    // Where the recording was last saved, for the report's digest.
    std::string m_savedPath;
    // A window of its own (no parent), destroyed with the view.
    QPointer<CDataLoggerDlg> m_dataLogger;
    QPointer<CDialog1> m_waitDialog;
};
