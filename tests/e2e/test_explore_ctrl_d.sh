#!/usr/bin/env bash
# Ctrl-D typed at the menu's questions: the operator is done, so the question is cancelled and
# nothing is sent or read; the terminal still gives the next menu key.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 10

h_modem 0 --ati 'Pelvano\r\nM35\r\nRevision: M35FAR02A01'

# Send, three times: Ctrl-D at the numbers; at the ports; at the text (an empty line there
# would send the default text). Then Enter rescans and "q" quits.
h_quenlo_keys send.txt 1 $'号码: \t\x04' 1 $'号码: \t10086\n' $'USB0):\t\x04' \
    1 $'号码: \t10086\n' $'USB0):\t\n' $'短信内容:\t\x04' '\r' q
h_check_eq "send: exits 0 after q" 0 "$?"
h_check_eq "send: no refusal for a Ctrl-D" 0 "$(h_count "$H_WORK/send.txt" "您输入的号码有误，请重新输入")"
h_check_eq "send: no result line" 0 "$(h_count "$H_WORK/send.txt" "(T)端口 ")"
h_check "send: nothing went out" python3 "$H_DIR/send_tools.py" check \
    --log "$H_WORK/logs/ttyUSB0.log" 'sms == []'
h_check_eq "send: the menu reads keys after each (three cancels, Enter, then q)" 5 \
    "$(h_count "$H_WORK/send.txt" "$H_PROMPT")"

# The read key's port question: Ctrl-D reads nothing; Enter and "q" still work.
h_quenlo_keys read.txt 2 $'USB0):\t\x04' '\r' q
h_check_eq "read: exits 0 after q" 0 "$?"
h_check_eq "read: no port was read" 0 "$(h_count "$H_WORK/read.txt" "端口 ttyUSB0 接收短信")"
h_check_eq "read: the menu reads keys afterwards (Enter, then q)" 3 "$(h_count "$H_WORK/read.txt" "$H_PROMPT")"

h_end
