// The program's message boxes and the shell's "open", with seams so tests answer them.
#pragma once

#include <QString>
#include <functional>

class QWidget;

enum class Answer { kYes, kNo, kCancel };

// A question box with the question icon: Yes/No, or Yes/No/Cancel with `withCancel`. A box
// that could not be shown answers Cancel.
Answer AskQuestion(QWidget* owner, const QString& title, const QString& text, bool withCancel);
// Opens a document in the desktop's program for it.
void OpenWithDesktop(const QString& path);
// Shows ShowError, ShowWarning and ShowInfo in message boxes.
void InstallMessageBoxes();

// Tests answer questions and record opened documents instead of showing anything.
using QuestionHook = std::function<Answer(const QString& title, const QString& text)>;
using OpenHook = std::function<void(const QString& path)>;
void SetQuestionHook(QuestionHook hook);
void SetOpenHook(OpenHook hook);
