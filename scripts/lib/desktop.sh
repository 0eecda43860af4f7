# A private desktop for the scripts that drive Thrumwise: a throw-away work
# folder, an X server (Xvfb) with openbox, a home of its own, and the programs
# started on it, all stopped again on exit, also on Ctrl+C.
# Source it after defining fail MESSAGE; it sets work, pids and DISPLAY.

timeout_s=${timeout_s:-10}

work=$(mktemp -d "${TMPDIR:-/tmp}/thrumwise-${desktop_name:-desktop}.XXXXXX")
pids=()

cleanup() {
    local status=$?
    trap - EXIT INT TERM
    local i pid
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        for _ in {1..50}; do
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.1
        done
        kill -KILL "$pid" 2>/dev/null || true
        wait "$pid" 2>/dev/null || true
    done
    rm -rf "$work"
    exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# Starts a program in the background with its output in $work/NAME.log.
start() {
    local name=$1
    shift
    : >"$work/$name.log"
    "$@" >>"$work/$name.log" 2>&1 &
    pids+=($!)
}

# Runs COMMAND until it succeeds; fails with WHAT after timeout_s seconds.
wait_until() {
    local what=$1 tries=$((timeout_s * 10))
    shift
    until "$@"; do
        ((tries-- > 0)) || fail "$what"
        sleep 0.1
    done
}

# The number of lines in FILE that contain TEXT.
count_lines() {
    grep -cF -- "$2" "$1" || true
}

# Whether FILE holds at least COUNT lines containing TEXT.
has_lines() {
    (($(count_lines "$1" "$2") >= ${3:-1}))
}

# Waits until FILE holds at least COUNT lines containing TEXT.
wait_for() {
    wait_until "no \"$2\" in $(basename "$1") after ${timeout_s}s" has_lines "$@"
}

# Stores in the variable VAR the id of a shown window that xdotool search
# finds with the remaining arguments; fails when there is none yet.
find_window() {
    local id
    id=$(xdotool search --onlyvisible "${@:2}" 2>/dev/null | head -n 1) || return 1
    [[ -n $id ]] || return 1
    printf -v "$1" '%s' "$id"
}

# Makes a window the active one. While xdotool waits for that it complains
# about moments with no active window, which are expected here.
activate() {
    xdotool windowactivate --sync "$1" 2>/dev/null
}

# The X server with openbox, and a home with the XDG folders under $work.
start_desktop() {
    # Xvfb picks a free display number itself and writes it to the given descriptor.
    start xvfb Xvfb -displayfd 3 -nolisten tcp -noreset -screen 0 1280x800x24 3>"$work/display"
    wait_until "Xvfb did not start" test -s "$work/display"
    DISPLAY=":$(<"$work/display")"
    export DISPLAY
    unset WAYLAND_DISPLAY

    mkdir -p "$work/home/config" "$work/home/data/Thrumwise" "$work/home/cache" \
        "$work/home/runtime"
    chmod 700 "$work/home/runtime"
    export HOME=$work/home
    export XDG_CONFIG_HOME=$HOME/config XDG_DATA_HOME=$HOME/data XDG_CACHE_HOME=$HOME/cache
    export XDG_RUNTIME_DIR=$HOME/runtime
    # Keeps Qt off the user's session bus, so it shows no icon in the user's own tray.
    export DBUS_SESSION_BUS_ADDRESS=unix:path=$work/no-bus
    export QT_QPA_PLATFORM=xcb

    start openbox openbox --sm-disable --startup "touch $work/openbox-ready"
    wait_until "openbox did not start" test -e "$work/openbox-ready"
}
