// A host that never answers, for the tests of what connects to a live
// preview: a listener on 127.0.0.1 (the platform's sockets) whose queue of
// connections not yet taken is full, so that the system drops the
// connections that come next unanswered and each stays under way. An
// address routed nowhere, such as 10.255.255.1, does the same on a plain
// network, but a machine's network sandbox may answer for it.
#pragma once
#include <string>
#include <vector>

#include "platform/SocketBackend.h"

class TUnanswering {
 public:
  TUnanswering();
  ~TUnanswering();
  TUnanswering(const TUnanswering&) = delete;
  TUnanswering& operator=(const TUnanswering&) = delete;

  int Port = -1;        // -1 where it could not be made
  std::string Failure;  // why not

 private:
  SocketId Listener = -1;
  std::vector<SocketId> Filling;
};
