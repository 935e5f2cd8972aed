#!/usr/bin/env bash
# Checks scripts/slurm-anonymize.sh without Slurm: its syntax, then a dry run of every array
# task over a list of files, with VEILCUT a stand-in that prints what it was asked to do: each
# task takes its own line (counting from FIRST_LINE), keeps the file's folder under the output
# folder and passes the options on; a task past the end of the list fails with one line.
# usage: slurm-script-test.sh VEILCUT SOURCE_DIR
. "$(dirname "$0")/common.sh"
script="$root/scripts/slurm-anonymize.sh"
bash -n "$script" || fail "slurm-anonymize.sh does not parse"

archive="$scratch/archive"
mkdir -p "$archive/cam 1" "$archive/cam2/day"
touch "$archive/cam 1/a.mp4" "$archive/cam2/day/b.mov" "$archive/top.mp4"
archive_files "$archive" > "$scratch/list.txt"
cat > "$scratch/stand-in" <<'STANDIN'
#!/usr/bin/env bash
printf '%s|' "$PWD" "$@"
echo
STANDIN
chmod +x "$scratch/stand-in"

task() {
    (cd "$scratch" && VEILCUT="$scratch/stand-in" SLURM_ARRAY_TASK_ID=$1 FIRST_LINE=${2:-1} \
        "$script" "$archive" list.txt out --style pixellate)
}
planned=$(for i in 1 2 3; do task "$i"; done) || fail "a task within the list failed"
expected="$archive|anonymize|./cam 1/a.mp4|-o|$scratch/out/./cam 1/|--style|pixellate|
$archive|anonymize|./cam2/day/b.mov|-o|$scratch/out/./cam2/day/|--style|pixellate|
$archive|anonymize|./top.mp4|-o|$scratch/out/./|--style|pixellate|"
[ "$planned" = "$expected" ] || fail "the tasks plan
$planned
instead of
$expected"
[ "$(task 1 3)" = "$(task 3)" ] || fail "FIRST_LINE does not shift the tasks"
if error=$(task 4 2>&1); then fail "a task past the list's end succeeded"; fi
[ "$error" = "veilcut: error: $scratch/list.txt has no line 4" ] || fail "past the end: $error"
echo "PASS"
