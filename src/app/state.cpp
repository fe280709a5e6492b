// The global setup state and the compiled-in product configuration.
#include "app/state.h"

#include <string.h>

#define PRODUCT_KEY "Korval"

const ProductConfig product = {
    "Rovenda",
    PRODUCT_KEY,
    46,
    "Rovenda",
    "Rovenda のインストール先",
    { "Programs", "Desktop", "Startup" },
};

const char productUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" PRODUCT_KEY;

SetupState setup;
char copyPiece[COPY_PIECE_SIZE];

void resetSetupState()
{
    memset(&setup, 0, sizeof setup);
    setup.targetTail = setup.entryTarget;
    setup.savedOptions = product.savedOptions;
}

void raiseExitCode(int code)
{
    if (code > setup.exitCode)
        setup.exitCode = code;
}
