#include "speech/phrase.h"

#include <string>

namespace kelvaro {
namespace {

constexpr std::string_view kWaveFolder = "wave\\";

std::filesystem::path PhraseFile(const Panel& panel, std::string_view name) {
  // "wave\" is the chosen phrase folder when one was given; any other folder
  // text is taken relative to the working folder.
  const bool chosen = panel.state.waveFolder == kWaveFolder && !panel.phraseFolder.empty();
  std::string relative = (chosen ? std::string() : panel.state.waveFolder.str()) + std::string(name);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  if (name.find('.') == std::string_view::npos) relative += ".wav";
  return (chosen ? panel.phraseFolder : panel.workDir) / relative;
}

void NoteSpoken(Panel& panel, std::string_view name) {
  if (panel.speechLog && panel.state.waveFolder == kWaveFolder) {
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

std::optional<std::chrono::milliseconds> PhraseLength(Panel& panel, std::string_view name) {
  return panel.voice.Length(PhraseFile(panel, name));
}

bool PlayPhraseAsync(Panel& panel, std::string_view name) {
  if (panel.quiet) return false;
  NoteSpoken(panel, name);
  return panel.voice.PlayAsync(PhraseFile(panel, name));
}

}  // namespace kelvaro
