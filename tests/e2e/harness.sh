# End-to-end harness: runs the real Quenlo against simulated modems behind /dev/ttyUSB*, inside
# a private mount namespace whose /dev is a tmpfs, so the host's serial devices are never
# touched and nothing is left behind. Needs root, unshare and python3.
#
# A test script (tests/e2e/test_NAME.sh, run by CTest as `bash SCRIPT QUENLO BUILD_DIR`):
#
#   source "$(dirname "$0")/harness.sh"
#   h_begin "$@"                  # re-runs the script in the namespace; sets up /dev and a work dir
#   h_settings 100                # set.ini with time1 = 100 (short read windows), or "" for none
#   h_modem 0 --type generic      # a modem_sim behind /dev/ttyUSB0; the rest are modem_sim options
#   h_modem 3 --silent
#   h_quenlo out.txt [ARGS...]    # Quenlo with ARGS, stdin from /dev/null, stdout to $H_WORK/out.txt
#   h_quenlo_keys out.txt STEP... [-- ARGS...]
#                                 # Quenlo on a pseudo-terminal, typing as an operator: a STEP of
#                                 # KEYS ('\r', 'x', 'q') is typed at the next menu prompt; a STEP of
#                                 # TEXT<TAB>KEYS ($'号码\t13800000000\n') once TEXT has appeared
#                                 # again and the line is read in line mode (see pty_keys.py)
#   h_alias 0 ttyUSB-gsm          # /dev/ttyUSB0 becomes the device node itself, as udev makes
#                                 # it, and /dev/ttyUSB-gsm an alias link to it
#   h_stop_modems                 # stops every modem started so far
#   h_dialogue 0                  # every byte Quenlo wrote to the modem behind /dev/ttyUSB0
#   h_vars 0                      # the variables its rules have set, "VAR=VALUE" lines
#   h_rules NAME LINE...          # writes a modem_sim rule file in the work dir, prints its path
#   h_count FILE TEXT             # prints how often TEXT occurs in FILE
#   h_check_dialogue "what" 0 EXPECTED   # that dialogue is exactly EXPECTED (line ends included, NUL
#                                 # shown as ^@: "$H_CANCEL" is what Quenlo writes on opening a port)
#   h_check "what" COMMAND...     # one check: passes when COMMAND succeeds
#   h_check_eq "what" EXPECTED ACTUAL
#   h_check_contains "what" FILE TEXT   # FILE relative to $H_WORK unless absolute
#   h_end                         # prints "N passed, M failed"; the script's exit status
#
# Modems are stopped and the work dir ($H_WORK) removed when the script exits; the namespace,
# and the /dev it holds, goes with its last process. Quenlo runs with $H_WORK/run as its working
# directory (where set.ini is).

H_PROMPT="回车键刷新 1发送短信 2接收短信 q退出"
H_CANCEL=$'^@\e\r'
H_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

h_begin() {
    if [ -z "${QUENLO_E2E_NAMESPACE:-}" ]; then
        if [ "$(id -u)" -ne 0 ]; then
            echo "end-to-end tests need root (private mount namespace)" >&2
            exit 1
        fi
        QUENLO_E2E_NAMESPACE=1 exec unshare -m --propagation private bash "$0" "$@"
    fi
    set -u
    H_QUENLO=$(readlink -f "$1")
    H_BUILD=$(readlink -f "$2")
    H_SIM="$H_BUILD/tests/modem_sim"
    H_WORK=$(mktemp -d /tmp/quenlo-e2e.XXXXXX)
    chmod 755 "$H_WORK"
    H_PIDS=()
    H_PASSED=0
    H_FAILED=0
    trap h_cleanup EXIT
    mkdir -p "$H_WORK/run" "$H_WORK/logs"
    h_private_dev || { echo "could not set up a private /dev" >&2; exit 1; }
    [ -x "$H_SIM" ] || { echo "modem_sim not built: $H_SIM" >&2; exit 1; }
    cd "$H_WORK/run"
}

# A tmpfs on /dev with only what Quenlo, the shell and the simulators need.
h_private_dev() {
    local stage="$H_WORK/dev"
    mkdir -p "$stage" || return 1
    mount -t tmpfs -o mode=755,size=1m quenlo-dev "$stage" || return 1
    local node
    for node in null zero full tty random urandom; do
        touch "$stage/$node" && mount --bind "/dev/$node" "$stage/$node" || return 1
    done
    mkdir "$stage/pts" && mount --rbind /dev/pts "$stage/pts" || return 1
    ln -s pts/ptmx "$stage/ptmx"
    ln -s /proc/self/fd "$stage/fd"
    ln -s /proc/self/fd/0 "$stage/stdin"
    ln -s /proc/self/fd/1 "$stage/stdout"
    ln -s /proc/self/fd/2 "$stage/stderr"
    mount --move "$stage" /dev
}

h_cleanup() {
    h_stop_modems
    # Only when the private /dev never got moved into place is anything still mounted here.
    if mountpoint -q "$H_WORK/dev"; then
        umount -R "$H_WORK/dev"
    fi
    rm -rf --one-file-system "$H_WORK"
}

