#pragma once

#include <QString>

#include "worksheet/ProgramConfig.h"

namespace kalden {

// The program built from the worksheet template: creates the worksheet
// (whose creation step puts `config` in force and restores the previous
// inputs) and the hidden results window with the Qt services, and runs the
// event loop until Exit is confirmed in either window or the worksheet is
// closed through its frame. Returns the event loop's exit code.
int runTemplateProgram(int& argc, char** argv, const QString& applicationName, const TemplateConfig& config);

} // namespace kalden
