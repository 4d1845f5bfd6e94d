// The modal option dialogs the commands open. Each opener copies the caller's values into the
// dialog, runs it over `owner` and, on OK, copies them back: 1 for OK, 0 for Cancel or when the
// dialog could not be shown ("Unable to display dialog", titled "System Error").
// Controls carry their numeric ids as object names ("1039"), so tests and scripts find them.
#pragma once

#include <cstdint>

class QWidget;
class FontFace;
struct Color;
struct GridSettings;
struct ExportOptions;

// RGB in percent (0..100), in and out.
int32_t ColorDialog(QWidget* owner, Color* rgb);
// `face` may come back changed (null in: none chosen yet); `size` in points, 1..250.
int32_t FontDialog(QWidget* owner, FontFace** face, float* size);
// Spacings 1..72 whole points (anything else becomes 1), show and snap flags.
int32_t GridDialog(QWidget* owner, GridSettings* grid);
// Percent, clamped to 25..800; a non-number keeps the value.
int32_t ZoomDialog(QWidget* owner, int32_t* percent);
// Units 0 inches, 1 points, 2 centimetres; page width and height in points (Letter, Legal or
// A4 on OK).
int32_t OptionsDialog(QWidget* owner, int32_t* units, int32_t* pageWidth, int32_t* pageHeight);
// Whole-point offsets; a non-number becomes 0.
int32_t MoveDialog(QWidget* owner, int32_t* dx, int32_t* dy);
// Whole percentages; a non-number or 0 becomes 100.
int32_t ScaleDialog(QWidget* owner, uint32_t* sx, uint32_t* sy);
// Whole degrees; a non-number becomes 0.
int32_t RotateDialog(QWidget* owner, int32_t* degrees);
// Points; a non-number gives 0 (the caller ignores values outside 1..300).
int32_t LeadingDialog(QWidget* owner, float* leading);
// Include preview, substitute, include fonts, Type 42 and the border (clamped to -72..72).
int32_t EpsOptionsDialog(QWidget* owner, ExportOptions* options);
// Smoothing 0 Off, 1 Normal, 2 Maximum.
int32_t BitmapOptionsDialog(QWidget* owner, int32_t* smoothing);
// The About box: the picture until a click or Close.
void AboutDialog(QWidget* owner);
