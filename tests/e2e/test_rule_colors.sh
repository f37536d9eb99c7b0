#!/usr/bin/env bash
# The first start's rules colour a line with ERROR red; a line no rule matches stays in
# the text colour (white).
source "$(dirname "$0")/lib.sh"

# Pixels of the rectangle W H X Y whose R G B pass the awk condition COND.
pixels_where() {
    import -window root "$WORK/shot.png"
    convert "$WORK/shot.png" -crop "$1x$2+$3+$4" -depth 8 txt:- |
        sed -nE 's/^[^(]*\(([0-9]+),([0-9]+),([0-9]+).*/\1 \2 \3/p' |
        awk "$5 { n++ } END { print n + 0 }"
}
red='$1 >= 120 && $1 >= 3 * ($2 + $3)'
white='$1 >= 200 && $2 >= 200 && $3 >= 200'

log=$WORK/rules.log
printf 'ERROR disk full\nINFO ok\n' > "$log"
start_backdrop 000000
write_ini Left=100 Top=100 FontSize=12
start_glimra "$log"
id=$(wait_window "rules.log") || fail "window did not open"
sleep 1.5
read -r wx wy < <(window_origin "$id")
# The text starts 15 pixels in; at 12 points the lines stand about 20 pixels apart,
# the first below the title and button row.
first=(200 14 $((wx + 15)) $((wy + 34)))
second=(200 14 $((wx + 15)) $((wy + 56)))
for _ in $(seq 20); do
    [ "$(pixels_where "${first[@]}" "$red")" -ge 20 ] && break
    sleep 0.3
done
redFirst=$(pixels_where "${first[@]}" "$red")
whiteFirst=$(pixels_where "${first[@]}" "$white")
redSecond=$(pixels_where "${second[@]}" "$red")
whiteSecond=$(pixels_where "${second[@]}" "$white")
echo "ERROR line: $redFirst red, $whiteFirst white; INFO line: $redSecond red, $whiteSecond white"
[ "$redFirst" -ge 20 ] && [ "$whiteFirst" -le 2 ] || fail "the ERROR line is not red"
[ "$whiteSecond" -ge 20 ] && [ "$redSecond" -eq 0 ] || fail "the INFO line is not white"
echo "rule colours: ok"
