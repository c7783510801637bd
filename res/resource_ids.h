// Ids of the program's own bitmap resources, shared by the resource script
// and the windows that show them.
#ifndef ORVANTA_RES_RESOURCE_IDS_H
#define ORVANTA_RES_RESOURCE_IDS_H

#define IDB_MOVE_DOWN 101  /* 16 x 17 chevrons of the library window's move buttons */
#define IDB_MOVE_UP 102
#define IDB_PLAY 111       /* 27 x 27 control-bar buttons */
#define IDB_PAUSE 112
#define IDB_STOP 113
#define IDB_PLAY_NEXT 114

#endif
