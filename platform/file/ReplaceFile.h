// Files replaced whole: written under a temporary name beside the target and renamed over it
// only when every write succeeded, so a failed save never damages the old file.
#pragma once

#include <string>

struct PendingFile {
  std::string target;  // the file replaced (a symbolic link's target, not the link)
  std::string temp;    // the temporary file beside it
  int fd = -1;         // open for writing until the caller closes it
};

// Creates the temporary file (hidden, named after the target and this process) with the
// permissions the target has, or 0666 less the umask for a new file. False when it cannot be
// created.
bool BeginReplace(const std::string& path, PendingFile* out);
// After the caller has synced and closed the descriptor: renames the temporary file over the
// target and makes the rename durable (the directory is synced too). Temporary files of the
// same target left by writers that are no longer running are then removed. On failure the
// temporary file is removed.
bool CommitReplace(PendingFile* file);
// Closes the descriptor if still open and removes the temporary file.
void AbandonReplace(PendingFile* file);
// Writes `bytes` as the whole new content of `path`.
bool ReplaceFileContents(const std::string& path, const std::string& bytes);
