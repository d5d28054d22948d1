#!/usr/bin/env bash
# Command-line SMS report: every sub-command against modems holding stored messages on SIM and
# device storage, the documents parsed and their exact forms checked.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
tools="$H_DIR/read_tools.py"
ports=(0 1 2 3 4 5)

# Fresh modems hold what read_*.rules list, their counts as their selections answer. The
# listings are fixed: once a run has deleted, only fresh modems count what they list.
modems() {
    h_stop_modems
    h_modem 0 --rules "$H_DIR/read_base.rules"
    h_modem 1 --rules "$H_DIR/read_index.rules"
    h_modem 2 --rules "$H_DIR/read_cdma.rules"
    h_modem 3 --rules "$H_DIR/read_refuse.rules"
    # No SIM card: left out of the report altogether.
    printf 'AT+CCID\tERROR\n' > "$H_WORK/nosim.rules"
    h_modem 4 --rules "$H_WORK/nosim.rules" --rules "$H_DIR/read_base.rules"
    # Answers AT, but its ATI names no supported model: not a usable port.
    h_modem 5
}
modems

# report OUT WORD: "Quenlo sms WORD", with what the run wrote to each modem kept in OUT.ttyUSBn.
report() {
    local out=$1 word=$2 n
    local -A before
    for n in "${ports[@]}"; do before[$n]=$(h_dialogue "$n" | wc -c); done
    h_quenlo "$out" sms "$word"
    h_check_eq "sms $word: exit status 0" 0 $?
    for n in "${ports[@]}"; do
        h_dialogue "$n" | tail -c +$((before[$n] + 1)) > "$H_WORK/$out.ttyUSB$n"
    done
}

check() { h_check "$1" python3 "$tools" check "$H_WORK/$2" "$3"; }

# The read part of a document: one entry per usable port in path order, SIM messages first.
check_read() {
    local out=$1 word=$2
    check "$word: recognised, four usable ports in path order" "$out" \
        'doc["check"] == 1 and doc["type"] == "'"$word"'" and doc["portcount"] == 4 and isinstance(doc["seconds"], int) and [p["name"] for p in doc["ports"]] == ["ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3"]'
    check "$word: listing module, long message joined, SIM block first" "$out" \
        'port["ttyUSB0"]["msgs"] == stored("ttyUSB0") and port["ttyUSB0"]["msgcount"] == 5'
    check "$word: per-index module, SIM block first" "$out" \
        'sorted_msgs(port["ttyUSB1"]["msgs"]) == sorted_msgs(stored("ttyUSB1")) and [m["storage"] for m in port["ttyUSB1"]["msgs"]] == ["SIM", "DEV", "DEV"] and port["ttyUSB1"]["msgcount"] == 3'
    check "$word: CDMA module, formats 1 and 6" "$out" \
        'port["ttyUSB2"]["msgs"] == stored("ttyUSB2") and port["ttyUSB2"]["msgcount"] == 2'
    check "$word: device storage refused, SIM storage reported" "$out" \
        'port["ttyUSB3"]["msgs"] == stored("ttyUSB3") and port["ttyUSB3"]["msgcount"] == 1'
    check "$word: device storage, then SIM storage" "$out" \
        'dialogue["ttyUSB0"].count("AT+CMGL=4") == 2 and "AT+CPMS=\"ME\"\r\nat+cmgf=0\r\nAT\rAT+CMGL=4\r\nAT+CPMS?\r\nAT+CPMS=\"SM\"\r\nat+cmgf=0\r\nAT\rAT+CMGL=4\r\nAT+CPMS?\r\n" in dialogue["ttyUSB0"]'
    check "$word: one read per listed index" "$out" \
        '"AT+CPMS=\"ME\"\r\nat+cmgf=0\r\nAT\rAT+CMGD=?\r\nAT+CMGR=1\r\nAT+CMGR=2\r\nAT+CPMS?\r\nAT+CPMS=\"SM\"\r\nat+cmgf=0\r\nAT\rAT+CMGD=?\r\nAT+CMGR=4\r\nAT+CMGR=5\r\nAT+CPMS?\r\n" in dialogue["ttyUSB1"]'
    check "$word: CDMA listing and reads" "$out" \
        '"AT+CPMS=\"ME\"\r\nAT^HSMSSS=0,0,6,0\r\nAT\rAT^HCMGL=4\r\nAT^HCMGR=0\r\nAT^HCMGR=3\r\nAT+CPMS?\r\nAT+CPMS=\"SM\"\r\nAT^HSMSSS=0,0,6,0\r\nAT\rAT^HCMGL=4\r\nAT+CPMS?\r\n" in dialogue["ttyUSB2"]'
    check "$word: the ports without a SIM card or a known model are not read" "$out" \
        'not any(c in dialogue[n] for n in ("ttyUSB4", "ttyUSB5") for c in ("AT+CPMS=\"ME\"", "AT+CMGL"))'
    check "$word: everything stored was read" "$out" '[p["read"] for p in doc["ports"]] == [True] * 4'
}