# h_settings TIME1: set.ini in the working directory; no argument or "" removes it.
h_settings() {
    if [ -n "${1:-}" ]; then
        printf '[comm]\ndef = 1\ntime1 = %s\n' "$1" > "$H_WORK/run/set.ini"
    else
        rm -f "$H_WORK/run/set.ini"
    fi
}

# h_modem N [modem_sim options...]: a simulated modem behind /dev/ttyUSBN, its dialogue logged.
h_modem() {
    local n=$1
    shift
    local link="/dev/ttyUSB$n"
    "$H_SIM" --link "$link" --log "$H_WORK/logs/ttyUSB$n.log" --vars "$H_WORK/logs/ttyUSB$n.vars" "$@" \
        > "$H_WORK/logs/ttyUSB$n.out" 2>&1 &
    H_PIDS+=($!)
    local tries=0
    until [ -e "$link" ]; do
        tries=$((tries + 1))
        if [ $tries -gt 500 ] || ! kill -0 "$!" 2>/dev/null; then
            echo "modem_sim for $link did not come up:" >&2
            cat "$H_WORK/logs/ttyUSB$n.out" >&2
            return 1
        fi
        sleep 0.01
    done
}

# h_alias N NAME: the modem's pseudo-terminal bound onto /dev/ttyUSBN (a node, no longer a link),
# and /dev/NAME a link to /dev/ttyUSBN, as a udev rule adds one.
h_alias() {
    local node="/dev/ttyUSB$1" target
    target=$(readlink -f "$node") || return 1
    rm -f "$node" && touch "$node" && mount --bind "$target" "$node" || return 1
    ln -s "ttyUSB$1" "/dev/$2"
}

h_stop_modems() {
    local pid
    for pid in "${H_PIDS[@]}"; do
        kill -TERM "$pid" 2>/dev/null
    done
    for pid in "${H_PIDS[@]}"; do
        wait "$pid" 2>/dev/null
    done
    H_PIDS=()
}

# h_dialogue N: what Quenlo wrote to the modem behind /dev/ttyUSBN, byte for byte.
h_dialogue() {
    cat "$H_WORK/logs/ttyUSB$1.log" 2>/dev/null
}

h_vars() {
    cat "$H_WORK/logs/ttyUSB$1.vars" 2>/dev/null
}

# h_rules NAME LINE...: a modem_sim rule file in the work dir; prints its path.
h_rules() {
    local file="$H_WORK/$1.rules"
    shift
    printf '%s\n' "$@" > "$file"
    echo "$file"
}

# h_count FILE TEXT: occurrences of TEXT in FILE, counted on bytes.
h_count() {
    python3 -c 'import sys; print(open(sys.argv[1], "rb").read().count(sys.argv[2].encode()))' "$1" "$2"
}

# h_quenlo OUT [ARGS...]: stdout to $H_WORK/OUT, stderr to $H_WORK/OUT.err; returns Quenlo's status.
h_quenlo() {
    local out="$H_WORK/$1"
    shift
    timeout 300 "$H_QUENLO" "$@" < /dev/null > "$out" 2> "$out.err"
}

# h_quenlo_keys OUT STEP... [-- ARGS...]: Quenlo on a pseudo-terminal, typed at as STEPs say;
# the transcript (CR LF back to LF) goes to $H_WORK/OUT; returns Quenlo's status (124: killed
# after 300 s).
h_quenlo_keys() {
    local out="$H_WORK/$1"
    shift
    local steps=()
    while [ $# -gt 0 ] && [ "$1" != "--" ]; do
        steps+=("$1")
        shift
    done
    [ $# -gt 0 ] && shift
    python3 "$H_DIR/pty_keys.py" "$out" 300 "$H_PROMPT" "${steps[@]}" -- "$H_QUENLO" "$@"
}

h_check_dialogue() {
    local actual
    actual=$(h_dialogue "$2" | sed 's/\x00/^@/g'; printf x)
    h_check_eq "$1" "$3" "${actual%x}"
}

h_pass() {
    H_PASSED=$((H_PASSED + 1))
    echo "ok: $1"
}

h_fail() {
    H_FAILED=$((H_FAILED + 1))
    echo "FAILED: $1"
}

h_check() {
    local what=$1
    shift
    if "$@"; then h_pass "$what"; else h_fail "$what"; fi
}

h_check_eq() {
    if [ "$2" == "$3" ]; then
        h_pass "$1"
    else
        h_fail "$1"
        echo "  expected: $(printf '%q' "$2")"
        echo "  actual:   $(printf '%q' "$3")"
    fi
}

h_check_contains() {
    local file=$2
    [[ $file == /* ]] || file="$H_WORK/$file"
    if grep -qF -- "$3" "$file"; then
        h_pass "$1"
    else
        h_fail "$1"
        echo "  $(printf '%q' "$3") not found in $2:"
        sed 's/^/  | /' "$file" | head -60
    fi
}

h_end() {
    echo "$H_PASSED passed, $H_FAILED failed"
    [ "$H_FAILED" -eq 0 ]
}
