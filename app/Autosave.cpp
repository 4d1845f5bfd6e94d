#include "app/Autosave.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "app/AutosaveStore.h"
#include "app/Document.h"
#include "app/Prompts.h"
#include "model/DebugLog.h"
#include "model/Drawing.h"
#include "output/ExportFile.h"
#include "output/MemorySink.h"

namespace {

Autosaver* gAutosaver = nullptr;

// The window thread keeps the log; the worker hands its lines over.
void LogFromWorker(const std::string& line) {
  if (QCoreApplication* app = QCoreApplication::instance()) {
    QMetaObject::invokeMethod(
        app, [line] { DebugLog("%s", line.c_str()); }, Qt::QueuedConnection);
  }
}

}  // namespace

// Does the disk work of autosave in order, on a thread of its own.
class AutosaveWorker {
 public:
  enum class Kind { kWrite, kRemove, kRelease, kDeleteOld };
  struct Job {
    Kind kind;
    std::string bytes;
    std::string path;
    OrphanedAutosave old;
  };

  AutosaveWorker() : thread_([this] { Run(); }) {}
  ~AutosaveWorker() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      stop_ = true;
    }
    wake_.notify_all();
    thread_.join();
  }

  void Post(Job job) {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      // Only the newest drawing matters: a write still waiting is replaced.
      if (job.kind == Kind::kWrite && !jobs_.empty() && jobs_.back().kind == Kind::kWrite) {
        jobs_.back() = std::move(job);
      } else {
        jobs_.push_back(std::move(job));
      }
    }
    wake_.notify_all();
  }

  void Flush() {
    std::unique_lock<std::mutex> lock(mutex_);
    idle_.wait(lock, [this] { return jobs_.empty() && !busy_; });
  }

  std::string DrawingFile() const { return slot_.base() + ".qlx"; }

 private:
  void Run() {
    for (;;) {
      Job job;
      {
        std::unique_lock<std::mutex> lock(mutex_);
        wake_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;  // stopping, and everything is done
        job = std::move(jobs_.front());
        jobs_.pop_front();
        busy_ = true;
      }
      Do(job);
      {
        std::lock_guard<std::mutex> lock(mutex_);
        busy_ = false;
      }
      idle_.notify_all();
    }
  }

  void Do(const Job& job) {
    switch (job.kind) {
      case Kind::kWrite: {
        std::string error;
        lastWriteOk_ = slot_.Write(job.bytes, job.path, &error);
        if (!lastWriteOk_) LogFromWorker("Autosave failed: " + error);
        return;
      }
      case Kind::kRemove:
        slot_.Remove();
        return;
      case Kind::kRelease:
        slot_.Release();
        return;
      case Kind::kDeleteOld:
        // The recovered drawing is gone from disk only once this program's copy is there.
        if (lastWriteOk_) DeleteAutosave(job.old);
        return;
    }
  }

  AutosaveSlot slot_;
  bool lastWriteOk_ = false;  // worker thread only
  std::mutex mutex_;
  std::condition_variable wake_;
  std::condition_variable idle_;
  std::deque<Job> jobs_;
  bool busy_ = false;
  bool stop_ = false;
  std::thread thread_;  // last: starts once everything above exists
};

Autosaver::Autosaver(Drawing* drawing, int seconds)
    : drawing_(drawing),
      interval_(std::max(seconds, 0)),
      worker_(std::make_unique<AutosaveWorker>()) {
  timer_.setInterval(1000);
  QObject::connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
  timer_.start();
}

Autosaver::~Autosaver() {
  timer_.stop();
  if (gAutosaver == this) gAutosaver = nullptr;
  worker_.reset();  // finishes what is queued
}

std::string Autosaver::DrawingFile() const { return worker_->DrawingFile(); }

void Autosaver::Tick() {
  if (!drawing_->modified) {
    // Saved, replaced or undone to its saved state some way the document did not report.
    waiting_ = false;
    if (onDisk_) Discard();
    return;
  }
  if (interval_.count() == 0) return;
  const auto now = std::chrono::steady_clock::now();
  if (!waiting_) {
    waiting_ = true;
    due_ = now + interval_;
  } else if (now >= due_) {
    WriteNow();
    due_ = now + interval_;
  }
}

bool Autosaver::WriteNow() {
  AutosaveWorker::Job job{AutosaveWorker::Kind::kWrite, {}, drawing_->path, {}};
  if (!WriteDrawingToMemory(*drawing_, kExportNative, &job.bytes, lastSize_)) {
    DebugLog("Autosave failed: the drawing could not be written to memory");
    return false;
  }
  lastSize_ = job.bytes.size();
  worker_->Post(std::move(job));
  onDisk_ = true;
  return true;
}

void Autosaver::Discard() {
  waiting_ = false;
  if (!onDisk_) return;
  worker_->Post({AutosaveWorker::Kind::kRemove, {}, {}, {}});
  onDisk_ = false;
}

void Autosaver::Shutdown() {
  timer_.stop();
  worker_->Post({AutosaveWorker::Kind::kRelease, {}, {}, {}});
  onDisk_ = false;
  worker_->Flush();
}

void Autosaver::Flush() { worker_->Flush(); }

void Autosaver::TakeOver(const OrphanedAutosave& old) {
  WriteNow();
  worker_->Post({AutosaveWorker::Kind::kDeleteOld, {}, {}, old});
}

Autosaver* TheAutosaver() { return gAutosaver; }
void SetTheAutosaver(Autosaver* autosaver) { gAutosaver = autosaver; }

void DiscardAutosave() {
  if (gAutosaver) gAutosaver->Discard();
}

void OfferRecovery(QWidget* owner) {
  for (const OrphanedAutosave& autosave : FindOrphanedAutosaves()) {
    const QString name = autosave.recordedPath.empty()
                             ? QString("(Untitled)")
                             : QString::fromStdString(autosave.recordedPath);
    const QString text =
        "Ondara Draw was not shut down properly.\nDo you want to recover " + name + "?";
    const Answer answer = AskQuestion(owner, "Ondara Draw", text, false);
    if (answer == Answer::kNo) {
      DeleteAutosave(autosave);
    } else if (answer == Answer::kYes) {
      if (!RecoverDrawing(autosave.drawingFile, autosave.recordedPath)) continue;
      // This program's own autosave takes its place before it is deleted.
      if (gAutosaver) gAutosaver->TakeOver(autosave);
      return;
    }
  }
}
