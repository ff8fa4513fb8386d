// Resource identifiers of Pictavo.scr.
#pragma once

#define IDI_PICTAVO 100       // the program icon; Windows uses the first icon for the .scr
#define IDS_DESCRIPTION 1     // the name Windows lists for the screen saver
