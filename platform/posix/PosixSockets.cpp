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

class PosixSocketBackend final : public SocketBackend {
 public:
  SocketId Listen(int port, int backlog, SocketFailure& failure) override {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) {
      failure = FailureFrom(errno);
      return -1;
    }
    const int yes = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    address.sin_port = htons(static_cast<uint16_t>(port));
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, backlog) != 0 ||
        !MakeNonBlocking(fd)) {
      failure = FailureFrom(errno);
      close(fd);
      return -1;
    }
    return fd;
  }

  SocketId Accept(SocketId listener, SocketFailure& failure) override {
    failure = SocketFailure{};
    for (;;) {
      const int fd = accept4(static_cast<int>(listener), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
      if (fd >= 0) return fd;
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
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    const std::string service = std::to_string(port);
    const int lookup = getaddrinfo(host.c_str(), service.c_str(), &hints, &found);
    if (lookup != 0) {
      failure = SocketFailure{lookup, gai_strerror(lookup)};
      return -1;
    }
    int fd = -1;
    failure = FailureFrom(ECONNREFUSED);
    for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
      fd = socket(a->ai_family, a->ai_socktype | SOCK_CLOEXEC, a->ai_protocol);
      if (fd < 0) {
        failure = FailureFrom(errno);
        continue;
      }
      if (connect(fd, a->ai_addr, a->ai_addrlen) == 0) break;
      failure = FailureFrom(errno);
      close(fd);
      fd = -1;
    }
    freeaddrinfo(found);
    if (fd >= 0) {
      // Packets are small and each should leave at once.
      const int yes = 1;
      setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &yes, sizeof yes);
      // Receive must not wait on it, as on accepted connections; Send waits itself.
      if (!MakeNonBlocking(fd)) {
        failure = FailureFrom(errno);
        close(fd);
        fd = -1;
      }
    }
    return fd;
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

  void Wait(const std::vector<SocketId>& sockets, int milliseconds) override {
    std::vector<pollfd> polled;
    polled.reserve(sockets.size());
    for (SocketId s : sockets) polled.push_back(pollfd{static_cast<int>(s), POLLIN, 0});
    poll(polled.data(), polled.size(), milliseconds < 0 ? 0 : milliseconds);
  }
};

PosixSocketBackend Posix;
SocketBackend* Current = &Posix;
}  // namespace

SocketBackend& CurrentSocketBackend() { return *Current; }
void SetSocketBackend(SocketBackend* backend) { Current = backend != nullptr ? backend : &Posix; }
