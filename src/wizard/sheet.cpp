// The install wizard's sheet.
#include "wizard/wizard.h"

void runWizard()
{
}
