#!/usr/bin/env bash
# The demo: builds the Windows programs and runs them under Wine, showing what they do.
#
#   bash tools/demo.sh                 installs what is missing, builds, and runs the demo on your
#                                      display (its own Xvfb when there is none)
#   bash tools/demo.sh --ci [--programs ARCH=DIR ...] [--out DIR]
#                                      no build, always its own Xvfb, nothing on your screen
#
# It runs the build that tests/e2e/wine_env.py chooses, as the end-to-end tests do: the shipped
# i686 programs under the 32-bit Wine where this machine runs 32-bit code, else the x86_64 test
# build under the 64-bit Wine; KAVELO2_E2E_ARCH=i686 or x86_64 forces either. It builds only that
# one (build/windows or build/windows-x86_64).
# --programs ARCH=DIR runs that build's programs in DIR instead of building them (the helpers in
# DIR/../test-programs).
# It makes a sample folder with Kavelo2.exe, PROJECTOR.EXE and a Kavelo2.ini that kavelo2-config
# encodes from samples/Kavelo2.txt, checks that file against the display, runs the launcher and
# prints the display mode before, during and after; a screenshot taken while PROJECTOR.EXE runs
# goes to OUT/demo-screenshot.png. Kavelo2Settings.exe then opens the same folder and explains the
# file (its screenshot goes to OUT/settings-screenshot.png). Then Lisko lists a sample music
# folder. Wine runs in a prefix of its own (in OUT/wine) with a 1024x768 virtual desktop, whose
# modes the launcher can switch.
# Defaults: the chosen build's folder, --out build/demo. Exits non-zero when a step fails.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
root=$PWD

ci=false
build=true
program_options=()
out=$root/build/demo
while [ $# -gt 0 ]; do
  case $1 in
    --ci) ci=true; build=false ;;
    --programs) program_options+=(--programs "$2"); build=false; shift ;;
    --out) out=$(realpath -m "$2"); shift ;;
    *) echo "usage: tools/demo.sh [--ci] [--programs ARCH=DIR ...] [--out DIR]" >&2; exit 2 ;;
  esac
  shift
done

current_step="start"
step() { current_step=$*; printf '\n== %s\n' "$*"; }
fail() { echo "demo: $current_step: $*" >&2; exit 1; }
# A command that fails where no check of its own says why still names the step and the command.
trap 'echo "demo: $current_step: \"$BASH_COMMAND\" failed (line $LINENO)" >&2' ERR

step "Dependencies"
bash tools/install-deps.sh
if ! command -v import >/dev/null; then
  # The screenshot is taken with ImageMagick's import.
  sudo=""; [ "$(id -u)" -eq 0 ] || sudo=sudo
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends imagemagick
fi

step "Build under test"
# The choice prints which build runs and why; it sets arch, tree and toolchain.
choice=$(python3 -B tests/e2e/wine_env.py choose) || fail "no build of the programs can run here"
eval "$choice"
if $build; then
  cmake -S . -B "$tree" -DCMAKE_TOOLCHAIN_FILE="$toolchain" >/dev/null
  cmake --build "$tree" -j "$(nproc)"
