#include "DemoClient.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstddef>
#include <cstring>

namespace {
uint32_t BigWord(const uint8_t* p) { return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3]; }

void PutBig(std::vector<uint8_t>& out, uint32_t v) {
  for (int s = 24; s >= 0; s -= 8) out.push_back(uint8_t(v >> s));
}
}  // namespace

DemoClient::DemoClient(int port, int receiveBuffer) {
  Socket = socket(AF_INET, SOCK_STREAM, 0);
  if (Socket < 0) return;
  if (receiveBuffer > 0) setsockopt(Socket, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(uint16_t(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (connect(Socket, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      fcntl(Socket, F_SETFL, fcntl(Socket, F_GETFL, 0) | O_NONBLOCK) != 0) {
    close(Socket);
    Socket = -1;
  }
}

DemoClient::~DemoClient() { Close(); }

void DemoClient::Close() {
  if (Socket >= 0) close(Socket);
  Socket = -1;
}

bool DemoClient::Send(const std::vector<uint8_t>& bytes) {
  size_t at = 0;
  // Bounded: a hundred waits of at most 50 ms for room.
  for (int tries = 0; at < bytes.size() && tries < 100; ++tries) {
    const ssize_t sent = send(Socket, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
    if (sent > 0) {
      at += size_t(sent);
      continue;
    }
    if (sent < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return false;
    pollfd p{Socket, POLLOUT, 0};
    poll(&p, 1, 50);
  }
  return at == bytes.size();
}

bool DemoClient::AskTrack(const std::string& name) {
  std::vector<uint8_t> bytes{2};
  PutBig(bytes, uint32_t(name.size()));
  bytes.insert(bytes.end(), name.begin(), name.end());
  Tracks.push_back(name);
  Keys.emplace_back();
  return Send(bytes);
}

bool DemoClient::ReportRow(int row) {
  std::vector<uint8_t> bytes{3};
  PutBig(bytes, uint32_t(row));
  return Send(bytes);
}

bool DemoClient::Take() {
  if (Socket < 0 || Closed || !Fault.empty()) return false;
  uint8_t buffer[65536];
  for (;;) {
    const ssize_t got = recv(Socket, buffer, sizeof buffer, 0);
    if (got == 0) {
      Closed = true;
      break;
    }
    if (got < 0) {
      if (errno == EINTR) continue;
      if (errno != EAGAIN && errno != EWOULDBLOCK) Closed = true;
      break;
    }
    Pending.insert(Pending.end(), buffer, buffer + got);
  }
  size_t at = 0;
  const std::string greeting = "hello, demo!";
  if (!Greeted) {
    const size_t n = std::min(Pending.size(), greeting.size());
    if (std::memcmp(Pending.data(), greeting.data(), n) != 0) Fault = "a greeting other than \"hello, demo!\"";
    if (n < greeting.size() || !Fault.empty()) return !Closed && Fault.empty();
    Greeted = true;
    at = greeting.size();
  }
  while (at < Pending.size() && Fault.empty()) {
    const uint8_t* p = &Pending[at];
    const size_t left = Pending.size() - at;
    const size_t sizes[] = {14, 9, 0, 5, 2, 1};
    if (p[0] > 5 || p[0] == 2) {
      Fault = "command " + std::to_string(p[0]) + ", which an editor does not send";
      break;
    }
    if (left < sizes[p[0]]) break;
    const uint32_t track = left >= 5 ? BigWord(p + 1) : 0;
    if ((p[0] == 0 || p[0] == 1) && track >= Keys.size()) {
      Fault = "a key of track " + std::to_string(track) + ", which was never asked for";
      break;
    }
    switch (p[0]) {
      case 0: {
        const uint32_t bits = BigWord(p + 9);
        float value;
        std::memcpy(&value, &bits, 4);
        Keys[track][int32_t(BigWord(p + 5))] = DemoKey{value, p[13]};
        break;
      }
      case 1:
        if (Keys[track].erase(int32_t(BigWord(p + 5))) == 0)
          Fault = "a deleted key that was never set, at row " + std::to_string(int32_t(BigWord(p + 5)));
        break;
      case 3:
        Rows.push_back(int32_t(BigWord(p + 1)));
        break;
      case 4:
        Pauses.push_back(p[1]);
        break;
      case 5:
        ++Saves;
        break;
    }
    ++Commands;
    at += sizes[p[0]];
  }
  Pending.erase(Pending.begin(), Pending.begin() + std::ptrdiff_t(at));
  return !Closed && Fault.empty();
}
