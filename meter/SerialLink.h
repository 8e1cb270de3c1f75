#pragma once

#include <chrono>
#include <string>

class CReadingDecoder;
class IClock;
class IDialogSeam;
class IMeterLinkListener;
class IPortProbe;
class ISerialControl;

// What the link needs from its owner to supervise the port: timer 9 and the
// port watchers.
class ILinkSupervisor {
public:
    virtual ~ILinkSupervisor() = default;
    // Timer 9: call CSerialLink::OnSupervisionTick every ms milliseconds.
    virtual void StartSupervisionTimer(int ms) = 0;
    virtual void StopSupervisionTimer() = 0;
    // Starts a port watcher for port; false when its thread cannot be created.
    virtual bool StartWatcher(int port) = 0;
};

// The link's periods; tests shorten them.
struct LinkTiming {
    int supervisionPeriodMs = 1000; // timer 9
    // This much silence is a lost link, measured on the millisecond tick
    // count: whole seconds of the calendar clock would count a little over
    // one second as two, and a clock set back would never count at all.
    std::chrono::milliseconds silence{2000};
};

// The serial link: chooses, opens and supervises the COM port. Two or more
// seconds without data count as a lost link: the listeners hear LinkLost (the
// recorder stops), the port is closed and a watcher waits for the port to
// come back (OnPortAvailable). The listeners also hear PortOpened and the
// meter face's redraw.
class CSerialLink {
public:
    static constexpr int kPortMarks = 5; // Com1..Com5
    static constexpr const char* kSettings = "9600,n,8,1";
    static constexpr const char* kProfileSection = "Port Record";
    static constexpr const char* kProfileKey = "Port";

    CSerialLink(ISerialControl& control, IPortProbe& probe, IDialogSeam& dialogs, const IClock& clock,
                CReadingDecoder& decoder, IMeterLinkListener& listener, ILinkSupervisor& supervisor,
                LinkTiming timing = {});

    CSerialLink(const CSerialLink&) = delete;
    CSerialLink& operator=(const CSerialLink&) = delete;

    // The one routine every port choice goes through. True when the port is
    // open afterwards.
    bool OpenPort(int port);

    // The menu's Com1..Com5 (index 1..5).
    void OnComPort(int index);
    // The menu's Other after the port dialog was confirmed with port.
    void OnOtherPort(int port);
    // A port watcher found the port again (a queued call); returns 1.
    long OnPortAvailable();
    // Timer 9.
    void OnSupervisionTick();

    // At the view's first layout: the port remembered in iniPath, if any, is
    // chosen and opened.
    void LoadRememberedPort(const std::string& iniPath);
    // A port chosen as the remembered one is (the command line's): it becomes
    // the port number, its item among Com1..Com5 is marked, and it is opened.
    void ChoosePort(int port);
    // When the view goes: the port number is remembered (unless none). False
    // when the file could not be written.
    bool SaveRememberedPort(const std::string& iniPath) const;

    int PortNumber() const { return m_port; }
    // Radio mark of menu item Com1..Com5 (index 1..5).
    bool PortMark(int index) const;
    bool SupervisionArmed() const { return m_supervisionArmed; }
    bool PortOpen() const;

private:
    void ClearMarks();
    void MarkPort(int port);

    ISerialControl& m_control;
    IPortProbe& m_probe;
    IDialogSeam& m_dialogs;
    const IClock& m_clock;
    CReadingDecoder& m_decoder;
    IMeterLinkListener& m_listener;
    ILinkSupervisor& m_supervisor;
    LinkTiming m_timing;

    int m_port = 0;
    bool m_marks[kPortMarks] = {};
    bool m_supervisionArmed = false;
};
