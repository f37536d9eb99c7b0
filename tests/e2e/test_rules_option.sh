#!/usr/bin/env bash
# glimra4 --rules prints the rules in effect, names an expression that does not compile
# by its rule number, opens no window and writes nothing.
source "$(dirname "$0")/lib.sh"

ini=$WORK/app/GLIMRA4.INI
rm -f "$ini"
out=$(timeout 10 "$APP" --rules) || fail "--rules without settings ended with $?"
[ "$out" = $'Rule1= ERROR,clRed,\nRule2= WARN,clYellow,' ] || fail "first start's rules: $out"
[ ! -e "$ini" ] || fail "--rules wrote the settings"

write_ini
printf '[Rules]\r\nCount= 3\r\nRule1= disk,clAqua,ALERT\r\nRule2= re:(unclosed,clRed,\r\nRule3= re:^\\d+$,$00123456,\r\n\r\n' >>"$ini"
before=$(md5sum <"$ini")
out=$(timeout 10 "$APP" --rules) || fail "--rules ended with $?"
echo "$out"
grep -qx 'Rule1= disk,clAqua,ALERT' <<<"$out" || fail "rule 1 missing"
grep -qx 'Rule3= re:^\\d+$,$00123456,' <<<"$out" || fail "rule 3 missing"
grep -q '^glimra4: Rule 2: .*(unclosed' <<<"$out" || fail "the bad expression of rule 2 is not reported"
[ "$(grep -c '' <<<"$out")" -eq 4 ] || fail "unexpected output"
[ "$(md5sum <"$ini")" = "$before" ] || fail "--rules changed the settings"
[ "$(count_windows)" -eq 0 ] || fail "--rules opened a window"
echo "rules option: ok"
