# Shell functions that set up and drive a real UpKavel session against a sqlstandin server on
# loopback: the server, the registry file and ODBC data source, a virtual display, and the
# window operations a user performs (find a window, click, press a key, close a box, take a
# screenshot). Sourced by scripts/demo, scripts/rehearse and the bench scripts; each function
# reports failure by its exit status and a line on standard error.
#
# Needs: Xvfb, xdotool, xdpyinfo, the FreeTDS ODBC driver (scripts/setup installs them).

# The digit code of the main program's registry values: four decimal digits per character, each
# carrying two bits of its code, most significant first.
kv_encode_digits() {
    local text=$1 out="" i code
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '%d' "'${text:i:1}"
        out+="$(( (code >> 6 & 3) * 2 ))$(( (code >> 4 & 3) * 2 ))$(( (code >> 2 & 3) * 2 ))$(( (code & 3) * 2 ))"
    done
    printf '%s' "$out"
}

# kv_decode_digits CODE: the reverse; each digit gives two bits (its value halved), four digits
# one byte. Fails on a code that is not whole groups of four digits.
kv_decode_digits() {
    local code=$1 out="" i k v
    (( ${#code} % 4 == 0 )) || return 1
    for ((i = 0; i < ${#code}; i += 4)); do
        v=0
        for ((k = i; k < i + 4; k++)); do
            [[ ${code:k:1} == [0-9] ]] || return 1
            v=$(( v * 4 + ${code:k:1} / 2 ))
        done
        out+=$(printf "\\$(printf '%03o' $(( v & 255 )))")
    done
    printf '%s' "$out"
}

# kv_serve SQLSTANDIN DBDIR TRACE LOG PORT [EXTRA...]: starts `sqlstandin serve` on 127.0.0.1:PORT
# (0 = a free port) and waits until it reports its port. Sets kv_server_pid and kv_port.
kv_serve() {
    local sqlstandin=$1 db=$2 trace=$3 log=$4 want=$5
    shift 5
    "$sqlstandin" serve "$db" --listen "127.0.0.1:$want" --trace "$trace" "$@" >"$log.out" 2>"$log" &
    kv_server_pid=$!
    kv_port=""
    local _
    for _ in $(seq 1 300); do
        kv_port=$(head -n 1 "$log.out" 2>/dev/null | tr -dc '0-9')
        [ -n "$kv_port" ] && return 0
        kill -0 "$kv_server_pid" 2>/dev/null || { cat "$log" >&2; echo "sqlstandin did not start" >&2; return 1; }
        sleep 0.05
    done
    echo "sqlstandin did not report its port" >&2
    return 1
}

# kv_settings FOLDER PORT PASSWORD [DSN [USER]]: the registry file UpKavel reads and the ODBC
# data source DSN (default "KavelODBC") on 127.0.0.1:PORT, logging in as USER (default sa);
# exports the variables that point UpKavel, unixODBC and FreeTDS at them and at nothing in /etc.
kv_settings() {
    local folder=$1 port=$2 password=$3 dsn=${4:-KavelODBC} user=${5:-sa} driver="" candidate
    for candidate in /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so /usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so \
                     /usr/lib/*/odbc/libtdsodbc.so /usr/lib/odbc/libtdsodbc.so /usr/lib/libtdsodbc.so; do
        [ -e "$candidate" ] && { driver=$candidate; break; }
    done
    [ -n "$driver" ] || { echo "the FreeTDS ODBC driver (tdsodbc) is not installed" >&2; return 1; }
    cat >"$folder/HKLM.reg" <<EOF
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]
"ODBCNAME"="$dsn"
"USERNAME"="$(kv_encode_digits "$user")"
"PASSWORD"="$(kv_encode_digits "$password")"
EOF
    printf '[FreeTDS]\nDescription = FreeTDS\nDriver = %s\n' "$driver" >"$folder/odbcinst.ini"
    printf '[%s]\nDriver = FreeTDS\nServer = 127.0.0.1\nPort = %s\nTDS_Version = 7.4\n' \
        "$dsn" "$port" >"$folder/odbc.ini"
    printf '[global]\n\ttds version = 7.4\n' >"$folder/freetds.conf"
    export KAVEL_HKLM="$folder/HKLM.reg" ODBCSYSINI="$folder" ODBCINI="$folder/odbc.ini" FREETDSCONF="$folder/freetds.conf"
    unset FREETDS
}

# kv_has_display: a display is there to show UpKavel on, and it answers.
kv_has_display() { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }

# kv_xvfb FOLDER: starts a virtual display; exports DISPLAY and QT_QPA_PLATFORM=xcb. Sets kv_xvfb_pid.
# -noreset: by default the server resets when its last client leaves, and a client that connects
# during the reset (UpKavel starting just as an xdotool call ends) is dropped before its setup is
# answered: Qt then aborts with "could not connect to display".
kv_xvfb() {
    local folder=$1 _ display
    mkdir -p "$folder/xvfb"
    exec 3>"$folder/xvfb.display"
    Xvfb -displayfd 3 -noreset -screen 0 800x600x24 -fbdir "$folder/xvfb" -nolisten tcp >"$folder/xvfb.log" 2>&1 &
    kv_xvfb_pid=$!
    kv_xvfb_folder=$folder
    exec 3>&-
    for _ in $(seq 1 100); do
        [ -s "$folder/xvfb.display" ] && break
        sleep 0.1
    done
    display=$(tr -dc '0-9' <"$folder/xvfb.display")
    [ -n "$display" ] || { cat "$folder/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    for _ in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    echo "display $DISPLAY does not answer" >&2
    return 1
}

# kv_find_window PATTERN [SECONDS]: prints the id of a visible window whose title matches the
# regular expression, waiting up to SECONDS (default 20).
kv_find_window() {
    local title=$1 limit=${2:-20} id="" deadline
    deadline=$(( $(date +%s) + limit ))
    while :; do
        id=$(xdotool search --onlyvisible --name "$title" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        [ "$(date +%s)" -ge "$deadline" ] && return 1
        sleep 0.05
    done
}

# kv_await_form PID LOG [SECONDS]: prints the id of UpKavel's upgrade form once it shows, waiting
# up to SECONDS (default 30) while the program PID runs. When the program ends first or no form
# came, it says which on stderr with the end of the program's output LOG, and fails.
kv_await_form() {
    local app=$1 log=$2 limit=${3:-30} id deadline
    deadline=$(( $(date +%s) + limit ))
    while :; do
        id=$(kv_find_window "$kv_form_title" 0) && { echo "$id"; return 0; }
        # (Called as $(...), this runs in a subshell, which cannot wait for the program's status.)
        if ! kill -0 "$app" 2>/dev/null; then
            echo "UpKavel ended before its upgrade window opened; its output ends with:" >&2
            tail -n 8 "$log" | sed 's/^/  | /' >&2
            kv_display_state
            return 1
        fi
        if [ "$(date +%s)" -ge "$deadline" ]; then
            echo "UpKavel's upgrade window did not open within $limit s; windows on $DISPLAY:" >&2
            xdotool search --name . getwindowname %@ 2>/dev/null | sed 's/^/  | /' >&2 || true
            echo "its output ends with:" >&2
            tail -n 8 "$log" | sed 's/^/  | /' >&2
            kv_display_state
            return 1
        fi
        sleep 0.05
    done
}

# kv_await_box PID [SECONDS]: prints the id of UpKavel's success or error box once one shows,
# waiting up to SECONDS (default 3600) while the program PID runs; fails when it ends first or the
# time passes. Driven by the display's own events: xev reports each window mapped on the root,
# and only then is xdotool asked for the box. Polling with xdotool ten times a second took a fifth
# of a core (about 20 ms of processor time a call) from the upgrade a benchmark times. Once a
# second without events it checks that the program runs and looks for the box all the same.
kv_await_box() {
    local app=$1 limit=${2:-3600} line box="" deadline events events_pid
    deadline=$(( $(date +%s) + limit ))
    exec {events}< <(exec xev -root -event substructure 2>/dev/null)
    events_pid=$!
    while :; do
        if read -r -t 1 line <&"$events"; then
            [[ $line == MapNotify* ]] || continue
        elif [ $? -le 128 ]; then
            sleep 0.1  # xev is gone (end of its output): poll instead
        fi
        box=$(xdotool search --onlyvisible --name "$kv_success_title|$kv_error_title" 2>/dev/null | head -n 1 || true)
        [ -n "$box" ] && break
        kill -0 "$app" 2>/dev/null || break
        [ "$(date +%s)" -ge "$deadline" ] && break
    done
    kill "$events_pid" 2>/dev/null || true
    exec {events}<&-
    [ -n "$box" ] && echo "$box"
}

# kv_display_state: on stderr, whether the display of kv_xvfb still answers, and its log.
kv_display_state() {
    if xdpyinfo >/dev/null 2>&1; then echo "display $DISPLAY answers" >&2; else echo "display $DISPLAY does not answer" >&2; fi
    [ -n "${kv_xvfb_pid:-}" ] && ! kill -0 "$kv_xvfb_pid" 2>/dev/null && echo "Xvfb (pid $kv_xvfb_pid) has ended" >&2
    [ -n "${kv_xvfb_folder:-}" ] && tail -n 5 "$kv_xvfb_folder/xvfb.log" | sed 's/^/  Xvfb | /' >&2
    return 0
}

# kv_click WINDOW X Y: a left click at a point of the window's client area.
kv_click() { xdotool mousemove --window "$1" "$2" "$3" click 1; }

# kv_press WINDOW KEY: focuses the window and presses the key.
kv_press() {
    xdotool windowfocus --sync "$1" 2>/dev/null || true
    xdotool key --clearmodifiers "$2"
}

# kv_gone PATTERN [SECONDS]: waits until no visible window has a title matching it.
kv_gone() {
    local _ limit=${2:-5}
    for _ in $(seq 1 $((limit * 20))); do
        xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 || return 0
        sleep 0.05
    done
    return 1
}

# kv_close_box PATTERN: presses Enter on the box whose title matches and waits until it is gone.
kv_close_box() {
    local box
    box=$(kv_find_window "$1" 5) || return 1
    kv_press "$box" Return
    kv_gone "$1" 5
}

# kv_screenshot FOLDER NAME: saves the virtual screen that kv_xvfb FOLDER started as
# FOLDER/screenshots/NAME.png and prints its path.
kv_screenshot() {
    mkdir -p "$1/screenshots"
    sleep 0.5
    xwdtopnm <"$1/xvfb/Xvfb_screen0" 2>/dev/null | pnmtopng >"$1/screenshots/$2.png" 2>/dev/null
    echo "  screenshot: $1/screenshots/$2.png"
}

# kv_stop_running SIGNAL PID...: sends SIGNAL to each PID that is still a running background job
# of this shell, then waits for it. A PID whose process has ended is never signalled: it may
# belong to another program by now (a long series of trials starts thousands of processes, and
# the system hands their numbers out again).
kv_stop_running() {
    local signal=$1 pid running
    shift
    running=" $(jobs -rp | tr '\n' ' ') "
    for pid in "$@"; do
        if [[ "$running" == *" $pid "* ]]; then kill "-$signal" "$pid" 2>/dev/null || true; fi
    done
    for pid in "$@"; do wait "$pid" 2>/dev/null || true; done
}

# kv_cpu_ticks PID: the processor time (user + system) a live process has used, in clock ticks.
kv_cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }

# kv_peak_kib PID: the peak resident memory (VmHWM) of a live process, in KiB.
kv_peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$1/status"; }

# Titles (as patterns) of the upgrade form, its success box and the error box of a failed run.
kv_form_title='^Kavel升级'
kv_success_title='^提示信息$'
kv_error_title='^UpKavel$'

# Points of the upgrade form's controls (client coordinates).
kv_ck_before=(48 192)   # 同时升级以前所有的系统升级: also run the baseline step
kv_cb_backup=(152 221)  # 已备份好数据库: the database is backed up
kv_bt_up=(88 220)       # 现在立刻升级: upgrade now
kv_bt_exit=(293 220)    # 退出: exit
