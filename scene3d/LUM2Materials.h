// The texture registry: every texture is loaded once per file name and kept.
#pragma once
#include <cstdint>
#include <string>

// "Not registered" and "failed to load".
constexpr uint32_t NoTexture = 0xFFFFFFFFu;

// The texture for a file name, loading it on first use; NoTexture on failure.
uint32_t GetTexture(const std::string& name);
