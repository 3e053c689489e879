// The live previews the editor keeps up to date, as a listener on
// 127.0.0.1 sees them: a preview that comes later is connected and brought
// up to date at once, one that goes is told of and tried again.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>

#include "LiveLink.h"
#include "support/Listener.h"

namespace {
std::vector<float> Packet(const std::vector<uint8_t>& bytes) {
  if (bytes.size() < 4) return {};
  int32_t count = 0;
  std::memcpy(&count, bytes.data(), 4);
  if (count < 0 || bytes.size() != 4 + 4 * static_cast<size_t>(count)) return {};
  std::vector<float> values(count);
  std::memcpy(values.data(), bytes.data() + 4, 4 * values.size());
  return values;
}

bool Mentions(const std::vector<std::string>& news, const std::string& text) {
  for (const std::string& line : news)
    if (line.find(text) != std::string::npos) return true;
  return false;
}
}  // namespace

TEST(EditLiveLinks, APreviewThatComesLaterGetsTheValuesAtOnce) {
  // A port nobody listens on yet: the listener is made, its port noted and
  // closed, then opened again there later.
  int port = 0;
  {
    TTestListener probe;
    port = probe.Port;
  }
  TLiveLinks links;
  links.Add(TSendTarget{"127.0.0.1", port});
  links.Send({1, 2, 3});
  std::vector<std::string> news = links.Tick(0);
  EXPECT_TRUE(Mentions(news, "No preview at 127.0.0.1:" + std::to_string(port) + " yet")) << news.size();
  EXPECT_TRUE(links.Tick(0.5).empty()) << "tried again quietly, and not before its time";
  EXPECT_NEAR(links.SecondsToNext(0.5), LinkRetryInterval - 0.5, 1e-9);
  EXPECT_EQ(links.Summary(), "0 of 1 previews");
}

TEST(EditLiveLinks, ConnectedPreviewsGetEveryPacketAndALostOneIsTriedAgain) {
  TTestListener listener;
  TLiveLinks links;
  links.Add(TSendTarget{"127.0.0.1", listener.Port});
  links.Send({0.5f, -1});
  EXPECT_TRUE(Mentions(links.Tick(0), "Sending to the preview at 127.0.0.1:"));
  const int client = listener.Accept();
  ASSERT_GE(client, 0);
  EXPECT_EQ(Packet(TTestListener::Read(client, 12)), (std::vector<float>{0.5f, -1})) << "the last values, at once";
  links.Send({2, 3, 4});
  EXPECT_EQ(Packet(TTestListener::Read(client, 16)), (std::vector<float>{2, 3, 4}));
  EXPECT_EQ(links.Summary(), "1 of 1 previews");

  close(client);
  listener.Close();
  std::vector<std::string> news;
  for (int look = 1; look <= 20 && news.empty(); ++look) news = links.Tick(look * 1.0);
  EXPECT_TRUE(Mentions(news, "Lost the preview at 127.0.0.1:"));
  EXPECT_EQ(links.Summary(), "0 of 1 previews");
}
