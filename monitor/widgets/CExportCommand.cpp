#include "monitor/widgets/CExportCommand.h"

#include "common/DialogSeam.h"
#include "logger/DataFile.h"
#include "logger/ExportWorker.h"

#include <QProgressDialog>
#include <QWidget>

#include <algorithm>
#include <filesystem>
#include <vector>

CExportCommand::CExportCommand(IDialogSeam& dialogs, QWidget* owner)
    : m_dialogs(dialogs)
    , m_owner(owner)
{
    m_poll.setInterval(kPollMs);
    connect(&m_poll, &QTimer::timeout, this, &CExportCommand::Poll);
}

CExportCommand::~CExportCommand()
{
    m_poll.stop();
    delete m_progress.data();
    m_worker.reset(); // joins the thread
}

void CExportCommand::Run(const DataSample* samples, int count)
{
    if (m_worker) {
        ShowMessage(m_dialogs, "Export Data is still writing \"" + m_worker->Path() + "\".", MsgIcon::Information);
        return;
    }
    // The readings as they are now: recording, Clean and Run may change the
    // store while the worker writes.
    std::vector<DataSample> readings;
    if (samples != nullptr && count > 0)
        readings.assign(samples, samples + count);
    const std::optional<std::string> path = m_dialogs.SaveFileName(ExportDialogRequest());
    if (!path)
        return;
    // The file is added to, not replaced: the question says so.
    std::error_code error;
    if (std::filesystem::exists(*path, error) && !AskOkCancel(m_dialogs, ExportOverwriteQuestion(*path)))
        return;
    m_count = static_cast<int>(readings.size());
    m_worker = std::make_unique<CExportWorker>(*path, std::move(readings));
    m_worker->Start();
    m_started.start();
    if (m_progressDelay <= 0)
        ShowProgress();
    m_poll.start();
}

void CExportCommand::Poll()
{
    if (!m_worker) {
        m_poll.stop();
        return;
    }
    if (m_worker->Finished()) {
        Finish();
        return;
    }
    if (!m_progress && m_started.elapsed() >= m_progressDelay)
        ShowProgress();
    if (m_progress) {
        m_progress->setMaximum(m_worker->Progress().total.load());
        m_progress->setValue(m_worker->Progress().Done());
    }
}

void CExportCommand::ShowProgress()
{
    auto* progress = new QProgressDialog(m_owner);
    progress->setWindowTitle(QStringLiteral("LX47"));
    progress->setLabelText(QStringLiteral("Exporting the readings to %1 ...")
                               .arg(QString::fromStdString(m_worker->Path())));
    // Cancel stops the export wherever it is before the file is written; the
    // file is written whole or not at all.
    progress->setCancelButtonText(QStringLiteral("Cancel"));
    connect(progress, &QProgressDialog::canceled, this, [this] {
        if (!m_worker)
            return;
        m_worker->Cancel();
        if (m_progress) {
            m_progress->setLabelText(QStringLiteral("Cancelling the export ..."));
            m_progress->setCancelButton(nullptr);
        }
    });
    progress->setWindowModality(Qt::NonModal);
    progress->setAutoClose(false);
    progress->setAutoReset(false);
    progress->setMinimumDuration(0);
    progress->setRange(0, std::max(1, m_worker->Progress().total.load()));
    progress->setValue(m_worker->Progress().Done());
    progress->show();
    m_progress = progress;
}

void CExportCommand::Finish()
{
    m_poll.stop();
    delete m_progress.data();
    const ExportResult result = m_worker->Result();
    const std::string path = m_worker->Path();
    m_worker.reset();
    ShowMessage(m_dialogs, result.message, result.ok || result.cancelled ? MsgIcon::Information : MsgIcon::Warning);
    if (result.ok)
        emit Written(QString::fromStdString(WrittenReadingsText("Exported", m_count, path)));
}
