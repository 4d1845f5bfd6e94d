// The Print command once the print dialog has been answered: a PostScript queue gets the
// drawing's own PostScript as a raw spooler job; any other queue, and printing to a file, gets
// the drawing painted through the graphics layer by Qt's printer.
#pragma once

#include <string>

class Drawing;
class Spooler;

struct PrintChoice {
  std::string queue;       // "" the default queue
  std::string outputFile;  // not empty: print to this PDF file instead of a queue
  int copies = 1;          // 1..999; anything else is taken as the nearest of the two
  // The paper as CUPS names it ("A4", "Letter", "Legal", "Custom.WxH" in points); "" the queue's
  // default, which for a painted page or a PDF is the drawing's own page size.
  std::string paper;
};

// Prints the drawing. `spooler` null uses CUPS. Result 1 when the job was handed over whole, 0
// otherwise (the reason shown through ShowError where there is one to give).
int PrintDrawing(Drawing& drawing, const PrintChoice& choice, Spooler* spooler = nullptr);

// ondara-draw --print QUEUE FILE / --print-to-file OUT.pdf FILE: 0 on success, 1 on failure.
int RunPrintCommand(const PrintChoice& choice, const std::string& file);
