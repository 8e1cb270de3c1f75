#pragma once

#include "common/DataSample.h"

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QProgressDialog>
#include <QTimer>

#include <memory>

class CExportWorker;
class IDialogSeam;
class QWidget;

// File > Export Data on the user-interface side: takes a copy of the
// readings, asks for the file through the dialog seam, hands both to a
// worker thread, shows a progress bar while a large export goes on and
// reports the outcome in a message box. Dialogs stay on this thread; the
// worker only writes the file.
class CExportCommand final : public QObject {
    Q_OBJECT

public:
    // owner: the window the progress bar belongs to.
    CExportCommand(IDialogSeam& dialogs, QWidget* owner);
    // Waits for an export still being written.
    ~CExportCommand() override;

    void Run(const DataSample* samples, int count);
    bool Busy() const { return m_worker != nullptr; }

    // The progress bar appears once an export has taken this long.
    void SetProgressDelay(int milliseconds) { m_progressDelay = milliseconds; }
    QProgressDialog* ProgressDialog() const { return m_progress; }

signals:
    // A workbook was written: "Exported 1,234 readings to street.xls", for the status bar.
    void Written(const QString& status);

public:
    static constexpr int kPollMs = 50;
    static constexpr int kDefaultProgressDelayMs = 500;

private:
    void Poll();
    void ShowProgress();
    void Finish();

    IDialogSeam& m_dialogs;
    QPointer<QWidget> m_owner;
    std::unique_ptr<CExportWorker> m_worker;
    QTimer m_poll;
    QElapsedTimer m_started;
    QPointer<QProgressDialog> m_progress;
    int m_progressDelay = kDefaultProgressDelayMs;
    int m_count = 0; // readings in the export going on
};
