// A demo as the Rocket library's client behaves, written for the tests from
// the protocol: it connects to the editor on 127.0.0.1, greets, asks for
// tracks by name and reports rows, and keeps what the editor sends it (the
// keys of its tracks, rows, pauses, saves). POSIX sockets, non-blocking;
// every wait is bounded.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "DemoTrack.h"

class DemoClient {
 public:
  // Connects (without greeting); Socket is -1 where it cannot. A receive
  // buffer size other than 0 is set before connecting.
  explicit DemoClient(int port, int receiveBuffer = 0);
  ~DemoClient();
  DemoClient(const DemoClient&) = delete;
  DemoClient& operator=(const DemoClient&) = delete;

  bool Send(const std::vector<uint8_t>& bytes);
  bool Send(const std::string& bytes) { return Send(std::vector<uint8_t>(bytes.begin(), bytes.end())); }
  bool Greet() { return Send(std::string("hello, synctracker!")); }
  // GET_TRACK: the track's number here is the order of asking.
  bool AskTrack(const std::string& name);
  bool ReportRow(int row);
  void Close();

  // Takes what has arrived, without waiting; false once the editor has
  // closed the connection (or sent what an editor does not send).
  bool Take();

  int Socket = -1;
  bool Greeted = false;  // the editor's greeting arrived
  bool Closed = false;   // the editor closed the connection
  std::string Fault;     // what arrived that an editor does not send
  std::vector<std::string> Tracks;   // by number
  std::vector<DemoTrack> Keys;       // by number
  std::vector<int> Rows;             // SET_ROW from the editor, in order
  std::vector<int> Pauses;           // PAUSE, 1 paused
  int Saves = 0;
  int Commands = 0;                  // commands taken after the greeting

 private:
  std::vector<uint8_t> Pending;
};
