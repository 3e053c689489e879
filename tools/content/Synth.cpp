#include "Synth.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

constexpr double Pi = std::numbers::pi;
constexpr double Sr = SampleRate;

double MidiHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

// A small deterministic noise source.
struct Noise {
  uint32_t State;
  explicit Noise(uint32_t seed) : State(seed * 2654435761u + 12345u) {}
  double Next() {
    State ^= State << 13;
    State ^= State >> 17;
    State ^= State << 5;
    return State / 2147483648.0 - 1.0;
  }
};

// Band-limited sawtooth (polyBLEP), phase in [0, 1).
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}
double Saw(double phase, double dt) { return 2.0 * phase - 1.0 - PolyBlep(phase, dt); }

// State-variable filter (trapezoidal), stable under fast cutoff changes.
struct Svf {
  double Ic1 = 0, Ic2 = 0;
  double G = 0, K = 1, A1 = 0, A2 = 0, A3 = 0;
  void Set(double cutoff, double q) {
    cutoff = std::clamp(cutoff, 20.0, Sr * 0.45);
    G = std::tan(Pi * cutoff / Sr);
    K = 1.0 / q;
    A1 = 1.0 / (1.0 + G * (G + K));
    A2 = G * A1;
    A3 = G * A2;
  }
  // Returns the low-pass output; band and high pass through the pointers.
  double Run(double x, double* band = nullptr, double* high = nullptr) {
    double v3 = x - Ic2;
    double v1 = A1 * Ic1 + A2 * v3;
    double v2 = Ic2 + A2 * Ic1 + A3 * v3;
    Ic1 = 2 * v1 - Ic1;
    Ic2 = 2 * v2 - Ic2;
    if (band) *band = v1;
    if (high) *high = x - K * v1 - v2;
    return v2;
  }
};

// Mixing buses the instruments add into; effects run over the sends at the end.
struct Buses {
  std::vector<double> L, R, Reverb, Delay, Duck;
  explicit Buses(size_t n) : L(n), R(n), Reverb(n), Delay(n), Duck(n, 1.0) {}
  size_t Size() const { return L.size(); }
  void Add(size_t i, double l, double r, double reverb = 0, double delay = 0) {
    if (i >= L.size()) return;
    L[i] += l;
    R[i] += r;
    Reverb[i] += (l + r) * 0.5 * reverb;
    Delay[i] += (l + r) * 0.5 * delay;
  }
};

double Env(double t, double attack, double length, double release) {
  if (t < 0) return 0;
  double a = attack > 0 ? std::min(1.0, t / attack) : 1.0;
  if (t > length) a *= std::max(0.0, 1.0 - (t - length) / release);
  return a;
}

void Kick(Buses& b, size_t at, double vel) {
  double phase = 0;
  Noise n{uint32_t(at)};
  size_t len = size_t(0.5 * Sr);
  for (size_t i = 0; i < len; ++i) {
    double t = i / Sr;
    double f = 44 + 120 * std::exp(-t / 0.028) + 30 * std::exp(-t / 0.004);
    phase += 2 * Pi * f / Sr;
    double amp = std::exp(-t / 0.32) * std::min(1.0, (0.5 - t) / 0.05);
    double s = std::tanh(1.6 * std::sin(phase) * amp) + n.Next() * std::exp(-t / 0.002) * 0.25;
    s *= vel * 0.85;
    b.Add(at + i, s, s);
  }
}

void Clap(Buses& b, size_t at, double vel) {
  Noise n(uint32_t(at) + 7);
  Svf bp;
  bp.Set(1300, 0.9);
  double phase = 0;
  size_t len = size_t(0.35 * Sr);
  for (size_t i = 0; i < len; ++i) {
    double t = i / Sr;
    double bursts = 0;
    for (double o : {0.0, 0.011, 0.022})
      if (t >= o) bursts = std::max(bursts, std::exp(-(t - o) / (o < 0.02 ? 0.006 : 0.13)));
    double band;
    bp.Run(n.Next(), &band);
    phase += 2 * Pi * 185 / Sr;
    double s = band * bursts * 1.6 + std::sin(phase) * std::exp(-t / 0.05) * 0.35;
    s *= vel * 0.5;
    b.Add(at + i, s * 0.95, s * 1.05, 0.5);
  }
}

