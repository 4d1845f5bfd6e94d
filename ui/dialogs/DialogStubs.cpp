// Placeholders until the dialogs are built: every dialog answers Cancel.
#include "ui/dialogs/Dialogs.h"

int32_t ColorDialog(QWidget*, Color*) { return 0; }
int32_t FontDialog(QWidget*, FontFace**, float*) { return 0; }
int32_t GridDialog(QWidget*, GridSettings*) { return 0; }
int32_t ZoomDialog(QWidget*, int32_t*) { return 0; }
int32_t OptionsDialog(QWidget*, int32_t*, int32_t*, int32_t*) { return 0; }
int32_t MoveDialog(QWidget*, int32_t*, int32_t*) { return 0; }
int32_t ScaleDialog(QWidget*, uint32_t*, uint32_t*) { return 0; }
int32_t RotateDialog(QWidget*, int32_t*) { return 0; }
int32_t LeadingDialog(QWidget*, float*) { return 0; }
int32_t EpsOptionsDialog(QWidget*, ExportOptions*) { return 0; }
int32_t BitmapOptionsDialog(QWidget*, int32_t*) { return 0; }
void AboutDialog(QWidget*) {}
