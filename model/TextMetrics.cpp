#include "model/TextMetrics.h"

namespace {

TextMetrics* gMetrics = nullptr;

}  // namespace

void SetTextMetrics(TextMetrics* metrics) { gMetrics = metrics; }

TextMetrics* CurrentTextMetrics() { return gMetrics; }
