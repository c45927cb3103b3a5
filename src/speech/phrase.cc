#include "speech/phrase.h"

#include <string>

namespace kelvaro {
namespace {

constexpr std::string_view kWaveFolder = "wave\\";

void NoteSpoken(Panel& panel, std::string_view name) {
  if (panel.speechLog && panel.state.config.waveFolder == kWaveFolder) {
    *panel.speechLog << name << '\n';
    panel.speechLog->flush();
  }
}

}  // namespace

bool PlayPhrase(Panel& panel, std::string_view name) {
  if (panel.quiet) return false;
  NoteSpoken(panel, name);
  return panel.voice.PlaySync(PhraseFile(panel, name));
}

bool PlayPhraseQueued(Panel& panel, std::string_view name) {
  if (panel.quiet) return false;
  NoteSpoken(panel, name);
  return panel.voice.PlayQueued(PhraseFile(panel, name));
}

bool PlayPhraseAsync(Panel& panel, std::string_view name) {
  if (panel.quiet) return false;
  NoteSpoken(panel, name);
  return panel.voice.PlayAsync(PhraseFile(panel, name));
}

}  // namespace kelvaro
