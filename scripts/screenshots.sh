#!/usr/bin/env bash
# Pictures of the real Quorlin.exe under Wine, for people to look at (not for tests):
#   docs/screenshots/settings.png      the settings window as a first start shows it (for the README)
#   docs/screenshots/settings-on.png   the settings window, blocker on
#   docs/screenshots/settings-off.png  the same after clearing "Block accidental taps and clicks"
#   docs/screenshots/tray-menu.png     the tray menu opened from the notification area
#   docs/screenshots/about.png         the About window
#   docs/screenshots/settings-touchpad.png  the settings window with the fake touchpad driver of
#                                      tests/doubles installed, its shortcut switched on
#   docs/screenshots/tray-menu-touchpad.png  the tray menu with that driver
#   docs/screenshots/close-question.png  the question that Close in the tray menu asks
#   docs/screenshots/settings-de.png, settings-ja.png  the settings window in German and in Japanese
#   docs/screenshots/tray-menu-smart.png  the tray menu with its "Smart blocking" submenu open
#   docs/screenshots/tray-menu-devices.png  its "Input devices" submenu, Wine's keyboard placed built in
#   docs/screenshots/tray-menu-rules.png  the "Rules for notepad.exe" submenu, Notepad having been in front
#   docs/screenshots/activity.png      the Activity window after typing and clicking in Notepad
#   docs/screenshots/settings-144.png, about-144.png, close-question-144.png, activity-144.png
#                                      the same at 144 DPI
#   docs/screenshots/tray-icons.png    the four tray pictures on a dark and on a light taskbar
# Usage: scripts/screenshots.sh [path/to/Quorlin.exe]   (default: build/win/Quorlin.exe)
# QUORLIN_SHOTS_ONLY=144 takes only the pictures at 144 DPI and of the tray pictures.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
exe=$(realpath "${1:-$root/build/win/Quorlin.exe}")
out=$root/docs/screenshots
[ -f "$exe" ] || { echo "screenshots: $exe is not built" >&2; exit 1; }
mkdir -p "$out"

export QUORLIN_EXE=$exe QUORLIN_SHOTS=$out
# The tray menu opens a little higher or lower from run to run (Wine places it in the work area or
# on the whole screen): its top edge is found in the picture, where the desktop's colour ends above
# its left margin. Its items are 17 pixels high.
export MENU_TOP_FN='menu_top() {
  import -window root "$WINEPREFIX/top.png"
  convert "$WINEPREFIX/top.png" -crop 1x424+1070+600 -depth 8 txt:- |
    awk -F: '"'"'NR > 1 && $2 !~ /#256F95/ { split($1, p, ","); print 600 + p[2]; exit }'"'"'
}'
# The Activity window after typing and clicking in Notepad, at the DPI given (96 or 144): the
# menu item's place below the menu's top, the rectangle around the window and the picture's name.
activity_shot() {
  ACT_ITEM=$2 ACT_CROP=$3 ACT_NAME=$4 QUORLIN_LOGPIXELS=$1 "$here/wine-run.sh" --sh '
set -u
eval "$MENU_TOP_FN"
for value in "Visible 0" "Balloons 0"; do
  set -- $value
  wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v $1 /t REG_DWORD /d $2 /f >/dev/null 2>&1
done
# Notepad low on the screen, clear of the window in the middle.
for value in "iWindowPosX 0" "iWindowPosY 896" "iWindowPosDX 300" "iWindowPosDY 104"; do
  set -- $value
  wine reg add "HKCU\\Software\\Microsoft\\Notepad" /v $1 /t REG_DWORD /d $2 /f >/dev/null 2>&1
done
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 3
wine notepad &
sleep 3
activity() {
  xdotool mousemove 1270 1014 click 3
  sleep 1
  top=$(menu_top)
  xdotool mousemove 1110 $((top + ACT_ITEM)) click 1
  sleep 2
}
activity
# A few minutes of use, compressed: typing in Notepad with palms on the touchpad soon after keys,
# the user'"'"'s own clicks later, and now and then a swallowed click the user repeats at once.
press() { xdotool key a; sleep "$1"; xdotool mousemove "$2" "$3" click 1; }
for i in 1 2 3 4 5 6 7 8; do
  press 0.0$((i % 5 + 2)) $((30 + i * 7)) 962
  press 0.1$((i % 4)) $((40 + i * 5)) 963
  press 0.$((6 + i % 4)) 70 $((958 + i))
  sleep 0.7
done
for i in 1 2 3 4; do
  press 0.3$i 60 961
  sleep 0.35
  xdotool click 1
  sleep 0.8
done
press 1.2 50 960
press 1.6 60 962
sleep 1
# A second choice of the item brings the window back in front of Notepad.
activity
xdotool mousemove 1200 40
sleep 1
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop $ACT_CROP +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/$ACT_NAME"
'
}
rc=0
if [ "${QUORLIN_SHOTS_ONLY:-}" != 144 ]; then
activity_shot 96 96 700x600+290+200 activity.png || rc=1
"$here/wine-run.sh" --sh '
set -u
shot() { import -window root "$1"; }
# The settings window without the desktop around it: crop near the known place, then trim the
# desktop colour away.
window_shot() {
  shot "$WINEPREFIX/root.png"
  convert "$WINEPREFIX/root.png" -crop 360x500+90+90 +repage -fuzz 3% -trim +repage "$1"
}
# A known place for the window (the frame itself is Wine'"'"'s), and the pointer out of the way.
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v Bounds /t REG_SZ /d "100,100,0,0" /f >/dev/null 2>&1
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
window_shot "$QUORLIN_SHOTS/settings-on.png"
cp "$QUORLIN_SHOTS/settings-on.png" "$QUORLIN_SHOTS/settings.png"

