#pragma once

#include "graph/GraphOwnerModel.h"
#include "logger/DataLoggerModel.h"
#include "logger/IndicatorPanelText.h"
#include "logger/widgets/CDataLoggerButton.h"

#include <QDialog>
#include <QFont>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

class CDataLoggerForm;
class CNoiseIndicatorPanel;
class CTimeButtom;
class IClock;
class IDialogSeam;
class QAction;
class QHBoxLayout;
class QMenuBar;
class QScrollArea;

// The "DataLogger" window (template 168, menu 169): the list of downloaded or
// imported record sets, the set opened by a double click in its graph with
// its statistics and title, the graph's scroll bars and readouts, and the
// commands Import Data, Save Data and Print Data. A thin widget: the list,
// the statistics and the files are CDataLoggerModel's, the readouts and
// scroll bars the graph-owner model's, the graph CDataLoggerButton's. It is
// modeless; the main view owns it and destroys it when it is closed.
class CDataLoggerDlg final : public QDialog, private IGraphOwnerView {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 168;
    static constexpr int kMenuId = 169;
    static constexpr int kImportDataId = 32785;
    static constexpr int kSaveDataId = 32791;
    static constexpr int kPrintDataId = 32795;
    static constexpr int kReportId = 32801;
    static constexpr int kNoiseIndicatorsId = 32803;

    // face: the template's font ("MS Shell Dlg" 8), which the program chooses.
    CDataLoggerDlg(IDialogSeam& dialogs, const IClock& clock, const QFont& face = QFont(),
                   QWidget* parent = nullptr);
    ~CDataLoggerDlg() override;

    // Before a download: the graph emptied, the fields at their start and the
    // current time as the title; the list stays.
    void ResetWindow();
    // A finished download: table entries 1 .. sets.size() - 1 describe sets in bytes.
    void LoadRecordSets(const std::vector<std::uint8_t>& bytes, const std::vector<LoggerRecordSet>& sets);

    // The window's commands.
    void ImportData();
    void SaveData();
    // Print Data: the graph of the set last opened, on one page, to the
    // printer chosen in the print dialog or to the printer or PDF file named.
    // Does nothing while the command is disabled.
    void PrintData(const std::optional<std::string>& printer = std::nullopt);
    // Print Data is enabled while a set is opened and its graph fits the dB
    // window as far as the graph last drew it.
    bool CanPrintData() const;
    // A double click on row (-1: no row).
    void OpenRow(int row);

    const CDataLoggerModel& Model() const { return m_model; }
    // The list row of the set opened last, -1 for none.
    int OpenedRow() const { return m_model.OpenedSamples().empty() ? -1 : m_openedRow; }
    CGraphOwnerModel& GraphOwner() { return m_graphOwner; }
    CDataLoggerButton* Graph() const { return m_graph; }
    CTimeButtom* TimeStrip() const { return m_timeStrip; }
    CDataLoggerForm* Form() const { return m_form; }
    // The action of a command of the menu bar or of its View menu.
    QAction* Command(int id) const;
    QScrollArea* ScrollArea() const { return m_scroll; }
    // The window with the whole form showing: menu bar and form, and the
    // Noise Indicators panel beside the form while it is open.
    QSize NaturalSize() const;

    // View > Noise Indicators: the panel beside the form, for the set opened
    // and the samples between cursors A and B; the window grows by its width
    // while it is open (as far as the screen has room) and gives it back when
    // it closes. The form keeps its size.
    void ShowNoiseIndicators(bool shown);
    bool NoiseIndicatorsShown() const;
    CNoiseIndicatorPanel* NoiseIndicatorPanel() const { return m_indicatorPanel; }
    // Places the window inside an available screen area (before it is shown).
    void PlaceInside(const QRect& available);
    // What the graph last said about a sample it left out, empty when nothing.

signals:
    // The graph left a sample out: for the program's status line.
    void StatusMessage(const QString& text);
    // The user closed the window: its owner destroys it.
    void Closed();
    // Report… for the set opened (OpenedRow): the view above prints it.
    void ReportRequested();

public slots:
    // Escape closes the window as its close box does.
    void reject() override { close(); }

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // IGraphOwnerView
    void ShowReadouts(const GraphReadoutTexts& texts) override;
    void ShowHScrollBar(const HScrollBarState& bar) override;
    void ShowVScrollBar(const VScrollBarState& bar) override;
    void ShowTimeLabels(const std::string& left, const std::string& middle, const std::string& right) override;
    void ShowStatusMessage(const std::string& text) override;

    void BuildMenu();
    void InstallGraphControls();
    void ConnectControls();
    void ShowList();
    void ShowFields();
    void ShowText(int id, const std::string& text);
    void UpdatePrintCommand();
    // The set opened changed (opened, let go, replaced): the panel shows it anew.
    void OpenedSetChanged();
    IndicatorPanelTexts IndicatorTexts();

    IDialogSeam& m_dialogs;
    CDataLoggerModel m_model;
    CDataLoggerFeed m_feed;
    CGraphOwnerModel m_graphOwner;
    QMenuBar* m_menu = nullptr;
    QScrollArea* m_scroll = nullptr;
    // The form beside the Noise Indicators panel (made when first shown).
    QHBoxLayout* m_body = nullptr;
    CNoiseIndicatorPanel* m_indicatorPanel = nullptr;
    int m_indicatorWidening = 0; // what the window grew by for the panel
    // The indicators of the set opened, worked out when the panel first needs them.
    std::vector<NoiseIndicators> m_openedIndicators;
    bool m_openedIndicatorsStale = true;
    CDataLoggerForm* m_form = nullptr;
    // Children of the form, which owns them.
    CDataLoggerButton* m_graph = nullptr;
    CTimeButtom* m_timeStrip = nullptr;
    bool m_placed = false;
    int m_openedRow = -1;
    int m_listShown = -1; // the model's rows version the list shows
};
