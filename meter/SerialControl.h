#pragma once

#include <cstdint>
#include <string>
#include <vector>

// The serial control as the program uses it: its published properties under
// their own names. The link opens and closes the port through it, the decoder
// reads what arrived and the panel keys and the logger request write to it.
class ISerialControl {
public:
    static constexpr int kEventReceive = 2; // CommEvent: characters received

    virtual ~ISerialControl() = default;

    // The port number to open (the control's default property), 1..100.
    virtual void SetCommPort(int port) = 0;
    virtual int CommPort() const = 0;

    virtual bool PortOpen() const = 0;
    // true opens the port numbered by CommPort with the current settings,
    // false closes it. Returns whether that succeeded (closing always does).
    virtual bool SetPortOpen(bool open) = 0;

    // "9600,n,8,1": baud rate, parity (n, e, o, m, s), data bits, stop bits.
    // Returns false for a text it cannot use; the settings then stay as they were.
    virtual bool SetSettings(const std::string& settings) = 0;
    virtual void SetRThreshold(int threshold) = 0; // 1: an event as soon as a byte waits
    virtual void SetInputMode(int mode) = 0;       // 1: Input returns bytes, not text
    virtual void SetInputLen(int length) = 0;      // 0: Input returns everything waiting

    // The waiting bytes (up to InputLen, all with 0); reading removes them.
    virtual std::vector<std::uint8_t> Input() = 0;
    // Queues the bytes for sending and returns at once.
    virtual void Output(const std::vector<std::uint8_t>& bytes) = 0;

    // Why the last event was raised.
    virtual int CommEvent() const = 0;

    // Why the last open failed, for the message that reports it.
    virtual std::string LastOpenError() const = 0;
};
