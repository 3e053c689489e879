#include "Stage.h"

#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "Jpeg.h"
#include "Models.h"
#include "Mp3.h"
#include "Pictures.h"
#include "Synth.h"
#include "Text.h"
#include "platform/FontFiles.h"
#include "Timeline.h"
#include "Writer3DS.h"

namespace fs = std::filesystem;

namespace {

void WriteFile(const fs::path& path, const std::vector<uint8_t>& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + path.string());
}

std::string FontFile() {
  const char* dejavu = "/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf";
  if (fs::exists(dejavu)) return dejavu;
  std::string found = FindFontFile("DejaVu Sans", true);
  if (found.empty()) throw std::runtime_error("no font for the pictures: DejaVu Sans bold is not installed");
  return found;
}

}  // namespace

std::vector<std::string> StageFiles() {
  return {"demo.vrk",
          "data/clock.3ds",
          "data/pea.3ds",
          "data/cuberoom.3ds",
          "data/stempel.3ds",
          "data/6.jpg",
          "data/stempelmetall.jpg",
          "data/4.jpg",
          "data/sparks.jpg",
          "data/7.jpg",
          "data/walls.jpg",
          "data/particle.jpg",
          "data/vemla/load.jpg",
          "data/vemla/groups.jpg",
          "data/vemla/credits.jpg",
          "data/vemla/demo.jpg",
          "data/vemla/greetings.jpg",
          "data/vemla/1.jpg",
          "data/vemla/2.jpg",
          "data/vemla/3.jpg",
          "data/vemla/4.jpg",
          "data/vemla/5.jpg",
          "data/vemla/6.jpg",
          "data/vemla/sound.mp3"};
}

void WriteStage(const std::string& timelineText, const std::string& dir, const std::string& wavFile) {
  fs::path root(dir), data = root / "data";
  // The track first in memory: a timeline error should stop everything early.
  std::vector<uint8_t> track = EncodeTrack(CompileSongTrack(timelineText), Tempo);

  WriteFile(data / "clock.3ds", Encode3DS(MakeClockLevels()));
  WriteFile(data / "pea.3ds", Encode3DS(MakePea()));
  WriteFile(data / "cuberoom.3ds", Encode3DS(MakeCubeRoom()));
  WriteFile(data / "stempel.3ds", Encode3DS(MakeStamp()));
  for (const Picture& p : MakePictures(FontFile())) WriteFile(data / p.Name, EncodeJpeg(p.Pixels, 90));

  std::vector<float> music = RenderSong();
  if (!wavFile.empty()) WriteFile(wavFile, EncodeWav(music));
  WriteFile(data / "vemla" / "sound.mp3", EncodeMp3(music, 160));
  // Last, so that its date says the whole directory is complete.
  WriteFile(root / "demo.vrk", track);
}
