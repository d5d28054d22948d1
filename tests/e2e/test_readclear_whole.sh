#!/usr/bin/env bash
# sreadclear deletes, by index and in the read's own turn, exactly the entries its report shows.
# One module per row; each row says what stays stored, "read" and "clear".
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

LISTER=$'ATI\tManufacturer: Pelvano\\r\\nModel: M35\\r\\nRevision: M35R01'
BY_INDEX=$'ATI\tManufacturer: Morvanth\\r\\nModel: A7600C1-SE\\r\\nRevision: A7600R01'
# storages ME SM: selections answering with how many entries each storage holds.
storages() {
    printf 'AT+CPMS="ME"*\t+CPMS: %s,100,%s,100,%s,100\tset=mem:ME\n' "$1" "$1" "$1"
    printf 'AT+CPMS="SM"*\t+CPMS: %s,50,%s,50,%s,50\tset=mem:SM\n' "$2" "$2" "$2"
}
row() { local n=$1 name=$2; shift 2; h_modem "$n" --rules "$(h_rules "$name" "$@")"; }

# 0 A listing refused: ME 1 stays; SM 1 deleted.
row 0 refused_listing "$LISTER" "$(storages 1 1)" $'AT+CMGL=4\t+CMS ERROR: 500\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 1,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 1 An index list refused: SM stays; ME 1 deleted.
row 1 refused_index_list "$BY_INDEX" "$(storages 1 1)" $'AT+CMGD=?\t+CMGD: (1),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\tERROR\tif=mem:SM' $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING"
# 2 150 entries, 100 read in one run: ME 1-100 deleted, 101-150 stay for the next run.
row 2 full_storage "$BY_INDEX" "$(storages 150 0)" $'AT+CMGD=?\t+CMGD: (1-150),(0-4)\tif=mem:ME' \
    $'AT+CMGR=*\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU"
# 3 Indexes listed as ranges: all read, all deleted.
row 3 ranges "$BY_INDEX" "$(storages 3 2)" $'AT+CMGD=?\t+CMGD: (1-2,5),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\t+CMGD: (7-8),(0-4)\tif=mem:SM' $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING" \
    $'AT+CMGR=2\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU" $'AT+CMGR=5\t+CMGR: 1,,36\\r\\n'"$PDU_ON_SIM" \
    $'AT+CMGR=7\t+CMGR: 1,,30\\r\\n'"$PDU_HELLO" $'AT+CMGR=8\t+CMGR: 1,,27\\r\\n'"$PDU_BALANCE"
# 4 A reply late by more than its tries (the SM selection, 1.5 s): out of step, all stays.
row 4 late_reply "$LISTER" $'AT+CPMS="SM"*\t\\p+CPMS: 1,50,1,50,1,50\tif=mem:ME set=mem:SM pause=1500' \
    "$(storages 1 1)" $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"
# 5 CDMA texts holding "OK" (format 1 without its Ctrl-Z, UCS2 with the bytes 4F 4B): both deleted.
h_modem 5 --rules "$(h_rules cdma_ok \
    $'AT^HCMGR=0\t^HCMGR:13800138000,2021,01,14,10,20,30,0,1,16,0,0,0\\r\\nfine\\r\\nOK\\r\\nthanks' \
    $'AT^HCMGR=3\t^HCMGR:13900139000,2021,01,15,11,22,33,0,6,4,0,0,0\\r\\n\\x4F\\x4B\\x00\\x61\\x00\\x1A')" \
    --rules "$H_DIR/read_cdma.rules"
# 6 A message arriving after the listing (its report follows the final OK): SM 3 stays.
row 6 arrival "$LISTER" "$(storages 0 2)" \
    $'AT+CMGL=4\t=\\r\\n+CMGL: 1,1,,30\\r\\n'"$PDU_HELLO"$'\\r\\n+CMGL: 2,1,,27\\r\\n'"$PDU_BALANCE"$'\\r\\n\\r\\nOK\\r\\n\\r\\n+CMTI: "SM",3\\r\\n\tif=mem:SM'
# 7 Bare OK for a listed index: ME counts 3 and shows 2, so 1 and 3 go and "read" is false; SM
# lists every slot and counts 1: its one entry goes.
row 7 bare_ok "$BY_INDEX" "$(storages 3 1)" $'AT+CMGD=?\t+CMGD: (1,2,3),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\t+CMGD: (1,2,3,4),(0-4)\tif=mem:SM' \
    $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING"$'\tif=mem:ME' $'AT+CMGR=3\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU"$'\tif=mem:ME' \
    $'AT+CMGR=2\t+CMGR: 1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 8 Index lists without parentheses, or a bare OK, while the storages count entries: all stays.