# Read-then-clear: in the read's turn, every shown entry deleted by its index in its own storage,
# after the storage is selected again and checked; no delete-all.
check_readclear() {
    local out=$1 word=$2
    check "$word: every port cleared" "$out" '[p["clear"] for p in doc["ports"]] == [True] * 4'
    check "$word: exactly the shown entries deleted, each in its storage" "$out" \
        '[deleted(dialogue[n]) for n in ("ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3", "ttyUSB4")] == [{"ME": [3, 4], "SM": [1, 5, 6, 7]}, {"ME": [1, 2], "SM": [4, 5]}, {"ME": [0, 3]}, {"SM": [2]}, {}]'
    check "$word: no delete-all" "$out" 'not any("AT+CMGD=0,4" in d for d in dialogue.values())'
}

# The delete part: one delete-all command per port, with no storage selected for it.
check_clear() {
    local out=$1 word=$2
    check "$word: every port cleared" "$out" '[p["clear"] for p in doc["ports"]] == [True] * 4'
    check "$word: one delete-all command per port, followed only by a storage check" "$out" \
        'all(dialogue[n].count("AT+CMGD=0,4\r\n") == 1 and dialogue[n].endswith("AT+CMGD=0,4\r\nAT+CPMS?\r\n") for n in ["ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3"])'
    check "$word: nothing deleted on the ports left out" "$out" \
        '"AT+CMGD" not in dialogue["ttyUSB4"] and "AT+CMGD" not in dialogue["ttyUSB5"]'
}

report read.txt read
check_read read.txt read
check "read: members of the document and of each entry" read.txt \
    'sorted(doc) == ["check", "portcount", "ports", "seconds", "type"] and all(sorted(p) == (["msgcount", "msgs", "name", "read"] if "msgs" in p else ["msgcount", "name", "read"]) for p in doc["ports"])'
check "read: styled form, three-space indentation, then one empty line" read.txt \
    'text.startswith("{\n   \"check\" : 1,\n   \"portcount\" : 4,\n   \"ports\" : [\n      {\n         \"msgcount\" : 5,\n         \"msgs\" : [\n            {\n               \"from\" : \"8613912345678\",\n               \"storage\" : \"SIM\",\n") and text.endswith("\n   \"type\" : \"read\"\n}\n\n")'
h_check_contains "read: text values as UTF-8" read.txt '"text" : "你好，世界",'
h_check_contains "read: control characters escaped" read.txt '"text" : "\u001b[31m警告\u001b[0m'"$(printf '\302\233')"'2J",'
check "read: nothing deleted" read.txt 'not any("AT+CMGD=" in d.replace("AT+CMGD=?", "") for d in dialogue.values())'

report sread.txt sread
check_read sread.txt sread
check "sread: one line, then one empty line" sread.txt 'text == one_line(doc) + "\n\n"'

report clear.txt clear
check "clear: entries hold name and clear only" clear.txt \
    'doc["check"] == 1 and doc["portcount"] == 4 and [sorted(p) for p in doc["ports"]] == [["clear", "name"]] * 4 and [p["name"] for p in doc["ports"]] == ["ttyUSB0", "ttyUSB1", "ttyUSB2", "ttyUSB3"]'
check_clear clear.txt clear
check "clear: no storage is read or selected for the delete" clear.txt \
    'not any(c in d for d in dialogue.values() for c in ("AT+CPMS=\"ME\"", "AT+CMGL", "AT+CMGR", "AT^HCMG"))'

modems
report readclear.txt readclear
check_read readclear.txt readclear
check_readclear readclear.txt readclear

report sclear.txt sclear
check "sclear: one line, then one empty line" sclear.txt 'text == one_line(doc) + "\n\n" and doc["type"] == "sclear"'
check_clear sclear.txt sclear

modems
report sreadclear.txt sreadclear
check_read sreadclear.txt sreadclear
check_readclear sreadclear.txt sreadclear
check "sreadclear: one line, then one empty line" sreadclear.txt 'text == one_line(doc) + "\n\n"'

