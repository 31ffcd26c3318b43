#!/bin/sh
# The whole program in a real X server: `gleam` started with a project path opens its
# window titled after the project, its menus in the language of the locale (a screenshot
# of each in SCREENSHOT_DIR/program-<lang>.png); SIGTERM ends it cleanly with the project
# saved; a second start hands its project to the running program. (The window's place and
# the start dialog: StartupTest; a second start's exit: SingleInstanceTest.)
#
#   gleam_program_test.sh GLEAM GLEAM_CLI SCREENSHOT_DIR
#
# Runs under scripts/run-test (private HOME and XDG folders); starts its own Xvfb on a
# display number the server picks as free, and stops every process it started by its id.
set -u

gleam=$1
cli=$2
shots=$3
work=$(mktemp -d "${GLEAM_TEST_TMP:-${TMPDIR:-/tmp}}/program.XXXXXX")
failures=0
xvfb_pid=""
gleam_pid=""

cleanup() {
    [ -n "$gleam_pid" ] && kill "$gleam_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && wait "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

fail() {
    echo "FAILED: $*"
    failures=$((failures + 1))
}

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
    tries=$1
    shift
    while ! "$@" >/dev/null 2>&1; do
        tries=$((tries - 1))
        [ "$tries" -gt 0 ] || return 1
        sleep 0.1
    done
}

# --- An X server of our own ------------------------------------------------------------
Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset \
    3>"$work/display" 2>"$work/xvfb.log" &
xvfb_pid=$!
wait_for 100 grep -q '[0-9]' "$work/display" || {
    echo "Xvfb did not start:"
    cat "$work/xvfb.log"
    exit 1
}
DISPLAY=:$(tr -dc '0-9' <"$work/display")
export DISPLAY
unset WAYLAND_DISPLAY
export QT_QPA_PLATFORM=xcb
export GLEAM_AUDIO=virtual
export GLEAM_LOG=1
echo "Xvfb on $DISPLAY"

# --- A project of one title, imported from a generated WAVE file --------------------------
project="$work/Side A.dat"
"$cli" generate "$work/44100-2-16-9s.wav" --seconds 9 >/dev/null || exit 1
"$cli" project "$project" create --title "Side A" >/dev/null || exit 1
"$cli" project "$project" import "$work/44100-2-16-9s.wav" --quiet >/dev/null || exit 1
"$cli" project "$project" set 1 --name "Moonlight" >/dev/null || exit 1
title="$project  -  Gleam!"
log="$XDG_STATE_HOME/Gleam/AE.log"
mkdir -p "$shots"

window_named() {
    xdotool search --onlyvisible --name "Gleam!" 2>/dev/null | while read -r id; do
        [ "$(xdotool getwindowname "$id")" = "$1" ] && echo "$id"
    done | grep -q .
}

visible_windows() {
    xdotool search --onlyvisible --name "Gleam!" 2>/dev/null | wc -l
}

menus=""
for locale in en_US.UTF-8 de_DE.UTF-8 ja_JP.UTF-8 fr_FR.UTF-8; do
    lang=${locale%%_*}
    echo "== $lang ($locale)"
    LC_ALL=$locale LANG=$locale "$gleam" "$project" >"$work/gleam-$lang.out" 2>&1 &
    gleam_pid=$!

    if ! wait_for 300 window_named "$title"; then
        fail "$lang: no window titled \"$title\""
        xdotool search --name "Gleam" getwindowname %@ 2>/dev/null
        cat "$work/gleam-$lang.out"
        kill "$gleam_pid"
        wait "$gleam_pid"
        gleam_pid=""
        continue
    fi
    wid=$(xdotool search --onlyvisible --name "Gleam!" | head -n 1)
    # The project is open: its path is the window's title (the picture shows the rest).

    sleep 1 # let the first paint settle before the picture
    shot="$shots/program-$lang.png"
    import -window "$wid" "$shot" 2>"$work/import.err" || fail "$lang: no screenshot: $(cat "$work/import.err")"
    size=$(identify -format '%wx%h' "$shot" 2>/dev/null)
    [ "$size" = 738x548 ] || fail "$lang: screenshot is $size"
    # A real picture, not a blank window: many colours.
    colours=$(identify -format '%k' "$shot" 2>/dev/null)
    [ "${colours:-0}" -gt 50 ] || fail "$lang: screenshot has only ${colours:-0} colours"
    # The menu bar speaks the language: its strip differs from every other language's.
    menu=$(convert "$shot" -crop 738x20+0+0 +repage -format '%#' info: 2>/dev/null)
    for other in $menus; do
        [ "$menu" != "${other#*=}" ] || fail "$lang: the menu bar is that of ${other%%=*}"
    done
    menus="$menus $lang=$menu"

    # SIGTERM: a clean end with the project saved.
    touch "$work/before-quit"
    sleep 0.05
    kill -TERM "$gleam_pid"
    wait "$gleam_pid"
    rc=$?
    gleam_pid=""
    [ "$rc" = 0 ] || fail "$lang: exit code $rc after SIGTERM: $(cat "$work/gleam-$lang.out")"
    [ "$(tail -n 1 "$log")" = "--- AE shutdown complete ----" ] ||
        fail "$lang: no complete shutdown: $(tail -n 3 "$log")"
    [ -n "$(find "$project" -newer "$work/before-quit")" ] || fail "$lang: the project was not saved"
    "$cli" project "$project" list >"$work/list" 2>&1 ||
        fail "$lang: saved project does not load: $(cat "$work/list")"
    grep -q "^01	Moonlight" "$work/list" || fail "$lang: saved project lost its title"
    wait_for 50 sh -c '! xdotool search --onlyvisible --name "Gleam!"' ||
        fail "$lang: a window is left after the end"
done

# --- A project opened from the desktop while the program runs: the running one opens it ---
echo "== handing a project over"
other="$work/Side B.dat"
"$cli" project "$other" create --title "Side B" >/dev/null || exit 1
LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 "$gleam" "$project" >"$work/gleam-handover.out" 2>&1 &
gleam_pid=$!
wait_for 300 window_named "$title" || fail "handover: no window titled \"$title\""
LC_ALL=en_US.UTF-8 LANG=en_US.UTF-8 timeout 20 "$gleam" "$other" >"$work/second.out" 2>&1 ||
    fail "handover: the second start failed: $(cat "$work/second.out")"
wait_for 100 window_named "$other  -  Gleam!" ||
    fail "handover: the running program did not open $other"
[ "$(visible_windows)" = 1 ] || fail "handover: $(visible_windows) windows"
kill -TERM "$gleam_pid"
wait "$gleam_pid"
rc=$?
gleam_pid=""
[ "$rc" = 0 ] || fail "handover: exit code $rc after SIGTERM"

if [ "$failures" -ne 0 ]; then
    echo "$failures failures"
    exit 1
fi
echo "all passed"
