#include "platform/spooler/Spooler.h"

#include <cups/cups.h>
#include <cups/ppd.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

namespace {

// PPD files run to a few hundred kilobytes; anything far beyond is not one we need to read whole.
constexpr long kMaxPpdBytes = 16L << 20;

bool ReadSmallFile(const char* path, std::string* out) {
  FILE* f = std::fopen(path, "rb");
  if (!f) return false;
  char chunk[8192];
  size_t n;
  bool ok = true;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0) {
    if (out->size() > size_t(kMaxPpdBytes) - n) {
      ok = false;
      break;
    }
    out->append(chunk, n);
  }
  if (std::ferror(f)) ok = false;
  std::fclose(f);
  return ok;
}

// The PPD of a queue, fetched from the server into a temporary file that is removed again.
bool FetchPpd(const std::string& queue, std::string* text) {
  // The PPD interface is marked deprecated in favour of IPP attributes, but the PPD is where a
  // queue says whether its printer takes PostScript.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  const char* file = cupsGetPPD2(CUPS_HTTP_DEFAULT, queue.c_str());
#pragma GCC diagnostic pop
  if (!file) return false;
  std::string path = file;  // cupsGetPPD2's buffer is reused by the next call
  bool ok = ReadSmallFile(path.c_str(), text);
  unlink(path.c_str());
  return ok;
}

bool MainKeywordIs(std::string_view line, std::string_view keyword) {
  if (line.size() < keyword.size() || line.substr(0, keyword.size()) != keyword) return false;
  if (line.size() == keyword.size()) return false;  // a keyword without a value says nothing
  char next = line[keyword.size()];
  return next == ':' || next == ' ' || next == '\t';
}

}  // namespace

bool PpdDeclaresPostScript(const std::string& ppd) {
  size_t start = 0;
  while (start < ppd.size()) {
    size_t end = ppd.find_first_of("\r\n", start);
    if (end == std::string::npos) end = ppd.size();
    std::string_view line(ppd.data() + start, end - start);
    if (MainKeywordIs(line, "*LanguageLevel") || MainKeywordIs(line, "*PSVersion")) return true;
    start = end + 1;
  }
  return false;
}

CupsSpooler::~CupsSpooler() { CancelJob(); }

std::string CupsSpooler::DefaultQueue() {
  const char* name = cupsGetDefault2(CUPS_HTTP_DEFAULT);
  if (name) return name;
  // Without a server default, the first queue the user can reach.
  std::vector<std::string> queues = ListQueues();
  return queues.empty() ? std::string() : queues.front();
}

std::vector<std::string> CupsSpooler::ListQueues() {
  std::vector<std::string> names;
  cups_dest_t* dests = nullptr;
  int count = cupsGetDests2(CUPS_HTTP_DEFAULT, &dests);
  for (int i = 0; i < count && dests; ++i) {
    if (dests[i].instance) continue;  // instances print on the queue they belong to
    if (dests[i].name) names.push_back(dests[i].name);
  }
  cupsFreeDests(count, dests);
  return names;
}

bool CupsSpooler::IsPostScriptQueue(const std::string& queue) {
  std::string ppd;
  return !queue.empty() && FetchPpd(queue, &ppd) && PpdDeclaresPostScript(ppd);
}

bool CupsSpooler::StartJob(const std::string& queue, const std::string& documentName,
                           const PrintJobOptions& options) {
  CancelJob();
  if (queue.empty()) return false;
  int count = 0;
  cups_option_t* list = nullptr;
  if (options.copies > 1) {
    count = cupsAddOption("copies", std::to_string(options.copies).c_str(), count, &list);
  }
  if (!options.media.empty()) count = cupsAddOption("media", options.media.c_str(), count, &list);
  int job = cupsCreateJob(CUPS_HTTP_DEFAULT, queue.c_str(), documentName.c_str(), count, list);
  cupsFreeOptions(count, list);
  if (job <= 0) return false;
  queue_ = queue;
  job_ = job;
  if (cupsStartDocument(CUPS_HTTP_DEFAULT, queue.c_str(), job, documentName.c_str(),
                        CUPS_FORMAT_POSTSCRIPT, 1) != HTTP_STATUS_CONTINUE) {
    CancelJob();
    return false;
  }
  return true;
}

bool CupsSpooler::Send(const void* data, size_t length) {
  if (!job_) return false;
  if (length == 0) return true;
  if (!data) return false;
  return cupsWriteRequestData(CUPS_HTTP_DEFAULT, static_cast<const char*>(data), length) ==
         HTTP_STATUS_CONTINUE;
}

bool CupsSpooler::FinishJob() {
  if (!job_) return false;
  ipp_status_t status = cupsFinishDocument(CUPS_HTTP_DEFAULT, queue_.c_str());
  job_ = 0;
  return status <= IPP_STATUS_OK_CONFLICTING;
}

void CupsSpooler::CancelJob() {
  if (!job_) return;
  // The document request may still be open; finishing it first lets the cancel go through on
  // the same connection.
  cupsFinishDocument(CUPS_HTTP_DEFAULT, queue_.c_str());
  cupsCancelJob2(CUPS_HTTP_DEFAULT, queue_.c_str(), job_, 0);
  job_ = 0;
}

bool CupsSpooler::HasQueue(const std::string& queue) {
  cups_dest_t* dest = cupsGetNamedDest(CUPS_HTTP_DEFAULT, queue.c_str(), nullptr);
  if (!dest) return false;
  cupsFreeDests(1, dest);
  return true;
}

std::string CupsSpooler::LastError() {
  const char* text = cupsLastErrorString();
  return text ? text : "";
}
