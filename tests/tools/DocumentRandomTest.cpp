// Random runs of edits over every timeline of the repository: each edit
// checked as it is made (DocumentScript), and all of them undone back to
// the exact text, then redone to the last.
#include <gtest/gtest.h>

#include <random>

#include "DocumentFixture.h"
#include "DocumentScript.h"

TEST(DocumentRandom, EditRunsUndoToTheExactTextAndRedoToTheLast) {
  std::vector<std::string> texts;
  for (const std::string& file : RepositoryTimelines()) texts.push_back(ReadTimeline(file));
  texts.push_back("channel 0\r\n0\t1 linear # tabbed\r\n1:2 off\r\n");
  texts.push_back("mark 1 m\nchannel 3\nrepeat 4 every 0:2 from 1\n  0 1 smooth\n  0:1 0\nend\n5 2");
  for (size_t t = 0; t < texts.size(); ++t)
    for (unsigned seed = 0; seed < 12; ++seed) {
      std::mt19937 random(seed * 1000 + unsigned(t));
      std::vector<uint8_t> bytes(6000);
      for (uint8_t& b : bytes) b = uint8_t(random());
      ByteSource source(bytes.data(), bytes.size());
      TimelineDocument doc(texts[t]);
      Clip clip;
      for (int step = 0; step < 120; ++step)
        ASSERT_EQ(ScriptedEdit(doc, source, clip), "") << "text " << t << " seed " << seed << " step " << step;
      const std::string last = doc.Text();
      int undone = 0;
      for (; doc.CanUndo(); ++undone) doc.Undo();
      ASSERT_EQ(doc.Text(), texts[t]) << "text " << t << " seed " << seed;
      for (int k = 0; k < undone; ++k) doc.Redo();
      ASSERT_EQ(doc.Text(), last) << "text " << t << " seed " << seed;
      EXPECT_TRUE(SameReading(TimelineDocument(last), doc)) << "a reload reads the same";
    }
}
