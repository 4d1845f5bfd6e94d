// What the render library hands to the core: the graphics-device export drivers. Every program
// that links the renderer (the desktop program, the converter, tests, benchmarks) calls this
// once at start-up; until then BMP, metafile and TIFF export and the EPS preview have no writer.
#pragma once

void RegisterRender();
