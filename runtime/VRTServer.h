// The live parameter server: with "-vrt" the program becomes a preview target
// for a parameter-editing tool. It shows a small status window, listens on
// TCP port 1024, applies every packet of channel values it receives, and
// renders a frame after the packets of each pass and every 500 ms.
#pragma once
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/SocketBackend.h"
#include "render2d/FontRaster.h"
#include "runtime/PacketFraming.h"
#include "runtime/Timer.h"

class TToolWindow;

// The server's own clock: SceneTime and FrameDelta come from it on each tick.
extern TETimer ServerTimer;

// The listening port could not be had.
class EServerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TVRTServerObject {
 public:
  // Opens the listening socket on port (raises EServerError when it cannot),
  // and shows the status window unless withWindow is false. render draws and
  // presents one frame.
  explicit TVRTServerObject(int port = PacketPort, bool withWindow = true,
                            std::function<void()> render = nullptr);
  ~TVRTServerObject();
  TVRTServerObject(const TVRTServerObject&) = delete;
  TVRTServerObject& operator=(const TVRTServerObject&) = delete;

  // One pass: takes new connections, reads every connection, applies every
  // whole packet in order and renders one frame if any was applied, ticks
  // the timer when it is due, then sleeps until there is something to read
  // or at most maxWaitMilliseconds.
  void Poll(int maxWaitMilliseconds);
  // Passes until the windows are closed, a quit is requested or a signal
  // asks the program to end.
  void Run();

  void ServerSocket1ClientConnect(SocketId client);
  void ServerSocket1ClientDisconnect(SocketId client);
  // Reads what the client has sent and applies it; closes a connection the
  // client has closed or that failed.
  void ServerSocket1ClientRead(SocketId client);
  void Timer1Timer();

  const std::string& OfflineCaption() const { return Offline; }
  const std::string& Label1Caption() const { return Label1; }
  size_t ClientCount() const { return Clients.size(); }
  // The status window's client area as painted: 0x00RRGGBB, top row first.
  std::vector<uint32_t> StatusPixels() const;
  // Called with each packet as it is applied, before any frame is rendered.
  std::function<void(SocketId client, const std::vector<float>& values)> PacketApplied;

 private:
  // Takes the connections waiting on the listener, up to the client limit.
  void AcceptClients();
  void SetCaption(std::string& label, const std::string& text);
  void Apply(SocketId client, const TPacketEvent& event);
  void PaintWindow();

  SocketId Listener = -1;
  double ListenerRestsUntil = 0;  // on TickClock: no accepting before then
  bool AcceptFailureSaid = false;
  bool ClientLimitSaid = false;
  std::map<SocketId, TPacketFramer> Clients;
  std::string Offline = "Offline";
  std::string Label1 = "Reading 0 streams";
  bool RepaintDue = true;  // the status window is to be painted at the next chance
  bool PacketWaiting = false;
  std::function<void()> Render;
  double NextTick = 0;
  TETimer TickClock;
  std::unique_ptr<TToolWindow> Window;
  TFontGlyphs Font;
};

// The server's message loop: status window, listening socket, every channel
// inactive, then passes until the windows close; returns when it ends.
void RunServerMode();
