// The COM ports through SetupAPI (the ports class's present devices, their
// friendly names and port names) and the registry's SERIALCOMM map.
#include <windows.h>
#include <devguid.h>
#include <setupapi.h>

#include <string>

#include "platform/com_ports.h"

namespace kelvaro {
namespace {

std::string Narrow(const wchar_t* text, std::size_t length) {
  if (length == 0) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
  if (size > 0) WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), out.data(), size, nullptr, nullptr);
  return out;
}

// A string value as read, without the ending NULs.
std::string Text(const std::wstring& value) {
  std::size_t length = value.find(L'\0');
  return Narrow(value.c_str(), length == std::wstring::npos ? value.size() : length);
}

std::string FriendlyName(HDEVINFO set, SP_DEVINFO_DATA* data) {
  wchar_t buffer[512] = {};
  DWORD type = 0;
  if (!SetupDiGetDeviceRegistryPropertyW(set, data, SPDRP_FRIENDLYNAME, &type, reinterpret_cast<BYTE*>(buffer),
                                         sizeof buffer - sizeof(wchar_t), nullptr) ||
      type != REG_SZ) {
    return {};
  }
  return Text(buffer);
}

std::string PortName(HDEVINFO set, SP_DEVINFO_DATA* data) {
  HKEY key = SetupDiOpenDevRegKey(set, data, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
  if (key == INVALID_HANDLE_VALUE) return {};
  wchar_t buffer[64] = {};
  DWORD type = 0, size = sizeof buffer - sizeof(wchar_t);
  const LONG got = RegQueryValueExW(key, L"PortName", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  if (got != ERROR_SUCCESS || type != REG_SZ) return {};
  return Text(buffer);
}

void ListDevices(std::vector<ComPortRecord>* out) {
  HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return;
  SP_DEVINFO_DATA data{};
  data.cbSize = sizeof data;
  for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &data); ++i) {
    ComPortRecord record;
    record.portName = PortName(set, &data);
    record.friendlyName = FriendlyName(set, &data);
    if (!record.portName.empty()) out->push_back(std::move(record));
  }
  SetupDiDestroyDeviceInfoList(set);
}

void ListSerialComm(std::vector<ComPortRecord>* out) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_READ, &key) != ERROR_SUCCESS) return;
  for (DWORD i = 0;; ++i) {
    wchar_t name[256] = {};
    wchar_t value[64] = {};
    DWORD nameLength = 255, type = 0, size = sizeof value - sizeof(wchar_t);
    const LONG got =
        RegEnumValueW(key, i, name, &nameLength, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
    if (got == ERROR_NO_MORE_ITEMS) break;
    if (got != ERROR_SUCCESS || type != REG_SZ) continue;
    out->push_back({Text(value), {}, Narrow(name, nameLength)});
  }
  RegCloseKey(key);
}

}  // namespace

SystemComPorts ListSystemComPorts() {
  SystemComPorts ports;
  ListDevices(&ports.devices);
  ListSerialComm(&ports.serialComm);
  return ports;
}

}  // namespace kelvaro
