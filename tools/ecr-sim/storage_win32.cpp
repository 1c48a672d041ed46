// The state folder on Windows: the same contract as on POSIX, with the Win32
// file API (paths are taken as ANSI, like everything else here).

#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <stdexcept>

#include "storage.h"

namespace merid::sim {

namespace {

std::string envOr(const char* name) {
  const char* v = std::getenv(name);
  return v ? std::string(v) : std::string();
}

bool isSeparator(char c) { return c == '/' || c == '\\'; }

HANDLE openFile(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

void writeAll(HANDLE h, const std::string& content, const std::string& path) {
  size_t done = 0;
  while (done < content.size()) {
    DWORD chunk = DWORD(std::min<size_t>(content.size() - done, 1u << 20)), written = 0;
    if (!WriteFile(h, content.data() + done, chunk, &written, nullptr) || written == 0)
      throw std::runtime_error("cannot write " + path);
    done += written;
  }
}

}  // namespace

std::string defaultStateDir() {
  std::string dir = envOr("MERID_SIM_DIR");
  if (!dir.empty()) return dir;
  dir = envOr("LOCALAPPDATA");
  if (!dir.empty()) return dir + "\\merid-ecr-sim";
  dir = envOr("TEMP");
  return (dir.empty() ? std::string("C:\\") : dir + "\\") + "merid-ecr-sim";
}

bool makeDirs(const std::string& dir) {
  if (dir.empty()) return false;
  for (size_t at = 1; at <= dir.size(); ++at) {
    if (at == dir.size() || isSeparator(dir[at])) {
      std::string part = dir.substr(0, at);
      if (part.size() == 2 && part[1] == ':') continue;  // a drive
      if (!CreateDirectoryA(part.c_str(), nullptr) && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
  }
  DWORD attributes = GetFileAttributesA(dir.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool fileExists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool isFolder(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<std::string> listFolder(const std::string& dir) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found{};
  HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
  if (h == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(h, &found));
  FindClose(h);
  return names;
}

bool removeFile(const std::string& path) { return DeleteFileA(path.c_str()) != 0; }

std::string readFile(const std::string& path) {
  HANDLE h = openFile(path, GENERIC_READ, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD e = GetLastError();
    if (e == ERROR_FILE_NOT_FOUND || e == ERROR_PATH_NOT_FOUND) return {};
    throw std::runtime_error("cannot open " + path);
  }
  std::string out;
  char buf[65536];
  for (;;) {
    DWORD n = 0;
    if (!ReadFile(h, buf, sizeof buf, &n, nullptr)) {
      CloseHandle(h);
      throw std::runtime_error("cannot read " + path);
    }
    if (n == 0) break;
    out.append(buf, n);
  }
  CloseHandle(h);
  return out;
}

void replaceFile(const std::string& path, const std::string& content) {
  std::string temp = path + ".tmp" + std::to_string(GetCurrentProcessId());
  HANDLE h = openFile(temp, GENERIC_WRITE, CREATE_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot create " + temp);
  try {
    writeAll(h, content, temp);
  } catch (...) {
    CloseHandle(h);
    DeleteFileA(temp.c_str());
    throw;
  }
  CloseHandle(h);
  if (!MoveFileExA(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    DeleteFileA(temp.c_str());
    throw std::runtime_error("cannot rename " + temp);
  }
}

void appendFile(const std::string& path, const std::string& content, bool durable) {
  HANDLE h = CreateFileA(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  try {
    writeAll(h, content, path);
    if (durable && !FlushFileBuffers(h)) throw std::runtime_error("cannot sync " + path);
  } catch (...) {
    CloseHandle(h);
    throw;
  }
  CloseHandle(h);
}

void truncateFile(const std::string& path, uint64_t size) {
  HANDLE h = openFile(path, GENERIC_WRITE, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  LARGE_INTEGER at;
  at.QuadPart = LONGLONG(size);
  const bool ok = SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h);
  CloseHandle(h);
  if (!ok) throw std::runtime_error("cannot truncate " + path);
}

uint64_t fileIdentity(const std::string& path, uint64_t& size, int64_t* modified) {
  size = 0;
  if (modified) *modified = 0;
  HANDLE h = openFile(path, 0, OPEN_EXISTING);
  if (h == INVALID_HANDLE_VALUE) return 0;
  BY_HANDLE_FILE_INFORMATION info{};
  const bool ok = GetFileInformationByHandle(h, &info);
  CloseHandle(h);
  if (!ok) return 0;
  size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
  if (modified)
    *modified = int64_t((uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
  return ((uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow) + 1;
}

int64_t localWallSeconds() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  FILETIME ft{};
  SystemTimeToFileTime(&local, &ft);
  const uint64_t ticks = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;  // 100 ns since 1601
  return int64_t(ticks / 10000000ULL) - 11644473600LL;
}

bool PortLock::acquire(const std::string& dir) {
  if (held() && dir == dir_) return true;
  release();
  if (!makeDirs(dir)) return false;
  const std::string path = dir + "\\.port";
  HANDLE h = openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) return false;
  OVERLAPPED whole{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(h);
    return false;
  }
  handle_ = reinterpret_cast<intptr_t>(h);
  dir_ = dir;
  return true;
}

void PortLock::release() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));  // closing releases the lock
  handle_ = -1;
  dir_.clear();
}

FolderLock::FolderLock(const std::string& dir) {
  // The first command on a new state folder makes it.
  if (!makeDirs(dir)) throw std::runtime_error("cannot create " + dir);
  const std::string path = dir + "\\.lock";
  HANDLE h = openFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (h == INVALID_HANDLE_VALUE) throw std::runtime_error("cannot open " + path);
  OVERLAPPED whole{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole)) {
    CloseHandle(h);
    throw std::runtime_error("cannot lock " + path);
  }
  handle_ = reinterpret_cast<intptr_t>(h);
}

FolderLock::~FolderLock() {
  if (handle_ != -1) CloseHandle(reinterpret_cast<HANDLE>(handle_));  // closing releases the lock
}

}  // namespace merid::sim
