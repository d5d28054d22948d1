#!/usr/bin/env bash
# The interactive menu driven through a pseudo-terminal: Enter, an unknown key, "q"; and a run
# whose standard input can give no key at all.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 100

h_modem 0 --ati 'Model: ME901'
# A silent port costs "ATE0" and "AT" at each of the two rates on every detection, so its
# dialogue counts the detections.
h_modem 3 --silent

detections() {
    local probes
    probes=$(h_count "$H_WORK/logs/ttyUSB3.log" $'ATE0\r\nAT\r\n')
    echo $((probes / 2))
}

# Enter rescans (one detection) and redisplays (another); "x" takes one more key ("y") with it;
# "q" quits.
h_quenlo_keys menu.txt '\r' 'xy' 'q'
h_check_eq "menu exits 0 after q" 0 "$?"
h_check_eq "one prompt per pass" 3 "$(h_count "$H_WORK/menu.txt" "$H_PROMPT")"
h_check_eq "one table per pass" 3 "$(h_count "$H_WORK/menu.txt" "Korvel短信设备检测 V1.15 ")"
h_check_eq "detections: first table, Enter's rescan and redisplay, after x" 4 "$(detections)"
h_check_contains "table row of the module" menu.txt "ttyUSB0   9600      OK              89860012345678901234"

: > "$H_WORK/logs/ttyUSB3.log"
h_quenlo_keys quit.txt 'q'
h_check_eq "q at once: exits 0" 0 "$?"
h_check_eq "q at once: one detection" 1 "$(detections)"

# Standard input that is not a terminal can never give a key: one table, then the end.
: > "$H_WORK/logs/ttyUSB3.log"
h_quenlo noinput.txt
h_check_eq "no terminal: exits 0" 0 "$?"
h_check_eq "no terminal: one prompt" 1 "$(h_count "$H_WORK/noinput.txt" "$H_PROMPT")"
h_check_eq "no terminal: one detection" 1 "$(detections)"

h_end
