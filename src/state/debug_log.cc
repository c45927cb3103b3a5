#include "state/debug_log.h"

#include <cstdio>

namespace kelvaro {

void OpenDebugLog(Panel& panel) {
  PanelState& s = panel.state;
  if (s.config.debugLog != 1) return;
  panel.debugFile.open(panel.File("debug.dat"), std::ios::binary | std::ios::trunc);
  if (!panel.debugFile.is_open()) return;
  LocalDateTime t = panel.clock.Now();
  char date[32];
  char time[32];
  std::snprintf(date, sizeof date, "%02d-%02d-%04d", t.day, t.month, t.year);
  std::snprintf(time, sizeof time, "%02d:%02d:%02d", t.hour, t.minute, t.second);
  s.cat.logLine = "KELVARO " + s.config.versionText.str() + "  " + date + "   " + time;
  WriteLogLine(panel, s.cat.logLine);
  s.cat.logLine = "Comport=" + NumberToText(s.config.comPort) + "  Speed=" + NumberToText(s.config.baudRate) + " Baud";
  WriteLogLine(panel, s.cat.logLine);
}

void WriteLogLine(Panel& panel, std::string_view text) {
  if (!panel.debugFile.is_open()) return;
  panel.debugFile << Text(text).view() << "\r\n";
  panel.debugFile.flush();
}

std::string KeyLogLine(int keyCode) {
  if (keyCode == 13) return "*C/R";
  if (keyCode == 190 || keyCode == 110) return "*.";
  std::string line = "*";
  line += static_cast<char>(keyCode & 0xFF);
  if (keyCode >= 96 && keyCode <= 105) {
    line += " (";
    line += static_cast<char>(keyCode - 48);
    line += ")";
  }
  return line;
}

void CloseDebugLog(Panel& panel) {
  if (panel.debugFile.is_open()) panel.debugFile.close();
}

}  // namespace kelvaro
