#!/usr/bin/env bash
# Menu send through a terminal: the number, port and text dialogues, refusals and the
# three-attempt limit, and the coloured result lines.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
tools="$H_DIR/send_tools.py"

red() { printf '\e[1m\e[31m%s\e[0m' "$1"; }
green() { printf '\e[1m\e[32m%s\e[0m' "$1"; }
# answer PROMPT KEYS: an h_quenlo_keys step typing KEYS once PROMPT has appeared again.
answer() { printf '%s\t%s' "$1" "$2"; }

numbers="请输入接收短信的号码: "
ports="请输入设备端口号(例:选择/dev/ttyUSB0,请输入USB0):"
text="请输入短信内容:"
too_many=$(red "输入的错误次数过多，返回主界面")

h_modem 0 --ati 'Pelvano\r\nM35\r\nRevision: M35FAR02A01'

h_quenlo_keys send.txt 1 "$(answer "$numbers" 'abc\r')" "$(answer "$numbers" '18300000000,10086\r')" \
    "$(answer "$ports" 'USB9\r')" "$(answer "$ports" 'usb0\r')" "$(answer "$ports" 'USB0,USB9\r')" \
    "$(answer "$text" 'menu\\ntext\r')" q
h_check_eq "menu send ends with q" 0 $?
h_check_contains "a bad number line is refused" send.txt "$(red "您输入的号码有误，请重新输入")"
h_check_eq "two port lines are refused" 2 "$(grep -aoF "$(red "您输入的设备端口号有误，请重新输入")" "$H_WORK/send.txt" | wc -l)"
h_check_contains "success line for the first number" send.txt \
    "$(green "(T)端口 ")$(green ttyUSB0)$(green " 发送到 ")$(green 18300000000)$(green " 的短信发送成功")"
h_check_contains "success line for the service number" send.txt \
    "$(green "(T)端口 ")$(green ttyUSB0)$(green " 发送到 ")$(green 10086)$(green " 的短信发送成功")"
h_check_contains "unmatched port: no SIM card" send.txt \
    "$(red "(T)端口 ")$(green ttyUSB9)$(red " 发送到 ")$(red 10086)$(red " 的短信发送失败,失败原因: ")$(red "设备未插卡")"
h_check "elapsed time line" grep -aqE '^发送短信耗时: [0-9]+ 秒$' "$H_WORK/send.txt"
h_check "typed \\n became a line feed, the time stamp spares the service number" python3 "$tools" check \
    --log "$H_WORK/logs/ttyUSB0.log" \
    'len(sms) == 2 and re.fullmatch("menu\ntext \\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d", sms[0]["text"]) and sms[1] == {"to": "10086", "text": "menu\ntext", "parts": 1}'

before=$(h_dialogue 0 | grep -ao 'AT+CMGS=' | wc -l)
h_quenlo_keys refused.txt 1 "$(answer "$numbers" 'abc\r')" "$(answer "$numbers" '1234\r')" \
    "$(answer "$numbers" '\r')" 1 "$(answer "$numbers" '18300000000\r')" "$(answer "$ports" ' \r')" \
    "$(answer "$ports" 'USB9\r')" "$(answer "$ports" '/dev/ttyUSB0\r')" q
h_check_eq "refusals end with q" 0 $?
h_check_eq "each dialogue gives up after its third refusal" 2 \
    "$(grep -aoF "$too_many" "$H_WORK/refused.txt" | wc -l)"
h_check_eq "three number prompts, then four" 4 "$(grep -aoF "$numbers" "$H_WORK/refused.txt" | wc -l)"
h_check_eq "three port prompts" 3 "$(grep -aoF "$ports" "$H_WORK/refused.txt" | wc -l)"
h_check "no text prompt after refusals" bash -c "! grep -aqF '$text' '$H_WORK/refused.txt'"
h_check "no elapsed time line after refusals" bash -c "! grep -aqF '发送短信耗时' '$H_WORK/refused.txt'"
h_check_eq "nothing sent after refusals" "$before" "$(h_dialogue 0 | grep -ao 'AT+CMGS=' | wc -l)"

h_end