row 8 unlisted "$BY_INDEX" "$(storages 2 1)" $'AT+CMGD=?\t+CMGD: 1,2\tif=mem:ME' $'AT+CMGD=?\t\tif=mem:SM'
# 9 "OK" and "ERROR" inside alpha fields end nothing: both deleted.
row 9 alpha "$LISTER" "$(storages 1 1)" $'AT+CMGL=4\t+CMGL: 1,1,"BOOKSHOP",27\\r\\n'"$PDU_SEE_YOU"$'\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 2,1,"TERRORS",30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 10 A stray OK ahead of a listing: out of step, all stays.
row 10 stray_ok "$LISTER" "$(storages 1 1)" \
    $'AT+CMGL=4\t=\\r\\nOK\\r\\n\\r\\n+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\\r\\n\\r\\nOK\\r\\n\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 11 A PDU short of its user data: ME 1 stays, ME 2 goes; a status report and its PDU line
# between a header and its PDU: SM 4 goes with its own text.
row 11 damaged "$LISTER" "$(storages 2 1)" \
    $'AT+CMGL=4\t+CMGL: 1,1,,29\\r\\n'"${PDU_HELLO%??}"$'\\r\\n+CMGL: 2,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 4,1,,26\\r\\n+CDS: 25\\r\\n'"$PDU_SEE_YOU"$'\\r\\n'"$PDU_MORNING"$'\tif=mem:SM'
# 12 Both selections refused with a cause that may pass (SIM busy): all stays.
row 12 sim_busy "$LISTER" $'AT+CPMS=*\t+CMS ERROR: 314'

# sreadclear OUT FIRST LAST: one run against the modems behind ttyUSB<FIRST> to ttyUSB<LAST>.
sreadclear() {
    h_quenlo "$1" sms sreadclear
    h_check_eq "$1: exit status 0" 0 $?
    for n in $(seq "$2" "$3"); do
        h_dialogue "$n" > "$H_WORK/$1.ttyUSB$n"
        h_vars "$n" > "$H_WORK/$1.ttyUSB$n.vars"
    done
}
check() { h_check "$1" python3 "$tools" check "$H_WORK/$out" "$2"; }

out=whole.txt
sreadclear $out 0 12

check "per row: read, clear, and the indexes deleted in each storage" \
    '[(port[n]["read"], port[n]["clear"], deleted(dialogue[n])) for n in ["ttyUSB%d" % i for i in range(13)]] == [
        (False, False, {"SM": [1]}), (False, False, {"ME": [1]}), (False, False, {"ME": list(range(1, 101))}),
        (True, True, {"ME": [1, 2, 5], "SM": [7, 8]}), (False, False, {}), (True, True, {"ME": [0, 3]}),
        (True, True, {"SM": [1, 2]}), (False, False, {"ME": [1, 3], "SM": [2]}), (False, False, {}),
        (True, True, {"ME": [1], "SM": [2]}), (False, False, {}), (False, False, {"ME": [2], "SM": [4]}),
        (False, False, {})]'
check "what a port deletes, its report shows" \
    'all(sorted(m["text"] for m in port["ttyUSB%d" % n]["msgs"]) == sorted(t) for n, t in {3: ["早上好", "See you at 8", "存储在SIM卡里", "你好，世界", "Balance 12.5"], 5: ["fine\r\nOK\r\nthanks", "\u4f4ba"], 6: ["你好，世界", "Balance 12.5"], 7: ["早上好", "See you at 8", "你好，世界"], 9: ["See you at 8", "你好，世界"], 11: ["Balance 12.5", "早上好"]}.items())'
check "no delete-all" 'not any("AT+CMGD=0,4" in d for d in dialogue.values())'
check "deletes go from the highest index down" \
    're.findall(r"AT\+CMGD=(\d+)", dialogue["ttyUSB3"]) == ["5", "2", "1", "8", "7"]'
check "every turn ends with a storage check" 'all(d.endswith("AT+CPMS?\r\n") for d in dialogue.values())'

