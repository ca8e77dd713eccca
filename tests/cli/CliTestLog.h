// Log capture for the CLI suites: every line the code under test logs through the host callback
// or the module debug log, and every error text a test saw, kept for the whole run so that the
// last check can prove no password ever left the plug-in.
#pragma once

#include <string>
#include <vector>

#include "platform/TavsoHost.h"

namespace clitest {

struct LogLine {
    std::string tag;
    int level;
    std::string text;
};

// The host log callback handed to the code under test.
void CaptureLog(const char* tag, void* context, TAVSO::LogLevel level, const char* format, ...)
    __attribute__((format(printf, 4, 5)));

// Lines logged since the last ClearLines (the whole-run record is kept apart).
std::vector<LogLine> Lines();
void ClearLines();
bool AnyLineContains(const std::string& text);

// Records an error text (or any other text leaving the plug-in) for the final password check.
void NoteText(const std::string& text);
// Records a password used by a test.
void NotePassword(const std::string& password);

}  // namespace clitest
