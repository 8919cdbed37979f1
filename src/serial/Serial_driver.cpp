#include "serial/Serial_driver.h"

#include <algorithm>
#include <cerrno>

namespace Serial_driver {
namespace {

bool ReplyComplete(const std::string& reply, std::uint32_t expectedLength) {
    if (expectedLength == 0) {
        return reply.find('\r') != std::string::npos;
    }
    return reply.size() >= expectedLength;
}

// Reads whatever the port reports as queued, and only that: bytes that arrive
// later belong to the next exchange. Never more than the reply's bound.
// Returns 0 or a negative status.
int ReadQueued(SerialPort& port, std::string& reply) {
    const int waiting = port.BytesWaiting();
    if (waiting <= 0) {
        return waiting;
    }
    const std::size_t room = MaxReplyBytes - std::min(reply.size(), MaxReplyBytes);
    if (room == 0) {
        return 0;
    }
    const int got = port.Read(std::min(static_cast<std::size_t>(waiting), room), reply);
    return got < 0 ? got : 0;
}

// Reads and discards the rest of an over-long line: until a CR has passed, the
// line is quiet, the port fails, or the byte or time bound is reached. Bytes
// read past the CR go too: nothing has been asked yet, so they answer nothing.
void DropRestOfLine(SerialPort& port) {
    const std::int64_t start = port.NowMs();
    std::size_t dropped = 0;
    std::string chunk;
    while (dropped < MaxDropBytes) {
        const std::int64_t left = MaxDropMs - (port.NowMs() - start);
        const int waiting = port.BytesWaiting();
        if (waiting < 0 || left <= 0)
            return;
        if (waiting == 0) {
            const int wait = static_cast<int>(std::min<std::int64_t>(DropQuietMs, left));
            if (port.WaitReadable(wait) != WaitResult::Readable)
                return;
            continue;
        }
        chunk.clear();
        const std::size_t want =
            std::min(static_cast<std::size_t>(waiting), MaxDropBytes - dropped);
        if (port.Read(std::min<std::size_t>(want, 4096), chunk) <= 0)
            return;
        dropped += chunk.size();
        if (chunk.find('\r') != std::string::npos)
            return;
    }
}

// The exchange itself. Instead of polling the queue without pause, it sleeps in
// WaitReadable until bytes come or the deadline passes, and ends at once when the
// port is gone, rather than spinning to the time-out on a dead port.
int SerialTransfer(SerialPort* port, std::string_view command, std::uint32_t expectedLength,
                   std::string& reply) {
    if (port == nullptr) {
        return StatusNoPort;
    }
    if (!command.empty()) {
        const int written = port->Write(command);
        if (written < 0) {
            return written;
        }
    }
    reply.clear();
    const std::int64_t start = port->NowMs();
    for (;;) {
        if (const int status = ReadQueued(*port, reply); status < 0) {
            return status;
        }
        if (ReplyComplete(reply, expectedLength)) {
            return StatusOk;
        }
        if (reply.size() >= MaxReplyBytes) {
            DropRestOfLine(*port);
            return StatusTimeout;
        }
        const std::int64_t elapsed = port->NowMs() - start;
        if (elapsed > ReplyTimeout) {
            return StatusTimeout;
        }
        // Wake at the first millisecond past the time-out, so the last pass
        // still sees bytes that came in just before it.
        const int remaining =
            static_cast<int>(std::max<std::int64_t>(1, ReplyTimeout + 1 - elapsed));
        if (port->WaitReadable(remaining) == WaitResult::HungUp) {
            // A hang-up can be reported while bytes are still queued: keep them,
            // and accept a reply they complete.
            if (const int status = ReadQueued(*port, reply); status < 0) {
                return status;
            }
            return ReplyComplete(reply, expectedLength) ? StatusOk : -EIO;
        }
    }
}

} // namespace

int InterfaceCommand(SerialPort* port, std::string_view command, std::uint32_t expectedLength,
                     std::string& reply) {
    return SerialTransfer(port, command, expectedLength, reply);
}

} // namespace Serial_driver
