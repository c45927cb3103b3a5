// Playing phrases from the phrase folder.
#pragma once

#include <chrono>
#include <optional>
#include <string_view>

#include "state/panel.h"
#include "state/phrase_file.h"  // PhraseLength

namespace kelvaro {

// Plays the phrase `name` from `waveFolder` ("wave\" is the folder wave/ in the
// working folder) and returns when it has finished. A bare name gets ".wav"
// appended. A missing or unplayable file is silent and returns at once.
// Phrases played from the phrase folder are noted in the speech log, by the
// name exactly as passed. Returns whether the recording was played. While
// panel.quiet is set nothing is played or noted.
bool PlayPhrase(Panel& panel, std::string_view name);
// The same, but returns at once while the phrase plays on; the next phrase
// cuts it off. Only the help recording is played this way.
bool PlayPhraseAsync(Panel& panel, std::string_view name);
// The same as PlayPhrase, but returns at once: the phrase is put in line
// behind what plays and plays to its end; the next phrase follows it. What
// comes after it meanwhile must not depend on its having been heard.
bool PlayPhraseQueued(Panel& panel, std::string_view name);

}  // namespace kelvaro
