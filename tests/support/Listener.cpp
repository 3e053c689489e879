#include "support/Listener.h"

#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

TTestListener::TTestListener() {
  Socket = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  bind(Socket, reinterpret_cast<sockaddr*>(&address), size);
  listen(Socket, 4);
  getsockname(Socket, reinterpret_cast<sockaddr*>(&address), &size);
  Port = ntohs(address.sin_port);
}

void TTestListener::Close() {
  if (Socket >= 0) close(Socket);
  Socket = -1;
}

int TTestListener::Accept(int milliseconds) {
  pollfd waiting{Socket, POLLIN, 0};
  if (poll(&waiting, 1, milliseconds) != 1) return -1;
  return accept(Socket, nullptr, nullptr);
}

std::vector<uint8_t> TTestListener::Read(int connection, size_t count, int milliseconds) {
  std::vector<uint8_t> bytes;
  uint8_t buffer[4096];
  while (bytes.size() < count) {
    pollfd readable{connection, POLLIN, 0};
    if (poll(&readable, 1, milliseconds) != 1) break;
    const size_t want = count - bytes.size() < sizeof buffer ? count - bytes.size() : sizeof buffer;
    const ssize_t got = recv(connection, buffer, want, 0);
    if (got <= 0) break;
    bytes.insert(bytes.end(), buffer, buffer + got);
  }
  return bytes;
}

std::vector<uint8_t> TTestListener::ReadClient(size_t limit) {
  const int client = Accept();
  if (client < 0) return {};
  std::vector<uint8_t> bytes = Read(client, limit);
  close(client);
  return bytes;
}