# Eighteen modems would overflow the table of line settings: the next rows run on their own.
h_stop_modems
# 13 Start-up and network-time lines after the listings' OK end nothing: both deleted.
row 13 startup_lines "$LISTER" "$(storages 1 1)" \
    $'AT+CMGL=4\t=\\r\\n+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\\r\\n\\r\\nOK\\r\\n\\r\\nSMS Ready\\r\\n\tif=mem:ME' \
    $'AT+CMGL=4\t=\\r\\n+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\\r\\n\\r\\nOK\\r\\n\\r\\nDST: 1\\r\\n*PSUTTZ: 26/12/07,06:30:00,"+32",0\\r\\n\tif=mem:SM'
# 14 Index lists naming every slot: ME holds 2 of 255, read up to the second (slot 120) and both
# deleted; SM holds none and stops at its first empty slot.
row 14 every_slot "$BY_INDEX" $'AT+CPMS="ME"*\t+CPMS: 2,255,2,255,2,255\tset=mem:ME' "$(storages 2 0)" \
    $'AT+CMGD=?\t+CMGD: (0-254),(0-4)\tif=mem:ME' $'AT+CMGD=?\t+CMGD: (0-49),(0-4)\tif=mem:SM' \
    $'AT+CMGR=3\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING"$'\tif=mem:ME' $'AT+CMGR=120\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU"$'\tif=mem:ME'
# 15 A stray OK ahead of the refusal of the last delete (ME 1, 0.5 s later): the closing check
# sees it; ME 1 stays.
row 15 refused_last_delete "$LISTER" "$(storages 2 0)" \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\\r\\n+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:ME' \
    $'AT+CMGD=1\t=\\r\\nOK\\r\\n\\p\\r\\n+CMS ERROR: 321\\r\\n\tpause=500'
# 16 Entries renumbered after each delete (st: what stays, in index order), D arriving at 4
# after the listing: deleted from the highest index down, only D stays.
row 16 renumbering "$LISTER" "$(storages 3 0)" \
    $'AT+CMGL=4\t=\\r\\n+CMGL: 1,1,,26\\r\\n'"$PDU_MORNING"$'\\r\\n+CMGL: 2,1,,27\\r\\n'"$PDU_SEE_YOU"$'\\r\\n+CMGL: 3,1,,30\\r\\n'"$PDU_HELLO"$'\\r\\n\\r\\nOK\\r\\n\\r\\n+CMTI: "ME",4\\r\\n\tif=mem:ME' \
    $'AT+CMGD=3\t\tif=st: set=st:ABD' $'AT+CMGD=2\t\tif=st:ABD set=st:AD' $'AT+CMGD=1\t\tif=st:AD set=st:D' \
    $'AT+CMGD=1\t\tif=st: set=st:BCD' $'AT+CMGD=2\t\tif=st:BCD set=st:BD'
# 17 A quiet restart after the first delete (ME 6): echo on, SIM storage selected. The next
# delete, echoed, stops the turn; it already hit SM 4, which arrived after the read: the one
# entry such a restart can cost. ME 2 and 4 stay.
row 17 restart "$LISTER" "$(storages 3 0)" \
    $'AT+CMGL=4\t+CMGL: 2,1,,26\\r\\n'"$PDU_MORNING"$'\\r\\n+CMGL: 4,1,,27\\r\\n'"$PDU_SEE_YOU"$'\\r\\n+CMGL: 6,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:ME' \
    $'AT+CMGD=6\t=\\r\\nOK\\r\\n\\p\\r\\nRDY\\r\\n\\r\\n+CPIN: READY\\r\\n\\r\\nCall Ready\\r\\n\\r\\nSMS Ready\\r\\n\tif=mem:ME set=mem:SM set=ME6:deleted echo=on' \
    $'AT+CMGD=*\t\tif=mem:SM set=SM4:deleted'
# 18 A storage check that names SM after the ME selection: that selection may not have taken,
# so the ME listing may be SM's: out of step, all stays.
row 18 stale_selection "$LISTER" "$(storages 1 1)" $'AT+CPMS?\t+CPMS: "SM",1,50,"SM",1,50,"SM",1,50' \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME' $'AT+CMGL=4\t+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 19 A delete answered OK but not done: the check still counts it, SM 3 stays.
row 19 not_done "$LISTER" "$(storages 0 1)" $'AT+CMGL=4\t+CMGL: 3,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:SM' $'AT+CMGD=3\t\tadd=SM:1'
# 20 Silent from its fourth read on (every-slot list): no further slot is asked, nothing deleted.
row 20 silent $'AT*\t=\tif=dead:1' "$BY_INDEX" "$(storages 5 0)" $'AT+CMGD=?\t+CMGD: (1-9),(0-4)\tif=mem:ME' \
    $'AT+CMGR=4\t=\tset=dead:1'
