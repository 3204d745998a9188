#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string_view>
#include <vector>

#include "dvrNetAddress.h"

// One TCP connection with time-limited reads of exact lengths and of CR LF terminated lines, and
// locked, time-limited writes. One reader thread at a time; other threads may send meanwhile.
// Results: a count of bytes (or characters plus one for lines), 0 for a time-out or an empty
// send, -1 for a failure. A peer that closes its end is a failure that ends the connection.
//
// close may come from any thread: it shuts the socket down at once, which wakes a reader or a
// sender waiting on it, and the descriptor itself is closed when the last operation using it has
// returned, so no other thread ever works on a reused descriptor number.
class dvrNetwork {
public:
    static constexpr int defaultTimeoutMilliseconds = 5000;
    // A receive gives up after this many reads that brought fewer bytes than were missing.
    static constexpr int maximumShortReads = 128;
    static constexpr int shortReadPauseMilliseconds = 5;

    // Takes an accepted socket: the connection is open.
    explicit dvrNetwork(int acceptedSocket);
    virtual ~dvrNetwork();
    dvrNetwork(const dvrNetwork&) = delete;
    dvrNetwork& operator=(const dvrNetwork&) = delete;

    // False when there is no socket; otherwise shuts the connection down and forgets it.
    virtual bool close();

    // Sends all bytes; waits at most the time-out for room each time the peer stops reading.
    // A failure or time-out closes the connection.
    int send(const void* bytes, std::size_t length);
    int sendText(std::string_view text);
    // Exactly length bytes: 0 when none arrive within the time-out, -1 on failure, after more
    // than maximumShortReads short reads, or when the rest stalls for longer than the time-out.
    int receive(void* buffer, std::size_t length);
    // One line ended by CR LF, at most maximum characters (the buffer holds maximum + 1): CR
    // followed by anything else drops both, LF alone is an ordinary character, a longer line is
    // cut and its rest read as the next line. Characters stored plus one, or -1.
    int readLine(char* buffer, int maximum);
    // Whatever has arrived, without waiting: the number of bytes taken (at most maximum), 0 when
    // nothing is there, -1 when the peer has closed or the connection failed (it is closed then).
    int receiveAvailable(void* buffer, std::size_t maximum);

    // Data (or the end of the stream) can be read within 1 ms.
    bool isReadable();
    bool isConnected() const { return open_.load(); }
    // The peer's numeric address (IPv4 dotted, IPv6 in its text form) and port.
    dvrNetAddress peerAddress();

    int getTimeout() const { return timeout_.load(); }
    void setTimeout(int milliseconds) { timeout_ = milliseconds; }

    // The socket, for waiting on it with poll next to other descriptors; -1 when closed. All
    // reads and writes go through this object.
    int pollHandle() const;

protected:
    // A connection without a socket, for connections that are opened later.
    dvrNetwork();
    // The opened socket of a client connection: the connection becomes open.
    void attachSocket(int socket);

private:
    class Use;

    // The socket for one operation, or -1 when the connection is not usable.
    int enterUse();
    void leaveUse();
    bool waitReadable(int socket, int timeoutMilliseconds);
    bool waitWritable(int socket, int timeoutMilliseconds);
    // Bytes from the read-ahead buffer, then from the socket without waiting: the count taken,
    // or -1 at the end of the stream or on a failure (nothing was taken then).
    long takeAvailable(int socket, std::uint8_t* out, std::size_t missing);

    std::recursive_mutex lineLock_;
    std::recursive_mutex receiveLock_;
    std::recursive_mutex sendLock_;

    mutable std::mutex stateLock_;
    int socket_ = -1;
    int users_ = 0;
    bool closePending_ = false;
    std::atomic<bool> open_{false};
    std::atomic<int> timeout_{defaultTimeoutMilliseconds};

    // Read-ahead, under the receive lock; readLine takes its bytes from here one at a time.
    std::vector<std::uint8_t> readAhead_;
    std::size_t readAheadBegin_ = 0;
    std::size_t readAheadEnd_ = 0;
    std::atomic<std::size_t> readAheadBytes_{0};
    bool peerEnded_ = false;
};