void Hat(Buses& b, size_t at, double vel, double decay, double pan) {
  Noise n(uint32_t(at) + 99);
  Svf hp;
  hp.Set(7500, 0.7);
  size_t len = size_t(std::min(0.5, decay * 7) * Sr);
  for (size_t i = 0; i < len; ++i) {
    double t = i / Sr;
    double high;
    hp.Run(n.Next(), nullptr, &high);
    double s = high * std::exp(-t / decay) * vel * 0.34;
    b.Add(at + i, s * (1 - pan), s * (1 + pan), 0.15);
  }
}

void Crash(Buses& b, size_t at, double vel) {
  Noise nl(uint32_t(at) + 3), nr(uint32_t(at) + 5);
  Svf hl, hr;
  hl.Set(3500, 0.6);
  hr.Set(3500, 0.6);
  size_t len = size_t(2.2 * Sr);
  for (size_t i = 0; i < len; ++i) {
    double t = i / Sr;
    double a, c;
    hl.Run(nl.Next(), nullptr, &a);
    hr.Run(nr.Next(), nullptr, &c);
    double e = std::exp(-t / 0.55) * std::min(1.0, t / 0.002) * vel * 0.22;
    b.Add(at + i, a * e, c * e, 0.4);
  }
}

// A noise sweep rising over `len` samples into the next section.
void Riser(Buses& b, size_t at, size_t len, double vel) {
  Noise nl(uint32_t(at) + 11), nr(uint32_t(at) + 13);
  Svf fl, fr;
  for (size_t i = 0; i < len; ++i) {
    double x = double(i) / len;
    if (i % 32 == 0) {
      fl.Set(300 * std::pow(30.0, x), 2.5);
      fr.Set(330 * std::pow(30.0, x), 2.5);
    }
    double a, c;
    fl.Run(nl.Next(), &a);
    fr.Run(nr.Next(), &c);
    double e = x * x * vel * 0.3;
    b.Add(at + i, a * e, c * e, 0.5);
  }
}

void Bass(Buses& b, size_t at, size_t len, double note, double vel) {
  double f = MidiHz(note), dt = f / Sr, dt2 = f * 1.004 / Sr;
  double p1 = 0, p2 = 0.3, ps = 0;
  Svf lp;
  size_t total = len + size_t(0.01 * Sr);
  for (size_t i = 0; i < total; ++i) {
    double t = i / Sr;
    if (i % 8 == 0) lp.Set(180 + 2200 * vel * std::exp(-t / 0.07), 1.4);
    double s = Saw(p1, dt) + Saw(p2, dt2);
    p1 += dt;
    p1 -= std::floor(p1);
    p2 += dt2;
    p2 -= std::floor(p2);
    ps += 2 * Pi * f * 0.5 / Sr;
    double out = lp.Run(s * 0.5) + std::sin(ps) * 0.45;
    out *= Env(t, 0.003, len / Sr, 0.01) * vel * 0.36;
    size_t k = at + i;
    if (k < b.Size()) out *= b.Duck[k];
    b.Add(k, out, out);
  }
}

// Three detuned saws per note, spread over the stereo field.
void Pad(Buses& b, size_t at, size_t len, double note, double vel, double cutoff, double release, uint32_t seed) {
  Noise n(seed);
  double f = MidiHz(note);
  const double detune[3] = {-0.11, 0.0, 0.12};
  const double pan[3] = {-0.7, 0.0, 0.7};
  double ph[3], dt[3];
  for (int k = 0; k < 3; ++k) {
    ph[k] = (n.Next() + 1) * 0.5;
    dt[k] = f * std::pow(2.0, detune[k] / 12.0) / Sr;
  }
  Svf fl, fr;
  fl.Set(cutoff, 0.8);
  fr.Set(cutoff * 1.05, 0.8);
  size_t total = len + size_t(release * Sr);
  for (size_t i = 0; i < total; ++i) {
    double t = i / Sr;
    double l = 0, r = 0;
    for (int k = 0; k < 3; ++k) {
      double s = Saw(ph[k], dt[k]);
      ph[k] += dt[k];
      ph[k] -= std::floor(ph[k]);
      l += s * (1 - pan[k]);
      r += s * (1 + pan[k]);
    }
    double e = Env(t, 0.2, len / Sr, release) * vel * 0.05;
    size_t k = at + i;
    if (k < b.Size()) e *= 0.5 + 0.5 * b.Duck[k];
    b.Add(k, fl.Run(l) * e, fr.Run(r) * e, 0.5);
  }
}

