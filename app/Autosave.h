// Autosave: while the drawing is modified it is written every few seconds (the "Misc" key
// "AutosaveSeconds", 0 off) into the autosave folder, so a crash loses little. The drawing is
// written to memory on the window thread and the bytes go to disk on a worker thread; a failed
// write is logged and tried again at the next tick, never shown in a box.
#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>

class Drawing;
class AutosaveWorker;
struct OrphanedAutosave;
class QWidget;

class Autosaver : public QObject {
 public:
  Autosaver(Drawing* drawing, int seconds);
  ~Autosaver() override;  // waits for the disk work queued so far

  // Writes the drawing now (to memory here, to disk on the worker). False when it could not be
  // written to memory.
  bool WriteNow();
  // Removes this program's autosave (the drawing was saved, replaced or dropped).
  void Discard();
  // Clean exit: everything removed, the lock too, once the worker is done.
  void Shutdown();
  // Waits until the worker has done everything queued so far.
  void Flush();
  // After recovering `old`: writes the drawing as this program's autosave, then deletes `old`
  // once that write has succeeded.
  void TakeOver(const OrphanedAutosave& old);
  // Where this program's drawing is kept.
  std::string DrawingFile() const;

 private:
  void Tick();

  Drawing* drawing_;
  std::chrono::seconds interval_;
  std::chrono::steady_clock::time_point due_{};
  bool waiting_ = false;  // modified, a write is due at `due_`
  bool onDisk_ = false;
  size_t lastSize_ = 0;  // of the last write, so the next one need not regrow its buffer
  QTimer timer_;
  std::unique_ptr<AutosaveWorker> worker_;
};

// The running program's autosaver (null when none); the document's operations call Discard.
Autosaver* TheAutosaver();
void SetTheAutosaver(Autosaver* autosaver);
// Removes the autosave when there is one: the drawing was saved, replaced or is being dropped.
void DiscardAutosave();
// At start-up: offers each autosave of a program that ended without cleaning up, one by one.
// The first one accepted is opened with its own path and modified; one declined is deleted;
// those after an accepted one are kept for a later start.
void OfferRecovery(QWidget* owner);
