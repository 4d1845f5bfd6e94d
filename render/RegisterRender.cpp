#include "render/RegisterRender.h"

#include "output/ExportFile.h"
#include "render/DeviceExports.h"

void RegisterRender() { SetDeviceDriverMaker(&MakeDeviceDriver); }
