#!/usr/bin/env bash
# Takes the screenshots of docs/screenshots/ as a user sees the windows: the desktop tool
# on the built-in printer under Xvfb with a window manager, driven by xdotool.
# Needs: xvfb, openbox, xdotool, imagemagick. Usage: tests/gui/screenshots.sh [BUILD_DIR]
set -euo pipefail
cd "$(dirname "$0")/../.."
build="${1:-${TALLOWICK_BUILD_DIR:-build}}"
out=docs/screenshots
work="$(mktemp -d)"
trap 'kill $(jobs -p) 2>/dev/null || true; rm -rf "$work"' EXIT

export DISPLAY="${SCREENSHOT_DISPLAY:-:57}"
Xvfb "$DISPLAY" -screen 0 1024x768x24 >/dev/null 2>&1 &
sleep 1
openbox >/dev/null 2>&1 &
sleep 1
"$build/src/app/tallowick" --simulate --registry "$work/book.sqlite3" \
  --history "$work/history.sqlite3" >/dev/null 2>&1 &
sleep 2

click() { xdotool mousemove --window "$1" "$2" "$3" click 1; sleep 0.4; }
# The window with its frame: under openbox, the position xdotool reports lies 20 pixels
# below the client area's top, whose title bar is 20 pixels high.
shot() {
  local window="$1" file="$2" X Y WIDTH HEIGHT SCREEN
  eval "$(xdotool getwindowgeometry --shell "$window")"
  import -window root "$work/root.png"
  convert "$work/root.png" -crop "$((WIDTH + 6))x$((HEIGHT + 26))+$((X - 4))+$((Y - 42))" +repage "$file"
}

form3=$(xdotool search --name "Тест фискальных регистраторов" | head -1)
click "$form3" 120 58; xdotool key Down Return; sleep 0.4        # "Veltor FP-510T Украина"
click "$form3" 40 110; xdotool key Home; xdotool type --delay 50 12340
click "$form3" 40 158; xdotool key Home; xdotool type --delay 50 12349
click "$form3" 397 170                                            # Продолжить: the interval
click "$form3" 128 502                                            # Сохранить
click "$form3" 80 260                                             # a number selected
shot "$form3" "$out/tform3-interval.png"
# The status line after "Сохранить", and the question of "Очистить", answered with Enter.
shot "$form3" "$out/tform3-saved-status.png"
question() { sleep 1; xdotool search --name "^Tallowick$" | tail -1; }
click "$form3" 45 502; shot "$(question)" "$out/question-clear-book.png"
xdotool key Return; sleep 0.5                                     # Нет, the default
click "$form3" 80 260                                             # a number selected again

click "$form3" 331 502                                            # Продолжить: TForm1
sleep 1.5
form1=$(xdotool search --name "Тест регистратора расчетных операций" | head -1)
click "$form1" 325 502                                            # Подключить to "sim"
sleep 1.5
shot "$form1" "$out/tform1-connected-sim.png"

click "$form1" 228 92                                             # page "Тест РРО"
click "$form1" 46 399; xdotool key ctrl+a; xdotool type --delay 50 0   # pause 0
click "$form1" 391 400                                            # Старт
sleep 40                                                          # the run, in real time
xdotool key Return; sleep 1                                       # "Успешно!" closed
shot "$form1" "$out/tform1-test-run-log.png"

# The initialisation of the first number of the book, with both of its dialogs.
click "$form1" 90 92                                              # page "Инициализация регистратора"
click "$form1" 426 396                                            # Начать инициализацию
sleep 3
form2=$(xdotool search --name "^Шаг1 .установка даты и времени. завершен успешно$" | head -1)
shot "$form2" "$out/tform2-step-dialog.png"
sleep 6                                                           # the printer reboots
click "$form2" 232 76                                             # Продолжить инициализацию
sleep 6
xdotool key Return; sleep 1.5                                     # "Инициализация выполнена!" closed
form4=$(xdotool search --name "Завершение инициализации" | head -1)
shot "$form4" "$out/tform4-confirm-serial.png"
click "$form4" 413 116                                            # Правильный
sleep 1; xdotool key Return; sleep 0.5                            # "Инициализация завершена успешно!"

# The questions before what cannot be undone, each answered "Нет" with Enter.
click "$form1" 426 424                                            # Стереть фискальную память
shot "$(question)" "$out/question-erase-fiscal-memory.png"
xdotool key Return; sleep 0.5
click "$form1" 200 452; xdotool key ctrl+a; xdotool type --delay 30 "XYZ"
click "$form1" 426 396                                            # Начать инициализацию
shot "$(question)" "$out/question-serial-not-in-book.png"
xdotool key Return; sleep 0.5

# The history of what was done so far: the run and the two initialisations.
click "$form1" 427 502                                            # История
sleep 1
history=$(xdotool search --name "^История$" | head -1)
click "$history" 300 104                                          # the newest record selected
shot "$history" "$out/history.png"
click "$history" 734 462                                          # Закрыть
click "$form1" 228 92                                             # page "Тест РРО"
click "$form1" 46 399; xdotool key ctrl+a; xdotool type --delay 50 1500
click "$form1" 391 400; sleep 3                                   # Старт
click "$form1" 493 502                                            # Закрыть during the run
shot "$(question)" "$out/question-close-during-run.png"
xdotool key Return; sleep 0.5
echo "screenshots written to $out"
