#!/usr/bin/env bash
# The command-line send mode's standard output is its JSON answer alone, even behind a module
# whose detection traces its mode and operator queries, so scripts can parse it whole.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
h_modem 0 --ati 'Sorvik\r\nCLM920_NC5\r\nRevision: V1.0' --rules "$(h_rules sorvik \
    $'AT+CCID\t+CCID: 89860311111111111111' $'AT+CGSN\t860000000000000' \
    $'AT+COPS?\t+COPS: 0,0,"CHINA TELECOM",7')"

# whole OUT EXPR: all of OUT is one JSON document a, for which EXPR holds.
whole() {
    python3 -c 'import json, sys; a = json.load(open(sys.argv[1], encoding="utf-8")); sys.exit(not eval(sys.argv[2]))' \
        "$H_WORK/$1" "$2"
}

h_quenlo send.txt 18300000000 "hi"
h_check "send: the answer alone" whole send.txt '[(r["com"], r["code"]) for r in a["result"]] == [("ttyUSB0", 0)]'
h_quenlo number.txt 18300000000,1234 "hi"
h_check "number error: the answer alone" whole number.txt 'a["message"] == "phone number error"'
h_check_contains "detection still corrected the mode" "$H_WORK/logs/ttyUSB0.log" 'AT^MODECONFIG=22'

h_end
