#!/usr/bin/env bash
# What one stored entry costs a per-index read and a per-index delete, on one simulated module
# that reads one index at a time and holds 30 entries, and what sreadclear costs on a module
# whose index list names all its 255 slots, with the default read windows (no set.ini). Prints
# figures; checks nothing.
#
#   bash bench/readclear_bench.sh BUILD/Quenlo BUILD [RUNS]
#
# read  = (sread with 30 entries - sread with none) / 30
# delete = (sreadclear - sread, both with 30 entries) / 30; the storage selection and the checks
#          before and after the deletes are counted in.
# Also: a listing followed by noise that never becomes a line, a NUL every 100 ms from one
# command of the turn on, a module that goes silent in the middle of its reads, how soon a
# SIGTERM in a read window that brings nothing ends a run with time1 = 5000, and what sread costs
# at time1 = 5000 on a module that answers at once against one that answers 20 ms late.
source "$(dirname "$0")/../tests/e2e/harness.sh"
h_begin "$@"
runs=${3:-1}
PDU=0891683108100005F00405815985F80000121012020202320CD37219947FD741613A0807

# seconds WORD: median wall time of RUNS runs of "Quenlo sms WORD".
seconds() {
    local r
    for ((r = 0; r < runs; r++)); do
        python3 -c 'import subprocess, sys, time
start = time.monotonic()
subprocess.run([sys.argv[1], "sms", sys.argv[2]], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, check=True)
print(f"{time.monotonic() - start:.3f}")' "$H_QUENLO" "$1"
    done | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'
}

# module COUNT: a per-index module behind /dev/ttyUSB0 whose device storage holds COUNT entries.
module() {
    h_stop_modems
    h_modem 0 --rules "$(h_rules "bench$1" $'ATI\tManufacturer: Morvanth\\r\\nModel: A7600C1-SE' \
        "$(printf 'AT+CPMS="ME"*\t+CPMS: %d,100,%d,100,%d,100\tset=mem:ME' "$1" "$1" "$1")" \
        $'AT+CPMS="SM"*\t+CPMS: 0,50,0,50,0,50\tset=mem:SM' \
        "$(printf 'AT+CMGD=?\t+CMGD: (%s),(0-4)\tif=mem:ME' "$([ "$1" -gt 0 ] && echo "1-$1")")" \
        $'AT+CMGR=*\t+CMGR: 1,,27\\r\\n'"$PDU")"
}

# every_slot ENTRIES...: a module whose index list names slots 0 to 254 and whose device storage
# holds an entry at each of ENTRIES.
every_slot() {
    local rules=() i
    for i in "$@"; do rules+=("AT+CMGR=$i"$'\t+CMGR: 1,,27\\r\\n'"$PDU"); done
    h_stop_modems
    h_modem 0 --rules "$(h_rules "slots$#" $'ATI\tManufacturer: Morvanth\\r\\nModel: A7600C1-SE' \
        "$(printf 'AT+CPMS="ME"*\t+CPMS: %d,255,%d,255,%d,255\tset=mem:ME' $# $# $#)" \
        $'AT+CPMS="SM"*\t+CPMS: 0,50,0,50,0,50\tset=mem:SM' $'AT+CMGD=?\t+CMGD: (0-254),(0-4)\tif=mem:ME' \
        "${rules[@]}")"
}

# every_slot_figures LABEL ENTRIES...: one sreadclear, its time and the reads it sent.
every_slot_figures() {
    local label=$1
    shift
    every_slot "$@"
    local took
    took=$(runs=1 seconds sreadclear)
    printf 'sreadclear, 255-slot list, %s: %.2f s, %d AT+CMGR sent\n' "$label" "$took" \
        "$(h_count "$H_WORK/logs/ttyUSB0.log" "AT+CMGR=")"
}

# lister NAME NOISE: a module that lists its storages, its SIM listing followed by NOISE.
lister() {
    h_stop_modems
    h_modem 0 --rules "$(h_rules "$1" $'ATI\tManufacturer: Pelvano\\r\\nModel: M35' \
        $'AT+CPMS="ME"*\t+CPMS: 0,100,0,100,0,100\tset=mem:ME' $'AT+CPMS="SM"*\t+CPMS: 1,50,1,50,1,50\tset=mem:SM' \
        $'AT+CMGL=4\t=\\r\\n+CMGL: 1,1,,27\\r\\n'"$PDU"$'\\r\\n\\r\\nOK\\r\\n'"$2"$'\tif=mem:SM')"
}
lister quiet ""
quiet=$(runs=1 seconds sreadclear)
for noise in 'RDY' '\x00' '0\r\n'; do
    lister noisy "$noise"
    printf 'sreadclear, SIM listing followed by %s: %.2f s (%.2f s without)\n' "$noise" "$(runs=1 seconds sreadclear)" "$quiet"
done

