#include "Transport.h"

#include "platform/Music.h"

void TTransport::SetMusic(int32_t sample, double trackEnd) {
  Sample = sample;
  End = trackEnd;
}

void TTransport::Start(double from) {
  StopPlayback(Playback);
  From = from;
  ClockStart = Clock.GetTime();
  Playback = Sample >= 0 ? PlaySample(Sample, 100, 50, from) : 0;
}

void TTransport::Play(double from, std::optional<TLoopTimes> loop) {
  Loop = loop && loop->To > loop->From ? loop : std::nullopt;
  Active = true;
  Start(from);
}

void TTransport::Stop() {
  StopPlayback(Playback);
  Playback = 0;
  Active = false;
}

double TTransport::Now() {
  if (!Active) return From;
  double now = From + (Clock.GetTime() - ClockStart);
  // The music's clock where it plays; past the music's end (or with no
  // music) the timer goes on.
  if (Playback != 0) {
    const double heard = PlaybackPosition(Playback);
    if (heard >= 0) now = heard;
  }
  if (Loop && now >= Loop->To && From < Loop->To) {
    Start(Loop->From);
    return From;
  }
  if (End >= 0 && now >= End) {
    Stop();
    From = End;
    return End;
  }
  return now;
}
