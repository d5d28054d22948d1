#!/usr/bin/env bash
# A send killed while its module waits in the prompt leaves the module readable by the next
# run; two runs at once each see every port and message; a read-then-clear stopped by SIGTERM
# still reports what it deleted; a port held by another program is named on standard error.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
check() { h_check "$1" python3 "$H_DIR/read_tools.py" check "$H_WORK/$2" "$3"; }

# The prompt comes a second late: the send is killed with the module in body mode, no body sent.
h_modem 0 --rules "$(h_rules gsm $'AT+CMGS=*\t\\p>\tpause=1000')" --rules "$H_DIR/read_base.rules"
h_modem 2 --rules "$(h_rules cdma $'AT^HCMGS=*\t\\p>\tpause=1000 body=ucs2')" --rules "$H_DIR/read_cdma.rules"
for row in "0 AT+CMGS=" "2 AT^HCMGS="; do
    set -- $row
    "$H_QUENLO" "USB$1" 10086 hi < /dev/null > /dev/null 2>&1 &
    pid=$!
    for _ in $(seq 1200); do
        grep -qaF -- "$2" "$H_WORK/logs/ttyUSB$1.log" && break
        sleep 0.05
    done
    kill -9 $pid
    wait $pid 2> /dev/null
    sleep 2 # the late prompt goes out to a closed port
    h_quenlo "killed$1.txt" sms sread
    check "ttyUSB$1 killed in its prompt ($2): the next run reads it whole" "killed$1.txt" \
        "port['ttyUSB$1']['msgs'] == stored('ttyUSB$1')"
done

h_quenlo one.txt sms sread &
h_quenlo two.txt sms sread
wait $!
for out in one.txt two.txt; do
    check "$out: two runs at once, each sees every port and message" $out \
        'doc["portcount"] == 2 and all(port[n]["msgs"] == stored(n) for n in ("ttyUSB0", "ttyUSB2"))'
done

# SIGTERM while the second port lists (its listing never comes): the first port's deletes are
# in the report, nothing more is written to the second, and the third gets no turn.
h_stop_modems
h_modem 0 --rules "$H_DIR/read_base.rules"
h_modem 2 --rules "$(h_rules slow_listing $'AT^HCMGL=4\t=\\p\tpause=60000')" --rules "$H_DIR/read_cdma.rules"
h_modem 3 --rules "$H_DIR/read_base.rules"
"$H_QUENLO" sms sreadclear < /dev/null > "$H_WORK/stopped.txt" 2> /dev/null &
pid=$!
for _ in $(seq 1200); do
    grep -qaF -- "AT^HCMGL=4" "$H_WORK/logs/ttyUSB2.log" && break
    sleep 0.05
done
kill -TERM $pid
wait $pid
h_check_eq "stopped by SIGTERM: exit status 128 + 15" 143 $?
for n in 0 2 3; do h_dialogue $n > "$H_WORK/stopped.txt.ttyUSB$n"; done
check "stopped: the report shows the ports whose turn began, and everything the first deleted" stopped.txt \
    'doc["portcount"] == 3 and "AT+CPMS=\"ME\"" not in dialogue["ttyUSB3"] and [p["name"] for p in doc["ports"]] == ["ttyUSB0", "ttyUSB2"] and port["ttyUSB0"]["msgs"] == stored("ttyUSB0") and (port["ttyUSB0"]["read"], port["ttyUSB0"]["clear"]) == (True, True) and deleted(dialogue["ttyUSB0"]) == {"ME": [3, 4], "SM": [1, 5, 6, 7]}'
check "stopped: the interrupted port reads and clears nothing, and gets no further command" stopped.txt \
    '(port["ttyUSB2"]["read"], port["ttyUSB2"]["clear"]) == (False, False) and dialogue["ttyUSB2"].endswith("AT^HCMGL=4\r\n")'

# Another program holds ttyUSB0 for two seconds: the wait is said once, the port then read.
flock /dev/ttyUSB0 -c "touch '$H_WORK/held'; sleep 2" &
for _ in $(seq 200); do [ -e "$H_WORK/held" ] && break; sleep 0.01; done
h_quenlo busy.txt sms sread
wait $!
h_check_eq "busy port: named once on standard error" "端口 /dev/ttyUSB0 正被其他程序使用，最多等待 600 秒" "$(cat "$H_WORK/busy.txt.err")"
check "busy port: read once free" busy.txt 'port["ttyUSB0"]["msgs"] == stored("ttyUSB0")'

h_end
