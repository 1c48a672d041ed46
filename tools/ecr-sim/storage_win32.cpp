// The state folder's operating-system calls on Windows (paths are taken as
// ANSI, like everything else here). Win32 errors become errno values.

#include <windows.h>

#include <algorithm>
#include <cerrno>

#include "storage.h"

namespace merid::sim {

namespace {

int errnoOf(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return ENOENT;
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return EEXIST;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
      return EACCES;
    case ERROR_LOCK_VIOLATION:
      return EAGAIN;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return ENOSPC;
    default:
      return EIO;
  }
}

int result(BOOL ok) {
  return ok ? 0 : errnoOf(GetLastError());
}

HANDLE handleOf(FileSystem::Handle h) {
  return reinterpret_cast<HANDLE>(h);
}

HANDLE openFile(const std::string& path, DWORD access, DWORD disposition) {
  return CreateFileA(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                     disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
}

class Win32FileSystem : public FileSystem {
 public:
  int open(const std::string& path, Mode mode, Handle& handle) override {
    static const DWORD access[] = {GENERIC_READ, GENERIC_WRITE, FILE_APPEND_DATA,
                                   GENERIC_READ | GENERIC_WRITE};
    static const DWORD disposition[] = {OPEN_EXISTING, CREATE_ALWAYS, OPEN_ALWAYS, OPEN_ALWAYS};
    HANDLE h = openFile(path, access[int(mode)], disposition[int(mode)]);
    if (h == INVALID_HANDLE_VALUE) return errnoOf(GetLastError());
    handle = reinterpret_cast<Handle>(h);
    return 0;
  }
  int read(Handle handle, char* buffer, size_t size, size_t& got) override {
    DWORD n = 0;
    const int error =
        result(ReadFile(handleOf(handle), buffer, DWORD(std::min<size_t>(size, 1u << 20)), &n, nullptr));
    got = n;
    return error;
  }
  int write(Handle handle, const char* data, size_t size, size_t& written) override {
    DWORD n = 0;
    const int error =
        result(WriteFile(handleOf(handle), data, DWORD(std::min<size_t>(size, 1u << 20)), &n, nullptr));
    written = n;
    return error;
  }
  int sync(Handle handle) override { return result(FlushFileBuffers(handleOf(handle))); }
  int lock(Handle handle, bool wait) override {
    OVERLAPPED whole{};
    const DWORD flags = LOCKFILE_EXCLUSIVE_LOCK | (wait ? 0 : LOCKFILE_FAIL_IMMEDIATELY);
    return result(LockFileEx(handleOf(handle), flags, 0, MAXDWORD, MAXDWORD, &whole));
  }
  int close(Handle handle) override { return result(CloseHandle(handleOf(handle))); }
  int truncate(const std::string& path, uint64_t size) override {
    HANDLE h = openFile(path, GENERIC_WRITE, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return errnoOf(GetLastError());
    LARGE_INTEGER at;
    at.QuadPart = LONGLONG(size);
    const int error = result(SetFilePointerEx(h, at, nullptr, FILE_BEGIN) && SetEndOfFile(h));
    CloseHandle(h);
    return error;
  }
  int rename(const std::string& from, const std::string& to) override {
    return result(MoveFileExA(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  }
  int remove(const std::string& path) override { return result(DeleteFileA(path.c_str())); }
  int makeDir(const std::string& path) override { return result(CreateDirectoryA(path.c_str(), nullptr)); }
  int list(const std::string& dir, std::vector<std::string>& names) override {
    WIN32_FIND_DATAA found{};
    HANDLE h = FindFirstFileA((dir + "\\*").c_str(), &found);
    if (h == INVALID_HANDLE_VALUE) return errnoOf(GetLastError());
    do {
      const std::string name = found.cFileName;
      if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &found));
    FindClose(h);
    return 0;
  }
  int status(const std::string& path, FileStatus& status) override {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return errnoOf(GetLastError());
    status = FileStatus{};
    status.folder = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    status.id = 1;
    if (status.folder) return 0;
    HANDLE h = openFile(path, 0, OPEN_EXISTING);
    if (h == INVALID_HANDLE_VALUE) return errnoOf(GetLastError());
    BY_HANDLE_FILE_INFORMATION info{};
    const int error = result(GetFileInformationByHandle(h, &info));
    CloseHandle(h);
    if (error != 0) return error;
    status.size = (uint64_t(info.nFileSizeHigh) << 32) | info.nFileSizeLow;
    status.modified =
        int64_t((uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32) | info.ftLastWriteTime.dwLowDateTime);
    status.id = ((uint64_t(info.nFileIndexHigh) << 32) | info.nFileIndexLow) + 1;
    return 0;
  }
};

}  // namespace

FileSystem& systemFileSystem() {
  static Win32FileSystem fs;
  return fs;
}

std::string systemStateDir() {
  std::string dir = environment("LOCALAPPDATA");
  if (!dir.empty()) return dir + "\\merid-ecr-sim";
  dir = environment("TEMP");
  return (dir.empty() ? std::string("C:\\") : dir + "\\") + "merid-ecr-sim";
}

int64_t localWallSeconds() {
  SYSTEMTIME local{};
  GetLocalTime(&local);
  FILETIME ft{};
  SystemTimeToFileTime(&local, &ft);
  const uint64_t ticks = (uint64_t(ft.dwHighDateTime) << 32) | ft.dwLowDateTime;  // 100 ns since 1601
  return int64_t(ticks / 10000000ULL) - 11644473600LL;
}

uint64_t processId() {
  return uint64_t(GetCurrentProcessId());
}

}  // namespace merid::sim
