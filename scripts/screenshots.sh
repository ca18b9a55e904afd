#!/usr/bin/env bash
# Takes the screenshots of docs/screenshots/ under Xvfb with Chinese text:
# the start window with the login, then (after Enter) the main window, the
# system settings, About, both pages of the contact editor and the SMS
# composer (the MMS composer among the single dialogs). Runs
# the README's run command, so it uses the local trial messaging service.
# Then the updater Brannock against the tests' loopback HTTP server: the
# files it lists, and the change list after "下一步".
# `screenshots.sh updater` takes only the updater's pictures.
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
if [ "${1:-}" != updater ]; then
# The record pages are shown on generated records: the program folder's
# databases are put back as they were afterwards.
bash "$root/scripts/build.sh" corvelane-record-generator > /dev/null
db="${BUILD_DIR:-$root/build}/bin/DB"
kept=$(mktemp -d)
[ -d "$db" ] && cp -a "$db" "$kept/"
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
  # The record pages on generated records (100,000 sent, 10,000 received,
  # written while the program runs): "发送成功记录" with the first record and
  # its recipients; the received messages with two of them clicked (read);
  # the advanced query of the received page with one condition, then its result.
  "${BUILD_DIR:-$ROOT/build}/tests/corvelane-record-generator" "${BUILD_DIR:-$ROOT/build}/bin" 100000 10000
  "${BUILD_DIR:-$ROOT/build}/bin/Corvelane" --command g
  sleep 4
  import -window root /tmp/corvelane-sent-records.png
  xdotool mousemove 76 173 click 1
  sleep 3
  xdotool mousemove 500 197 click 1
  sleep 1
  xdotool mousemove 500 237 click 1
  sleep 1
  import -window root /tmp/corvelane-received-records.png
  xdotool mousemove 763 111 click 1
  sleep 2
  export LC_ALL=C.UTF-8
  xdotool mousemove 347 152 click 1
  sleep 0.7
  xdotool key Down Down Return
  sleep 0.5
  xdotool mousemove 480 152 click 1
  sleep 0.7
  xdotool key Down Down Down Return
  sleep 0.5
  xdotool mousemove 660 152 click 1
  xdotool type --delay 30 "again"
  xdotool mousemove 528 181 click 1
  sleep 1
  import -window root /tmp/corvelane-advanced-query.png
  xdotool mousemove 615 467 click 1
  sleep 2
  import -window root /tmp/corvelane-advanced-query-result.png
  unset LC_ALL
  # The SMS composer from the add-in command, with a text of more than 70
  # characters split into numbered parts.
  "${BUILD_DIR:-$ROOT/build}/bin/Corvelane" --command "SendSMS,|,|13800138000|13900139000|02087654321,|,|各位会员：本店将于本周六上午九点至晚上九点举办周年庆活动，全场商品八折。"
  sleep 2
  composer=""
  for id in $(xdotool search --onlyvisible --name .); do
    LC_ALL=C.UTF-8 xdotool getwindowname "$id" | grep -q "发送短信" && composer=$id
  done
  LC_ALL=C.UTF-8 xdotool type --delay 20 "会员凭本短信可再领取精美礼品一份，数量有限，送完为止。地址：人民路一百号，欢迎光临！"
  sleep 1
  # "长短信" is ticked at opening; cleared, the text is split into parts.
  [ -n "$composer" ] && xdotool mousemove --window "$composer" 419 269 click 1
  sleep 1
  import -window "${composer:-root}" /tmp/corvelane-sms-composer.png
  "${BUILD_DIR:-$ROOT/build}/bin/Corvelane" --command quit
  sleep 2'