# endless STEP: a listing module (one entry in each storage) that sends a NUL every 100 ms from
# its answer to STEP (select, listing, delete) on, never stopping; none for no noise.
endless() {
    local steps=(select listing delete) rules=() i
    rules+=('AT+CPMS="ME"*'$'\t+CPMS: 1,100,1,100,1,100\tset=mem:ME')
    rules+=($'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU"$'\tif=mem:ME')
    rules+=($'AT+CMGD=1\t\t')
    for i in 0 1 2; do [ "$1" == "${steps[$i]}" ] && rules[$i]+=$' noise=100:\\x00'; done
    h_stop_modems
    h_modem 0 --rules "$(h_rules "endless_$1" $'ATI\tManufacturer: Pelvano\\r\\nModel: M35' "${rules[@]}" \
        $'AT+CPMS="SM"*\t+CPMS: 1,50,1,50,1,50\tset=mem:SM' $'AT+CMGL=4\t+CMGL: 2,1,,27\\r\\n'"$PDU"$'\tif=mem:SM')"
}
endless none
plain=$(runs=1 seconds sreadclear)
for step in select listing delete; do
    endless $step
    took=$(runs=1 seconds sreadclear)
    printf 'sreadclear, a NUL every 100 ms from the %s on: %.2f s (%.2f s without, %.1fx)\n' "$step" "$took" \
        "$plain" "$(awk -v n="$took" -v p="$plain" 'BEGIN { print n / p }')"
done

h_stop_modems
h_modem 0 --rules "$(h_rules silent $'AT*\t=\tif=dead:1' $'ATI\tManufacturer: Morvanth\\r\\nModel: A7600C1-SE' \
    $'AT+CPMS="ME"*\t+CPMS: 5,255,5,255,5,255\tset=mem:ME' $'AT+CPMS="SM"*\t+CPMS: 0,50,0,50,0,50\tset=mem:SM' \
    $'AT+CMGD=?\t+CMGD: (0-254),(0-4)\tif=mem:ME' $'AT+CMGR=3\t=\tset=dead:1')"
printf 'sreadclear, every-slot module silent after its third read: %.2f s to the report\n' "$(runs=1 seconds sreadclear)"

# A listing that never comes: its read windows bring nothing.
h_settings 5000
h_stop_modems
h_modem 0 --rules "$(h_rules never $'ATI\tManufacturer: Pelvano\\r\\nModel: M35' $'AT+CMGL=4\t=')"
python3 - "$H_QUENLO" "$H_WORK/logs/ttyUSB0.log" <<'PY'
import subprocess, sys, time
run = subprocess.Popen([sys.argv[1], "sms", "sreadclear"], stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL)
while b"AT+CMGL=4" not in open(sys.argv[2], "rb").read():
    time.sleep(0.01)
time.sleep(0.5)
start = time.monotonic()
run.terminate()
run.wait()
print(f"SIGTERM in a window that brings nothing, time1=5000: exit {(time.monotonic() - start) * 1000:.0f} ms after the signal, status {run.returncode}")
PY

# answering DELAY: a listing module, one entry in each storage, each reply DELAY ms after its
# command (0: at once, while the command is still being written).
answering() {
    local rules p=""
    [ "$1" -gt 0 ] && p='\p'
    rules=$(cat <<EOF_RULES
ATI	=P\r\nManufacturer: Pelvano\r\nModel: M35\r\n\r\nOK\r\n
AT+CGSN	=P\r\n860000000000001\r\n\r\nOK\r\n
AT+CCID	=P\r\n+CCID: 89860012345678901234\r\n\r\nOK\r\n
AT+CSQ	=P\r\n+CSQ: 20,99\r\n\r\nOK\r\n
AT+COPS?	=P\r\n+COPS: 0,0,"CHINA MOBILE",7\r\n\r\nOK\r\n
AT+CPMS="ME"*	=P\r\n+CPMS: 1,100,1,100,1,100\r\n\r\nOK\r\n	set=mem:ME
AT+CPMS="SM"*	=P\r\n+CPMS: 1,50,1,50,1,50\r\n\r\nOK\r\n	set=mem:SM
AT+CPMS?	=P\r\n+CPMS: "ME",1,100,"ME",1,100,"ME",1,100\r\n\r\nOK\r\n	if=mem:ME
AT+CPMS?	=P\r\n+CPMS: "SM",1,50,"SM",1,50,"SM",1,50\r\n\r\nOK\r\n
AT+CMGL=4	=P\r\n+CMGL: 1,1,,27\r\n$PDU\r\n\r\nOK\r\n	if=mem:ME
AT+CMGL=4	=P\r\n+CMGL: 2,1,,27\r\n$PDU\r\n\r\nOK\r\n
AT*	=P\r\nOK\r\n
EOF_RULES
)
    h_stop_modems
    h_modem 0 --rules "$(h_rules "answering$1" "${rules//=P/=$p}")"
}
answering 0
at_once=$(runs=1 seconds sread)
answering 20
late=$(runs=1 seconds sread)
printf 'sread, time1=5000, a module answering at once: %.2f s; answering 20 ms late: %.2f s (%.2fx)\n' \
    "$at_once" "$late" "$(awk -v a="$at_once" -v l="$late" 'BEGIN { print a / l }')"
h_settings ""

every_slot_figures "5 entries (10, 50, 100, 200, 254)" 10 50 100 200 254
every_slot_figures "none stored"

module 0
empty=$(seconds sread)
module 30
read=$(seconds sread)
clear=$(seconds sreadclear)
awk -v e="$empty" -v r="$read" -v c="$clear" 'BEGIN {
    printf "sread, empty storage:       %.2f s\n", e
    printf "sread, 30 entries:          %.2f s\n", r
    printf "sreadclear, 30 entries:     %.2f s\n", c
    printf "per-index read:   %.0f ms an entry\n", (r - e) * 1000 / 30
    printf "per-index delete: %.0f ms an entry\n", (c - r) * 1000 / 30
    printf "delete / read:    %.2f\n", (c - r) / (r - e)
}'
