#include "render/DeviceExports.h"

#include "output/ExportFile.h"
#include "render/BitmapRenderer.h"
#include "render/WmfWriter.h"

OutputDriver* MakeDeviceDriver(int32_t kind, OutputSink* sink, const ExportOptions& options) {
  switch (kind) {
    case kExportBmp:
      return new BitmapRenderer(sink, options.smoothing);
    case kExportWmf:
      return new WmfWriter(sink);
    case kExportTiff:
      return new TiffRenderer(sink);
    default:
      return nullptr;
  }
}
