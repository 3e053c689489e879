// TCP connections for the live preview. The server listens and reads without
// ever blocking; the editing client connects and sends. Sockets are numbered
// handles; -1 is none. The POSIX backend is the default; tests put a fake in
// its place to feed the server bytes without a network.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using SocketId = int64_t;

// The system's code and message for a failed call.
struct SocketFailure {
  int Code = 0;
  std::string Text;
};

// Sockets to sleep on: one in Readable ends the sleep when it has something
// to read or a connection to accept, one in Writable when it can take bytes
// (or, while connecting, when its connection is made or has failed).
struct SocketWatch {
  std::vector<SocketId> Readable, Writable;
  bool Empty() const { return Readable.empty() && Writable.empty(); }
};

// How a connection begun without waiting stands.
enum class ConnectOutcome {
  Connected,  // made: the socket sends and receives
  Pending,    // still under way
  Failed,     // refused, unreachable, or no answer: failure says why
};

enum class ReceiveOutcome {
  Data,    // some bytes arrived
  NoData,  // nothing there yet
  Closed,  // the peer has closed the connection
  Failed,  // an error; the connection is of no further use
};

class SocketBackend {
 public:
  virtual ~SocketBackend() = default;
  // Listens on a TCP port on all local addresses, non-blocking, reusing an
  // address left in TIME_WAIT. -1 with the failure when the port cannot be had.
  virtual SocketId Listen(int port, int backlog, SocketFailure& failure) = 0;
  // A connection waiting on the listener, made non-blocking. -1 when none is
  // waiting (failure.Code stays 0) or when one cannot be taken, as when the
  // process has no descriptors left (failure says why).
  virtual SocketId Accept(SocketId listener, SocketFailure& failure) = 0;
  // Takes up to size bytes that the connection holds now, without waiting.
  virtual ReceiveOutcome Receive(SocketId connection, uint8_t* buffer, size_t size, size_t& received,
                                 SocketFailure& failure) = 0;
  // Connects to host:port, waiting for the answer; the connection is then
  // non-blocking like an accepted one. -1 with the failure.
  virtual SocketId Connect(const std::string& host, int port, SocketFailure& failure) = 0;
  // Sends every byte, waiting while the connection is full. False with the
  // failure once the peer has gone; never raises a signal.
  virtual bool Send(SocketId connection, const uint8_t* data, size_t size, SocketFailure& failure) = 0;
  virtual void Close(SocketId socket) = 0;
  // Sleeps until one of the sockets has something to read or accept, or
  // until milliseconds have passed.
  virtual void Wait(const std::vector<SocketId>& sockets, int milliseconds) = 0;

  // The sync server's needs, with what a backend without them does.
  //
  // Listens as Listen does, on one local address ("127.0.0.1"; "0.0.0.0"
  // for every IPv4 address); port 0 takes a free port (BoundPort says which).
  virtual SocketId ListenOn(const std::string& address, int port, int backlog, SocketFailure& failure) {
    if (address == "0.0.0.0") return Listen(port, backlog, failure);
    failure = SocketFailure{-1, "listening on one address is not supported here"};
    return -1;
  }
  // The local port a socket is bound to; -1 where it cannot be had.
  virtual int BoundPort(SocketId) { return -1; }
  // Sends what the connection takes now, without waiting: sent says how
  // many bytes went (0 while it is full). False with the failure once the
  // peer has gone; never raises a signal.
  virtual bool SendSome(SocketId connection, const uint8_t* data, size_t size, size_t& sent, SocketFailure& failure) {
    sent = size;
    return Send(connection, data, size, failure);
  }
  // Sleeps until one of readable has something to read or accept, one of
  // writable can take bytes, or milliseconds have passed.
  virtual void WaitFor(const std::vector<SocketId>& readable, const std::vector<SocketId>& writable,
                       int milliseconds) {
    Wait(readable, writable.empty() ? milliseconds : 0);
  }

  // Connecting without waiting, for a program that must go on while a host
  // is slow to answer or never does. Begins connecting to one of the host's
  // addresses: the host is a numeric address or a name (a name is looked up
  // first, which waits on the system's resolver). The addresses before
  // `address` (counted from 0, in the resolver's order) are passed over, as
  // is any that fails at once; on return `address` is the one being
  // connected. The socket is non-blocking, and FinishConnect tells when its
  // connection is made. -1 with the failure where no address is left. A
  // backend without it connects while waiting.
  virtual SocketId BeginConnect(const std::string& host, int port, int& address, SocketFailure& failure) {
    if (address > 0) {
      failure = SocketFailure{-1, "no other address to try"};
      return -1;
    }
    return Connect(host, port, failure);
  }
  // How the connection begun stands, without waiting. On Failed the socket
  // is of no further use (the caller closes it); the next address may be
  // tried with BeginConnect.
  virtual ConnectOutcome FinishConnect(SocketId, SocketFailure&) { return ConnectOutcome::Connected; }

  // Two connected sockets of the process's own, so that one thread can
  // wake another sleeping in WaitFor: a byte sent on writer makes reader
  // readable. Both non-blocking. False with the failure where there can be
  // none.
  virtual bool WakePair(SocketId& reader, SocketId& writer, SocketFailure& failure) {
    reader = writer = -1;
    failure = SocketFailure{-1, "waking a wait is not supported here"};
    return false;
  }

 protected:
  // Connect for a backend that begins connections without waiting: each of
  // the host's addresses in turn through BeginConnect, waiting for its
  // answer; the last failure is the one said.
  SocketId ConnectWaiting(const std::string& host, int port, SocketFailure& failure) {
    SocketFailure last;
    for (int address = 0;; ++address) {
      SocketFailure begun;
      const SocketId socket = BeginConnect(host, port, address, begun);
      if (socket < 0) {
        failure = address > 0 && begun.Code == -1 ? last : begun;
        return -1;
      }
      ConnectOutcome outcome;
      while ((outcome = FinishConnect(socket, last)) == ConnectOutcome::Pending) WaitFor({}, {socket}, 1000);
      if (outcome == ConnectOutcome::Connected) return socket;
      Close(socket);
    }
  }
};

SocketBackend& CurrentSocketBackend();
// nullptr restores the POSIX backend.
void SetSocketBackend(SocketBackend* backend);
