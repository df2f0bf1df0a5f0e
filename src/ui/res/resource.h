// Resource identifiers shared by the resource script and the code.
#pragma once

// Key captions for shortcut texts (fixed ids; a translated table changes the texts).
#define IDS_KEY_ALT_PREFIX   65312
#define IDS_KEY_TAB          65328
#define IDS_KEY_ESC          65329
#define IDS_KEY_ENTER        65330
#define IDS_KEY_SPACE        65331
#define IDS_KEY_PGUP         65332
#define IDS_KEY_PGDN         65333
#define IDS_KEY_END          65334
#define IDS_KEY_HOME         65335
#define IDS_KEY_LEFT         65336
#define IDS_KEY_UP           65337
#define IDS_KEY_RIGHT        65338
#define IDS_KEY_DOWN         65339
#define IDS_KEY_INS          65340
#define IDS_KEY_DEL          65341
#define IDS_KEY_SHIFT_PREFIX 65342
#define IDS_KEY_CTRL_PREFIX  65343
#define IDS_KEY_BKSP         65359

// Tray icons (the application icon is the resource named "A").
#define IDI_TRAY_ON  101
#define IDI_TRAY_OFF 102
