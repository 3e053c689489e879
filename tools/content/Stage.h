// Writing the whole run directory: "demo.vrk" at its top, every model,
// texture, picture and the music below "data".
#pragma once
#include <string>
#include <vector>

// Every file the run directory holds, relative to it, "/" separated.
std::vector<std::string> StageFiles();

// Compiles the timeline text against the music's length and writes the run
// directory into `dir`. When `wavFile` is not empty the music also goes
// there as WAV, for listening. Throws on any failure.
void WriteStage(const std::string& timelineText, const std::string& dir, const std::string& wavFile = "");
