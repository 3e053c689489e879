// A page in a browser has no TCP sockets: the live preview's server and the
// editing client run natively. Every call fails and says why.
#include "platform/SocketBackend.h"

namespace {
const char* const NoSockets = "a page in a browser has no TCP sockets";

class TWebSockets final : public SocketBackend {
 public:
  SocketId Listen(int, int, SocketFailure& failure) override { return Fail(failure); }
  SocketId Accept(SocketId, SocketFailure& failure) override { return Fail(failure); }
  ReceiveOutcome Receive(SocketId, uint8_t*, size_t, size_t& received, SocketFailure& failure) override {
    received = 0;
    Fail(failure);
    return ReceiveOutcome::Failed;
  }
  SocketId Connect(const std::string&, int, SocketFailure& failure) override { return Fail(failure); }
  bool Send(SocketId, const uint8_t*, size_t, SocketFailure& failure) override { return Fail(failure) >= 0; }
  void Close(SocketId) override {}
  void Wait(const std::vector<SocketId>&, int) override {}

 private:
  static SocketId Fail(SocketFailure& failure) {
    failure = SocketFailure{-1, NoSockets};
    return -1;
  }
};

TWebSockets Web;
SocketBackend* Current = &Web;
}  // namespace

SocketBackend& CurrentSocketBackend() { return *Current; }
void SetSocketBackend(SocketBackend* backend) { Current = backend != nullptr ? backend : &Web; }
