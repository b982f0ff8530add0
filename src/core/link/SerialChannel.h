#pragma once

#include <QString>
#include <cstddef>
#include <cstdint>

namespace kelm {

// Parity codes as the port settings store them: 0 none, 1 odd, 2 even, 3 mark;
// any other value (4 = space in the settings dialog) opens as none.
enum class Parity : std::uint8_t { None = 0, Odd = 1, Even = 2, Mark = 3 };

struct LineSettings {
    std::uint32_t BaudRate = 19200;
    std::uint8_t ParityCode = 2; // raw code; see Parity
};

// The byte channel under ModbusMaster. The real one is a POSIX serial port; tests use an
// in-memory channel wired to the simulator engine. Every call on a closed channel fails
// without side effects. Only 8 data bits and 1 stop bit exist.
class SerialChannel {
public:
    virtual ~SerialChannel() = default;
    // Opens the device exclusively and remembers its current line settings and timeouts.
    virtual bool Open(const QString& devicePath) = 0;
    // Why the last Open failed, in words for a person ("no such device", ...); empty after
    // a successful Open or when the channel cannot tell.
    virtual QString OpenError() const { return {}; }
    virtual bool IsOpen() const = 0;
    virtual bool ApplyLineSettings(const LineSettings& settings) = 0;
    // Read and write timeouts (the master asks for 10 ms).
    virtual bool ApplyTimeouts(std::uint32_t ms) = 0;
    // Put back what was saved at Open.
    virtual bool RestoreLineSettings() = 0;
    virtual bool RestoreTimeouts() = 0;
    // Drop pending input and output.
    virtual void Purge() = 0;
    // Returns the number of bytes written, -1 on error.
    virtual long Write(const std::uint8_t* data, std::size_t length) = 0;
    // Reads one byte, waiting at most timeoutMs. 1: byte read, 0: timed out, -1: error.
    virtual int ReadByte(std::uint8_t& byte, std::uint32_t timeoutMs) = 0;
    virtual void Close() = 0;
    // How much longer than the line's own reply window a reply may take after Write has
    // returned for a request of requestBytes (a network in between); 0 for a serial line.
    virtual std::uint32_t ReplyAllowanceMs(std::size_t /*requestBytes*/) const { return 0; }
    // What a person should know about the open line (a USB adapter's latency); often empty.
    virtual QString LineNote() const { return {}; }
    // The device went away while open (an unplugged USB adapter): no retry can reach it.
    virtual bool Removed() const { return false; }
};

} // namespace kelm
