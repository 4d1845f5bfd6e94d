#include "app/CommandLine.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "Version.h"
#include "app/Converter.h"
#include "app/Print.h"
#include "fonts/FontManager.h"
#include "model/DebugLog.h"

namespace {

const char kUsage[] =
    "Usage: ondara-draw [FILE]\n"
    "       ondara-draw --convert IN OUT [options]\n"
    "       ondara-draw --print QUEUE FILE\n"
    "       ondara-draw --print-to-file OUT.pdf FILE\n"
    "       ondara-draw --list-fonts\n"
    "       ondara-draw --help | --version\n"
    "\n"
    "Ondara Draw, a vector drawing program. Without options it opens its window, with FILE\n"
    "opened when given.\n"
    "\n"
    "  --convert IN OUT   read IN (.qlx .ai .wmf .emf .bmp .txt) and write OUT (.qlx .eps\n"
    "                     .ps .ai .pdf .wmf .bmp .tif), the formats chosen by extension\n"
    "  --print QUEUE FILE print FILE on the printer queue QUEUE (\"\" the default queue)\n"
    "  --print-to-file OUT.pdf FILE\n"
    "                     print FILE into a PDF file as a printer without PostScript would\n"
    "  --list-fonts       one line per face: PostScript name, face name, style, kind\n"
    "  --help             show this text and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Conversion options:\n"
    "  --preview          EPS: include a TIFF screen preview\n"
    "  --include-fonts    embed the fonts the drawing uses\n"
    "  --type42           embed TrueType fonts as Type 42 (default Type 3)\n"
    "  --substitute-fonts use standard PostScript fonts for TrueType fonts\n"
    "  --border N         EPS border in points (-72 to 72, default 9)\n"
    "  --smoothing 1|2|4  BMP: draw at 1, 2 or 4 times the size and reduce\n"
    "  --page letter|legal|a4\n"
    "  --landscape        turn the page\n";

// One tab-separated line per face: PostScript name, face name, style, kind.
int ListFonts() {
  SetDebugLogEcho(true);
  FontManager* fonts = ChooseFontManager();
  const std::vector<FontFace*>& list = fonts->GetFontList();
  for (const FontFace* face : list) std::printf("%s\n", DescribeFace(*face).c_str());
  int status = list.empty() ? 1 : 0;
  if (list.empty()) std::fprintf(stderr, "ondara-draw: no fonts found\n");
  SetFontManager(nullptr);
  return status;
}

}  // namespace

CommandLineResult RunCommandLine(int argc, char** argv) {
  CommandLineResult r;
  for (int i = 1; i < argc; ++i) {
    const char* a = argv[i];
    if (std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0) {
      std::fputs(kUsage, stdout);
      r.handled = true;
      return r;
    }
    if (std::strcmp(a, "--version") == 0) {
      std::printf("Ondara Draw %s\n", ONDARA_VERSION);
      r.handled = true;
      return r;
    }
  }
  if (argc > 1 && std::strcmp(argv[1], "--list-fonts") == 0) {
    r.handled = true;
    if (argc != 2) {
      std::fprintf(stderr, "ondara-draw: --list-fonts takes no arguments\n");
      r.exitCode = 2;
      return r;
    }
    r.exitCode = ListFonts();
    return r;
  }
  if (argc > 1 && std::strcmp(argv[1], "--convert") == 0) {
    r.handled = true;
    ConvertRequest request;
    std::string error;
    if (!ParseConvertArguments(std::vector<std::string>(argv + 2, argv + argc), &request, &error)) {
      std::fprintf(stderr, "ondara-draw: %s\nTry 'ondara-draw --help'.\n", error.c_str());
      r.exitCode = 2;
      return r;
    }
    r.exitCode = RunConversion(request);
    return r;
  }
  if (argc > 1 &&
      (std::strcmp(argv[1], "--print") == 0 || std::strcmp(argv[1], "--print-to-file") == 0)) {
    r.handled = true;
    if (argc != 4) {
      std::fprintf(stderr, "ondara-draw: %s needs %s and a file\nTry 'ondara-draw --help'.\n",
                   argv[1], argv[1][7] ? "an output file" : "a printer queue");
      r.exitCode = 2;
      return r;
    }
    PrintChoice choice;
    if (argv[1][7]) {
      choice.outputFile = argv[2];
    } else {
      choice.queue = argv[2];
    }
    r.exitCode = RunPrintCommand(choice, argv[3]);
    return r;
  }
  if (argc > 1 && argv[1][0] == '-' && argv[1][1] != '\0') {
    std::fprintf(stderr, "ondara-draw: unknown option '%s'\nTry 'ondara-draw --help'.\n", argv[1]);
    r.handled = true;
    r.exitCode = 2;
    return r;
  }
  r.fileToOpen = GuiFileArgument(std::vector<std::string>(argv + 1, argv + argc));
  return r;
}

std::string GuiFileArgument(const std::vector<std::string>& words) {
  std::string line;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) line += ' ';
    line += words[i];
  }
  if (line.size() > 1 && line.front() == '"' && line.back() == '"') {
    line = line.substr(1, line.size() - 2);
  }
  return line;
}