fi
[ ${#program_options[@]} -gt 0 ] || program_options=(--programs "$arch=$root/$tree/bin")

step "Wine"
mkdir -p "$out"
work=$out/wine
display=()
own_display=true
if ! $ci && [ -n "${DISPLAY:-}" ]; then
  # Your display: the prefix's virtual desktop opens as one 1024x768 window on it.
  display=(--display "$DISPLAY")
  own_display=false
fi
# Otherwise its own Xvfb. Either way the prefix, server and desktop are the end-to-end tests'
# helper's, which also checks that the chosen build's programs are there.
python3 -B tests/e2e/wine_env.py start --work "$work" "${program_options[@]}" "${display[@]}"
trap 'python3 -B tests/e2e/wine_env.py stop --work "$work" >/dev/null' EXIT
# The Wine variables, $wine (the build's loader), $arch and $programs.
eval "$(python3 -B tests/e2e/wine_env.py shell --work "$work")"
bin=$programs
# display_mode.exe and dialog_driver.exe are test helpers: they lie in test-programs/ beside bin/.
display_mode=$(dirname "$bin")/test-programs/display_mode.exe
dialog_driver=$(dirname "$bin")/test-programs/dialog_driver.exe
for program in "$bin/PROJECTOR.EXE" "$bin/kavelo2-config.exe" "$bin/Lisko.exe" \
               "$bin/Kavelo2Settings.exe" "$display_mode" "$dialog_driver"; do
  [ -f "$program" ] || fail "$program is missing: build the Windows programs first"
done
echo "DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX"

# Runs a console program; Wine's line ends are dropped.
run() { timeout 60 "$wine" "$@" </dev/null 2>&1 | tr -d '\r'; }
mode() { run "$display_mode" get; }
# The desktop's size as the X server shows it, or nothing while its window is not there (before the
# first program of the prefix shows, or after the last has gone; late on a loaded machine): a Wine
# program started while a switch is under way can undo it, so the switch is watched from outside.
desktop_size() {
  { xwininfo -name "Default - Wine desktop" 2>/dev/null || true; } |
    awk '/Width:/ {w = $2} /Height:/ {h = $2} END {if (w != "") print w "x" h}'
}
# Waits up to $1 seconds for the command after it to succeed; false when the time runs out.
within() {
  local deadline=$((SECONDS + $1))
  shift
  until "$@"; do
    [ $SECONDS -lt $deadline ] || return 1
    sleep 0.05
  done
}
winpath() { printf 'Z:%s' "${1//\//\\}"; }

step "Sample folder $out/show"
show=$out/show
rm -rf "$show"
mkdir -p "$show"
cp "$bin/Kavelo2.exe" "$bin/PROJECTOR.EXE" "$bin/Kavelo2Settings.exe" "$show/"
timeout 60 "$wine" "$bin/kavelo2-config.exe" encode <samples/Kavelo2.txt >"$show/Kavelo2.ini"
echo "Kavelo2.ini, encoded by kavelo2-config from samples/Kavelo2.txt:"
sed 's/^/  /' samples/Kavelo2.txt
ls -l "$show"

step "What the launcher will make of it (kavelo2-config check --modes display)"
run "$bin/kavelo2-config.exe" check "$(winpath "$show/Kavelo2.ini")" --modes display

step "Launcher run"
run "$display_mode" reset >/dev/null
before=$(mode)
echo "mode before:  $before"
[ -n "$before" ] || fail "display_mode.exe told no mode"
size_before=$(echo "$before" | cut -d x -f 1,2)
(cd "$show" && exec timeout 60 "$wine" Kavelo2.exe </dev/null >/dev/null 2>&1) &
launcher=$!
switched() {
  local size
  size=$(desktop_size)
  [ -n "$size" ] && [ "$size" != "$size_before" ]
}
within 30 switched || fail "the desktop did not leave $size_before within 30 s (the launcher switches first)"
during=$(mode)
echo "mode during:  $during"
# PROJECTOR.EXE shows the mode it runs in for a few seconds: the screenshot is taken once its window
# is on the screen (a black or empty screen has a colour or two, its window many).
screenshot=$out/demo-screenshot.png
shows_projector() {
  rm -f "$screenshot"
  if $own_display; then
    import -window root "$screenshot" 2>/dev/null || return 1
  else
    # Only the desktop's window, not the rest of your screen.
    import -window "Default - Wine desktop" "$screenshot" 2>/dev/null || return 1
  fi
  [ "$(identify -format %k "$screenshot" 2>/dev/null || echo 0)" -gt 10 ]
}
within 20 shows_projector || fail "PROJECTOR.EXE's window did not show within 20 s"
wait "$launcher" || fail "the launcher did not end normally"
after=$(mode)
echo "mode after:   $after"
echo "screenshot:   $screenshot"
[ -s "$screenshot" ] || fail "no screenshot"
[ "$during" != "$before" ] || fail "the launcher did not switch the display mode"
[ "$after" = "$before" ] || fail "the display did not return to $before"

step "Kavelo2 Settings on the same folder"
(cd "$show" && exec timeout 60 "$wine" Kavelo2Settings.exe </dev/null >/dev/null 2>&1) &
settings=$!
run "$dialog_driver" find >/dev/null || fail "the settings dialog did not appear"
# The driver escapes backslash, CR, LF and blank; the pane's first line is the verdict.
run "$dialog_driver" text explanation | python3 -c 'import re, sys
text = re.sub(r"\\(.)", lambda m: {"r": "\r", "n": "\n", "s": " "}.get(m[1], m[1]), sys.stdin.read().strip())
print(text.split("\r\n")[0])'
settings_screenshot=$out/settings-screenshot.png
rm -f "$settings_screenshot"
if $own_display; then
  import -window root "$settings_screenshot"
else
  import -window "Default - Wine desktop" "$settings_screenshot"
fi
run "$dialog_driver" click cancel >/dev/null
wait "$settings" || fail "Kavelo2 Settings did not end normally"
echo "screenshot:   $settings_screenshot"
[ -s "$settings_screenshot" ] || fail "no screenshot of the settings dialog"

step "Lisko on a sample music folder ($out/music)"
music=$out/music
rm -rf "$music"
mkdir -p "$music/UserMP3s" "$music/fsxml" "$music/run"
for song in "01 Morning Light.mp3" "02 Harbour Walk.mp3" "03 Evening Tide.mp3" "Live & Loud.mp3"; do
  : >"$music/UserMP3s/$song"
done
(cd "$music/run" && run "$bin/Lisko.exe")
tr -d '\r' <"$music/fsxml/usermp3.xml"

step "Done: the $arch build under $wine"
