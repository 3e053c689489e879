#include "runtime/VRTServer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/GLWindow.h"
#include "platform/Message.h"
#include "platform/SharedState.h"
#include "platform/Termination.h"
#include "platform/ToolWindow.h"
#include "runtime/DemoMain.h"

TETimer ServerTimer;

namespace {
constexpr int ListenBacklog = 5;
// Clients served at once, well under any process's descriptor limit; a
// connection beyond them is taken and closed at once.
constexpr size_t MaxClients = 64;
// How long the listener rests after a connection could not be taken: it
// stays readable meanwhile, and polling it again at once would spin.
constexpr double AcceptPauseSeconds = 0.3;
constexpr double TickSeconds = 0.5;
// Bytes taken from a connection by one read, and the most reads one
// connection gets in a pass, so that a client sending without pause cannot
// keep the others or the frames waiting.
constexpr size_t ReadBytes = 1024;
constexpr int ReadsPerPass = 16;
// Window events are not among what the pass sleeps on; this bounds how long
// they wait.
constexpr int LongestWaitMilliseconds = 10;

constexpr int WindowX = 1414;
constexpr int WindowY = 422;
constexpr int WindowWidth = 178;
constexpr int WindowHeight = 60;
constexpr uint32_t ButtonFace = 0xF0F0F0;
constexpr uint32_t LabelText = 0x000000;
constexpr int LabelLeft = 16;
constexpr int OfflineTop = 8;
constexpr int Label1Top = 32;
constexpr int FontHeight = 11;
// From a label's top to its text's baseline.
constexpr int LabelBaseline = 10;

}  // namespace

TVRTServerObject::TVRTServerObject(int port, bool withWindow, std::function<void()> render)
    : Render(render ? std::move(render) : std::function<void()>(RenderFrame)) {
  SocketFailure failure;
  Listener = CurrentSocketBackend().Listen(port, ListenBacklog, failure);
  if (Listener < 0)
    throw EServerError("Cannot listen on TCP port " + std::to_string(port) + ": " + failure.Text);
  Font = RasteriseFont("MS Sans Serif", FontHeight, false);
  if (withWindow) {
    Window = std::make_unique<TToolWindow>("VRTServerObject", WindowX, WindowY, WindowWidth, WindowHeight);
    PaintWindow();
  }
  NextTick = TickClock.GetTime() + TickSeconds;
}

TVRTServerObject::~TVRTServerObject() {
  for (const auto& client : Clients) CurrentSocketBackend().Close(client.first);
  CurrentSocketBackend().Close(Listener);
}

void TVRTServerObject::SetCaption(std::string& label, const std::string& text) {
  if (label == text) return;
  label = text;
  RepaintDue = true;
  // A person running the server in a terminal follows the captions there.
  std::printf("%s\n", text.c_str());
  std::fflush(stdout);
}

std::vector<uint32_t> TVRTServerObject::StatusPixels() const {
  std::vector<uint32_t> pixels(static_cast<size_t>(WindowWidth) * WindowHeight, ButtonFace);
  DrawGlyphs(Font, Offline, LabelLeft, OfflineTop + LabelBaseline, LabelText, WindowWidth, WindowHeight, pixels);
  DrawGlyphs(Font, Label1, LabelLeft, Label1Top + LabelBaseline, LabelText, WindowWidth, WindowHeight, pixels);
  return pixels;
}

void TVRTServerObject::PaintWindow() {
  if (!RepaintDue) return;
  RepaintDue = false;
  if (Window != nullptr) Window->Paint(StatusPixels());
}

void TVRTServerObject::ServerSocket1ClientConnect(SocketId client) {
  Clients.emplace(client, TPacketFramer{});
  SetCaption(Offline, "ONLINE");
}

void TVRTServerObject::ServerSocket1ClientDisconnect(SocketId client) {
  CurrentSocketBackend().Close(client);
  Clients.erase(client);
  // Any disconnect reads as offline, even with other clients still there.
  SetCaption(Offline, "Offline");
}

void TVRTServerObject::Apply(SocketId client, const TPacketEvent& event) {
  if (event.OutOfSync) {
    SetCaption(Label1, "Out of sync");
    return;
  }
  SetCaption(Label1, "Reading " + std::to_string(event.Values.size()) + " streams");
  std::fill(std::begin(Channels), std::end(Channels), InactiveChannel());
  std::copy(event.Values.begin(), event.Values.end(), std::begin(Channels));
  PacketWaiting = true;
  if (PacketApplied) PacketApplied(client, event.Values);
}

