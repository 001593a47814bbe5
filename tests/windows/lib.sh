# Shell functions of the Windows build's tests: a Linux sqlstandin with its ODBC data source for
# programs under Wine, and .reg imports into the build's Wine prefix. Sourced by the scripts of
# tests/windows; each reports failure by its exit status and a line on standard error.
source "$(dirname "${BASH_SOURCE[0]}")/../../scripts/upkavel_session.sh"

# kw_serve SQLSTANDIN FOLDER PASSWORD DSN [FIXTURE.sql...]: a new database in FOLDER/db (from the
# fixture scripts), served on a free port of 127.0.0.1 with its trace in FOLDER/trace.jsonl, the
# data source DSN in FOLDER/odbc.ini, and ODBCSYSINI, ODBCINI and FREETDSCONF exported to it.
# unixODBC reads them on the host side of Wine's odbc32: a data source in Wine's registry alone
# is not seen. The server's output goes to files, so nothing holds a caller's pipe open.
kw_serve() {
  local sqlstandin=$1 folder=$2 password=$3 dsn=$4 fixture
  shift 4
  local scripts=()
  for fixture in "$@"; do scripts+=(--script "$fixture"); done
  rm -rf "$folder"
  mkdir -p "$folder"
  "$sqlstandin" init "$folder/db" --sa-password "$password" "${scripts[@]}" >"$folder/init.log" 2>&1 ||
    { cat "$folder/init.log" >&2; return 1; }
  kv_serve "$sqlstandin" "$folder/db" "$folder/trace.jsonl" "$folder/server.log" 0 </dev/null || return 1
  echo "$kv_server_pid" >"$folder/server.pid"
  kv_settings "$folder" "$kv_port" "$password" "$dsn"
}

# kw_stop FOLDER: stops the server kw_serve started there.
kw_stop() {
  [ -f "$1/server.pid" ] || return 0
  kill "$(cat "$1/server.pid")" 2>/dev/null || true
  rm -f "$1/server.pid"
}

# kw_reg_import WINE_RUN PREFIX FILE.reg [/reg:32]: imports a UTF-8 .reg file into the prefix's
# registry (with /reg:32, into the view of 32-bit programs, where the main program writes).
# reg import reads text outside ASCII correctly only as UTF-16LE with a byte-order mark (what
# Windows' own export writes), so the file is converted first.
kw_reg_import() {
  local wine_run=$1 prefix=$2 file=$3 utf16
  shift 3
  utf16=$(mktemp --suffix=.reg)
  { printf '\xFF\xFE'; iconv -f UTF-8 -t UTF-16LE "$file"; } >"$utf16"
  "$wine_run" "$prefix" reg import "$(kw_windows_path "$utf16")" "$@" </dev/null >/dev/null 2>&1 ||
    { echo "reg import of $file failed" >&2; rm -f "$utf16"; return 1; }
  rm -f "$utf16"
}

# kw_windows_path PATH: the path as a program under Wine names it (drive Z: is /).
kw_windows_path() { printf 'Z:%s' "${1//\//\\}"; }

# kw_statements TRACE: the statements of a sqlstandin trace, one JSON line each, with the order
# number and session left off (and the error the server answered, when there was one).
kw_statements() { sed -E 's/^\{"seq":[0-9]+,"session":[0-9]+,//' "$1"; }
