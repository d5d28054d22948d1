#!/usr/bin/env bash
# Command-line send: ports, numbers and text from the arguments, one JSON answer on stdout.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
tools="$H_DIR/send_tools.py"

# check WHAT OUT [MODEM] EXPR: EXPR over the answer in OUT (and the messages sent through MODEM).
check() {
    local what=$1 out=$2
    shift 2
    local log=()
    if [ $# -gt 1 ]; then
        log=(--log "$H_WORK/logs/ttyUSB$1.log")
        shift
    fi
    h_check "$what" python3 "$tools" check --answer "$H_WORK/$out" "${log[@]}" "$1"
}

count_cmgs() { h_dialogue "$1" | grep -ao 'AT+CMGS=' | wc -l; }

m35=(--ati 'Pelvano\r\nM35\r\nRevision: M35FAR02A01')
h_modem 0 "${m35[@]}"
h_modem 1 "${m35[@]}"
stamp='[0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}'

h_quenlo two.txt USB0,USB1 18300000000,18500000000 '"hello\nworld"'
h_check_eq "exit status" 0 $?
check "answer: code 0, param is ok" two.txt 'a["code"] == 0 and a["message"] == "param is ok"'
check "one result per port and number, port by port" two.txt \
    '[(r["com"], r["number"]) for r in a["result"]] == [("ttyUSB0", "18300000000"), ("ttyUSB0", "18500000000"), ("ttyUSB1", "18300000000"), ("ttyUSB1", "18500000000")]'
check "every result succeeded with its time" two.txt \
    "all(r['code'] == 0 and r['message'] == 'Succeed' and re.fullmatch('$stamp', r['time']) for r in a['result'])"
check "members in key order" two.txt \
    're.findall(r"\"(\w+)\" :", text)[:8] == ["code", "message", "result", "code", "com", "message", "number", "time"]'
for n in 0 1; do
    check "ttyUSB$n sent the text with its line feed and the time of each result" two.txt $n \
        "[(m['to'], m['text']) for m in sms] == [(r['number'], 'hello\nworld ' + r['time']) for r in a['result'] if r['com'] == 'ttyUSB$n']"
done

h_quenlo auto.txt 10086 '"auto pick"'
check "no port ids: both complete modems are chosen" auto.txt \
    '[(r["com"], r["code"]) for r in a["result"]] == [("ttyUSB0", 0), ("ttyUSB1", 0)]'
check "service number gets the text unstamped" auto.txt 1 'sms[-1] == {"to": "10086", "text": "auto pick", "parts": 1}'

h_quenlo nomatch.txt USB9 18300000000 x
check "port id that matches nothing: port error" nomatch.txt \
    'a == {"code": 1, "message": "com port error", "result": []}'
h_quenlo lower.txt usb0 18300000000 x
check "port ids are case-sensitive" lower.txt 'a["code"] == 1 and a["message"] == "com port error"'

before=$(count_cmgs 0)
h_quenlo partial.txt ' USB0,USB9' 10086 x
check "unmatched ids give no SIM card, the matched one sends" partial.txt \
    '[(r["com"], r["code"], r["message"]) for r in a["result"]] == [("tty", 4, "No SIM CARD In Device"), ("ttyUSB0", 0, "Succeed"), ("ttyUSB9", 4, "No SIM CARD In Device")]'
h_check_eq "one message through ttyUSB0" $((before + 1)) "$(count_cmgs 0)"

h_quenlo number.txt USB0 18300000000,1234 x
check "a bad number: number error" number.txt 'a == {"code": 2, "message": "phone number error", "result": []}'

before=$(h_dialogue 0 | wc -c)
h_quenlo count.txt USB0 18300000000 x extra
check "four arguments: count error" count.txt 'a == {"code": 3, "message": "param count error", "result": []}'
h_quenlo count1.txt 18300000000
check "one argument: count error" count1.txt 'a["code"] == 3 and a["message"] == "param count error"'
h_check_eq "a count error scans nothing" "$before" "$(h_dialogue 0 | wc -c)"

before=$(count_cmgs 0)
h_quenlo gbk.txt USB0 18300000000 $'\xb1\xb1\xbe\xa9'
check "text that is not UTF-8 is refused with its reason" gbk.txt \
    'a["code"] == 0 and [(r["code"], r["message"]) for r in a["result"]] == [(1, "短信内容不是有效的UTF-8编码，未发送")]'
h_check_eq "nothing goes out for it" "$before" "$(count_cmgs 0)"

h_end