void TVRTServerObject::ServerSocket1ClientRead(SocketId client) {
  auto found = Clients.find(client);
  if (found == Clients.end()) return;
  uint8_t bytes[ReadBytes];
  std::vector<TPacketEvent> events;
  for (int read = 0; read < ReadsPerPass; ++read) {
    size_t received = 0;
    SocketFailure failure;
    const ReceiveOutcome outcome = CurrentSocketBackend().Receive(client, bytes, sizeof bytes, received, failure);
    if (outcome == ReceiveOutcome::NoData) break;
    if (outcome != ReceiveOutcome::Data) {
      // On stderr only: a box would stop the preview for every client.
      if (outcome == ReceiveOutcome::Failed)
        ReportMessage("Error", "Socket error: " + failure.Text + " (" + std::to_string(failure.Code) +
                                   "), on API 'recv'");
      ServerSocket1ClientDisconnect(client);
      return;
    }
    events.clear();
    found->second.Feed(bytes, received, events);
    for (const TPacketEvent& event : events) Apply(client, event);
  }
}

void TVRTServerObject::Timer1Timer() {
  SceneTime = ServerTimer.Elapsed();
  FrameDelta = ServerTimer.Delta;
  Render();
}

void TVRTServerObject::AcceptClients() {
  SocketBackend& sockets = CurrentSocketBackend();
  if (TickClock.GetTime() < ListenerRestsUntil) return;
  for (;;) {
    SocketFailure failure;
    const SocketId client = sockets.Accept(Listener, failure);
    if (client < 0) {
      if (failure.Code == 0) return;
      if (!AcceptFailureSaid) ReportMessage("Error", "Cannot accept a connection: " + failure.Text);
      AcceptFailureSaid = true;
      ListenerRestsUntil = TickClock.GetTime() + AcceptPauseSeconds;
      return;
    }
    AcceptFailureSaid = false;
    if (Clients.size() >= MaxClients) {
      sockets.Close(client);
      if (!ClientLimitSaid)
        ReportMessage("Error", "Too many clients: " + std::to_string(MaxClients) +
                                   " are connected; further connections are closed until one leaves");
      ClientLimitSaid = true;
      continue;
    }
    ClientLimitSaid = false;
    ServerSocket1ClientConnect(client);
  }
}

void TVRTServerObject::Poll(int maxWaitMilliseconds) {
  SocketBackend& sockets = CurrentSocketBackend();
  AcceptClients();
  std::vector<SocketId> ids;
  ids.reserve(Clients.size());
  for (const auto& client : Clients) ids.push_back(client.first);
  for (SocketId client : ids) ServerSocket1ClientRead(client);
  PaintWindow();
  // One frame for all the packets of the pass: frames for the earlier ones
  // would be drawn over at once, and a preview drawing one frame per packet
  // falls further and further behind a fast sender.
  if (PacketWaiting) {
    PacketWaiting = false;
    Render();
  }
  double now = TickClock.GetTime();
  if (now >= NextTick) {
    Timer1Timer();
    // The window system may have lost what was painted (a window that was
    // covered, or shown after the first paint): paint it again now and then.
    RepaintDue = true;
    PaintWindow();
    // A late tick is not made up for, as with any window timer.
    now = TickClock.GetTime();
    NextTick += TickSeconds;
    if (NextTick <= now) NextTick = now + TickSeconds;
  }
  // Rounded up: a wait cut short of the tick would only spin until it.
  const int untilTick = static_cast<int>(std::ceil((NextTick - now) * 1000));
  const int wait = std::clamp(std::min(untilTick, maxWaitMilliseconds), 0, LongestWaitMilliseconds);
  ids.clear();
  // A resting listener is not waited on: it would wake the wait at once.
  if (now >= ListenerRestsUntil) ids.push_back(Listener);
  for (const auto& client : Clients) ids.push_back(client.first);
  sockets.Wait(ids, wait);
}

void TVRTServerObject::Run() {
  while (!QuitRequested() && !TerminationRequested()) {
    PumpWindowEvents();
    if (QuitRequested() || TerminationRequested()) break;
    Poll(LongestWaitMilliseconds);
  }
}

void RunServerMode() {
  TVRTServerObject form;
  ServerTimer = TETimer();
  ServerTimer.Start();
  std::fill(std::begin(Channels), std::end(Channels), InactiveChannel());
  // From here a SIGINT or SIGTERM ends the loop, and the program with status 0.
  EnterMainLoop();
  form.Run();
  LeaveMainLoop();
}
