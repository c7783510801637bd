#pragma once
// The program's own version; also read by the resource compiler.
#define ORVANTA_VERSION_MAJOR 1
#define ORVANTA_VERSION_MINOR 0
#define ORVANTA_VERSION_REVISION 1
#define ORVANTA_VERSION_TEXT "1.0.1"
#define ORVANTA_COMPANY "Orvanta Software"
#define ORVANTA_PRODUCT "Orvanta"
