// The exports that draw through a graphics device: BMP, Windows metafile and TIFF (and so the
// EPS screen preview). Registered with the export entry point at start-up.
#pragma once

#include <cstdint>

class OutputDriver;
class OutputSink;

// A new driver for export kind 6 (BMP, at the current smoothing), 8 (metafile) or 10 (TIFF)
// on `sink`; null for any other kind.
OutputDriver* MakeDeviceDriver(int32_t kind, OutputSink* sink);
// Hands MakeDeviceDriver to the export entry point.
void RegisterDeviceExports();
