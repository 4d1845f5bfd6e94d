// The exports that draw through a graphics device: BMP, Windows metafile and TIFF (and so the
// EPS screen preview). RegisterRender() hands their maker to the export entry point.
#pragma once

#include <cstdint>

class OutputDriver;
class OutputSink;
struct ExportOptions;

// A new driver for export kind 6 (BMP, at the options' smoothing), 8 (metafile) or 10 (TIFF)
// on `sink`; null for any other kind.
OutputDriver* MakeDeviceDriver(int32_t kind, OutputSink* sink, const ExportOptions& options);
