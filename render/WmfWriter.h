// Windows metafile export: the graphics-device driver drawing into a recording metafile device,
// written after an Aldus placeable header. Shapes go through the renderer's device primitives;
// text has its own operation (a font, then TextOutA per line); images are not written.
#pragma once

#include <cstdint>
#include <memory>

#include "render/GdiRenderer.h"

namespace gdi {
class WmfDevice;
}

class WmfWriter : public GdiRenderer {
 public:
  explicit WmfWriter(OutputSink* sink);
  ~WmfWriter() override;

  int32_t BeginDocument(const PageInfo* page, int32_t embedFonts,
                        ProgressDialog* progress) override;
  void EndDocument(ProgressDialog* progress) override;
  void DrawText(const PaintStyle* style, const Matrix* m, const char* text, const char* font,
                float size, float leading, int32_t align, const float* rect) override;
  void DrawImage(const Matrix*, const ImageData*) override {}

 private:
  void TextRun(const Matrix& cm, const char* text, int32_t length, float x, float y);

  std::unique_ptr<gdi::WmfDevice> wmf_;
};
