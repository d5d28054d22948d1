#!/usr/bin/env bash
# Long texts as concatenated parts, and how often a body the network refuses is sent again.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
tools="$H_DIR/send_tools.py"

check() { # check WHAT OUT MODEM EXPR
    h_check "$1" python3 "$tools" check --answer "$H_WORK/$2" --log "$H_WORK/logs/ttyUSB$3.log" "$4"
}
count_cmgs() { h_dialogue "$1" | grep -ao 'AT+CMGS=' | wc -l; }

m35=(--ati 'Pelvano\r\nM35\r\nRevision: M35FAR02A01')
h_modem 0 "${m35[@]}"
h_modem 1 "${m35[@]}" --rules "$(h_rules busy $'<body>*\t+CMS ERROR: 500')"
h_modem 2 "${m35[@]}" --rules "$(h_rules barred $'<body>*\t+CMS ERROR: 330')"

# 185 Chinese characters and one outside the basic plane: 187 UTF-16 units, three parts of
# at most 67; the time stamp's 20 more make four.
export LONG_TEXT
LONG_TEXT=$(python3 -c 'print("北京短信平台欢迎您" * 20 + "测试长短信" + "👍", end="")')
h_quenlo long.txt USB0 18300000000,10086 "$LONG_TEXT"
check "both numbers succeeded" long.txt 0 '[(r["number"], r["code"]) for r in a["result"]] == [("18300000000", 0), ("10086", 0)]'
check "stamped text in four parts decodes back exactly" long.txt 0 \
    'sms[0] == {"to": "18300000000", "text": env["LONG_TEXT"] + " " + a["result"][0]["time"], "parts": 4}'
check "unstamped text to the service number in three parts" long.txt 0 \
    'sms[1] == {"to": "10086", "text": env["LONG_TEXT"], "parts": 3}'

h_quenlo refused.txt USB1,USB2 18300000000 '"refuse me"'
check "500 fails after three attempts with the modem's line" refused.txt 1 \
    '[(r["com"], r["code"], r["message"]) for r in a["result"]] == [("ttyUSB1", 1, "+CMS ERROR: 500"), ("ttyUSB2", 1, "+CMS ERROR: 330")]'
h_check_eq "500: three attempts" 3 "$(count_cmgs 1)"
h_check_eq "330: one attempt" 1 "$(count_cmgs 2)"
h_check_eq "each attempt queries the centre again" 3 "$(h_dialogue 1 | grep -ao 'AT+CSCA?' | wc -l)"

h_end
