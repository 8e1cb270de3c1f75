#include "meter/CMscomm.h"

#include "meter/PortMap.h"

#include <QMetaObject>

#include <charconv>

#ifndef _WIN32
#include <poll.h>
#endif

namespace {

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    return text;
}

} // namespace

std::optional<CommSettings> CommSettings::Parse(const std::string& text)
{
    std::string_view fields[4];
    std::string_view rest = text;
    for (int i = 0; i < 4; ++i) {
        const auto comma = rest.find(',');
        if ((comma == std::string_view::npos) != (i == 3))
            return std::nullopt;
        fields[i] = Trimmed(rest.substr(0, comma));
        rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    }

    CommSettings settings;
    qint32 baud = 0;
    const auto [end, error] = std::from_chars(fields[0].data(), fields[0].data() + fields[0].size(), baud);
    if (error != std::errc() || end != fields[0].data() + fields[0].size() || baud <= 0)
        return std::nullopt;
    settings.baudRate = baud;

    if (fields[1].size() != 1)
        return std::nullopt;
    switch (fields[1].front()) {
    case 'n': case 'N': settings.parity = QSerialPort::NoParity; break;
    case 'e': case 'E': settings.parity = QSerialPort::EvenParity; break;
    case 'o': case 'O': settings.parity = QSerialPort::OddParity; break;
    case 'm': case 'M': settings.parity = QSerialPort::MarkParity; break;
    case 's': case 'S': settings.parity = QSerialPort::SpaceParity; break;
    default: return std::nullopt;
    }

    if (fields[2] == "5") settings.dataBits = QSerialPort::Data5;
    else if (fields[2] == "6") settings.dataBits = QSerialPort::Data6;
    else if (fields[2] == "7") settings.dataBits = QSerialPort::Data7;
    else if (fields[2] == "8") settings.dataBits = QSerialPort::Data8;
    else return std::nullopt;

    if (fields[3] == "1") settings.stopBits = QSerialPort::OneStop;
    else if (fields[3] == "1.5") settings.stopBits = QSerialPort::OneAndHalfStop;
    else if (fields[3] == "2") settings.stopBits = QSerialPort::TwoStop;
    else return std::nullopt;
    return settings;
}

CMscomm::CMscomm(const CPortMap& map, QObject* parent) : QObject(parent), m_map(map)
{
    connect(&m_port, &QSerialPort::readyRead, this, &CMscomm::HandleReadyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &CMscomm::HandleError);
}

CMscomm::~CMscomm()
{
    m_port.close();
}

bool CMscomm::SetPortOpen(bool open)
{
    if (!open) {
        m_port.close();
        m_open = false;
        m_lost = false;
        m_device.clear();
        return true;
    }
    if (m_open)
        return true;

    const std::string device = m_map.DevicePath(m_commPort);
    if (device.empty()) {
        m_lastOpenError = "No device for port " + std::to_string(m_commPort) + ".";
        return false;
    }
    m_port.setPortName(QString::fromStdString(device));
    ApplySettings();
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_lastOpenError = device + ": " + m_port.errorString().toStdString();
        m_port.clearError();
        return false;
    }
    // Settings given before opening take effect now.
    ApplySettings();
    // Blocks that waited in the device's queue before the port was opened are
    // stale: decoded now they would be recorded with the time they carry.
    m_port.clear(QSerialPort::Input);
    m_lastOpenError.clear();
    m_device = device;
    m_open = true;
    m_lost = false;
    return true;
}

bool CMscomm::SetSettings(const std::string& settings)
{
    const auto parsed = CommSettings::Parse(settings);
    if (!parsed)
        return false;
    m_settings = *parsed;
    if (m_port.isOpen())
        ApplySettings();
    return true;
}

void CMscomm::ApplySettings()
{
    m_port.setBaudRate(m_settings.baudRate);
    m_port.setParity(m_settings.parity);
    m_port.setDataBits(m_settings.dataBits);
    m_port.setStopBits(m_settings.stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
}

std::vector<std::uint8_t> CMscomm::Input()
{
    if (!m_port.isOpen())
        return {};
    const QByteArray bytes = m_inputLen > 0 ? m_port.read(m_inputLen) : m_port.readAll();
    return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

void CMscomm::Output(const std::vector<std::uint8_t>& bytes)
{
    // QSerialPort buffers the bytes and writes them from the event loop.
    if (!m_port.isOpen() || bytes.empty())
        return;
    m_port.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size()));
}

void CMscomm::HandleReadyRead()
{
    if (m_rThreshold <= 0 || m_port.bytesAvailable() < m_rThreshold)
        return;
    m_commEvent = kEventReceive;
    emit OnComm();
}

bool CMscomm::DeviceHungUp() const
{
#ifdef _WIN32
    return false;
#else
    // A terminal whose other end has gone reads as end of file, which
    // QSerialPort reports as a read error again and again rather than as the
    // loss of the device.
    if (!m_port.isOpen())
        return false;
    pollfd device{static_cast<int>(m_port.handle()), POLLIN, 0};
    return ::poll(&device, 1, 0) > 0 && (device.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#endif
}

void CMscomm::HandleError(QSerialPort::SerialPortError error)
{
    if (error == QSerialPort::NoError)
        return;
    const bool gone = error == QSerialPort::ResourceError ||
                      ((error == QSerialPort::ReadError || error == QSerialPort::WriteError) && DeviceHungUp());
    if (gone && m_open && !m_lost) {
        // The device went away. Close it once control is back in the event
        // loop (not inside QSerialPort's own notification), and stay quiet.
        m_lost = true;
        QMetaObject::invokeMethod(this, &CMscomm::DropDevice, Qt::QueuedConnection);
    }
}

void CMscomm::DropDevice()
{
    if (m_lost)
        m_port.close();
}
