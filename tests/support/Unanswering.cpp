#include "support/Unanswering.h"

#include <chrono>
#include <thread>

TUnanswering::TUnanswering() {
  SocketBackend& sockets = CurrentSocketBackend();
  SocketFailure failure;
  // A backlog of 0 holds one connection not yet taken.
  Listener = sockets.ListenOn("127.0.0.1", 0, 0, failure);
  if (Listener < 0) {
    Failure = failure.Text;
    return;
  }
  Port = sockets.BoundPort(Listener);
  for (int k = 0; k < 4; ++k) {
    int address = 0;
    const SocketId filling = sockets.BeginConnect("127.0.0.1", Port, address, failure);
    if (filling >= 0) Filling.push_back(filling);
  }
  // The handshakes the queue takes are done on the loopback in a moment.
  std::this_thread::sleep_for(std::chrono::milliseconds(200));
}

TUnanswering::~TUnanswering() {
  for (SocketId s : Filling) CurrentSocketBackend().Close(s);
  CurrentSocketBackend().Close(Listener);
}
