// Keyboard key codes (the scan-code numbering the demo's key tests use,
// Escape = 1) and the texts for keyboard result codes.
#pragma once
#include <cstdint>
#include <string>

constexpr uint8_t DIK_ESCAPE = 0x01;

constexpr int32_t DI_OK = 0;
constexpr int32_t DIERR_NOTINITIALIZED = static_cast<int32_t>(0x80070015u);
constexpr int32_t DIERR_DEVICENOTREG = static_cast<int32_t>(0x80040154u);
constexpr int32_t DIERR_NOTACQUIRED = static_cast<int32_t>(0x8007000Cu);

// The message text for a result code; empty for an unknown code.
std::string DIErrorText(int32_t code);
