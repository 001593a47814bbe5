# Shell pieces shared by scripts/demo and scripts/rehearse: serving a stand-in database, the
# registry settings and ODBC data source that point UpKavel at it, and walking UpKavel's window
# on a virtual display. Source it after setting `work` (a folder for logs, settings and
# screenshots) and `pids=()` (processes to stop at exit).

# The digit code of the main program: four decimal digits per character, each carrying two bits
# of its code, most significant first (this writes the even digit of each pair).
encode_digits() {
    local text=$1 out="" i code
    for ((i = 0; i < ${#text}; i++)); do
        printf -v code '%d' "'${text:i:1}"
        out+="$(( (code >> 6 & 3) * 2 ))$(( (code >> 4 & 3) * 2 ))"
        out+="$(( (code >> 2 & 3) * 2 ))$(( (code & 3) * 2 ))"
    done
    printf '%s' "$out"
}

# The reverse: each digit gives two bits (its value halved), four digits one character.
decode_digits() {
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

# serve_database DB TRACE: serves DB on 127.0.0.1 (a free port) with the statement trace in
# TRACE; sets `server` (its pid) and `port`.
serve_database() {
    local db=$1 trace=$2 name
    name=$(basename "$db")
    "$sqlstandin" serve "$db" --listen 127.0.0.1:0 --trace "$trace" \
        >"$work/serve-$name.out" 2>"$work/serve-$name.log" &
    server=$!
    pids+=("$server")
    port=""
    for _ in $(seq 1 100); do
        port=$(head -n 1 "$work/serve-$name.out" 2>/dev/null | tr -dc '0-9')
        [ -n "$port" ] && return 0
        if ! kill -0 "$server" 2>/dev/null; then
            cat "$work/serve-$name.log" >&2
            echo "the server did not start" >&2
            return 1
        fi
        sleep 0.1
    done
    echo "the server did not report its port" >&2
    return 1
}

# write_settings DSN PORT USER PASSWORD: the .reg file of the main program and an ODBC data
# source DSN reaching 127.0.0.1:PORT, all in $work, and the environment that makes UpKavel and
# the ODBC driver read them (and nothing from /etc).
write_settings() {
    local dsn=$1 port=$2 user=$3 password=$4 driver=""
    cat >"$work/HKLM.reg" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\KorvenSoft\\Kavel]
"ODBCNAME"="$dsn"
"USERNAME"="$(encode_digits "$user")"
"PASSWORD"="$(encode_digits "$password")"
REG
    for candidate in /usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so \
                     /usr/lib/aarch64-linux-gnu/odbc/libtdsodbc.so /usr/lib/*/odbc/libtdsodbc.so \
                     /usr/lib/odbc/libtdsodbc.so /usr/lib/libtdsodbc.so; do
        [ -e "$candidate" ] && { driver=$candidate; break; }
    done
    [ -n "$driver" ] || { echo "the FreeTDS ODBC driver (tdsodbc) is not installed" >&2; return 1; }
    printf '[FreeTDS]\nDescription = FreeTDS\nDriver = %s\n' "$driver" >"$work/odbcinst.ini"
    printf '[%s]\nDriver = FreeTDS\nServer = 127.0.0.1\nPort = %s\nTDS_Version = 7.4\n' \
        "$dsn" "$port" >"$work/odbc.ini"
    printf '[global]\n\ttds version = 7.4\n' >"$work/freetds.conf"
    export KAVEL_HKLM="$work/HKLM.reg" ODBCSYSINI="$work" ODBCINI="$work/odbc.ini" \
           FREETDSCONF="$work/freetds.conf"
    unset FREETDS
}

# has_display: a display is there to show UpKavel on, and no virtual one was asked for.
has_display() {
    [ -z "${HEADLESS:-}" ] && [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1
}

# start_xvfb: a virtual display for UpKavel; sets DISPLAY and `display`.
start_xvfb() {
    shots="$work/screenshots"
    mkdir -p "$shots" "$work/xvfb"
    exec 3>"$work/xvfb.display"
    Xvfb -displayfd 3 -screen 0 800x600x24 -fbdir "$work/xvfb" -nolisten tcp \
        >"$work/xvfb.log" 2>&1 &
    pids+=("$!")
    exec 3>&-
    for _ in $(seq 1 100); do
        [ -s "$work/xvfb.display" ] && break
        sleep 0.1
    done
    display=$(tr -dc '0-9' <"$work/xvfb.display")
    [ -n "$display" ] || { cat "$work/xvfb.log" >&2; echo "Xvfb did not start" >&2; return 1; }
    export DISPLAY=":$display" QT_QPA_PLATFORM=xcb
    for _ in $(seq 1 100); do
        xdpyinfo >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    cat "$work/xvfb.log" >&2
    echo "display $DISPLAY does not answer" >&2
    return 1
}

screenshot() {  # NAME: saves the whole virtual screen as $shots/NAME.png
    sleep 0.5
    xwdtopnm <"$work/xvfb/Xvfb_screen0" 2>/dev/null | pnmtopng >"$shots/$1.png" 2>/dev/null
    echo "  screenshot: $shots/$1.png"
}
find_window() {  # TITLE [SECONDS]: waits for a visible window with that title, prints its id
    local id="" tries=$(( ${2:-20} * 10 ))
    for _ in $(seq 1 "$tries"); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n 1 || true)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.1
    done
    echo "no window titled '$1' appeared" >&2
    return 1
}
click() {  # WINDOW X Y: a left click at a point of the window's client area
    xdotool mousemove --window "$1" "$2" "$3" click 1
}
close_box() {  # TITLE: presses Enter on the box with that title and waits for it to go
    local box=$1
    xdotool windowfocus --sync "$(find_window "$box" 5)" 2>/dev/null || true
    xdotool key --clearmodifiers Return
    for _ in $(seq 1 50); do
        xdotool search --onlyvisible --name "$box" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
}

# The points of UpKavel's window that a user clicks.
readonly KAVEL_BACKUP_BOX=(152 221) KAVEL_UPGRADE_BUTTON=(88 220) KAVEL_EXIT_BUTTON=(293 220)
