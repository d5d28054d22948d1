#!/usr/bin/env bash
# What one stored entry costs a per-index read and a per-index delete, on one simulated module
# that reads one index at a time and holds 30 entries, with the default read windows (no
# set.ini). Prints figures; checks nothing.
#
#   bash bench/readclear_bench.sh BUILD/Quenlo BUILD [RUNS]
#
# read  = (sread with 30 entries - sread with none) / 30
# delete = (sreadclear - sread, both with 30 entries) / 30; the storage selection and check
#          that go before the deletes are counted in.
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
}'
