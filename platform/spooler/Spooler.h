// The print spooler as the program needs it: the queues, whether a queue speaks PostScript, and
// one raw PostScript job at a time. CupsSpooler is the real one; tests put a fake in its place.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Copies one job may ask for, as the print dialog offers them.
inline constexpr int kMaxCopies = 999;

// What the user chose for a job besides its queue.
struct PrintJobOptions {
  int copies = 1;     // 1..kMaxCopies
  std::string media;  // a paper name the spooler knows ("A4", "Letter"); "" the queue's default
};

class Spooler {
 public:
  virtual ~Spooler() = default;

  // The queue printing goes to when none was chosen; "" when there is none.
  virtual std::string DefaultQueue() = 0;
  // True when the queue's driver takes PostScript as it is (its PPD names a language level).
  virtual bool IsPostScriptQueue(const std::string& queue) = 0;
  // Starts one PostScript job with one document on `queue`, asking for `options`. False when the
  // spooler refused.
  virtual bool StartJob(const std::string& queue, const std::string& documentName,
                        const PrintJobOptions& options) = 0;
  // Hands bytes of the document to the spooler. False when they did not get there.
  virtual bool Send(const void* data, size_t length) = 0;
  // Ends the document and releases the job for printing. False when the spooler refused it.
  virtual bool FinishJob() = 0;
  // Withdraws a started job, so that a document that broke off is not printed half.
  virtual void CancelJob() = 0;
  // True when the spooler knows the queue.
  virtual bool HasQueue(const std::string& /*queue*/) { return true; }
  // The spooler's own words for why its last request failed; "" when it has none.
  virtual std::string LastError() { return {}; }
};

// The spooler of the machine: CUPS, through the server libcups finds ($CUPS_SERVER, the
// client.conf or the local socket).
class CupsSpooler : public Spooler {
 public:
  CupsSpooler() = default;
  ~CupsSpooler() override;  // cancels a job still open
  CupsSpooler(const CupsSpooler&) = delete;
  CupsSpooler& operator=(const CupsSpooler&) = delete;

  std::string DefaultQueue() override;
  bool IsPostScriptQueue(const std::string& queue) override;
  bool StartJob(const std::string& queue, const std::string& documentName,
                const PrintJobOptions& options) override;
  bool Send(const void* data, size_t length) override;
  bool FinishJob() override;
  void CancelJob() override;
  bool HasQueue(const std::string& queue) override;
  std::string LastError() override;

  // The names of the queues, in the order CUPS lists them.
  static std::vector<std::string> ListQueues();

 private:
  std::string queue_;
  int job_ = 0;  // 0: no job open
};

// True when PPD text declares a PostScript language level: a "*LanguageLevel" or "*PSVersion"
// main keyword at the start of a line.
bool PpdDeclaresPostScript(const std::string& ppd);