void Pluck(Buses& b, size_t at, double note, double vel, double open, double pan) {
  double f = MidiHz(note), dt = f / Sr, ph = 0, sq = 0.25;
  Svf lp;
  size_t total = size_t(0.4 * Sr);
  for (size_t i = 0; i < total; ++i) {
    double t = i / Sr;
    if (i % 8 == 0) lp.Set(250 + 5000 * open * std::exp(-t / 0.07), 1.8);
    double s = Saw(ph, dt) * 0.6 + (sq < 0.5 ? 0.4 : -0.4);
    ph += dt;
    ph -= std::floor(ph);
    sq += dt;
    sq -= std::floor(sq);
    double e = std::exp(-t / 0.14) * std::min(1.0, t / 0.002) * vel * 0.16;
    size_t k = at + i;
    if (k < b.Size()) e *= 0.4 + 0.6 * b.Duck[k];
    double out = lp.Run(s) * e;
    b.Add(k, out * (1 - pan), out * (1 + pan), 0.2, 0.45);
  }
}

void Lead(Buses& b, size_t at, size_t len, double note, double vel, double bright) {
  double f = MidiHz(note);
  double ph[3] = {0, 0.33, 0.66};
  const double det[3] = {-0.08, 0.08, -12.0};
  Svf lp;
  size_t total = len + size_t(0.18 * Sr);
  double vib = 0;
  for (size_t i = 0; i < total; ++i) {
    double t = i / Sr;
    double depth = t > 0.15 ? std::min(1.0, (t - 0.15) / 0.3) * 0.18 : 0.0;
    vib = depth * std::sin(2 * Pi * 5.6 * t);
    if (i % 8 == 0) lp.Set((1400 + 2600 * std::exp(-t / 0.25)) * bright, 1.1);
    double s = 0;
    for (int k = 0; k < 3; ++k) {
      double dt = f * std::pow(2.0, (det[k] + vib) / 12.0) / Sr;
      s += (k == 2 ? 0.5 : 1.0) * Saw(ph[k], dt);
      ph[k] += dt;
      ph[k] -= std::floor(ph[k]);
    }
    double e = Env(t, 0.006, len / Sr, 0.18) * vel * 0.16;
    double out = lp.Run(s) * e;
    b.Add(at + i, out, out, 0.35, 0.55);
  }
}

struct Note {
  int Row, Length, Pitch;
};

// Lead phrases, four bars each, over Am F C G.
const std::vector<Note> PhraseA = {{0, 6, 76},  {6, 2, 74},  {8, 4, 72},  {12, 4, 69}, {16, 6, 77}, {22, 2, 76},
                                   {24, 4, 74}, {28, 4, 72}, {32, 6, 76}, {38, 2, 74}, {40, 4, 72}, {44, 2, 71},
                                   {46, 2, 72}, {48, 8, 74}, {56, 4, 71}, {60, 4, 67}};
const std::vector<Note> PhraseB = {{0, 4, 81},  {4, 4, 79},  {8, 4, 76},  {12, 4, 72}, {16, 4, 77}, {20, 4, 76},
                                   {24, 4, 74}, {28, 4, 72}, {32, 4, 79}, {36, 4, 76}, {40, 4, 72}, {44, 4, 76},
                                   {48, 12, 74}, {60, 4, 71}};
// The break's slow line over F G Am Am F G E E.
const std::vector<Note> BreakLine = {{0, 8, 69},   {8, 8, 72},   {16, 16, 74}, {32, 24, 76}, {56, 8, 72},
                                     {64, 8, 69},  {72, 8, 72},  {80, 16, 74}, {96, 16, 71}, {112, 16, 68}};

struct Chord {
  int Root;
  int Tones[3];
};
const Chord Am{45, {57, 60, 64}}, F{41, {57, 60, 65}}, C{48, {55, 60, 64}}, G{43, {55, 59, 62}},
    E{40, {56, 59, 64}};

enum Part { Intro, Build1, Main1, Bridge, Break, Build2, Finale, End };

Part PartOf(int bar) {
  if (bar < 8) return Intro;
  if (bar < 16) return Build1;
  if (bar < 32) return Main1;
  if (bar < 48) return Bridge;
  if (bar < 56) return Break;
  if (bar < 64) return Build2;
  if (bar < 88) return Finale;
  return End;
}

const Chord& ChordOf(int bar) {
  if (PartOf(bar) == Break) {
    static const Chord* line[8] = {&F, &G, &Am, &Am, &F, &G, &E, &E};
    return *line[(bar - 48) % 8];
  }
  static const Chord* line[4] = {&Am, &F, &C, &G};
  return *line[bar % 4];
}

