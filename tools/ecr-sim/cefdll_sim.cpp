// The printer library entry points over the device model. The link (open or
// closed) belongs to the process, and like a serial port only one process at a
// time can have it open; the printer's state belongs to the state folder and
// carries over from one process to the next.
#define MERID_CEFDLL_IMPLEMENTATION
#include <cstring>
#include <memory>
#include <mutex>
#include <string>

#include "ecr_model.h"
#include "merid/cefdll.h"
#include "storage.h"

extern "C" {
// Replaces faults.ini in the state folder with `ini` (NULL or "": no faults).
// Returns 0, or -1 when the file cannot be written.
MERID_CEFEXPORT int32_t MERID_CEFCALL MeridSimSetFaults(const char* ini);
// Gives this loaded copy of the library its own state folder, in place of
// $MERID_SIM_DIR (NULL or "": back to it). A host that serves several virtual
// printers loads one copy of the file per printer and names each its folder.
// Returns 0, or -1 when the folder cannot be made.
MERID_CEFEXPORT int32_t MERID_CEFCALL MeridSimSetFolder(const char* dir);
}

namespace {

using merid::sim::EcrModel;

// Longer commands are refused with a bad length without reading them whole.
constexpr size_t kMaxCommand = 4096;

// A serial port is exclusive: the link of one process at a time, from its
// open to its close; the port lock goes when the process does.
constexpr int32_t kPortBusy = merid::sim::kNotPossible;

struct Link {
  std::mutex mutex;
  std::unique_ptr<EcrModel> model;
  merid::sim::PortLock port;
  bool open = false;
  bool replyReady = false;
  std::string reply;
  std::string folder;  // MeridSimSetFolder's; empty: the environment's
};

// Freed when the library is unloaded: hosts load and unload it at will. The
// file system is made first so that it is destroyed after the link, whose
// port lock still closes through it.
Link& link() {
  static merid::sim::FileSystem& fs = merid::sim::systemFileSystem();
  static Link l;
  (void)fs;
  return l;
}

// The folder is looked up at each call so that $MERID_SIM_DIR set later counts.
EcrModel& model(Link& l) {
  std::string dir = l.folder.empty() ? merid::sim::defaultStateDir() : l.folder;
  if (!l.model || l.model->dir() != dir) l.model = std::make_unique<EcrModel>(dir);
  return *l.model;
}

// An open link follows the state folder: when $MERID_SIM_DIR names another
// printer, the link holds that printer's port or is closed.
bool holdPort(Link& l) {
  if (l.open && !l.port.acquire(model(l).dir())) l.open = false;
  return l.open;
}

void clearStatus(int32_t* status) {
  if (status) *status = 0;
}

}  // namespace

extern "C" {

MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFOpen(int32_t port, int32_t baud, uint8_t, uint8_t, uint8_t,
                                                uint8_t, int32_t* status) {
  try {
    clearStatus(status);
    Link& l = link();
    std::lock_guard<std::mutex> guard(l.mutex);
    if (port < 0 || baud <= 0) return merid::sim::kBadValue;
    if (model(l).linkUnplugged()) return merid::sim::kNotConnected;
    if (!l.port.acquire(model(l).dir())) {
      l.open = false;
      return kPortBusy;
    }
    l.open = true;
    return 0;
  } catch (...) {
    return merid::sim::kInternalError;
  }
}

MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFWrite(char** command, int32_t* status) {
  try {
    clearStatus(status);
    Link& l = link();
    std::lock_guard<std::mutex> guard(l.mutex);
    l.replyReady = false;
    if (!holdPort(l)) return merid::sim::kNotConnected;
    if (!command || !*command) return merid::sim::kBadLength;
    size_t length = strnlen(*command, kMaxCommand + 1);
    if (length > kMaxCommand) return merid::sim::kBadLength;
    EcrModel& m = model(l);
    int rc = m.execute(std::string_view(*command, length));
    if (rc == 0 && length == 4 && std::memcmp(*command, "1109", 4) == 0) {
      l.reply = m.reply();
      l.replyReady = true;
    }
    return rc;
  } catch (...) {
    return merid::sim::kInternalError;
  }
}

MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFRead(MeridByteArray** reply, int32_t* length, int32_t* status) {
  try {
    clearStatus(status);
    Link& l = link();
    std::lock_guard<std::mutex> guard(l.mutex);
    if (!holdPort(l)) return merid::sim::kNotConnected;
    if (!l.replyReady) return merid::sim::kNotPossible;
    if (!reply || !*reply || !(*reply)->pvData) return merid::sim::kBadValue;
    MeridByteArray* a = *reply;
    size_t room = MeridByteArrayElements(a);
    if (room > MERID_REPLY_SIZE) room = MERID_REPLY_SIZE;
    size_t n = l.reply.size() < room ? l.reply.size() : room;
    std::memcpy(a->pvData, l.reply.data(), n);
    if (length) *length = int32_t(n);
    return 0;
  } catch (...) {
    return merid::sim::kInternalError;
  }
}

MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFClose(int32_t* status) {
  clearStatus(status);
  Link& l = link();
  std::lock_guard<std::mutex> guard(l.mutex);
  l.open = false;
  l.replyReady = false;
  l.port.release();
  return 0;
}

MERID_CEFEXPORT int32_t MERID_CEFCALL VbCEFGetVersion(char** version, int32_t* status) {
  static char text[] = "MERID-ECR-SIM 1.0 (virtual fiscal printer)";
  clearStatus(status);
  if (!version) return merid::sim::kBadValue;
  *version = text;
  return 0;
}

MERID_CEFEXPORT int32_t MERID_CEFCALL MeridSimSetFaults(const char* ini) {
  try {
    Link& l = link();
    std::lock_guard<std::mutex> guard(l.mutex);
    return model(l).setFaults(ini ? ini : "") ? 0 : -1;
  } catch (...) {
    return -1;
  }
}

MERID_CEFEXPORT int32_t MERID_CEFCALL MeridSimSetFolder(const char* dir) {
  try {
    Link& l = link();
    std::lock_guard<std::mutex> guard(l.mutex);
    const std::string folder = dir ? dir : "";
    if (!folder.empty() && !merid::sim::makeDirs(folder)) return -1;
    l.folder = folder;
    return 0;
  } catch (...) {
    return -1;
  }
}

}  // extern "C"
