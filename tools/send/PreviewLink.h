// One connection to a live preview ("vemla -vrt"), shared by the editing
// client and the sync editor: it connects, sends packets of channel values
// and sees the server go. The server never answers, so anything readable
// on the connection is the server closing it.
#pragma once
#include <string>
#include <vector>

#include "platform/SocketBackend.h"

class TVRTReader;

class TPreviewLink {
 public:
  TPreviewLink(std::string host, int port);
  ~TPreviewLink();
  TPreviewLink(const TPreviewLink&) = delete;
  TPreviewLink& operator=(const TPreviewLink&) = delete;

  // "host:port", for messages.
  const std::string& Where() const { return Address; }
  bool Connected() const { return Socket >= 0 && Made; }
  // Connects, waiting for the answer; false with the reason.
  bool Connect(std::string& reason);
  // Connecting without waiting (the sync editor's): BeginConnect starts
  // with the host's first address, FinishConnect sees how it stands. Either
  // says Connected once the connection is made, Pending while it is under
  // way (ConnectingSocket() is to be waited on for writing), and Failed
  // with the reason once every address of the host has failed.
  ConnectOutcome BeginConnect(std::string& reason);
  ConnectOutcome FinishConnect(std::string& reason);
  bool Connecting() const { return Socket >= 0 && !Made; }
  SocketId ConnectingSocket() const { return Connecting() ? Socket : -1; }
  // Sends the values as one packet; false with the reason once the
  // connection is lost, which closes it.
  bool Send(const std::vector<float>& values, std::string& reason);
  // Whether the server still holds the connection; false with the reason
  // once it has gone, which closes it.
  bool StillOpen(std::string& reason);
  // Sleeps up to the milliseconds or until the server closes.
  void Wait(int milliseconds);
  void Close();

 private:
  bool Lost(const std::string& why, std::string& reason);
  std::string Host;
  int Port;
  std::string Address;
  SocketId Socket = -1;
  bool Made = false;    // the connection is made (not only begun)
  int Attempt = 0;      // the host's address being connected, from 0
};

// The values a packet carries for the track at the time: every channel of
// the track, sampled as the player samples it (which also publishes them in
// the channel block).
std::vector<float> PacketValuesAt(TVRTReader& reader, double time);