# 21 An arrival at slot 3, empty when listed, reported during the reads of an every-slot list:
# the count check sends the reads on to slot 8.
row 21 gap_arrival "$BY_INDEX" "$(storages 2 0)" $'AT+CMGD=?\t+CMGD: (0-9),(0-4)\tif=mem:ME' \
    $'AT+CMGR=1\t=\\r\\nOK\\r\\n\\r\\n+CMTI: "ME",3\\r\\n\tset=new:3' $'AT+CMGR=3\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING"$'\tif=new:3' \
    $'AT+CMGR=5\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU" $'AT+CMGR=8\t+CMGR: 1,,30\\r\\n'"$PDU_HELLO"
# 22 One delete refused, the replies in step: the other still goes.
row 22 refused_delete "$LISTER" "$(storages 2 0)" $'AT+CMGD=2\t+CMS ERROR: 321' \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\\r\\n+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:ME'
# 23 A selection without a count (ME): its entry is shown, not deleted.
row 23 no_count "$LISTER" $'AT+CPMS="ME"*\t\tset=mem:ME' "$(storages 1 1)" \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME' $'AT+CMGL=4\t+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 24 A per-index reply with a second final result: out of step, no further read, nothing deleted.
row 24 second_final "$BY_INDEX" "$(storages 2 0)" $'AT+CMGD=?\t+CMGD: (1,2),(0-4)\tif=mem:ME' \
    $'AT+CMGR=1\t=\\r\\n+CMGR: 1,,26\\r\\n'"$PDU_MORNING"$'\\r\\n\\r\\nOK\\r\\n\\r\\nOK\\r\\n'
# 25 The closing check answered with a bare OK: "read" false.
row 25 closing_bare_ok "$LISTER" "$(storages 0 0)" $'AT+CPMS?\t'

out=whole2.txt
sreadclear $out 13 25
reads() { echo "re.findall(r\"AT\\+CMGR=(\\d+)\", dialogue[\"ttyUSB$1\"])"; }
check "per row: read, clear, and the indexes deleted in each storage" \
    '[(port[n]["read"], port[n]["clear"], deleted(dialogue[n])) for n in ["ttyUSB%d" % i for i in range(13, 26)]] == [
        (True, True, {"ME": [1], "SM": [2]}), (True, True, {"ME": [3, 120]}), (False, False, {"ME": [1, 2]}),
        (True, True, {"ME": [1, 2, 3]}), (False, False, {"ME": [4, 6]}), (False, False, {}),
        (True, False, {"SM": [3]}), (False, False, {}), (True, True, {"ME": [3, 5, 8]}), (True, False, {"ME": [1, 2]}),
        (False, False, {"SM": [2]}), (False, False, {}), (False, False, {})]'
check "every-slot lists: read up to the count, each slot once" "$(reads 14)"' == [str(i) for i in range(121)] + ["0"]'
check "slots asked: up to the silence, up to the arrival's count, none after a second final result" \
    "[$(reads 20), $(reads 21), $(reads 24)]"' == [["1", "2", "3", "4"], [str(i) for i in range(9)], ["1"]]'
check "what stays: the renumbering module keeps only D; the restart cost SM 4, ME 2 and 4 stay" \
    'state["ttyUSB16"].get("st") == "D" and {k: v for k, v in state["ttyUSB17"].items() if k != "mem"} == {"ME6": "deleted", "SM4": "deleted"}'
check "every turn ends with a storage check" 'all(d.endswith("AT+CPMS?\r\n") for d in dialogue.values())'

h_stop_modems
# 26 A quiet restart (echo off at power-on) after the first device read: the device reads after
# it are the SIM card's, the check after them names SM. 27 The SM selection after the device
# listing answered but not applied. 29 A listing carrying on after a stray OK, 200 ms later.
# Each out of step: all stays.
row 26 quiet_restart "$BY_INDEX" "$(storages 3 2)" $'AT+CMGD=?\t+CMGD: (1,2,5),(0-4)\tif=mem:ME' \
    $'AT+CMGD=?\t+CMGD: (2,5),(0-4)\tif=mem:SM' $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING"$'\tif=mem:ME set=mem:SM' \
    $'AT+CMGR=2\t+CMGR: 1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM' $'AT+CMGR=5\t+CMGR: 1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:SM'
