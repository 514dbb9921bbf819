// KALDEN: the desktop program, the worksheet template in this program's
// configuration (seven score fields; no age field, grid or matrix entry).
// ProgramTitle and DataFileName are fixed in worksheet/ProgramConfig.h.
#include "gui/worksheet/TemplateProgram.h"

int main(int argc, char** argv) {
    return kalden::runTemplateProgram(argc, argv, QStringLiteral("kalden"), kalden::TemplateConfig{});
}
