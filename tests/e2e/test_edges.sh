#!/usr/bin/env bash
# Edges from modems and the system: quotes inside a text, a udev alias of a port, an ATI reply
# longer than the record's field with a NUL byte before the model, escape sequences in answers.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60

# Its serial number and operator name carry terminal control sequences; a udev alias links to it.
h_modem 0 --ati 'Pelvano\r\nM35' --rules "$(h_rules escapes \
    $'AT+CGSN\t8600\\x1b[2J0000000001' \
    $'AT+COPS?\t+COPS: 0,0,"\\x1b]0;owned\\x07CMCC",7')"
h_alias 0 ttyUSB-gsm
# The model comes after a NUL byte and beyond the 511 bytes the record keeps.
h_modem 1 --ati "Maker\\x00$(printf 'x%.0s' {1..600})\\r\\nM35"

h_quenlo table.txt
expected_rows=$(cat <<EOF
ttyS0     115200    不AT           未读卡                 无信号      无效序列号
ttyS1     115200    不AT           未读卡                 无信号      无效序列号
ttyUSB0   9600      OK              89860012345678901234   20,99       8600?[2J0000000001
ttyUSB1   9600      OK              89860012345678901234   20,99       860000000000001
EOF
)
actual_rows=$(grep -A1 -e '^-\{90\}$' "$H_WORK/table.txt" | grep -v -e '^-\{90\}$' -e '^--$')
h_check_eq "one row per device, modem texts on one line with control characters as ?" \
    "$expected_rows" "$actual_rows"
h_check_eq "the aliased modem is probed once" 1 "$(h_count "$H_WORK/logs/ttyUSB0.log" $'ATI\r\n')"
h_check_contains "trace line shows control characters as ?" table.txt \
    '/dev/ttyUSB0 > GET COPS = 0,0,"?]0;owned?CMCC",7'
h_check "no escape byte reaches the terminal" bash -c "! grep -q $'\x1b' '$H_WORK/table.txt'"

h_quenlo quotes.txt USB1 18300000000 'He said "yes" to me'
h_check "inner quotes are sent, through the type detection found" \
    python3 "$H_DIR/send_tools.py" check --answer "$H_WORK/quotes.txt" --log "$H_WORK/logs/ttyUSB1.log" \
    '([(r["code"], r["message"]) for r in a["result"]] == [(0, "Succeed")] and
      [m["text"] for m in sms] == ["He said \"yes\" to me " + a["result"][0]["time"]])'

h_end
