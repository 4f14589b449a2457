// Shared by the sample payload's stand-in programs: reading their own
// environment settings and writing a UTF-8 report for the tests.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <cstdio>
#include <string>

namespace standin {

// The value of an environment variable, or `fallback` when it is not set.
inline std::wstring Setting(const wchar_t* name, const wchar_t* fallback = L"") {
  wchar_t small[512];
  DWORD length = GetEnvironmentVariableW(name, small, 512);
  if (length == 0) return GetLastError() == ERROR_ENVVAR_NOT_FOUND ? fallback : L"";
  if (length < 512) return std::wstring(small, length);
  std::wstring large(length, L'\0');
  length = GetEnvironmentVariableW(name, large.data(), length);
  large.resize(length);
  return large;
}

inline unsigned long long SettingNumber(const wchar_t* name, unsigned long long fallback) {
  std::wstring text = Setting(name);
  return text.empty() ? fallback : wcstoull(text.c_str(), nullptr, 0);
}

inline std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  int bytes = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr,
                                  0, nullptr, nullptr);
  std::string out(bytes, '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), bytes,
                      nullptr, nullptr);
  return out;
}

// Appends text to the file named by the environment variable reportSetting,
// when it is set.
inline void AppendReport(const wchar_t* reportSetting, const std::string& text) {
  std::wstring path = Setting(reportSetting);
  if (path.empty()) return;
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  DWORD written = 0;
  WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(file);
}

// Loads the library named by the environment variable setting, when it is
// set, by name as a program loads one on demand, and answers where it came
// from ("none" when it did not load); empty when the setting is not set.
inline std::string LoadNamedLibrary(const wchar_t* setting) {
  const std::wstring name = Setting(setting);
  if (name.empty()) return std::string();
  std::wstring loaded = L"none";
  if (HMODULE library = LoadLibraryW(name.c_str())) {
    wchar_t path[MAX_PATH];
    loaded.assign(path, GetModuleFileNameW(library, path, MAX_PATH));
  }
  return Utf8(loaded);
}

// What the program was started with: its current folder, the variables
// that say where it puts files and finds programs, and whether a file can
// be made in its TEMP (an inner setup copies itself there). One
// "<prefix>name=value" line each.
inline std::string StartReport(const std::string& prefix) {
  wchar_t folder[MAX_PATH] = L"";
  GetCurrentDirectoryW(MAX_PATH, folder);
  std::string report = prefix + "current-folder=" + Utf8(folder) + "\n";
  for (const wchar_t* name : {L"TEMP", L"TMP", L"PATH", L"windir", L"SystemRoot", L"ComSpec"}) {
    report += prefix + "env-" + Utf8(name) + "=" + Utf8(Setting(name, L"(unset)")) + "\n";
  }
  const std::wstring clone = Setting(L"TEMP") + L"\\clone.tmp";
  HANDLE file = CreateFileW(clone.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  report += prefix + "temp-writable=" + (file != INVALID_HANDLE_VALUE ? "1" : "0") + "\n";
  if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  return report;
}

inline std::wstring OwnFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, length);
  return text.substr(0, text.find_last_of(L'\\'));
}

// The report's form of a file's bytes: "|<size>|<FNV-1a 64 in hex>", enough
// to tell the payload's files apart. The tests read reports with the same.
inline std::string FileDetail(const std::string& bytes) {
  unsigned long long hash = 1469598103934665603ULL;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ULL;
  char detail[64];
  std::snprintf(detail, sizeof(detail), "|%zu|%016llx", bytes.size(), hash);
  return detail;
}

// Bytes as lower-case hexadecimal, two digits each.
inline std::string Hex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char byte : bytes) {
    out += kDigits[byte >> 4];
    out += kDigits[byte & 15];
  }
  return out;
}

}  // namespace standin
