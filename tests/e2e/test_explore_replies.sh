#!/usr/bin/env bash
# Replies as modules really send them: a line cut by the end of a read window, and CDMA texts
# that hold the letters OK or a line end.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 10
send_tools="$H_DIR/send_tools.py"
read_tools="$H_DIR/read_tools.py"

# The SMS-centre line stops between the number and its comma for 100 ms, far longer than a
# read window of 10 passes, so the number's end arrives in a later window.
h_modem 0 --ati 'Pelvano\r\nM35\r\nRevision: M35FAR02A01' --rules "$(h_rules cut_centre \
    $'AT+CSCA?\t=\\r\\n+CSCA: "+8613800100500"\\p,145\\r\\n\\r\\nOK\\r\\n\tpause=100')"
h_quenlo centre.txt USB0 10086 '"cut centre"'
h_check "centre line in two windows: sent" python3 "$send_tools" check --answer "$H_WORK/centre.txt" \
    --log "$H_WORK/logs/ttyUSB0.log" \
    '[(r["code"], r["message"]) for r in a["result"]] == [(0, "Succeed")] and sms == [{"to": "10086", "text": "cut centre", "parts": 1}]'
h_check "the PDU carries the whole centre" python3 "$send_tools" check --log "$H_WORK/logs/ttyUSB0.log" \
    're.search(r"AT\+CMGS=\d+\r0891683108100005F0", log) is not None'

# Format 1 texts end at their Ctrl-Z: one says OK, one was written on two lines.
h_modem 2 --rules "$(h_rules cdma_text \
    $'AT^HCMGL=4\t^HCMGL:0,1\\r\\n^HCMGL:3,0\\r\\n^HCMGL:4,1\tif=mem:ME' \
    $'AT^HCMGR=0\t^HCMGR:13800138000,2021,01,14,10,20,30,0,1,11,0,0,0\\r\\nOK, see you\\x1A' \
    $'AT^HCMGR=4\t^HCMGR:13800138001,2021,01,16,08,09,10,0,1,18,0,0,0\\r\\nline one\\r\\nline two\\x1A')" \
    --rules "$H_DIR/read_cdma.rules"
h_quenlo cdma.txt sms sread
h_check "CDMA texts holding OK or a line end are read whole" python3 "$read_tools" check "$H_WORK/cdma.txt" \
    '[(m["from"], m["text"]) for m in port["ttyUSB2"]["msgs"]] == [("13800138000", "OK, see you"), ("13900139000", "上海业务"), ("13800138001", "line one\r\nline two")] and port["ttyUSB2"]["msgcount"] == 3'

h_end