size_t At(double row) { return size_t(StepToSample(row)); }
size_t Span(double rows) { return size_t(StepToSample(rows)); }

// Kicks first: the other instruments duck under them.
void ArrangeKicks(Buses& b) {
  std::vector<size_t> kicks;
  auto addKick = [&](double row, double vel) {
    Kick(b, At(row), vel);
    kicks.push_back(At(row));
  };
  for (int bar = 0; bar < SongBars; ++bar) {
    Part p = PartOf(bar);
    int r0 = bar * StepsPerBar;
    bool four = p == Build1 || p == Main1 || p == Bridge || p == Build2 || p == Finale;
    if (four)
      for (int beat = 0; beat < 4; ++beat) addKick(r0 + beat * 4, 1.0);
    if (bar == 0 || bar == 88) addKick(r0, 1.0);
    // The bridge's every other bar gets a pushed kick on the last sixteenth.
    if (p == Bridge && bar % 2 == 1) addKick(r0 + 14, 0.6);
  }
  std::sort(kicks.begin(), kicks.end());
  for (size_t k = 0; k < kicks.size(); ++k) {
    size_t end = k + 1 < kicks.size() ? kicks[k + 1] : b.Size();
    for (size_t i = kicks[k]; i < end && i < b.Size(); ++i) {
      double t = (i - kicks[k]) / Sr;
      b.Duck[i] = 1.0 - 0.6 * std::exp(-t / 0.09) * std::min(1.0, t / 0.004 + 0.3);
    }
  }
}

// Crashes, hats, claps, snare rolls and risers of one bar.
void ArrangeDrums(Buses& b, int bar) {
  Part p = PartOf(bar);
  int r0 = bar * StepsPerBar;
  bool drums = p == Build1 || p == Main1 || p == Bridge || p == Build2 || p == Finale;

  // Crashes open the sections and every eighth bar of the long ones.
  if (bar == 0 || bar == 8 || bar == 16 || bar == 24 || bar == 32 || bar == 40 || bar == 56 || bar == 64 ||
      bar == 72 || bar == 80 || bar == 88)
    Crash(b, At(r0), bar == 0 || bar == 16 || bar == 64 || bar == 88 ? 1.0 : 0.7);

  // Hats: off-beat eighths, then every sixteenth in the main parts.
  bool hats = drums || (p == Intro && bar >= 4);
  if (hats)
    for (int row = 0; row < 16; ++row) {
      bool off = row % 4 == 2;
      bool sixteenth = (p == Main1 || p == Finale || p == Bridge) && row % 2 == 1;
      if (off) Hat(b, At(r0 + row), p == Intro ? 0.6 : 1.0, row == 14 && bar % 2 ? 0.12 : 0.05, 0.2);
      else if (sixteenth) Hat(b, At(r0 + row), 0.45 + 0.1 * (row % 4 == 1), 0.025, -0.25);
    }
  // Claps on two and four.
  if (p == Main1 || p == Bridge || p == Finale || (p == Build1 && bar >= 12) || (p == Build2 && bar < 60)) {
    Clap(b, At(r0 + 4), 1.0);
    Clap(b, At(r0 + 12), 1.0);
  }
  // Snare rolls lead into the main parts.
  if ((p == Build1 && bar >= 14) || (p == Build2 && bar >= 60) || (p == Break && bar == 55)) {
    int step = 4;
    if (p == Build1) step = bar == 14 ? 2 : 1;
    if (p == Build2) step = bar < 62 ? 4 : bar == 62 ? 2 : 1;
    if (p == Break) step = 2;
    for (int row = 0; row < 16; row += step) {
      double x = double((bar * 16 + row) % 64) / 64.0;
      Clap(b, At(r0 + row), 0.35 + 0.6 * (p == Break ? row / 16.0 : x));
    }
  }
  if (bar == 12 || bar == 60) Riser(b, At(r0), Span(4 * StepsPerBar), 1.0);
  if (bar == 6 || bar == 54) Riser(b, At(r0), Span(2 * StepsPerBar), 0.7);
}

