# Shared by the scripts: paths, package set-up, X display and Wine prefix handling.
TOP=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Starts Xvfb on the first free display number from 90 and exports DISPLAY. XVFB_PID names it.
start_xvfb() {
    local n=90
    while [ -e /tmp/.X11-unix/X$n ] || [ -e /tmp/.X$n-lock ]; do n=$((n + 1)); done
    Xvfb :$n -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    export DISPLAY=:$n
    for _ in $(seq 1 50); do
        [ -e /tmp/.X11-unix/X$n ] && return 0
        sleep 0.1
    done
    echo "Xvfb did not start on :$n" >&2
    return 1
}

# Makes a fresh Wine prefix at $1 (unless TASVRIN_KEEP_PREFIX=1 and it exists) and keeps a
# persistent wineserver for it, so that every process starts quickly.
start_wine() {
    export WINEPREFIX="$1"
    if [ "${TASVRIN_KEEP_PREFIX:-0}" != 1 ] || [ ! -d "$WINEPREFIX" ]; then
        rm -rf "$WINEPREFIX"
        mkdir -p "$WINEPREFIX"
        wineboot -i >/dev/null 2>&1 || true
        wineserver -w
        if [ "${TASVRIN_WINE_DESKTOP:-0}" = 1 ]; then
            # Every program of the prefix runs inside Wine's own desktop window: top-level windows get
            # captions and frames drawn like on Windows, and closing one does not wait for a window
            # manager that Xvfb does not have (about two seconds per window otherwise).
            wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f </dev/null >/dev/null 2>&1 || true
            wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1280x1024 /f </dev/null >/dev/null 2>&1 || true
            wineserver -w
        fi
    fi
    wineserver -p
    # Start Wine's own services now, with no terminal attached: started later by a test they would
    # inherit its output pipe and keep the reader waiting for the end of output.
    wine cmd.exe /c exit </dev/null >/dev/null 2>&1 || true
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1 || true
}

stop_xvfb() {
    [ -n "${XVFB_PID:-}" ] && kill "$XVFB_PID" >/dev/null 2>&1 || true
}
