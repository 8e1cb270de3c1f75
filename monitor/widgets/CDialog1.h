#pragma once

#include <QDialog>
#include <QString>

class QPushButton;

// The wait dialog of the data-logger download (resource 165): a borderless
// pop-up centred on the screen that paints "Accepting Data now!
// Waiting......." and, once the meter has announced its length, how many of
// the announced bytes have come. It only shows and forwards: it is opened
// without a local event loop (ShowWaiting), so the link keeps receiving while
// it is up, and its owner closes it with Finish when the download ends.
class CDialog1 final : public QDialog {
    Q_OBJECT

public:
    static constexpr int kResourceId = 165;
    static constexpr int kCancelId = 1048;
    static constexpr const char* kWaitingText = "Accepting Data now! Waiting.......";

    explicit CDialog1(QWidget* parent = nullptr);

    // Shows the dialog modally and returns at once.
    void ShowWaiting();
    // received of expected data bytes; expected 0 clears the line.
    void SetProgress(int received, int expected);
    const QString& ProgressText() const { return m_progress; }
    // The download ended: closes the dialog without counting as Cancel.
    void Finish();

    QPushButton* CancelButton() const { return m_cancel; }

signals:
    // Cancel, or Escape; the dialog closes itself afterwards.
    void CancelPressed();

public slots:
    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPushButton* m_cancel = nullptr;
    QString m_progress;
};
