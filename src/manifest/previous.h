// The previous installation's folder and option number, and the manifest's entry counts.
#pragma once

// Fills destDir, savedOptions, installCount and groupCount. Always 1.
int loadPreviousInstall();
