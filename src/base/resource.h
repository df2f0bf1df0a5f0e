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

// The close question's buttons and the About window's OK (fixed ids), and the question's error.
#define IDS_MSG_YES          65217
#define IDS_MSG_NO           65218
#define IDS_MSG_OK           65219
#define IDS_CANNOT_OPEN_CLIPBOARD 1500

// Tray icons (the application icon is the resource named "A").
#define IDI_TRAY_ON  101
#define IDI_TRAY_OFF 102
// The same two states drawn for a light taskbar; the two above are drawn for a dark one.
#define IDI_TRAY_ON_LIGHT  103
#define IDI_TRAY_OFF_LIGHT 104

// State and status texts.
#define IDS_OFF              1000
#define IDS_ON               1001
#define IDS_IS_FORMAT        1002
#define IDS_BLOCKING         1003
#define IDS_TOUCHPAD_DEVICE  1004
#define IDS_USE_FORMAT       1005
#define IDS_ENABLE_TOUCHPAD  1006
#define IDS_DISABLE_TOUCHPAD 1007
#define IDS_SEC              1008
#define IDS_CLICKS_BLOCKED   1009
#define IDS_CLOSE_QUESTION1  1010
#define IDS_CLOSE_QUESTION2  1011
#define IDS_INVALID_TYPE     1012
#define IDS_TITLE            1013
#define IDS_DECIMAL_POINT    1014

// Settings window and tray menu.
#define IDS_INFO             1100
#define IDS_AUTORUN          1101
#define IDS_BALLOONS         1102
#define IDS_GRP_BLOCKER      1103
#define IDS_INTERVAL         1104
#define IDS_BLOCK_EVENTS     1105
#define IDS_BEEP             1106
#define IDS_GRP_SHORTCUTS    1107
#define IDS_SHT_BLOCKER      1108
#define IDS_SHT_TOUCHPAD     1109
#define IDS_SHT_TOUCHPAD_NOTE 1110
#define IDS_INTERNET         1111
#define IDS_SHORTCUT_TAKEN   1113

// About window.
#define IDS_ABOUT            1600
#define IDS_VERSION          1601
#define IDS_ABOUT_SLOGAN     1602
#define IDS_ABOUT_MAKER      1603
#define IDS_PING             1112
#define IDS_MI_BLOCKER       1120
#define IDS_MI_TOUCHPAD      1121
#define IDS_MI_SETUP         1122
#define IDS_MI_ABOUT         1123
#define IDS_MI_CLOSE         1124
#define IDS_MI_SMART         1125
#define IDS_MI_PAUSE_FULL_SCREEN 1126
#define IDS_MI_IGNORE_SHORTCUTS  1127
#define IDS_MI_IGNORE_HELD_KEYS  1128
#define IDS_MI_IGNORE_EXTERNAL_MOUSE    1129
#define IDS_MI_IGNORE_EXTERNAL_KEYBOARD 1130
#define IDS_MI_INPUT_DEVICES     1131
#define IDS_MI_RULES_FOR         1132
#define IDS_MI_RULES_THIS        1133
#define IDS_MI_RULE_SETTINGS     1134
#define IDS_MI_RULE_NEVER        1135
#define IDS_MI_RULE_CLICKS       1136
#define IDS_MI_RULE_INTERVAL     1137
#define IDS_MI_ALL_RULES         1138
#define IDS_MI_ADAPT_TO_TYPING   1139
#define IDS_DEVICES_REFUSED      1140

// Application object.
#define IDS_UNEXPECTED_ERROR 1200
#define IDS_START_FAILED     1201

// Link images of the settings window (16 x 16) and their hints.
#define IDI_LINK_PAGE       110
#define IDI_LINK_CIRCLES    111
#define IDI_LINK_FOLLOW     112
#define IDI_LINK_FEED       113
#define IDI_LINK_BOOKMARK   114
#define IDI_LINK_RECOMMEND  115
#define IDS_HINT_FACEBOOK    1400
#define IDS_HINT_GPLUS       1401
#define IDS_HINT_TWITTER     1402
#define IDS_HINT_RSS         1403
#define IDS_HINT_DELICIOUS   1404
#define IDS_HINT_STUMBLEUPON 1405
#define IDS_HINT_WEBSITE     1406

// The Activity window.
#define IDS_MI_ACTIVITY        1700
#define IDS_ACTIVITY_TITLE     1701
#define IDS_ACT_COL_TIME       1702
#define IDS_ACT_COL_BUTTON     1703
#define IDS_ACT_COL_AFTER      1704
#define IDS_ACT_COL_RESULT     1705
#define IDS_ACT_COL_PROGRAM    1706
#define IDS_ACT_COL_DECIDED    1707
#define IDS_ACT_LEFT           1708
#define IDS_ACT_RIGHT          1709
#define IDS_ACT_MIDDLE         1710
#define IDS_ACT_BLOCKED        1711
#define IDS_ACT_REPEATED       1712
#define IDS_ACT_PASSED         1713
#define IDS_ACT_BY_INTERVAL    1714
#define IDS_ACT_BY_SHORT_STAGE 1715
#define IDS_ACT_BY_RULE        1716
#define IDS_ACT_BY_EXTERNAL    1717
#define IDS_ACT_BY_FULL_SCREEN 1718
#define IDS_ACT_TOO_LITTLE     1719
#define IDS_ACT_CONFLICT       1720
#define IDS_ACT_SUGGEST        1721
#define IDS_ACT_USE            1722
#define IDS_ACT_COPY           1723
#define IDS_ACT_CLEAR          1724
#define IDS_ACT_DIAGNOSTICS    1725
#define IDS_ACT_LINE           1726
#define IDS_ACT_OBSERVE        1727
#define IDS_ACT_OBSERVING      1728
