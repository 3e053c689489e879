// TCP connections on POSIX sockets.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/SocketBackend.h"

namespace {
SocketFailure FailureFrom(int code) { return SocketFailure{code, std::strerror(code)}; }

bool MakeNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

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
    failure = SocketFailure{lookup, gai_strerror(lookup)};
    return nullptr;
  }
  return found;
}

// A listening socket bound to the address, non-blocking, reusing an
// address left in TIME_WAIT.
int ListenAt(const sockaddr* address, socklen_t length, int backlog, SocketFailure& failure) {
  const int fd = socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    failure = FailureFrom(errno);
    return -1;
  }
  const int yes = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  if (bind(fd, address, length) != 0 || listen(fd, backlog) != 0 || !MakeNonBlocking(fd)) {
    failure = FailureFrom(errno);
    close(fd);
    return -1;
  }
  return fd;
}

class PosixSocketBackend final : public SocketBackend {
 public:
  SocketId Listen(int port, int backlog, SocketFailure& failure) override {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    return ListenAt(reinterpret_cast<sockaddr*>(&address), sizeof address, backlog, failure);
  }

  SocketId ListenOn(const std::string& address, int port, int backlog, SocketFailure& failure) override {
    addrinfo* found = Resolve(address, port, true, failure);
    if (found == nullptr) return -1;
    int fd = -1;
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next)
      fd = ListenAt(a->ai_addr, a->ai_addrlen, backlog, failure);
    freeaddrinfo(found);
    return fd;
  }

  int BoundPort(SocketId socket) override {
    sockaddr_storage address{};
    socklen_t length = sizeof address;
    if (getsockname(static_cast<int>(socket), reinterpret_cast<sockaddr*>(&address), &length) != 0) return -1;
    if (address.ss_family == AF_INET) return ntohs(reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    if (address.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&address)->sin6_port);
    return -1;
  }

  bool SendSome(SocketId connection, const uint8_t* data, size_t size, size_t& sent, SocketFailure& failure) override {
    sent = 0;
    for (;;) {
      const ssize_t n = send(static_cast<int>(connection), data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n >= 0) {
        sent = static_cast<size_t>(n);
        return true;
      }
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return true;
      failure = FailureFrom(errno);
      return false;
    }
  }

  void WaitFor(const std::vector<SocketId>& readable, const std::vector<SocketId>& writable,
               int milliseconds) override {
    std::vector<pollfd> polled;
    polled.reserve(readable.size() + writable.size());
    for (SocketId s : readable) polled.push_back(pollfd{static_cast<int>(s), POLLIN, 0});
    for (SocketId s : writable) polled.push_back(pollfd{static_cast<int>(s), POLLOUT, 0});
    poll(polled.data(), polled.size(), milliseconds < 0 ? 0 : milliseconds);
  }

  SocketId Accept(SocketId listener, SocketFailure& failure) override {
    failure = SocketFailure{};
    for (;;) {
      const int fd = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd >= 0) {
        // What a server sends is small and should leave at once, as a client's.
        const int yes = 1;
        setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
        return fd;
      }
      // A connection that was reset before it was taken is skipped.
      if (errno == ECONNABORTED || errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) failure = FailureFrom(errno);
      return -1;
    }
  }

  ReceiveOutcome Receive(SocketId connection, uint8_t* buffer, size_t size, size_t& received,
                         SocketFailure& failure) override {
    received = 0;
    for (;;) {
      const ssize_t got = recv(static_cast<int>(connection), buffer, size, 0);
      if (got > 0) {
        received = static_cast<size_t>(got);
        return ReceiveOutcome::Data;
      }
      if (got == 0) return size == 0 ? ReceiveOutcome::NoData : ReceiveOutcome::Closed;
      if (errno == EINTR) continue;
      if (errno == EAGAIN || errno == EWOULDBLOCK) return ReceiveOutcome::NoData;
      failure = FailureFrom(errno);
      return ReceiveOutcome::Failed;
    }
  }

  SocketId Connect(const std::string& host, int port, SocketFailure& failure) override {
    return ConnectWaiting(host, port, failure);
  }

  SocketId BeginConnect(const std::string& host, int port, int& address, SocketFailure& failure) override {
    addrinfo* found = Resolve(host, port, false, failure);
    if (found == nullptr) return -1;
    int fd = -1, index = 0;
    failure = SocketFailure{-1, "no other address to try"};
    for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next, ++index) {
      if (index < address) continue;
      fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
      if (fd < 0) {
        failure = FailureFrom(errno);
        continue;
      }
      // Packets are small and each should leave at once.
      const int yes = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      int result;
      do result = connect(fd, a->ai_addr, a->ai_addrlen);
      while (result != 0 && errno == EINTR);
      if (result == 0 || errno == EINPROGRESS) {
        address = index;
        break;
      }
      failure = FailureFrom(errno);
      close(fd);
      fd = -1;
    }
    freeaddrinfo(found);
    return fd;
  }

  ConnectOutcome FinishConnect(SocketId socket, SocketFailure& failure) override {
    pollfd p{static_cast<int>(socket), POLLOUT, 0};
    if (poll(&p, 1, 0) <= 0) return ConnectOutcome::Pending;
    int error = 0;
    socklen_t length = sizeof error;
    if (getsockopt(static_cast<int>(socket), SOL_SOCKET, SO_ERROR, &error, &length) != 0) error = errno;
    if (error == 0) return ConnectOutcome::Connected;
    failure = FailureFrom(error);
    return ConnectOutcome::Failed;
  }

  bool WakePair(SocketId& reader, SocketId& writer, SocketFailure& failure) override {
    int fds[2];
    if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0, fds) != 0) {
      failure = FailureFrom(errno);
      reader = writer = -1;
      return false;
    }
    reader = fds[0];
    writer = fds[1];
    return true;
  }

  bool Send(SocketId connection, const uint8_t* data, size_t size, SocketFailure& failure) override {
    while (size > 0) {
      const ssize_t sent = send(static_cast<int>(connection), data, size, MSG_NOSIGNAL);
      if (sent < 0) {
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
          pollfd p{static_cast<int>(connection), POLLOUT, 0};
          poll(&p, 1, 100);
          continue;
        }
        failure = FailureFrom(errno);
        return false;
      }
      data += sent;
      size -= static_cast<size_t>(sent);
    }
    return true;
  }

  void Close(SocketId socket) override {
    if (socket >= 0) close(static_cast<int>(socket));
  }

  void Wait(const std::vector<SocketId>& sockets, int milliseconds) override { WaitFor(sockets, {}, milliseconds); }
};

PosixSocketBackend Posix;
SocketBackend* Current = &Posix;
}  // namespace

SocketBackend& CurrentSocketBackend() { return *Current; }
void SetSocketBackend(SocketBackend* backend) { Current = backend != nullptr ? backend : &Posix; }
