#!/usr/bin/env bash
# Takes the screenshots of docs/screenshots/ under Xvfb with Chinese text:
# the start window with the login, then (after Enter) the main window, the
# system settings, About and both pages of the contact editor. Runs
# the README's run command, so it uses the local trial messaging service.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
need=()
for p in xvfb xauth imagemagick xdotool x11-utils; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get install -y -q --no-install-recommends "${need[@]}"
fi
out="$root/docs/screenshots"
mkdir -p "$out"
export LANG=zh_CN.UTF-8 OUT="$out" ROOT="$root"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  bash "$ROOT/scripts/run.sh" > /tmp/corvelane-screenshots.log 2>&1 &
  for i in $(seq 1 600); do
    xwininfo -root -tree 2>/dev/null | grep -q "480x270" && break
    sleep 0.5
  done
  sleep 1.5
  import -window root /tmp/corvelane-login.png
  xdotool key Return
  sleep 2
  import -window root /tmp/corvelane-main.png
  "${BUILD_DIR:-$ROOT/build}/bin/Corvelane" --command xtsz
  sleep 2
  import -window root /tmp/corvelane-settings.png
  xdotool key Escape
  sleep 1
  "${BUILD_DIR:-$ROOT/build}/bin/Corvelane" --command about
  sleep 2
  import -window root /tmp/corvelane-about.png
  xdotool key Escape
  sleep 1
  # The contact editor: File (first in the menu bar) > "联系人", both pages.
  xdotool mousemove 15 10 click 1
  sleep 1
  xdotool key Down Return
  sleep 2
  editor=""
  for id in $(xdotool search --onlyvisible --name .); do
    xdotool getwindowname "$id" | grep -q "联系人信息" && editor=$id
  done
  import -window "${editor:-root}" /tmp/corvelane-editor-base.png
  xdotool key ctrl+Tab
  sleep 1
  import -window "${editor:-root}" /tmp/corvelane-editor-extended.png
  xdotool key Escape
  sleep 1
  "${BUILD_DIR:-$ROOT/build}/bin/Corvelane" --command quit
  sleep 2'
/usr/bin/convert /tmp/corvelane-login.png -crop 520x320+252+229 "$out/start-window-and-login.png"
/usr/bin/convert /tmp/corvelane-main.png -crop 1004x702+0+0 +repage "$out/main-window.png"
cp /tmp/corvelane-settings.png "$out/system-settings.png"
cp /tmp/corvelane-about.png "$out/about.png"
cp /tmp/corvelane-editor-base.png "$out/contact-editor-base.png"
cp /tmp/corvelane-editor-extended.png "$out/contact-editor-extended.png"
rm -f "$out/main-window-placeholder.png"
# Single dialogs, drawn by the test program's screenshot cases (QWidget::grab).
tests="${BUILD_DIR:-$root/build}/tests/gui_tests"
if [ -x "$tests" ]; then
  CORVELANE_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1024x768x24" \
    "$tests" --gtest_filter='*Screenshots*' > /tmp/corvelane-dialog-screenshots.log 2>&1
fi
echo "screenshots in $out"
