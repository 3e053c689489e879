// TCP connections on Windows Sockets 2.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <string>

#include "platform/SocketBackend.h"
#include "platform/win32/Win32System.h"

namespace {
SocketFailure FailureFrom(int code) { return SocketFailure{code, SystemMessage(static_cast<unsigned long>(code))}; }

SocketFailure LastFailure() { return FailureFrom(WSAGetLastError()); }

bool MakeNonBlocking(SOCKET s) {
  u_long on = 1;
  return ioctlsocket(s, FIONBIO, &on) == 0;
}

// Windows Sockets is started once, before the first socket.
bool Started() {
  static const bool started = [] {
    WSADATA data;
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  return started;
}

SocketId IdOf(SOCKET s) { return s == INVALID_SOCKET ? -1 : static_cast<SocketId>(s); }
SOCKET SocketOf(SocketId id) { return static_cast<SOCKET>(id); }

// The TCP addresses of a host and port (passive: to listen on); nullptr
// with the failure where there are none. Freed with freeaddrinfo.
addrinfo* Resolve(const std::string& host, int port, bool passive, SocketFailure& failure) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  hints.ai_flags = passive ? AI_PASSIVE : 0;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  const int lookup = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
  if (lookup != 0) {
    failure = FailureFrom(lookup);
    return nullptr;
  }
  return found;
}

// A listening socket bound to the address, non-blocking. No SO_REUSEADDR:
// on Windows it would let a second program take the port from this one,
// and a port left in TIME_WAIT can be bound anyway.
SocketId ListenAt(const sockaddr* address, int length, int backlog, SocketFailure& failure) {
  const SOCKET s = socket(address->sa_family, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    failure = LastFailure();
    return -1;
  }
  if (bind(s, address, length) != 0 || listen(s, backlog) != 0 || !MakeNonBlocking(s)) {
    failure = LastFailure();
    closesocket(s);
    return -1;
  }
  return IdOf(s);
}

class Win32SocketBackend final : public SocketBackend {
 public:
  SocketId Listen(int port, int backlog, SocketFailure& failure) override {
    if (!Started()) {
      failure = LastFailure();
      return -1;
    }
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    return ListenAt(reinterpret_cast<sockaddr*>(&address), sizeof address, backlog, failure);
  }

  SocketId ListenOn(const std::string& address, int port, int backlog, SocketFailure& failure) override {
    if (!Started()) {
      failure = LastFailure();
      return -1;
    }
    addrinfo* found = Resolve(address, port, true, failure);
    if (found == nullptr) return -1;
    SocketId id = -1;
    for (addrinfo* a = found; a != nullptr && id < 0; a = a->ai_next)
      id = ListenAt(a->ai_addr, static_cast<int>(a->ai_addrlen), backlog, failure);
    freeaddrinfo(found);
    return id;
  }

  int BoundPort(SocketId socket) override {
    sockaddr_storage address{};
    int length = sizeof address;
    if (getsockname(SocketOf(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return -1;
  }

  bool SendSome(SocketId connection, const uint8_t* data, size_t size, size_t& sent, SocketFailure& failure) override {
    sent = 0;
    const int chunk = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
    for (;;) {
      const int n = send(SocketOf(connection), reinterpret_cast<const char*>(data), chunk, 0);
      if (n != SOCKET_ERROR) {
        sent = static_cast<size_t>(n);
        return true;
      }
      const int error = WSAGetLastError();
      if (error == WSAEINTR) continue;
      if (error == WSAEWOULDBLOCK) return true;
      failure = FailureFrom(error);
      return false;
    }
  }

  void WaitFor(const std::vector<SocketId>& readable, const std::vector<SocketId>& writable,
               int milliseconds) override {
    if (readable.empty() && writable.empty()) {
      Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds));
      return;
    }
    std::vector<WSAPOLLFD> polled;
    polled.reserve(readable.size() + writable.size());
    for (SocketId s : readable) polled.push_back(WSAPOLLFD{SocketOf(s), POLLRDNORM, 0});
    for (SocketId s : writable) polled.push_back(WSAPOLLFD{SocketOf(s), POLLWRNORM, 0});
    WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), milliseconds < 0 ? 0 : milliseconds);
  }

  SocketId Accept(SocketId listener, SocketFailure& failure) override {
    failure = SocketFailure{};
    for (;;) {
      const SOCKET s = accept(SocketOf(listener), nullptr, nullptr);
      if (s != INVALID_SOCKET) {
        // What a server sends is small and should leave at once, as a client's.
        const BOOL yes = TRUE;
        setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
        if (MakeNonBlocking(s)) return IdOf(s);
        closesocket(s);
        continue;
      }
      // A connection that was reset before it was taken is skipped.
      const int error = WSAGetLastError();
      if (error == WSAECONNRESET || error == WSAEINTR) continue;
      if (error != WSAEWOULDBLOCK) failure = FailureFrom(error);
      return -1;
    }
  }

