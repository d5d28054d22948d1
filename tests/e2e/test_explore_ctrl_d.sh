#!/usr/bin/env bash
# Ctrl-D typed at the menu's questions: each one is one empty answer, and the terminal still
# gives the next answer and the next menu key.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 10

h_modem 0 --ati 'Pelvano\r\nM35\r\nRevision: M35FAR02A01'

# Numbers: Ctrl-D (refused), then a number; ports: Ctrl-D (chosen from the table); text:
# Ctrl-D (the default text). Then Enter rescans and "q" quits.
h_quenlo_keys send.txt 1 $'号码: \t\x04' $'号码: \t10086\n' $'USB0):\t\x04' $'短信内容:\t\x04' '\r' q
h_check_eq "send: exits 0 after q" 0 "$?"
h_check_eq "send: one refusal for one Ctrl-D" 1 "$(h_count "$H_WORK/send.txt" "您输入的号码有误，请重新输入")"
h_check_contains "send: the default text went out" send.txt "(T)端口 "
h_check "send: one message through the chosen port" python3 "$H_DIR/send_tools.py" check \
    --log "$H_WORK/logs/ttyUSB0.log" 'sms == [{"to": "10086", "text": " 北京Korvel短信为您服务 ", "parts": 1}]'
h_check_eq "send: the menu reads keys afterwards (Enter, then q)" 3 "$(h_count "$H_WORK/send.txt" "$H_PROMPT")"

# The read key's port question: Ctrl-D reads every complete port; Enter and "q" still work.
h_quenlo_keys read.txt 2 $'USB0):\t\x04' '\r' q
h_check_eq "read: exits 0 after q" 0 "$?"
h_check_contains "read: the chosen port was read" read.txt "端口 ttyUSB0 接收短信成功"
h_check_eq "read: the menu reads keys afterwards (Enter, then q)" 3 "$(h_count "$H_WORK/read.txt" "$H_PROMPT")"

h_end
