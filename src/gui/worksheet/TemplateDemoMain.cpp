// kalden-template-demo: the worksheet template with its switched-off
// features switched on, as a program built from the template would have
// them. The age field is shown and gives the order of the correlation
// matrix that Compute asks for first; the data grid is shown under the
// fields. Everything else is the desktop program's. The inputs, the grid and
// the matrix are kept in a data file of its own beside the executable. The
// configuration is templateDemoConfig() (worksheet/ProgramConfig.h).
#include "gui/worksheet/TemplateProgram.h"

int main(int argc, char** argv) {
    return kalden::runTemplateProgram(argc, argv, QStringLiteral("kalden-template-demo"), kalden::templateDemoConfig());
}
