#!/usr/bin/env bash
# The main window: exact title, a client area of exactly 644 x 495, the
# whole window (frame included) centred on the screen, fixed size without
# maximise, list lines that take clicks, and Alt+F4 as a close request.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
e2e_setup window_geometry
e2e_start_display
e2e_guide_utf8 >"$E2E_DIR/guide.utf8"
e2e_clipboard_put "$E2E_DIR/guide.utf8"

e2e_step "start with a missing Event file, answer No"
e2e_start_telvor missing.telvor
question=$(e2e_wait_window "$VERSION_TITLE_RE")
main=$(e2e_find_window "$MAIN_TITLE_RE")
[[ -n "$main" ]] || e2e_fail "the main window is not shown while the question is open"
e2e_keys "$question" alt+n
e2e_wait_window_gone "$VERSION_TITLE_RE"
e2e_expect_still_running 0.5

e2e_step "title and size"
[[ "$(xprop -id "$main" _NET_WM_NAME)" == "_NET_WM_NAME(UTF8_STRING) = \"$MAIN_TITLE\"" ]] ||
    e2e_fail "title: $(xprop -id "$main" _NET_WM_NAME)"
info=$(xwininfo -id "$main")
width=$(sed -n 's/^ *Width: //p' <<<"$info")
height=$(sed -n 's/^ *Height: //p' <<<"$info")
[[ "$width x $height" == "644 x 495" ]] || e2e_fail "client area $width x $height"
hints=$(xprop -id "$main" WM_NORMAL_HINTS)
grep -q 'minimum size: 644 by 495' <<<"$hints" && grep -q 'maximum size: 644 by 495' <<<"$hints" ||
    e2e_fail "the window is resizable: $hints"
actions=$(xprop -id "$main" _NET_WM_ALLOWED_ACTIONS)
grep -q MINIMIZE <<<"$actions" && grep -q CLOSE <<<"$actions" || e2e_fail "actions: $actions"
! grep -q MAXIMIZE <<<"$actions" || e2e_fail "the window can be maximised: $actions"

e2e_step "centred with its frame"
screen=$(xwininfo -root)
screen_width=$(sed -n 's/^ *Width: //p' <<<"$screen")
screen_height=$(sed -n 's/^ *Height: //p' <<<"$screen")
centred() {
    local info extents left right top bottom x y
    info=$(xwininfo -id "$main")
    x=$(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info")
    y=$(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info")
    extents=$(xprop -id "$main" _NET_FRAME_EXTENTS | sed 's/.*= //; s/,//g')
    read -r left right top bottom <<<"$extents"
    frame="frame at $((x - left)),$((y - top)) size $((644 + left + right))x$((495 + top + bottom))"
    ((x - left == (screen_width - 644 - left - right) / 2 &&
        y - top == (screen_height - 495 - top - bottom) / 2))
}
frame=""
centred || sleep 2
centred || e2e_fail "not centred on ${screen_width}x${screen_height}: $frame"
echo "$frame"
e2e_screenshot window_geometry-final

e2e_step "a click on the Event view selects a line (its frame lies beneath it)"
info=$(xwininfo -id "$main")
x=$(( $(sed -n 's/^ *Absolute upper-left X: *//p' <<<"$info") + 500 ))
y=$(( $(sed -n 's/^ *Absolute upper-left Y: *//p' <<<"$info") + 157 + 8 ))
pixel() { import -window root -crop "1x1+$x+$y" txt:- | tail -n 1 | awk '{print $3}'; }
before=$(pixel)
xdotool mousemove "$x" "$y" click 1
e2e_wait_until 5 "the clicked line to be highlighted" eval '[[ $(pixel) != "$before" ]]'

e2e_step "Alt+F4 closes the window"
e2e_keys "$main" alt+F4
e2e_wait_exit 15
e2e_expect_exit_0
echo "PASS window_geometry"
