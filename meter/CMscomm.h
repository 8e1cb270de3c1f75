#pragma once

#include "meter/SerialControl.h"

#include <QObject>
#include <QSerialPort>

#include <optional>
#include <string>

class CPortMap;

// The line settings of a Settings text such as "9600,n,8,1".
struct CommSettings {
    qint32 baudRate = 9600;
    QSerialPort::Parity parity = QSerialPort::NoParity;
    QSerialPort::DataBits dataBits = QSerialPort::Data8;
    QSerialPort::StopBits stopBits = QSerialPort::OneStop;

    static std::optional<CommSettings> Parse(const std::string& text);
};

// The serial control hosted by the main view (control 1000), over QSerialPort.
// It moves bytes only: OnComm is raised on the UI thread when bytes wait
// (CommEvent 2), Input hands them over, Output queues bytes without blocking.
// Opening the port empties the device's input queue.
//
// When the device vanishes while open (QSerialPort's resource error) the
// control closes the device quietly but still reports PortOpen true, as a
// serial control on Windows does: events stop, and the link supervision
// notices the silence, closes the port and starts a watcher.
class CMscomm final : public QObject, public ISerialControl {
    Q_OBJECT

public:
    explicit CMscomm(const CPortMap& map, QObject* parent = nullptr);
    ~CMscomm() override;

    void SetCommPort(int port) override { m_commPort = port; }
    int CommPort() const override { return m_commPort; }
    bool PortOpen() const override { return m_open; }
    bool SetPortOpen(bool open) override;
    bool SetSettings(const std::string& settings) override;
    void SetRThreshold(int threshold) override { m_rThreshold = threshold; }
    void SetInputMode(int mode) override { m_inputMode = mode; }
    void SetInputLen(int length) override { m_inputLen = length; }
    std::vector<std::uint8_t> Input() override;
    void Output(const std::vector<std::uint8_t>& bytes) override;
    int CommEvent() const override { return m_commEvent; }
    std::string LastOpenError() const override { return m_lastOpenError; }

    int InputMode() const { return m_inputMode; }
    // True once the open device has gone away (until the port is closed).
    bool DeviceLost() const { return m_lost; }
    // The device path of the open port, empty when closed.
    const std::string& DevicePath() const { return m_device; }

signals:
    // Bytes are waiting: the receive event, delivered on the UI thread.
    void OnComm();

private:
    void HandleReadyRead();
    void HandleError(QSerialPort::SerialPortError error);
    void ApplySettings();
    void DropDevice();
    bool DeviceHungUp() const;

    const CPortMap& m_map;
    QSerialPort m_port;
    CommSettings m_settings;
    int m_commPort = 1;
    int m_rThreshold = 0;
    int m_inputMode = 0;
    int m_inputLen = 0;
    int m_commEvent = 0;
    bool m_open = false;
    bool m_lost = false;
    std::string m_lastOpenError;
    std::string m_device;
};
