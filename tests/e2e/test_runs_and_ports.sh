#!/usr/bin/env bash
# A send killed while its module waits in the prompt leaves the module readable by the next
# run; two runs at once each see every port and message.
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

h_end
