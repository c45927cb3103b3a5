// Where a phrase's recording is: the phrase folder's file for a phrase name.
#pragma once

#include <chrono>
#include <filesystem>
#include <optional>
#include <string_view>

#include "state/panel.h"

namespace kelvaro {

// The file of phrase `name` ("3", "delay", "rnftx.wav"): ".wav" is added to
// a name without a dot; "wave\" is the chosen phrase folder when one was
// given, any other folder text is taken relative to the working folder.
std::filesystem::path PhraseFile(const Panel& panel, std::string_view name);

// How long the phrase's recording plays; nothing when it cannot be played.
std::optional<std::chrono::milliseconds> PhraseLength(Panel& panel, std::string_view name);

}  // namespace kelvaro
