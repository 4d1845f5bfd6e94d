// The autosave folder: each running program keeps its drawing there as "<id>.qlx" beside a
// record of the drawing's own path ("<id>.txt") and a lock ("<id>.lock") holding its process id.
// The lock stays locked while the program runs, so a lock that can be taken belongs to a program
// that ended without cleaning up.
#pragma once

#include <string>
#include <vector>

// $XDG_STATE_HOME/ulvex/autosave (default ~/.local/state/ulvex/autosave).
std::string AutosaveDirectory();

// This program's own files. Write and Remove may run on a worker thread; one at a time.
class AutosaveSlot {
 public:
  AutosaveSlot();
  ~AutosaveSlot();  // releases the lock, leaving the files (Release removes them)
  AutosaveSlot(const AutosaveSlot&) = delete;
  AutosaveSlot& operator=(const AutosaveSlot&) = delete;

  // Writes the drawing's bytes and the record of `path` ("" untitled), each replacing its file
  // whole; the lock is made first. False (with `error` set) when anything could not be written.
  bool Write(const std::string& bytes, const std::string& path, std::string* error);
  // Removes the drawing and the record; the lock stays while the program runs.
  void Remove();
  // Removes everything, the lock too.
  void Release();
  const std::string& base() const { return base_; }

 private:
  bool Lock(std::string* error);

  std::string base_;  // folder + "/" + id
  std::string recordedPath_;
  bool recordWritten_ = false;
  int lockFd_ = -1;
};

// An autosave left by a program that is no longer running.
struct OrphanedAutosave {
  std::string base;          // folder + "/" + id
  std::string drawingFile;   // base + ".qlx"
  std::string recordedPath;  // the drawing's own path; "" untitled
};

// Autosaves whose program is gone, in name order. Files that are not an autosave, damaged
// records and drawings that do not read are skipped with a DebugLog line; a lock left without a
// drawing (the program ended before its first autosave) is removed.
std::vector<OrphanedAutosave> FindOrphanedAutosaves();
// Removes the drawing, the record and the lock.
void DeleteAutosave(const OrphanedAutosave& autosave);
