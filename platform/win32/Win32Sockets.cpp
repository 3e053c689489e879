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

class Win32SocketBackend final : public SocketBackend {
 public:
  SocketId Listen(int port, int backlog, SocketFailure& failure) override {
    if (!Started()) {
      failure = LastFailure();
      return -1;
    }
    const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (s == INVALID_SOCKET) {
      failure = LastFailure();
      return -1;
    }
    // No SO_REUSEADDR: on Windows it would let a second program take the
    // port from this one, and a port left in TIME_WAIT can be bound anyway.
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<u_short>(port));
    if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, backlog) != 0 ||
        !MakeNonBlocking(s)) {
      failure = LastFailure();
      closesocket(s);
      return -1;
    }
    return IdOf(s);
  }

  SocketId Accept(SocketId listener, SocketFailure& failure) override {
    failure = SocketFailure{};
    for (;;) {
      const SOCKET s = accept(SocketOf(listener), nullptr, nullptr);
      if (s != INVALID_SOCKET) {
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
    if (!Started()) {
      failure = LastFailure();
      return -1;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int lookup = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (lookup != 0) {
      failure = FailureFrom(lookup);
      return -1;
    }
    SOCKET s = INVALID_SOCKET;
    failure = FailureFrom(WSAECONNREFUSED);
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
      s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
      if (s == INVALID_SOCKET) {
        failure = LastFailure();
        continue;
      }
      if (connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0) break;
      failure = LastFailure();
      closesocket(s);
      s = INVALID_SOCKET;
    }
    freeaddrinfo(found);
    if (s != INVALID_SOCKET) {
      // Packets are small and each should leave at once.
      const BOOL yes = TRUE;
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&yes), sizeof yes);
      // Receive must not wait on it, as on accepted connections; Send waits itself.
      if (!MakeNonBlocking(s)) {
        failure = LastFailure();
        closesocket(s);
        s = INVALID_SOCKET;
      }
    }
    return IdOf(s);
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

  void Wait(const std::vector<SocketId>& sockets, int milliseconds) override {
    if (sockets.empty()) {
      Sleep(static_cast<DWORD>(milliseconds < 0 ? 0 : milliseconds));
      return;
    }
    std::vector<WSAPOLLFD> polled;
    polled.reserve(sockets.size());
    for (SocketId s : sockets) polled.push_back(WSAPOLLFD{SocketOf(s), POLLRDNORM, 0});
    WSAPoll(polled.data(), static_cast<ULONG>(polled.size()), milliseconds < 0 ? 0 : milliseconds);
  }
};

Win32SocketBackend Win32;
SocketBackend* Current = &Win32;
}  // namespace

SocketBackend& CurrentSocketBackend() { return *Current; }
void SetSocketBackend(SocketBackend* backend) { Current = backend != nullptr ? backend : &Win32; }