  ReceiveOutcome Receive(SocketId connection, uint8_t* buffer, size_t size, size_t& received,
                         SocketFailure& failure) override {
    received = 0;
    const int want = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
    for (;;) {
      const int got = recv(SocketOf(connection), reinterpret_cast<char*>(buffer), want, 0);
      if (got > 0) {
        received = static_cast<size_t>(got);
        return ReceiveOutcome::Data;
      }
      if (got == 0) return size == 0 ? ReceiveOutcome::NoData : ReceiveOutcome::Closed;
      const int error = WSAGetLastError();
      if (error == WSAEINTR) continue;
      if (error == WSAEWOULDBLOCK) return ReceiveOutcome::NoData;
      failure = FailureFrom(error);
      return ReceiveOutcome::Failed;
    }
  }

  SocketId Connect(const std::string& host, int port, SocketFailure& failure) override {
    return ConnectWaiting(host, port, failure);
  }

  SocketId BeginConnect(const std::string& host, int port, int& address, SocketFailure& failure) override {
    if (!Started()) {
      failure = LastFailure();
      return -1;
    }
    addrinfo* found = Resolve(host, port, false, failure);
    if (found == nullptr) return -1;
    SOCKET s = INVALID_SOCKET;
    int index = 0;
    failure = SocketFailure{-1, "no other address to try"};
    for (addrinfo* a = found; a != nullptr && s == INVALID_SOCKET; a = a->ai_next, ++index) {
      if (index < address) continue;
      s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (s == INVALID_SOCKET) {
        failure = LastFailure();
        continue;
      }
      // Packets are small and each should leave at once.
      const BOOL yes = TRUE;
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
      if (MakeNonBlocking(s) &&
          (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0 || WSAGetLastError() == WSAEWOULDBLOCK)) {
        address = index;
        break;
      }
      failure = LastFailure();
      closesocket(s);
      s = INVALID_SOCKET;
    }
    freeaddrinfo(found);
    return IdOf(s);
  }

  // select rather than WSAPoll: WSAPoll on some Windows versions never
  // reports a connection that failed.
  ConnectOutcome FinishConnect(SocketId socket, SocketFailure& failure) override {
    fd_set writable, failed;
    FD_ZERO(&writable);
    FD_ZERO(&failed);
    FD_SET(SocketOf(socket), &writable);
    FD_SET(SocketOf(socket), &failed);
    timeval now{0, 0};
    if (select(0, nullptr, &writable, &failed, &now) <= 0) return ConnectOutcome::Pending;
    int error = 0;
    int length = sizeof error;
    if (getsockopt(SocketOf(socket), SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length) != 0)
      error = WSAGetLastError();
    if (error == 0 && FD_ISSET(SocketOf(socket), &failed)) error = WSAECONNREFUSED;
    if (error == 0) return ConnectOutcome::Connected;
    failure = FailureFrom(error);
    return ConnectOutcome::Failed;
  }

  // Windows has no socket pairs: a connection over the loopback address to
  // a listener of its own, which is closed once it has been taken.
  bool WakePair(SocketId& reader, SocketId& writer, SocketFailure& failure) override {
    reader = writer = -1;
    const SocketId listener = ListenOn("127.0.0.1", 0, 1, failure);
    if (listener < 0) return false;
    const int port = BoundPort(listener);
    SocketId outgoing = port > 0 ? Connect("127.0.0.1", port, failure) : -1;
    SocketId incoming = -1;
    for (int look = 0; outgoing >= 0 && incoming < 0 && look < 100; ++look) {
      incoming = Accept(listener, failure);
      if (incoming < 0 && failure.Code != 0) break;
      if (incoming < 0) WaitFor({listener}, {}, 50);
    }
    Close(listener);
    if (incoming < 0) {
      if (failure.Code == 0) failure = SocketFailure{-1, "the loopback connection was not taken"};
      Close(outgoing);
      return false;
    }
    reader = incoming;
    writer = outgoing;
    return true;
  }

  bool Send(SocketId connection, const uint8_t* data, size_t size, SocketFailure& failure) override {
    while (size > 0) {
      const int chunk = size > (1u << 30) ? (1 << 30) : static_cast<int>(size);
      const int sent = send(SocketOf(connection), reinterpret_cast<const char*>(data), chunk, 0);
      if (sent == SOCKET_ERROR) {
        const int error = WSAGetLastError();
        if (error == WSAEINTR) continue;
        if (error == WSAEWOULDBLOCK) {
          WSAPOLLFD p{SocketOf(connection), POLLOUT, 0};
          WSAPoll(&p, 1, 100);
          continue;
        }
        failure = FailureFrom(error);
        return false;
      }
      data += sent;
      size -= static_cast<size_t>(sent);
    }
    return true;
  }

  void Close(SocketId socket) override {
    if (socket >= 0) closesocket(SocketOf(socket));
  }

  void Wait(const std::vector<SocketId>& sockets, int milliseconds) override { WaitFor(sockets, {}, milliseconds); }
};

Win32SocketBackend Win32;
SocketBackend* Current = &Win32;
}  // namespace

SocketBackend& CurrentSocketBackend() { return *Current; }
void SetSocketBackend(SocketBackend* backend) { Current = backend != nullptr ? backend : &Win32; }
