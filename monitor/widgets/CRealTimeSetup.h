#pragma once

#include "monitor/RealTimeSetup.h"

#include <QDialog>

#include <cstdint>
#include <memory>

class IClock;
class IDialogSeam;
class QComboBox;
class QLineEdit;
class QPushButton;

// The Real-Time Setup dialog (template 166): how many readings a run records
// and the sampling interval, with the recording period they imply. "Start"
// hands the values back; the count must lie in 0..20000 for it to close.
class CRealTimeSetup : public QDialog {
    Q_OBJECT

public:
    CRealTimeSetup(IDialogSeam& dialogs, std::int64_t now, QWidget* parent = nullptr);

    void SetStart(int year, int month, int day, int hour, int minute, int second);
    void SetParameters(double interval, int count);
    void GetParameters(double& interval, int& count, int& choice) const;


protected:
    void showEvent(QShowEvent* event) override;

private:
    void CreateControls();
    void OnInitDialog();
    void OnSelectionChanged();
    void OnCountEdited();
    void OnStart();
    CRealTimeSetupLogic::CountCheck ReadFields();
    void ShowFields();

    IDialogSeam& m_dialogs;
    CRealTimeSetupLogic m_logic;
    bool m_initialised = false;

    QPushButton* m_start = nullptr;
    QPushButton* m_cancel = nullptr;
    QLineEdit* m_countEdit = nullptr;
    QComboBox* m_intervalList = nullptr;
    QLineEdit* m_fromEdit = nullptr;
    QLineEdit* m_toEdit = nullptr;
};

// The controller's view of the dialog: a fresh CRealTimeSetup for every Setup
// command, run modally over the main view.
class CRealTimeSetupRunner final : public IRealTimeSetupDialog {
public:
    CRealTimeSetupRunner(QWidget* parent, IDialogSeam& dialogs, const IClock& clock);
    ~CRealTimeSetupRunner() override;

    void SetStart(int year, int month, int day, int hour, int minute, int second) override;
    void SetParameters(double interval, int count) override;
    bool Run() override;
    void GetParameters(double& interval, int& count, int& choice) const override;

private:
    CRealTimeSetup& Dialog();

    QWidget* m_parent;
    IDialogSeam& m_dialogs;
    const IClock& m_clock;
    std::unique_ptr<CRealTimeSetup> m_dialog;
};