void ArrangeBass(Buses& b, int bar) {
  Part p = PartOf(bar);
  int r0 = bar * StepsPerBar;
  const Chord& ch = ChordOf(bar);
  // Bass: off-beat in the builds, rolling sixteenths in the main parts,
  // long low notes in the break.
  if (p == Build1 || p == Build2)
    for (int beat = 0; beat < 4; ++beat) Bass(b, At(r0 + beat * 4 + 2), Span(1.8), ch.Root, 0.8);
  if (p == Main1 || p == Bridge || p == Finale)
    for (int beat = 0; beat < 4; ++beat)
      for (int s = 1; s < 4; ++s) Bass(b, At(r0 + beat * 4 + s), Span(0.85), ch.Root + (s == 2 ? 12 : 0), 0.6 + 0.3 * (s == 1));
  if (p == Break) Bass(b, At(r0), Span(15.5), ch.Root, 0.35);
}

// Pads, stabs and the arpeggio over one bar's chord.
void ArrangeChords(Buses& b, int bar) {
  Part p = PartOf(bar);
  int r0 = bar * StepsPerBar;
  const Chord& ch = ChordOf(bar);
  // Pads hold the chords, swelling in the intro and ringing out at the end.
  bool pad = p != Bridge || bar % 8 >= 4;
  if (pad) {
    double cutoff = p == Intro ? 500 + 2300 * bar / 8.0 : p == Break ? 1600 : 2600;
    double vel = p == Break ? 1.2 : 1.0;
    if (p == End) {
      if (bar == 88)
        for (int k = 0; k < 3; ++k) Pad(b, At(r0), Span(5 * StepsPerBar), Am.Tones[k], 1.1, 1800, 3.0, 1000 + k);
    } else {
      for (int k = 0; k < 3; ++k) Pad(b, At(r0), Span(StepsPerBar - 0.5), ch.Tones[k], vel, cutoff, 0.35, bar * 3 + k);
    }
  }
  // Chord stabs on the off-beats in the bridge and finale.
  if (p == Bridge || (p == Finale && bar >= 72))
    for (int beat = 0; beat < 4; ++beat)
      for (int k = 0; k < 3; ++k)
        Pluck(b, At(r0 + beat * 4 + 2), ch.Tones[k] + 12, 0.8, 0.7, (k - 1) * 0.4);

  // Arpeggio over the chord, sixteenths.
  bool arp = p == Intro || p == Build1 || p == Main1 || p == Bridge || p == Build2 || p == Finale ||
             (p == End && bar < 92);
  if (arp) {
    static const int order[8] = {0, 1, 2, 3, 2, 1, 3, 1};
    double open = p == Intro ? 0.15 + 0.85 * bar / 8.0 : p == End ? 0.8 - 0.15 * (bar - 88) : 0.8;
    double vel = p == End ? 1.0 - 0.22 * (bar - 88) : 1.0;
    for (int row = 0; row < 16; ++row) {
      int k = order[row % 8];
      int note = k == 3 ? ch.Tones[0] + 24 : ch.Tones[k] + 12;
      Pluck(b, At(r0 + row), note, vel * (row % 4 == 0 ? 1.0 : 0.7), open, row % 2 ? 0.35 : -0.35);
    }
  }
}

// The lead's phrases that sound in one bar.
void ArrangeLead(Buses& b, int bar) {
  Part p = PartOf(bar);
  auto phrase = [&](const std::vector<Note>& line, int startBar, int shift, double vel, double bright) {
    for (const Note& n : line)
      if (n.Row / 16 == bar - startBar)
        Lead(b, At(startBar * 16 + n.Row), Span(n.Length - 0.3), n.Pitch + shift, vel, bright);
  };
  if (p == Main1 || p == Finale) {
    int base = p == Main1 ? 16 : 64;
    int local = bar - base;
    int start = base + local / 4 * 4;
    bool useB = (local / 4) % 2 == 1;
    int shift = p == Finale && bar >= 80 ? 12 : 0;
    phrase(useB ? PhraseB : PhraseA, start, shift, 1.0, shift ? 0.8 : 1.0);
  }
  if (p == Break) phrase(BreakLine, 48, 0, 0.9, 0.6);
  // The bridge's second half answers with the main phrase an octave down.
  if (p == Bridge && bar >= 40) phrase(bar < 44 ? PhraseA : PhraseB, bar < 44 ? 40 : 44, -12, 0.9, 0.75);
}

// Bar by bar, each bar's instruments in the same order, so that the buses
// sum them the same way on every run.
void Arrange(Buses& b) {
  ArrangeKicks(b);
  for (int bar = 0; bar < SongBars; ++bar) {
    ArrangeDrums(b, bar);
    ArrangeBass(b, bar);
    ArrangeChords(b, bar);
    ArrangeLead(b, bar);
  }
}

