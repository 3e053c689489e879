// The editor's panels, each an immediate-mode view drawn anew every frame
// from the document and the view state on the one time axis: the tracker,
// the curves, the music's waveform and the ruler with the transport's
// marks and loop. What the user asks of a panel comes back as edits through
// TEditing, cursor moves in the state, or a seek.
#pragma once
#include <imgui.h>

#include <optional>

#include "Document.h"
#include "Editing.h"
#include "EditorState.h"
#include "Waveform.h"

struct TPanelContext {
  TPanelContext(const TimelineDocument& doc, TEditorState& state, TEditing& editing)
      : Doc(doc), State(state), Editing(editing) {}
  const TimelineDocument& Doc;
  TEditorState& State;
  TEditing& Editing;
  // What the panels' own edits and moves did, gathered for the program.
  TApplied Asked;
  // The row playing has reached, a fraction between rows; none when paused.
  std::optional<double> PlayRow;
  // A row the user asked to play from or show (a click on the ruler, the
  // waveform or the curves); with a loop range asked for, that instead.
  std::optional<int> Seek;
  std::optional<TRowRange> LoopAsked;
  // The pixels along time the panels had this frame, the least of them:
  // the cursor is kept inside that many.
  float TimeExtent = 1e9f;

  void Take(const TApplied& applied);
};

// What the panels share (Panels.cpp): a panel is a child window of its
// size without scrolling of its own; its draw list, and where it begins.
ImDrawList* BeginPanel(const char* name, ImVec2 size, ImVec2& origin);
// The wheel over the item just made scrolls the axis by that many grid
// lines a click; with Ctrl it zooms.
void WheelOverItem(TTimeAxis& axis, float linesPerClick);

// The tracker: a column a channel, the grid's lines downward with their
// positions in the margin, each key's value and shape, the values between
// keys dimmed, repeats marked, the cursor, the selection and the playhead.
// Its header holds each channel's name and its mute, solo and curve switches.
void TracksPanel(TPanelContext& context, ImVec2 size);
// The width the tracker wants for every channel's column.
float TracksWidth(const TrackLayout& layout);

// The channels switched on for curves (or the cursor's channel where none
// is) as curves over time, in their colours; keys dragged in time and value,
// box selection, "off" stretches as gaps.
void CurvesPanel(TPanelContext& context, ImVec2 size);
// The music's waveform: each pixel column's lowest and highest sample and
// its loudness, with the beat and bar lines and bar numbers.
void WaveformPanel(TPanelContext& context, const TWaveform& wave, ImVec2 size);
// The ruler: bar numbers, the marks, the loop range, the cursor and the
// playhead; a click or a drag seeks, with Shift it sets the loop range.
void RulerPanel(TPanelContext& context, ImVec2 size);
