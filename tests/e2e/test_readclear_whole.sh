#!/usr/bin/env bash
# sreadclear deletes a port's messages only after a read that showed all of them: a listing
# that fails, an index list that fails, more entries than one run reads and a storage selection
# answered too late all leave the port as it was; index ranges and CDMA texts holding "OK" are
# read whole and then deleted.
source "$(dirname "$0")/harness.sh"
h_begin "$@"
h_settings 60
tools="$H_DIR/read_tools.py"

# Received messages as modules list them (PDU mode), by text.
PDU_MORNING=0891683108100005F0040D91685110325476F80008121002010101320665E94E0A597D   # 早上好
PDU_SEE_YOU=0891683108100005F00405815985F80000121012020202320CD37219947FD741613A0807   # See you at 8
PDU_ON_SIM=0891683108100005F0040D91688116112122F2000812102270809032105B5850A8572800530049004D536191CC # 存储在SIM卡里
PDU_HELLO=0891683108100005F0040D91683119325476F80008121011315224320A4F60597DFF0C4E16754C   # 你好，世界
PDU_BALANCE=0891683108100005F00405810180F60000121021800000320CC2303BEC1E97413199AB06   # Balance 12.5

STORAGES=($'AT+CPMS="ME"*\t+CPMS: 1,100,1,100,1,100\tset=mem:ME'
          $'AT+CPMS="SM"*\t+CPMS: 4,50,4,50,4,50\tset=mem:SM')
LISTER=$'ATI\tManufacturer: Pelvano\\r\\nModel: M35\\r\\nRevision: M35R01'
BY_INDEX=$'ATI\tManufacturer: Morvanth\\r\\nModel: A7600C1-SE\\r\\nRevision: A7600R01'

# Device storage listing refused with a cause the module may clear later.
h_modem 0 --rules "$(h_rules failed_listing "$LISTER" "${STORAGES[@]}" \
    $'AT+CMGL=4\t+CMS ERROR: 500\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 1,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM')"
# SIM storage's index list refused.
h_modem 1 --rules "$(h_rules failed_index_list "$BY_INDEX" "${STORAGES[@]}" \
    $'AT+CMGD=?\t+CMGD: (1),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\tERROR\tif=mem:SM' \
    $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING")"
# 150 stored entries: one run reads 100.
h_modem 2 --rules "$(h_rules full_storage "$BY_INDEX" "${STORAGES[@]}" \
    $'AT+CMGD=?\t+CMGD: (1-150),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\t+CMGD: (),(0-4)\tif=mem:SM' \
    $'AT+CMGR=*\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU")"
# Indexes listed as ranges, every one read.
h_modem 3 --rules "$(h_rules ranges "$BY_INDEX" "${STORAGES[@]}" \
    $'AT+CMGD=?\t+CMGD: (1-2,5),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\t+CMGD: (7-8),(0-4)\tif=mem:SM' \
    $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING" \
    $'AT+CMGR=2\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU" \
    $'AT+CMGR=5\t+CMGR: 1,,36\\r\\n'"$PDU_ON_SIM" \
    $'AT+CMGR=7\t+CMGR: 1,,30\\r\\n'"$PDU_HELLO" \
    $'AT+CMGR=8\t+CMGR: 1,,27\\r\\n'"$PDU_BALANCE")"
# SIM storage selected after the device storage's read answers 1.5 s late, long after its
# tries are spent.
h_modem 4 --rules "$(h_rules slow_selection "$LISTER" \
    $'AT+CPMS="SM"*\t\\p+CPMS: 4,50,4,50,4,50\tif=mem:ME set=mem:SM pause=1500' "${STORAGES[@]}" \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 2,1,,36\\r\\n'"$PDU_ON_SIM"$'\tif=mem:SM')"
# CDMA texts that hold "OK": one in format 1 without its Ctrl-Z, one in UCS2 with the bytes 4F 4B.
h_modem 5 --rules "$(h_rules cdma_ok \
    $'AT^HCMGL=4\t^HCMGL:0,1\\r\\n^HCMGL:3,0\tif=mem:ME' \
    $'AT^HCMGR=0\t^HCMGR:13800138000,2021,01,14,10,20,30,0,1,17,0,0,0\\r\\nfine\\r\\nOK\\r\\nthanks' \
    $'AT^HCMGR=3\t^HCMGR:13900139000,2021,01,15,11,22,33,0,6,4,0,0,0\\r\\n\\x4F\\x4B\\x00\\x61\\x00\\x1A')" \
    --rules "$H_DIR/read_cdma.rules"

h_quenlo whole.txt sms sreadclear
h_check_eq "sreadclear: exit status 0" 0 $?
for n in 0 1 2 3 4 5; do h_dialogue "$n" > "$H_WORK/whole.txt.ttyUSB$n"; done
check() { h_check "$1" python3 "$tools" check "$H_WORK/whole.txt" "$2"; }

check "only the ports read whole are cleared" \
    '[(p["name"], p["clear"]) for p in doc["ports"]] == [("ttyUSB0", False), ("ttyUSB1", False), ("ttyUSB2", False), ("ttyUSB3", True), ("ttyUSB4", False), ("ttyUSB5", True)]'
check "a delete command goes to a port exactly when it reports clear" \
    'all(dialogue[n].count("AT+CMGD=0,4") == int(port[n]["clear"]) for n in port)'
check "every message a cleared port held is in the report" \
    'all(sorted(t) == sorted(m["text"] for m in port[n]["msgs"]) for n, t in {"ttyUSB3": ["早上好", "See you at 8", "存储在SIM卡里", "你好，世界", "Balance 12.5"], "ttyUSB5": ["fine\r\nOK\r\nthanks", "\u4f4ba"]}.items())'
check "index ranges are read index by index, each once" \
    '"AT+CMGD=?\r\nAT+CMGR=1\r\nAT+CMGR=2\r\nAT+CMGR=5\r\n" in dialogue["ttyUSB3"] and "AT+CMGD=?\r\nAT+CMGR=7\r\nAT+CMGR=8\r\n" in dialogue["ttyUSB3"]'
check "what the kept ports could read is still reported" \
    '[m["text"] for m in port["ttyUSB0"]["msgs"]] == ["你好，世界"] and [m["text"] for m in port["ttyUSB1"]["msgs"]] == ["早上好"] and port["ttyUSB2"]["msgcount"] == 100 and [m["text"] for m in port["ttyUSB4"]["msgs"]] == ["Balance 12.5"]'
check "the full storage is read up to the limit" 'dialogue["ttyUSB2"].count("AT+CMGR=") == 100'

h_end