// Ping-pong delay of three sixteenths with a darkening feedback path.
void RunDelay(Buses& b, std::vector<double>& l, std::vector<double>& r) {
  size_t d = Span(3);
  std::vector<double> bl(d, 0.0), br(d, 0.0);
  double lpL = 0, lpR = 0;
  for (size_t i = 0; i < b.Size(); ++i) {
    size_t k = i % d;
    double outL = bl[k], outR = br[k];
    lpL += (outR - lpL) * 0.35;
    lpR += (outL - lpR) * 0.35;
    bl[k] = b.Delay[i] + lpL * 0.42;
    br[k] = lpR * 0.42;
    l[i] += outL * 0.5;
    r[i] += outR * 0.5;
  }
}

// A small Schroeder reverb: parallel damped combs and two all-passes a side.
void RunReverb(Buses& b, std::vector<double>& l, std::vector<double>& r) {
  const size_t combs[4] = {1557, 1617, 1491, 1422};
  const size_t allpasses[2] = {556, 441};
  for (int side = 0; side < 2; ++side) {
    size_t spread = side * 23;
    std::vector<std::vector<double>> cb;
    std::vector<double> damp(4, 0.0);
    std::vector<size_t> ci(4, 0);
    for (size_t c : combs) cb.emplace_back(c + spread, 0.0);
    std::vector<std::vector<double>> ab;
    std::vector<size_t> ai(2, 0);
    for (size_t a : allpasses) ab.emplace_back(a + spread, 0.0);
    std::vector<double>& out = side == 0 ? l : r;
    for (size_t i = 0; i < b.Size(); ++i) {
      double in = b.Reverb[i] * 0.3, acc = 0;
      for (int c = 0; c < 4; ++c) {
        double y = cb[c][ci[c]];
        damp[c] = y * 0.7 + damp[c] * 0.3;
        cb[c][ci[c]] = in + damp[c] * 0.84;
        ci[c] = (ci[c] + 1) % cb[c].size();
        acc += y;
      }
      for (int a = 0; a < 2; ++a) {
        double y = ab[a][ai[a]];
        ab[a][ai[a]] = acc + y * 0.5;
        ai[a] = (ai[a] + 1) % ab[a].size();
        acc = y - acc;
      }
      out[i] += acc * 0.25;
    }
  }
}

}  // namespace

int64_t StepToSample(double row) {
  return std::llround(row * Sr * 60.0 / (double(Tempo) * StepsPerBeat));
}

std::vector<float> RenderSong() {
  size_t n = size_t(StepToSample(SongSteps));
  Buses b(n);
  Arrange(b);
  std::vector<double> l = b.L, r = b.R;
  RunDelay(b, l, r);
  RunReverb(b, l, r);
  // The end fades out over its last four bars, reaching silence on the last sample.
  size_t fadeStart = size_t(StepToSample(92 * StepsPerBar));
  for (size_t i = fadeStart; i < n; ++i) {
    double x = 1.0 - double(i - fadeStart) / double(n - 1 - fadeStart);
    l[i] *= x * x;
    r[i] *= x * x;
  }
  // Remove DC, bring the mix to a steady loudness, round off the few peaks
  // above it with a soft knee, then set the peak to 0.89 (-1 dBFS).
  double dcL = 0, dcR = 0, prevL = 0, prevR = 0, energy = 0;
  for (size_t i = 0; i < n; ++i) {
    double xl = l[i], xr = r[i];
    dcL = 0.9972 * dcL + xl - prevL;
    dcR = 0.9972 * dcR + xr - prevR;
    prevL = xl;
    prevR = xr;
    l[i] = dcL;
    r[i] = dcR;
    energy += dcL * dcL + dcR * dcR;
  }
  double rms = std::sqrt(energy / (2.0 * n)) + 1e-12;
  auto knee = [](double x) {
    double a = std::fabs(x);
    if (a <= 0.6) return x;
    return std::copysign(0.6 + 0.4 * std::tanh((a - 0.6) / 0.4), x);
  };
  double peak = 1e-9;
  for (size_t i = 0; i < n; ++i) {
    l[i] = knee(l[i] * 0.19 / rms);
    r[i] = knee(r[i] * 0.19 / rms);
    peak = std::max({peak, std::fabs(l[i]), std::fabs(r[i])});
  }
  std::vector<float> out(n * 2);
  double g = 0.89 / peak;
  for (size_t i = 0; i < n; ++i) {
    out[2 * i] = float(l[i] * g);
    out[2 * i + 1] = float(r[i] * g);
  }
  return out;
}
