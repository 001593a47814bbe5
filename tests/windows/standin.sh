#!/usr/bin/env bash
# standin.sh start|stop SQLSTANDIN FOLDER: the Linux stand-in that the ODBC tests of the Windows
# build log in to under Wine (data source KavelWine, sa password Wine.pw1; see
# OdbcUnderWineTest.cpp). CTest runs it as the setup and cleanup of the fixture "standin".
set -euo pipefail
source "$(dirname "$0")/lib.sh"
action=$1 sqlstandin=$2 folder=$3
case $action in
  start)
    [ -x "$sqlstandin" ] || { echo "no Linux sqlstandin at '$sqlstandin' (KAVEL_HOST_BUILD_DIR)" >&2; exit 1; }
    kw_serve "$sqlstandin" "$folder" Wine.pw1 KavelWine
    echo "serving on 127.0.0.1:$kv_port" ;;
  stop) kw_stop "$folder" ;;
  *) echo "usage: standin.sh start|stop SQLSTANDIN FOLDER" >&2; exit 2 ;;
esac
