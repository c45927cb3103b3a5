#include "state/phrase_file.h"

#include <string>

namespace kelvaro {
namespace {

constexpr std::string_view kWaveFolder = "wave\\";

}  // namespace

std::filesystem::path PhraseFile(const Panel& panel, std::string_view name) {
  // "wave\" is the chosen phrase folder when one was given; any other folder
  // text is taken relative to the working folder.
  const bool chosen = panel.state.config.waveFolder == kWaveFolder && !panel.phraseFolder.empty();
  std::string relative = (chosen ? std::string() : panel.state.config.waveFolder.str()) + std::string(name);
  for (char& c : relative) {
    if (c == '\\') c = '/';
  }
  if (name.find('.') == std::string_view::npos) relative += ".wav";
  return (chosen ? panel.phraseFolder : panel.workDir) / relative;
}

std::optional<std::chrono::milliseconds> PhraseLength(Panel& panel, std::string_view name) {
  return panel.voice.Length(PhraseFile(panel, name));
}

}  // namespace kelvaro
