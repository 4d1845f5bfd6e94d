// What happens to the open drawing as a whole: the caption, the prompt to save changes, and
// replacing the drawing with a file or with a new one.
#pragma once

#include <QString>
#include <string>

// "%s - Ondara Draw" with the name after the last "/", or "(Untitled)" without one.
QString TitleFor(const std::string& path);
void UpdateTitle();
// True when the caller may drop the drawing: unmodified, or the user said No, or said Yes and
// the save succeeded.
bool ConfirmDiscard();
// Reads `path` into the empty drawing and makes it the current file; on failure (the reader has
// shown "An error has occurred while opening\n%s") the path is cleared. Then the view starts
// over and is fitted to the window.
bool OpenAsCurrentFile(const std::string& path);
// The view starts over: scroll offsets reset, everything repainted, fitted once the window
// has had its events.
void RestartView();
// Opens an autosaved drawing `file` as the drawing that was at `path` ("" untitled), modified.
// False when it does not read (the reader has said so); the drawing is then empty.
bool RecoverDrawing(const std::string& file, const std::string& path);
// Empties the drawing and its history, resets the paint style and clears the modified flag.
void ClearDrawing();
// The New command.
void NewDrawingCommand();
// Files dropped on the main window: the first one replaces the drawing.
void OpenDroppedFile(const std::string& path);
