// A TCP listener on 127.0.0.1 at a free port, for the tests of the programs
// that connect to the live preview: it takes their connections and reads
// what they send, every wait bounded. POSIX sockets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

class TTestListener {
 public:
  TTestListener();
  ~TTestListener() { Close(); }
  TTestListener(const TTestListener&) = delete;
  TTestListener& operator=(const TTestListener&) = delete;
  void Close();

  // The next connection, waiting at most the milliseconds; -1 for none.
  int Accept(int milliseconds = 5000);
  // Up to count bytes from a connection, waiting at most the milliseconds
  // for each read; fewer when it closes or goes quiet.
  static std::vector<uint8_t> Read(int connection, size_t count, int milliseconds = 5000);
  // The first connection's bytes until it closes, at most limit of them,
  // waiting no more than five seconds for each read.
  std::vector<uint8_t> ReadClient(size_t limit = 1 << 20);

  int Socket = -1;
  int Port = 0;
};
