#include "PreviewLink.h"

#include "platform/SharedState.h"
#include "runtime/PacketFraming.h"
#include "runtime/VRTReader.h"

TPreviewLink::TPreviewLink(std::string host, int port)
    : Host(std::move(host)), Port(port), Address(Host + ":" + std::to_string(port)) {}

TPreviewLink::~TPreviewLink() { Close(); }

bool TPreviewLink::Connect(std::string& reason) {
  Close();
  SocketFailure failure;
  Socket = CurrentSocketBackend().Connect(Host, Port, failure);
  if (Socket < 0) reason = failure.Text;
  Made = Socket >= 0;
  return Made;
}

ConnectOutcome TPreviewLink::BeginConnect(std::string& reason) {
  Close();
  Attempt = 0;
  SocketFailure failure;
  Socket = CurrentSocketBackend().BeginConnect(Host, Port, Attempt, failure);
  if (Socket < 0) {
    reason = failure.Text;
    return ConnectOutcome::Failed;
  }
  return FinishConnect(reason);
}

ConnectOutcome TPreviewLink::FinishConnect(std::string& reason) {
  SocketBackend& sockets = CurrentSocketBackend();
  if (Socket < 0) reason = "not connecting";
  while (Socket >= 0 && !Made) {
    SocketFailure failure;
    const ConnectOutcome outcome = sockets.FinishConnect(Socket, failure);
    if (outcome == ConnectOutcome::Pending) return outcome;
    if (outcome == ConnectOutcome::Connected) {
      Made = true;
      return outcome;
    }
    // The host's next address, if it has one; the last failure is the one said.
    sockets.Close(Socket);
    reason = failure.Text;
    ++Attempt;
    SocketFailure next;
    Socket = sockets.BeginConnect(Host, Port, Attempt, next);
  }
  return Made ? ConnectOutcome::Connected : ConnectOutcome::Failed;
}

bool TPreviewLink::Send(const std::vector<float>& values, std::string& reason) {
  if (Socket < 0) {
    reason = "not connected";
    return false;
  }
  const std::vector<uint8_t> packet = EncodePacket(values);
  SocketFailure failure;
  if (CurrentSocketBackend().Send(Socket, packet.data(), packet.size(), failure)) return true;
  return Lost(failure.Text, reason);
}

bool TPreviewLink::StillOpen(std::string& reason) {
  if (Socket < 0) {
    reason = "not connected";
    return false;
  }
  uint8_t bytes[64];
  size_t received = 0;
  SocketFailure failure;
  switch (CurrentSocketBackend().Receive(Socket, bytes, sizeof bytes, received, failure)) {
    case ReceiveOutcome::Closed: return Lost("the server closed the connection", reason);
    case ReceiveOutcome::Failed: return Lost(failure.Text, reason);
    default: return true;
  }
}

void TPreviewLink::Wait(int milliseconds) {
  CurrentSocketBackend().Wait(Socket >= 0 ? std::vector<SocketId>{Socket} : std::vector<SocketId>{}, milliseconds);
}

void TPreviewLink::Close() {
  if (Socket >= 0) CurrentSocketBackend().Close(Socket);
  Socket = -1;
  Made = false;
}

bool TPreviewLink::Lost(const std::string& why, std::string& reason) {
  reason = why;
  Close();
  return false;
}

std::vector<float> PacketValuesAt(TVRTReader& reader, double time) {
  reader.Sample(static_cast<float>(time));
  return std::vector<float>(Channels, Channels + reader.Data.size());
}
