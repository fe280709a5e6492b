// The switches of unattended runs and of the log: "/S", "/LOG=file", "/MENU=0|1",
// "/DESKTOP=0|1", "/LAUNCH=0|1", "/DELETEALL", "/D=folder", "/X=program" and "/CLOSE[=seconds]"
// (docs/deployment.md). None begins with c, r or x, the letters of the older modes, so a line
// that begins with one of them is read as it always was.
#pragma once

enum SwitchesRead { SWITCHES_NONE, SWITCHES_READ, SWITCHES_BAD };

// The switches, by their bit in the allowed set.
enum {
    SWITCH_SILENT = 1 << 0,         // /S
    SWITCH_DELETE_ALL = 1 << 1,     // /DELETEALL
    SWITCH_LOG = 1 << 2,            // /LOG=
    SWITCH_MENU = 1 << 3,           // /MENU=
    SWITCH_DESKTOP = 1 << 4,        // /DESKTOP=
    SWITCH_LAUNCH = 1 << 5,         // /LAUNCH=
    SWITCH_DESTINATION = 1 << 6,    // /D=
    SWITCH_REMOVAL_PATH = 1 << 7,   // /X=
    SWITCH_CLOSE = 1 << 8,          // /CLOSE
    SWITCH_CLOSE_WAIT = 1 << 9,     // /CLOSE=seconds
    INSTALL_SWITCHES = 0x3FF,
    REMOVAL_SWITCHES = SWITCH_SILENT | SWITCH_DELETE_ALL | SWITCH_LOG | SWITCH_CLOSE | SWITCH_CLOSE_WAIT,
};

// Reads text as blank-separated switches into setup (unattended, deleteAll, closeProduct, logPath,
// optionsGiven, optionsOn, noLaunch, switchDestination, removalPath). NONE when text does not
// begin with a switch (nothing is written); BAD when a later word is no switch, a switch is
// not in allowed, or a value is missing, malformed or longer than 259 bytes; and when /X=
// comes without /S or beside a switch of the installation's. A path value
// runs to the next switch (a blank, then "/") or to the end of the line, without the blanks
// before it, or stands in double quotes; a whole word may stand in quotes too
// ("/D=C:\Program Files\Korval"), as tools write an argument that holds blanks.
SwitchesRead readSwitches(const char* text, unsigned allowed);
