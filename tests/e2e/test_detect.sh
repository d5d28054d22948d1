#!/usr/bin/env bash
# Detection and the device table against several simulated modules at once.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 100

# A Sorvik module on a China Telecom network, in mode 2: detection switches it to mode 22.
h_modem 0 --ati 'Sorvik\r\nCLM920_NC5\r\nRevision: V1.0' --rules "$(h_rules sorvik \
    $'AT+CCID\t+CCID: 89860311111111111111' \
    $'AT+CGSN\t860000000000000' \
    $'AT+COPS?\t+COPS: 0,0,"CHINA TELECOM",7')"
# Answers only at 115200; its SIM number comes from the vendor ICCID command.
h_modem 1 --baud 115200 --ati 'Yarlen\r\nModel: ME909s-821\r\nRevision: 11.617' --rules "$(h_rules yarlen \
    $'AT^ICCID?\t^ICCID: 89860322222222222222' \
    $'AT^CURC=0\t' \
    $'AT+CGSN\t860000000000001')"
# Answers AT, but its ATI names no supported model.
h_modem 2 --type generic
h_modem 3 --silent
# Two modules of one type; USB10 sorts between USB1 and USB2.
wescor_common=($'AT^CURC=0\t' $'AT+CLIP=1\t' $'AT+CSMS=1\t+CSMS: 1,1,1' $'AT+CNMI=1,1,0,1,0\t' $'AT+CREG=0\t')
h_modem 4 --ati 'Model: ME901' --rules "$(h_rules wescor4 "${wescor_common[@]}" \
    $'AT+CCID\t+CCID: "89860344444444444444"' $'AT+CGSN\t860000000000004' $'AT+CSQ\t+CSQ: 31,0')"
h_modem 10 --ati 'Model: ME901' --rules "$(h_rules wescor10 "${wescor_common[@]}" \
    $'AT+CCID\t+CCID: 89860310101010101010' $'AT+CGSN\t860000000000010' $'AT+CSQ\t+CSQ: 99,99')"

h_quenlo table.txt
status=$?
h_check_eq "exits 0 once its input has no key to give" 0 "$status"

# Rows in byte order of the device path; ttyS0 and ttyS1 are always probed (absent here).
expected_rows=$(cat <<EOF
ttyS0     115200    不AT           未读卡                 无信号      无效序列号
ttyS1     115200    不AT           未读卡                 无信号      无效序列号
ttyUSB0   9600      OK              89860311111111111111   20,99       860000000000000
ttyUSB1   115200    OK              89860322222222222222   20,99       860000000000001
ttyUSB10  9600      OK              89860310101010101010   99,99       860000000000010
ttyUSB2   115200    不AT           未读卡                 无信号      无效序列号
ttyUSB3   115200    不AT           未读卡                 无信号      无效序列号
ttyUSB4   9600      OK              89860344444444444444   31,0        860000000000004
EOF
)
actual_rows=$(grep -A1 -e '^-\{90\}$' "$H_WORK/table.txt" | grep -v -e '^-\{90\}$' -e '^--$')
h_check_eq "device table rows" "$expected_rows" "$actual_rows"
h_check "title line" grep -qE '^ {14}Korvel短信设备检测 V1\.15  [0-9]{4}-[0-9]{2}-[0-9]{2} [0-9]{2}:[0-9]{2}:[0-9]{2}$' "$H_WORK/table.txt"
h_check_contains "detection time line" table.txt $'\t设备检测耗时: '
h_check_contains "prompt" table.txt "$H_PROMPT"
h_check_contains "mode query trace" table.txt "/dev/ttyUSB0 > GET MODECONFIG = 2"
h_check_contains "operator query trace" table.txt '/dev/ttyUSB0 > GET COPS = 0,0,"CHINA TELECOM",7'
h_check_contains "mode correction trace" table.txt "/dev/ttyUSB0 > SET MODECONFIG=22"

base_init=$'AT+CMEE=1\r\nAT+CPMS="SM"\r\nATE0\r\n'
h_check_dialogue "Sorvik dialogue: identity, then mode, operator and correction" 0 \
    "$H_CANCEL"$'ATE0\r\nAT\r\nATI\r\n'"$base_init"$'AT+CGSN\r\nAT+CCID\r\nat+csq\r\nAT^MODECONFIG?\rAT+COPS?\rAT^MODECONFIG=22\r'
h_check_dialogue "115200-only module: unanswered probe at 9600, then identified at 115200" 1 \
    "$H_CANCEL"$'ATE0\r\nAT\r\n'"$H_CANCEL"$'ATE0\r\nAT\r\nATI\r\n'"$base_init"$'AT^CURC=0\r\nAT+CGSN\r\nAT^ICCID?\r\nat+csq\r\nAT+COPS?\r'
# It answers at 9600 only, so at 115200 its AT goes unanswered.
h_check_dialogue "unknown module: ATI at 9600 matches nothing, 115200 is tried too" 2 \
    "$H_CANCEL"$'ATE0\r\nAT\r\nATI\r\n'"$H_CANCEL"$'ATE0\r\nAT\r\n'
h_check_dialogue "silent port: echo off and AT at both rates" 3 "$H_CANCEL"$'ATE0\r\nAT\r\n'"$H_CANCEL"$'ATE0\r\nAT\r\n'
wescor_init="$base_init"$'AT^CURC=0\r\nAT+CLIP=1\r\nAT+CSMS=1\r\nAT+CNMI=1,1,0,1,0\r\nAT+CREG=0\r\nAT+CPMS="SM","SM","SM"\r\n'
for n in 4 10; do
    h_check_dialogue "ttyUSB$n: full initialisation list, identity and operator" $n \
        "$H_CANCEL"$'ATE0\r\nAT\r\nATI\r\n'"$wescor_init"$'AT+CGSN\r\nAT+CCID\r\nat+csq\r\nAT+COPS?\r'
done

h_end
