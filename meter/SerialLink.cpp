#include "meter/SerialLink.h"

#include "common/Clock.h"
#include "common/DialogSeam.h"
#include "common/PrivateProfile.h"
#include "common/TimeText.h"
#include "meter/MeterLinkListener.h"
#include "meter/PortProbe.h"
#include "meter/ReadingDecoder.h"
#include "meter/SerialControl.h"

namespace {

constexpr const char* kInvalidPort = "Invalid port number.";
constexpr const char* kCannotOpen = "Can't open serial port, please check your line.";
constexpr const char* kNoThread = "Failed to create new thread!";
constexpr const char* kNoThreadCaption = "Warming";

} // namespace

CSerialLink::CSerialLink(ISerialControl& control, IPortProbe& probe, IDialogSeam& dialogs, const IClock& clock,
                         CReadingDecoder& decoder, IMeterLinkListener& listener, ILinkSupervisor& supervisor,
                         LinkTiming timing)
    : m_control(control), m_probe(probe), m_dialogs(dialogs), m_clock(clock), m_decoder(decoder),
      m_listener(listener), m_supervisor(supervisor), m_timing(timing)
{
}

bool CSerialLink::OpenPort(int port)
{
    if (m_control.PortOpen())
        m_control.SetPortOpen(false);

    std::string reason;
    if (!m_probe.Probe(port, &reason)) {
        ShowMessage(m_dialogs, reason.empty() ? std::string(kInvalidPort) : std::string(kInvalidPort) + "\n" + reason);
        ClearMarks();
        return false;
    }

    m_control.SetCommPort(port);
    if (m_control.PortOpen()) {
        ShowMessage(m_dialogs, kCannotOpen);
        return false;
    }

    // The probe can succeed and the opening still fail (the device went away
    // in between, or the line settings are refused): say so rather than
    // carry on with a closed port.
    if (!m_control.SetPortOpen(true)) {
        const std::string why = m_control.LastOpenError();
        ShowMessage(m_dialogs, why.empty() ? std::string(kCannotOpen) : std::string(kCannotOpen) + "\n" + why);
        return false;
    }
    m_control.SetSettings(kSettings);
    m_control.SetRThreshold(1);
    m_control.SetInputMode(1);
    m_control.SetInputLen(0);

    m_control.Input(); // whatever waited from before is stale

    if (m_supervisionArmed)
        m_supervisor.StopSupervisionTimer();
    m_supervisor.StartSupervisionTimer(m_timing.supervisionPeriodMs);
    m_supervisionArmed = true;

    m_decoder.ResetSync();
    m_listener.PortOpened();
    return true;
}

void CSerialLink::OnComPort(int index)
{
    if (index < 1 || index > kPortMarks)
        return;
    m_port = index;
    OpenPort(m_port);
    ClearMarks();
    m_marks[index - 1] = true;
}

void CSerialLink::OnOtherPort(int port)
{
    m_port = port;
    ClearMarks();
    OpenPort(m_port);
}

long CSerialLink::OnPortAvailable()
{
    MarkPort(m_port); // the other marks stay as they are
    OpenPort(m_port);
    return 1;
}

void CSerialLink::OnSupervisionTick()
{
    // Unsigned difference: right across the tick count's wrap at 2^32.
    const std::uint32_t quietMs = m_clock.TickCount() - m_decoder.LastReceiveTick();
    if (std::chrono::milliseconds(quietMs) < m_timing.silence)
        return;

    m_listener.LinkLost();
    m_decoder.ResetSync();
    m_decoder.SetConnected(false);
    m_listener.InvalidatePanel(PanelArea::MeterFace);

    if (!m_control.PortOpen())
        return;
    m_control.SetPortOpen(false);
    if (!m_supervisor.StartWatcher(m_port))
        m_dialogs.MessageBox(kNoThreadCaption, kNoThread, MsgButtons::Ok, MsgIcon::Warning);
}

void CSerialLink::LoadRememberedPort(const std::string& iniPath)
{
    const CPrivateProfile profile(iniPath);
    if (const auto problem = profile.Problem()) {
        ShowMessage(m_dialogs, "The port file \"" + iniPath + "\" is ignored: " + *problem + ".");
        return;
    }
    const auto text = profile.ReadString(kProfileSection, kProfileKey);
    if (!text)
        return;
    const int port = TextToInt(*text);
    if (port == 0)
        return;
    ChoosePort(port);
}

void CSerialLink::ChoosePort(int port)
{
    m_port = port;
    ClearMarks();
    MarkPort(port);
    OpenPort(m_port);
}

bool CSerialLink::SaveRememberedPort(const std::string& iniPath) const
{
    if (m_port == 0)
        return true;
    return CPrivateProfile(iniPath).WriteString(kProfileSection, kProfileKey, std::to_string(m_port));
}

bool CSerialLink::PortMark(int index) const
{
    return index >= 1 && index <= kPortMarks && m_marks[index - 1];
}

bool CSerialLink::PortOpen() const
{
    return m_control.PortOpen();
}

void CSerialLink::ClearMarks()
{
    for (bool& mark : m_marks)
        mark = false;
}

void CSerialLink::MarkPort(int port)
{
    if (port >= 1 && port <= kPortMarks)
        m_marks[port - 1] = true;
}