# A report that cannot be written is no success: one line on standard error, status 74.
"$H_QUENLO" sms sread < /dev/null > /dev/full 2> "$H_WORK/full.err"
h_check_eq "sread to a full device: exit status 74" 74 $?
h_check_eq "sread to a full device: said on standard error" "报告写入失败：No space left on device" "$(cat "$H_WORK/full.err")"
# Nowhere for the report to go (standard output closed, a pipe whose reader has gone): read-then-
# clear deletes nothing; a run that writes to such a pipe is not killed by SIGPIPE.
declare -A mark
for n in "${ports[@]}"; do mark[$n]=$(h_dialogue "$n" | wc -c); done
nowhere=$H_WORK/nowhere
"$H_QUENLO" sms sreadclear < /dev/null >&- 2> "$nowhere.err"; echo $? > "$nowhere.st"
"$H_QUENLO" sms sreadclear < /dev/null 1< /dev/null 2>> "$nowhere.err"; echo $? >> "$nowhere.st"
"$H_QUENLO" sms sreadclear < /dev/null 2>> "$nowhere.err" | true; echo "${PIPESTATUS[0]}" >> "$nowhere.st"
"$H_QUENLO" sms sread < /dev/null 2>> "$nowhere.err" | true; echo "${PIPESTATUS[0]}" >> "$nowhere.st"
# A closed standard output lends its number to no port: a plain report then goes nowhere.
"$H_QUENLO" sms sread < /dev/null >&- 2>> "$nowhere.err"; echo $? >> "$nowhere.st"
h_check_eq "nowhere for the report: exit status 74 (0 for the plain report), the reason on standard error" \
    "74 74 74 74 0 $(printf '报告写入失败：%s\n' 'Bad file descriptor' 'Bad file descriptor' 'Broken pipe' 'Broken pipe')" \
    "$(echo $(cat "$nowhere.st")) $(cat "$nowhere.err")"
h_check_eq "nowhere for the report: no delete sent, no report written to a modem" "" \
    "$(for n in "${ports[@]}"; do h_dialogue "$n" | tail -c +$((mark[$n] + 1)) | grep -a 'AT+CMGD=[0-9]\|"check"'; done)"
# A report file past its size limit, once deletes have gone: the whole report on standard error.
modems
( ulimit -f 0; "$H_QUENLO" sms sreadclear < /dev/null 2>&1 > "$H_WORK/fsize.json" ) | cat > "$H_WORK/fsize.err"
h_check_eq "file size limit: status 74, the reason, an empty file" "74 报告写入失败：File too large 0" "${PIPESTATUS[0]} $(head -n 1 "$H_WORK/fsize.err") $(wc -c < "$H_WORK/fsize.json")"
sed 1d "$H_WORK/fsize.err" > "$H_WORK/fsize.doc" && check "file size limit: the whole report on standard error" fsize.doc 'text == one_line(doc) + "\n\n" and [p["clear"] for p in doc["ports"]] == [True] * 4'
report list.txt list
check "unknown word: check 0, seconds and type only" list.txt \
    'sorted(doc) == ["check", "seconds", "type"] and doc["check"] == 0 and doc["type"] == "list" and text == "{\n   \"check\" : 0,\n   \"seconds\" : %d,\n   \"type\" : \"list\"\n}\n\n" % doc["seconds"]'
check "unknown word: no port touched" list.txt 'not any(dialogue.values())'
before=$(cat "$H_WORK"/logs/*.log | wc -c); h_quenlo extra.txt sms sclear USB1; h_check_eq "sms sclear USB1: status 64, one line on standard error, no port touched" \
    "64 sms 模式不接受更多参数：USB1（它作用于所有端口） $before" "$? $(cat "$H_WORK"/extra.txt*) $(cat "$H_WORK"/logs/*.log | wc -c)"

# The PDU test mode prints the commands of a send and opens no port.
h_quenlo pdu.txt pdu 18300000000 abc
h_check_eq "pdu: command line and PDU without Ctrl-Z" \
    "$(printf 'AT+CMGS=20\r\n0011000B818103000000F00008AA06006100620063\nx')" "$(cat "$H_WORK/pdu.txt"; printf x)"
h_quenlo pdulong.txt pdu 18300000000 "$(printf 'a%.0s' {1..100})"
check "pdu: two lines per part of a long text" pdulong.txt \
    're.fullmatch(r"AT\+CMGS=154\r\n0051000BA18103000000F00008A78C050003[0-9A-F]{2}0201(0061){67}\nAT\+CMGS=86\r\n0051000BA18103000000F00008A748050003[0-9A-F]{2}0202(0061){33}\n", text)'

h_end