# The caption check box of "Block accidental taps and clicks" (client 8+8+6, 114+6 below the
# window'"'"'s top-left corner, past the frame and caption).
xdotool mousemove $((100 + 3 + 22)) $((100 + 3 + 19 + 120)) click 1
sleep 1
xdotool mousemove 1200 40
sleep 0.5
window_shot "$QUORLIN_SHOTS/settings-off.png"

# Blocker on again (the menu then shows its check mark); wait for the balloons to go, then open
# the tray menu on the first icon of the notification area.
xdotool mousemove $((100 + 3 + 22)) $((100 + 3 + 19 + 120)) click 1
sleep 14
xdotool mousemove 1270 1014 click 3
sleep 1
eval "$MENU_TOP_FN"
top=$(menu_top)
shot "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 360x$((1064 - top))+920+$((top - 40)) +repage "$QUORLIN_SHOTS/tray-menu.png"
xdotool key Escape
sleep 0.5

# The About window, opened with Alt+F1 in the settings window (it opens centred over it).
xdotool mousemove 160 110 click 1
sleep 0.5
xdotool key alt+F1
sleep 1.5
xdotool mousemove 1200 40
sleep 0.3
shot "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 420x260+47+188 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/about.png"
xdotool key Return
'
rc=$?

# With a touchpad driver: the fake one, installed in a folder of its own and registered
# machine-wide, as a driver installer does.
export QUORLIN_DRIVER_DIR=$(dirname "$exe")
"$here/wine-run.sh" --sh '
set -u
driver=$WINEPREFIX/drive_c/SynapticsDriver
mkdir -p "$driver"
cp "$QUORLIN_DRIVER_DIR/SynapticsDouble.dll" "$QUORLIN_DRIVER_DIR/SynapticsDoubleDep.dll" "$driver/"
for clsid in "{9C042297-D1CD-4F0D-B1AB-9F48AD6A6DFF}" "{9345312C-D098-4BB1-B2B2-D529EB995173}"; do
  key="HKLM\\Software\\Classes\\CLSID\\$clsid\\InprocServer32"
  wine reg add "$key" /ve /t REG_SZ /d "C:\\SynapticsDriver\\SynapticsDouble.dll" /f >/dev/null 2>&1
  wine reg add "$key" /v ThreadingModel /t REG_SZ /d Both /f >/dev/null 2>&1
