#!/usr/bin/env bash
# Start-up and dispatch: help text, version line, the root check, and which mode an argument
# list reaches.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 30

esc=$'\e'
green="$esc[1m$esc[32m"
reset="$esc[0m"

# exactly OUT: EXACT := the text of $H_WORK/OUT, trailing line ends included
exactly() {
    EXACT=$(cat "$H_WORK/$1"; printf x)
    EXACT=${EXACT%x}
}

help_lines=$(cat <<'EOF'
1. 执行Korvel检测工具  执行Quenlo 
2. 查看帮助信息  执行Quenlo help 可以输出本帮助信息 
3. 通过所有串口设备发送短信 执行 Quenlo [空格]手机号1,手机号2...[空格]"短信内容 "
4. 通过指定串口设备发送短信 执行 Quenlo [空格]串口号1,串口号2...[空格]手机号1,手机号2，...[空格]"短信内容 "
注意: 如果短信内容中有空格，需要用双引号(")括起来，短信内容中的双引号(")需要转义为\" 
例1: 通过端口/dev/ttyUSB3给1830000000发送内容为 "北京Korvel短信 欢迎使用" 的短信则输入
命令1: Quenlo USB3 18300000000 "北京Korvel短信 欢迎使用"
例2: 通过端口/dev/ttyUSB3,/dev/ttyUSB4 给1830000000,18500000000 发送内容为 "北京Korvel短信 欢迎使用" 的短信则输入
命令2: Quenlo USB3,USB4 18300000000,18500000000 "北京Korvel短信 欢迎使用"
EOF
)
for word in help /? -help --help -h --h; do
    h_quenlo help.txt "$word"
    h_check_eq "$word: exit status" 0 "$?"
    exactly help.txt
    out=$EXACT
    heading=${out%%$'\n'*}
    case $heading in
        "$green"?*"$reset") coloured=yes ;;
        *) coloured=no ;;
    esac
    h_check_eq "$word: heading in bold green" yes "$coloured"
    h_check_eq "$word: help text" $'\n\n'"$help_lines"$'\n' "${out#"$heading"}"
done

version_line='^1\.14 版本 编译时间  [A-Z][a-z]{2} [ 0-9][0-9] [0-9]{4} [0-9]{2}:[0-9]{2}:[0-9]{2} [0-9].*$'
for word in version -version --version v -v; do
    h_quenlo version.txt "$word"
    h_check_eq "$word: exit status" 0 "$?"
    h_check_eq "$word: one line" 1 "$(wc -l < "$H_WORK/version.txt")"
    h_check "$word: version line" grep -qE "$version_line" "$H_WORK/version.txt"
done

# Not root: the red message framed by line ends, status 1, nothing else. The binary is copied
# where the unprivileged user can reach it.
mkdir -p "$H_WORK/bin"
cp "$H_QUENLO" "$H_WORK/bin/Quenlo"
chmod 755 "$H_WORK/bin" "$H_WORK/bin/Quenlo"
for args in "" "help" "sms read"; do
    # shellcheck disable=SC2086
    (cd "$H_WORK/bin" && setpriv --reuid=65534 --regid=65534 --clear-groups ./Quenlo $args \
        < /dev/null > "$H_WORK/user.txt" 2>&1)
    h_check_eq "non-root '$args': exit status 1" 1 "$?"
    exactly user.txt
    h_check_eq "non-root '$args': red message only" \
        $'\n'"$esc[1m$esc[31m此程序必须以root权限运行$reset"$'\n' "$EXACT"
done

# Words of help and version are case-sensitive and stand alone; "pdu" needs a number and a text.
# Everything else is a send request: with a wrong argument count it is answered at once, with
# a number list that is no number list after a scan.
count_error=$'{\n   "code" : 3,\n   "message" : "param count error",\n   "result" : []\n}\n\n'
number_error=$'{\n   "code" : 2,\n   "message" : "phone number error",\n   "result" : []\n}\n\n'
for case in "HELP|$count_error" "Version|$count_error" "-v 1 2 3|$count_error" \
            "help me|$number_error" "pdu 123|$number_error" "abc 123 text|$number_error"; do
    args=${case%%|*}
    # shellcheck disable=SC2086
    h_quenlo send.txt $args
    h_check_eq "'$args' is a send request: exit status" 0 "$?"
    exactly send.txt
    h_check_eq "'$args' is a send request: its answer" "${case#*|}" "$EXACT"
done

# "pdu" in any letter case with a number and a text runs the PDU test; the text keeps its case
# (UCS2 0041 0042 0043) and a fourth argument is ignored.
h_quenlo pdu.txt PDU 18300000000 ABC extra
h_check_eq "'PDU 18300000000 ABC extra': exit status" 0 "$?"
exactly pdu.txt
h_check_eq "'PDU 18300000000 ABC extra': PDU of the text as typed" \
    $'AT+CMGS=20\r\n0011000B818103000000F00008AA06004100420043\n' "$EXACT"

# "sms" and its sub-command in any letter case select the report; the word is lower-cased.
for args in "SMS READ" "sMs rEaD"; do
    # shellcheck disable=SC2086
    h_quenlo report.txt $args
    h_check_eq "'$args': exit status" 0 "$?"
    h_check "'$args': report of type read" python3 -c '
import json, sys
doc = json.load(open(sys.argv[1]))
assert doc["type"] == "read" and doc["check"] == 1 and doc["portcount"] == 0, doc
assert isinstance(doc["seconds"], int) and "ports" not in doc, doc
' "$H_WORK/report.txt"
done

h_end
