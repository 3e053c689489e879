// The one message routine. Every message the program shows goes through
// ShowMessage: a modal SDL message box where a display exists, and always a
// line "caption: text" on stderr. Tests install a recorder instead of a box.
#pragma once
#include <string>
#include <vector>

struct ShownMessage {
  std::string Caption;
  std::string Text;
};

void ShowMessage(const std::string& caption, const std::string& text);
// A line on stderr that needs no answer, such as what the program does when
// something is missing; recorded with an empty caption.
void ShowNotice(const std::string& text);
// The same line on stderr, recorded like any message, but never a box: for
// trouble the program carries on through, where a box would stop it.
void ReportMessage(const std::string& caption, const std::string& text);

// While recording, messages are appended to a list and no box is shown.
void StartRecordingMessages();
void StopRecordingMessages();
const std::vector<ShownMessage>& RecordedMessages();
void ClearRecordedMessages();
