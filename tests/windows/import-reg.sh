#!/usr/bin/env bash
# import-reg.sh WINE_RUN PREFIX FILE.reg [/reg:32]: imports a .reg file (UTF-8) into the Wine prefix, as
# the CTest fixture "wine_registry" of the registry tests.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
kw_reg_import "$@"