/usr/bin/convert /tmp/corvelane-login.png -crop 520x320+252+229 "$out/start-window-and-login.png"
/usr/bin/convert /tmp/corvelane-main.png -crop 1004x702+0+0 +repage "$out/main-window.png"
cp /tmp/corvelane-settings.png "$out/system-settings.png"
cp /tmp/corvelane-about.png "$out/about.png"
cp /tmp/corvelane-editor-base.png "$out/contact-editor-base.png"
cp /tmp/corvelane-editor-extended.png "$out/contact-editor-extended.png"
cp /tmp/corvelane-sms-composer.png "$out/sms-composer.png"
# The microblog page: the program once more with ShowWeibo in the OEM file,
# a stored token and the tests' microblog peer as its host (two statuses);
# the received node shows the timeline after "刷新". The settings files this
# changes are put back afterwards, with the databases.
pbin="${BUILD_DIR:-$root/build}/bin"
for f in OEM/OemInfo.ini ServerInfo.ini TRIAL-0001.ini; do
  [ -e "$pbin/$f" ] && install -D -m 644 "$pbin/$f" "$kept/ini/$f"
done
mkdir -p "$kept/answers"
printf '{"status": 200, "delay_ms": 0}' > "$kept/answers/$(printf %s /2/statuses/user_timeline.json | od -An -tx1 | tr -d ' \n').json"
printf '%s' '{"statuses":[{"idstr":"3456789012345678","text":"今天天气很好，和朋友们去公园散步 😀","created_at":"Sat Jun 01 10:00:00 +0800 2024","user":{"screen_name":"小明"}},{"idstr":"3456789012345679","text":"周末一起去爬山吧，早上八点在地铁站集合。","created_at":"Fri May 31 18:30:00 +0800 2024","user":{"screen_name":"小红"}}]}' \
  > "$kept/answers/$(printf %s /2/statuses/user_timeline.json | od -An -tx1 | tr -d ' \n').body"