done
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v Bounds /t REG_SZ /d "100,100,0,0" /f >/dev/null 2>&1
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v TouchpadSwitch /t REG_DWORD /d 1 /f >/dev/null 2>&1
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 360x500+90+90 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/settings-touchpad.png"
sleep 14
xdotool mousemove 1270 1014 click 3
sleep 1
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 360x160+920+864 +repage "$QUORLIN_SHOTS/tray-menu-touchpad.png"
xdotool key Escape
' || rc=1

# The close question, with the settings window hidden so that the question stands alone in the
# middle of the screen: crop around the middle, then trim the desktop colour away.
"$here/wine-run.sh" --sh '
set -u
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v Visible /t REG_DWORD /d 0 /f >/dev/null 2>&1
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
xdotool mousemove 1270 1014 click 3
sleep 1
xdotool key Up Return
sleep 1
xdotool mousemove 1200 40
sleep 0.5
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 800x400+240+312 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/close-question.png"
xdotool key Escape
' || rc=1
# The settings window in German and in Japanese: Wine gives programs the interface language of
# LC_ALL (LANG alone was seen not to do it).
for locale in de_DE ja_JP; do
  QUORLIN_SHOT_NAME=settings-${locale%_*} LC_ALL=$locale.UTF-8 "$here/wine-run.sh" --sh '
set -u
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v Bounds /t REG_SZ /d "100,100,0,0" /f >/dev/null 2>&1
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 460x560+90+90 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/$QUORLIN_SHOT_NAME.png"
' 2>/dev/null || rc=1
done
# The "Smart blocking" submenu, opened by resting the pointer on its item, with one option on.
"$here/wine-run.sh" --sh '
set -u
for value in "Visible 0" "Balloons 0" "IgnoreShortcutKeys 1"; do
  set -- $value
  wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v $1 /t REG_DWORD /d $2 /f >/dev/null 2>&1
done
eval "$MENU_TOP_FN"
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
xdotool mousemove 1270 1014 click 3
sleep 1
top=$(menu_top)
xdotool mousemove 1110 $((top + 62))
sleep 1.5
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 460x$((1074 - top))+825+$((top - 50)) +repage "$QUORLIN_SHOTS/tray-menu-smart.png"
xdotool key Escape Escape
' || rc=1
# The "Input devices" submenu, with Wine's keyboard placed built in.
"$here/wine-run.sh" --sh '
set -u
for value in "Visible 0" "Balloons 0" "IgnoreExternalMouse 1"; do
  set -- $value
  wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v $1 /t REG_DWORD /d $2 /f >/dev/null 2>&1
done
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin\\Devices" /v "\\\\?\\HID#VID_845E&PID_0002#0&0000&0&0#{884B96C3-56EF-11D1-BC8C-00A0C91405DD}" /t REG_DWORD /d 1 /f >/dev/null 2>&1
eval "$MENU_TOP_FN"
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
xdotool mousemove 1270 1014 click 3
sleep 1
top=$(menu_top)
xdotool mousemove 1110 $((top + 62))
sleep 1.5
xdotool mousemove 1000 $((top + 62))
sleep 0.3
xdotool mousemove 940 $((top + 62))
sleep 1.5
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 690x$((1074 - top))+590+$((top - 50)) +repage "$QUORLIN_SHOTS/tray-menu-devices.png"
xdotool key Escape Escape Escape
' || rc=1
# The "Rules for NAME" submenu with Notepad in front before the menu opened, and rules for it and
# two other programs.
"$here/wine-run.sh" --sh '
set -u
eval "$MENU_TOP_FN"
for value in "Visible 0" "Balloons 0"; do
  set -- $value
  wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v $1 /t REG_DWORD /d $2 /f >/dev/null 2>&1
