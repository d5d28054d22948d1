#!/usr/bin/env bash
# The menu's read key ("2") and port key ("d") through a pseudo-terminal.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
tools="$H_DIR/read_tools.py"
port_prompt="请输入设备端口号(例:选择/dev/ttyUSB0,请输入USB0):"

h_modem 0 --rules "$H_DIR/read_base.rules"
h_modem 2 --rules "$H_DIR/read_cdma.rules"
h_modem 3 --rules "$H_DIR/read_refuse.rules"

check() { h_check "$1" python3 "$tools" check "$H_WORK/$2" "$3"; }
red() { printf '\e[1m\e[31m%s\e[0m' "$1"; }

# Read three ports, one of which was not detected; then quit.
h_quenlo_keys read.txt 2 $'请输入设备端口号\tUSB0,USB2,USB3,USB9\n' q
h_check_eq "read: exits 0 after q" 0 "$?"
unmatched="$(red "端口 ttyUSB9 接收短信失败")$(red $'\t 失败原因: ')$(red "设备未插卡")"
check "read: the ports in order, SIM block before device block, then the elapsed time" read.txt \
    're.search("USB0,USB2,USB3,USB9\n\n" + re.escape(read_block("ttyUSB0") + read_block("ttyUSB2") + read_block("ttyUSB3") + "'"$unmatched"'\n") + "读取短信耗时: [1-9][0-9]* 秒\n", text)'
check "read: the menu again after the read" read.txt 'text.count("回车键刷新 1发送短信 2接收短信 q退出") == 2'
h_check "read: no delete command" test -z "$(h_dialogue 0 | grep -a 'AT+CMGD=0,4')"
h_check "read: no storage check, whose verdict the menu would not use" test -z "$(h_dialogue 0 | grep -a 'AT+CPMS?')"

# "d" asks for ports and goes back to the menu without a word to any device.
for n in 0 2 3; do : > "$H_WORK/logs/ttyUSB$n.log"; done
h_quenlo_keys del.txt d $'请输入设备端口号\tUSB0\n' q
h_check_eq "d: exits 0 after q" 0 "$?"
h_check_contains "d: asks for ports" del.txt "$port_prompt"
check "d: nothing read, nothing reported, the menu again" del.txt \
    '"接收短信成功" not in text and "接收短信失败" not in text and "读取短信耗时" not in text and text.count("回车键刷新 1发送短信 2接收短信 q退出") == 2'
h_check "d: no device is asked for or about its messages" \
    test -z "$(for n in 0 2 3; do h_dialogue $n; done | grep -a -e 'AT+CPMS="ME"' -e 'AT+CMGL' -e 'AT^HCMGL' -e 'AT+CMGD=0,4')"

h_end