row 27 not_applied "$LISTER" $'AT+CPMS="SM"*\t+CPMS: 1,50,1,50,1,50\tif=listed:1 times=1' "$(storages 1 1)" \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME set=listed:1' $'AT+CMGL=4\t+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM'
# 28 A NUL every 10 ms, in every window, from the SIM listing's OK on: both deleted.
row 28 endless_noise "$LISTER" "$(storages 1 1)" $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME' \
    $'AT+CMGL=4\t+CMGL: 2,1,,30\\r\\n'"$PDU_HELLO"$'\tif=mem:SM noise=10:\\x00'
row 29 stray_ok_pause "$LISTER" "$(storages 1 0)" \
    $'AT+CMGL=4\t=\\r\\nOK\\r\\n\\r\\n+CMGL: 1,1,,27\\r\\n\\p'"$PDU_BALANCE"$'\\r\\n\\r\\nOK\\r\\n\tif=mem:ME pause=200'
# 30 An every-slot list whose count check is lower than its selection's: "read" false; 31 the
# same check answered with a bare OK: out of step. 32 The check after the deletes names SM.
every_slot_count() { row "$1" "$2" "$BY_INDEX" $'AT+CPMS?\t'"$3"$'\tif=mem:ME times=1' "$(storages 2 0)" \
    $'AT+CMGD=?\t+CMGD: (0-9),(0-4)\tif=mem:ME' $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING" $'AT+CMGR=2\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU"; }
every_slot_count 30 lower_count '+CPMS: "ME",1,10,"ME",1,10,"ME",1,10'
every_slot_count 31 count_bare_ok ''
row 32 after_other "$LISTER" $'AT+CPMS?\t+CPMS: "SM",0,50,"SM",0,50,"SM",0,50\tif=gone:1' "$(storages 1 0)" \
    $'AT+CMGD=1\t\tset=gone:1' $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME'
# 33 An MMS notification (8-bit data, a port header, zero octets inside): shown as hex, deleted.
MMS_UD=4F06226170706C69636174696F6E2F766E642E7761702E6D6D732D6D65737361676500AF848C82983831343630343934406D6D7331008D928918802B33333333333439333231312F545950453D504C4D4E0096008F8186818A808E03017A598805810303F48083687474703A2F2F6D74732F3F69643D383134363034393400
PDU_MMS=07912374151616F6440B911174164210F000F571309290346280860605040B8423F0$MMS_UD
row 33 mms "$LISTER" "$(storages 0 1)" $'AT+CMGL=4\t+CMGL: 1,1,,153\\r\\n'"$PDU_MMS"$'\tif=mem:SM'
# 34 ME selected again before its deletes, answered but not applied: the check names SM, no delete.
row 34 reselect_not_applied "$LISTER" $'AT+CPMS="ME"*\t+CPMS: 1,100,1,100,1,100\tif=listed:1' "$(storages 1 0)" \
    $'AT+CMGL=4\t+CMGL: 1,1,,27\\r\\n'"$PDU_BALANCE"$'\tif=mem:ME set=listed:1'

# 35 Empty slots answered with error 321 (invalid index): the reads stop at the count, both deleted.
row 35 empty_321 "$BY_INDEX" "$(storages 2 0)" $'AT+CMGD=?\t+CMGD: (0-9),(0-4)\tif=mem:ME' $'AT+CMGR=1\t+CMGR: 1,,26\\r\\n'"$PDU_MORNING" \
    $'AT+CMGR=2\t+CMGR: 1,,27\\r\\n'"$PDU_SEE_YOU" $'AT+CMGR=*\t+CMS ERROR: 321'

out=whole3.txt
sreadclear $out 26 35
check "per row: read, clear, and the indexes deleted in each storage" \
    '[(port[n]["read"], port[n]["clear"], deleted(dialogue[n])) for n in ["ttyUSB%d" % i for i in range(26, 36)]] == [
        (False, False, {}), (False, False, {}), (True, True, {"ME": [1], "SM": [2]}), (False, False, {}),
        (False, False, {"ME": [1, 2]}), (False, False, {}), (False, False, {"ME": [1]}), (True, True, {"SM": [1]}),
        (True, False, {}), (True, True, {"ME": [1, 2]})]'
check "slots asked past empty ones answered 321: up to the count" "$(reads 35)"' == ["0", "1", "2"]'
check "an MMS notification shows as its hex" '[m["text"] for m in port["ttyUSB33"]["msgs"]] == ["'"$MMS_UD"'"]'

h_end
