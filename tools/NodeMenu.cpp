// Placeholder until node editing is built.
#include "tools/NodeMenu.h"

void RunNodeMenu(Shape*, float, float) {}