export KEPT="$kept" PBIN="$pbin"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  coproc PEER { exec /usr/bin/python3 "$ROOT/tests/support/weibo_peer.py" --answers "$KEPT/answers"; }
  read -r line <&"${PEER[0]}"
  port=${line#PORT }
  # One key per file, placed right under its section so that it wins.
  /usr/bin/python3 - "$PBIN" "$port" <<"PY"
import os, sys
folder, port = sys.argv[1], sys.argv[2]
def put(name, section, key, value):
    path = os.path.join(folder, name)
    lines = open(path, encoding="utf-8-sig").read().splitlines() if os.path.exists(path) else []
    head = [i for i, l in enumerate(lines) if l.strip().lower() == "[%s]" % section.lower()]
    if head:
        lines.insert(head[0] + 1, "%s=%s" % (key, value))
    else:
        lines += ["[%s]" % section, "%s=%s" % (key, value)]
    os.makedirs(os.path.dirname(path), exist_ok=True)
    open(path, "w", encoding="utf-8").write("\r\n".join(lines) + "\r\n")
put("ServerInfo.ini", "Deployment", "WeiboApiUrl", "http://127.0.0.1:" + port)
put("OEM/OemInfo.ini", "System", "ShowWeibo", "1")
put("TRIAL-0001.ini", "WeiBo", "AccessToken", "2.00ScreenshotToken")
PY
  bash "$ROOT/scripts/run.sh" > /tmp/corvelane-weibo-screenshot.log 2>&1 &
  for i in $(seq 1 600); do
    xwininfo -root -tree 2>/dev/null | grep -q "480x270" && break
    sleep 0.5
  done
  sleep 1.5
  xdotool key Return
  sleep 3
  main=$(LC_ALL=C.UTF-8 xdotool search --onlyvisible --name "当前登录权限" | head -1)
  # The received node, then "刷新" at the top right of the page over it.
  xdotool mousemove --window "$main" 76 173 click 1
  sleep 2
  xdotool mousemove --window "$main" 875 105 click 1
  sleep 2
  import -window root /tmp/corvelane-weibo-timeline.png
  "$PBIN/Corvelane" --command quit
  sleep 2
  eval "exec ${PEER[1]}>&-"'
/usr/bin/convert /tmp/corvelane-weibo-timeline.png -crop 1004x702+0+0 +repage "$out/weibo-timeline.png"
for f in OEM/OemInfo.ini ServerInfo.ini TRIAL-0001.ini; do
  if [ -e "$kept/ini/$f" ]; then cp "$kept/ini/$f" "$pbin/$f"; else rm -f "$pbin/$f"; fi
done
rm -rf "$db"
[ -d "$kept/DB" ] && cp -a "$kept/DB" "$db"
rm -rf "$kept"
for f in sent-records received-records advanced-query advanced-query-result; do
  /usr/bin/convert "/tmp/corvelane-$f.png" -crop 1004x702+0+0 +repage "$out/record-page-$f.png"
done
rm -f "$out/main-window-placeholder.png"
# Single dialogs, drawn by the test program's screenshot cases (QWidget::grab).
tests="${BUILD_DIR:-$root/build}/tests/gui_tests"
if [ -x "$tests" ]; then
  CORVELANE_SCREENSHOT_DIR="$out" xvfb-run -a -s "-screen 0 1024x768x24" \
    "$tests" --gtest_filter='*Screenshots*' > /tmp/corvelane-dialog-screenshots.log 2>&1
fi
fi

# The updater: a program folder and an update server of its own.
bin="${BUILD_DIR:-$root/build}/bin"
[ -x "$bin/Brannock" ] || cmake --build "${BUILD_DIR:-$root/build}" --target Brannock
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/prog" "$work/srv/upd" "$work/run"
chmod 700 "$work/run"
cp "$bin/Brannock" "$work/prog/"
printf '[FileVer]\nCorvelane=4.60\nKeldrune=1.0\nresources/skin.dat=1.0\n' > "$work/prog/Update.dat"
printf '[FileVer]\nCorvelane.gz=4.61\nKeldrune.gz=1.1\nresources/skin.dat=1.1\n[NewEdit]\n发送记录按月份分页显示=\n联系人导入支持 UTF-8 文件=\n修正定时发送在午夜前后的问题=\n' \
  > "$work/srv/upd/update.dat"
for f in Corvelane Keldrune; do printf '#!/bin/sh\nexit 0\n' | gzip > "$work/srv/upd/$f.gz"; done
mkdir -p "$work/srv/upd/resources"; printf skin > "$work/srv/upd/resources/skin.dat"
export WORK="$work"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  # xdotool matches the Chinese title only under a UTF-8 locale that exists.
  export XDG_RUNTIME_DIR="$WORK/run" HOME="$WORK" no_proxy=127.0.0.1 LC_ALL=C.UTF-8
  coproc SERVER { exec python3 "$ROOT/tests/support/http_server.py" --folder "$WORK/srv"; }
  read -r line <&"${SERVER[0]}"
  port=${line#PORT }
  "$WORK/prog/Brannock" "http://127.0.0.1:$port/upd/update.dat" > /tmp/brannock-screenshots.log 2>&1 &
  for i in $(seq 1 60); do
    win=$(xdotool search --name "^Update$" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.5
  done
  sleep 2
  import -window "$win" "$OUT/updater-check.png"
  xdotool windowfocus --sync "$win" key Return
  for i in $(seq 1 20); do
    box=$(xdotool search --name "升级提示" 2>/dev/null | head -1) && [ -n "$box" ] && break
    sleep 0.5
  done
  xdotool windowfocus "$box"
  sleep 0.5
  xdotool key Return
  sleep 3
  import -window "$win" "$OUT/updater-done.png"
  xdotool windowfocus "$win" key Escape
  sleep 1
  eval "exec ${SERVER[1]}>&-"'
# The converter: a program folder of its own, started without an argument.
[ -x "$bin/Keldrune" ] || cmake --build "${BUILD_DIR:-$root/build}" --target Keldrune
conv=$(mktemp -d)
mkdir -p "$conv/run"
chmod 700 "$conv/run"
cp "$bin/Keldrune" "$conv/"
export CONV="$conv"
xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
  export XDG_RUNTIME_DIR="$CONV/run" HOME="$CONV" LC_ALL=C.UTF-8
  "$CONV/Keldrune" > /tmp/keldrune-screenshots.log 2>&1 &
  pid=$!
  for i in $(seq 1 60); do
    win=$(xdotool search --name "旧版客户端数据转换窗口" 2>/dev/null | head -1) && [ -n "$win" ] && break
    sleep 0.5
  done
  sleep 2
  import -window "$win" "$OUT/converter.png"
  kill "$pid"'
rm -rf "$conv"
echo "screenshots in $out"