done
for value in "game.exe 1" "paint.exe 2" "notepad.exe 1000"; do
  set -- $value
  wine reg add "HKCU\\Software\\VENTARIS\\Quorlin\\Programs" /v $1 /t REG_DWORD /d $2 /f >/dev/null 2>&1
done
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 2
wine notepad &
sleep 3
xdotool mousemove 1270 1014 click 3
sleep 1
top=$(menu_top)
xdotool mousemove 1110 $((top + 79))
sleep 1.5
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 362x$((1199 - top))+918+$((top - 175)) +repage "$QUORLIN_SHOTS/tray-menu-rules.png"
xdotool key Escape Escape
' || rc=1
fi

activity_shot 144 140 1000x792+150+100 activity-144.png || rc=1

# At 144 DPI (150 %): the settings window, then, with it hidden, About and the close question
# from the tray menu, each alone in the middle of the screen.
QUORLIN_LOGPIXELS=144 "$here/wine-run.sh" --sh '
set -u
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v Bounds /t REG_SZ /d "100,60,0,0" /f >/dev/null 2>&1
wine reg add "HKCU\\Software\\VENTARIS\\Quorlin" /v Balloons /t REG_DWORD /d 0 /f >/dev/null 2>&1
xdotool mousemove 1200 40
wine "$QUORLIN_EXE" &
sleep 4
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 560x760+90+50 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/settings-144.png"
# Its close box (the window is 468 pixels wide at 144 DPI) hides it into the tray.
xdotool mousemove 553 75 click 1
sleep 1
# The items of the menu by a click (keys do not reach this menu here): About, later Close.
xdotool mousemove 1270 1014 click 3
sleep 1
xdotool mousemove 1014 895 click 1
sleep 1.5
xdotool mousemove 1200 40
sleep 0.5
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 800x400+240+312 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/about-144.png"
xdotool key Return
sleep 1
xdotool mousemove 1270 1014 click 3
sleep 1
xdotool mousemove 1014 1008 click 1
sleep 1
xdotool mousemove 1200 40
sleep 0.5
import -window root "$WINEPREFIX/root.png"
convert "$WINEPREFIX/root.png" -crop 800x400+240+312 +repage -fuzz 3% -trim +repage "$QUORLIN_SHOTS/close-question-144.png"
xdotool key Escape
' || rc=1

# The tray pictures at the 24-pixel size of 144 DPI, blocker on and off, on the dark and the
# light taskbar of Windows 10 and 11, four times enlarged so that their pixels can be seen.
res=$root/src/ui/res
tile() { convert -size 40x40 "xc:$1" \( "$2[2]" \) -gravity center -composite "$3"; }
for bg in "#202020:dark:TrayOn.ico:TrayOff.ico" "#eeeeee:light:TrayOnLight.ico:TrayOffLight.ico"; do
  IFS=: read -r colour name on off <<<"$bg"
  tile "$colour" "$res/$on" "$out/.tray-$name-on.png"
  tile "$colour" "$res/$off" "$out/.tray-$name-off.png"
  convert "$out/.tray-$name-on.png" "$out/.tray-$name-off.png" +append "$out/.tray-$name.png"
done
convert "$out/.tray-dark.png" "$out/.tray-light.png" +append -filter point -resize 400% "$out/tray-icons.png" || rc=1
rm -f "$out"/.tray-*.png

ls -l "$out"/settings.png "$out"/settings-on.png "$out"/settings-off.png "$out"/tray-menu.png "$out"/about.png "$out"/settings-touchpad.png "$out"/tray-menu-touchpad.png "$out"/close-question.png "$out"/tray-menu-smart.png "$out"/tray-menu-devices.png "$out"/tray-menu-rules.png \
  "$out"/settings-144.png "$out"/about-144.png "$out"/close-question-144.png "$out"/tray-icons.png \
  "$out"/activity.png "$out"/activity-144.png
exit $rc
