#!/usr/bin/env bash
# Runs the one-machine GNU parallel example of docs/cluster.md as written on an archive of
# generated clips: every file gets its movie and a report naming both by their SHA-256, and a
# second run skips them all. Then checks the ssh example's syntax and, by a dry run, the
# commands it makes of the file list. Skipped (status 77) when GNU parallel is not installed.
# usage: parallel-example-test.sh VEILCUT SOURCE_DIR
. "$(dirname "$0")/common.sh"
if ! command -v parallel >/dev/null; then
    echo "SKIP: GNU parallel is not installed (scripts/setup.sh installs it)"
    exit 77
fi
export archive="$scratch/archive" out="$scratch/anonymised"
export PATH="$(dirname "$veilcut"):$PATH"
make_archive "$archive"

one_host=$(example one-host)
[ -n "$one_host" ] || fail "no one-host example in docs/cluster.md"
bash -c "$one_host" > "$scratch/first.log" 2>&1 || fail "the example failed: $(cat "$scratch/first.log")"
while read -r file; do
    relative=${file#./}
    movie="$out/${relative%.*}.mp4"
    report="$out/${relative%.*}.veilcut-report.json"
    [ -s "$movie" ] || fail "no movie for $file"
    [ -s "$report" ] || fail "no report for $file"
    for digest in "$(sha256sum "$archive/$relative" | cut -d' ' -f1)" "$(sha256sum "$movie" | cut -d' ' -f1)"; do
        grep -q "\"sha256\": \"$digest\"" "$report" || fail "$report does not name $digest"
    done
    "$veilcut" report "$movie" | grep -q '^scanned ' || fail "veilcut report $movie"
done < <(archive_files "$archive")
"$veilcut" report "$out/cam 1/face.mp4" | grep -q '^hidden   face 1: ' || fail "the face was not hidden"

bash -c "$one_host" > "$scratch/again.log" 2>&1 || fail "the second run failed: $(cat "$scratch/again.log")"
skipped=$(grep -c '^done 0, skipped 1, kept 0, failed 0$' "$scratch/again.log" || true)
[ "$skipped" -eq 3 ] || fail "the second run did not skip all three: $(cat "$scratch/again.log")"

ssh=$(example ssh)
[ -n "$ssh" ] || fail "no ssh example in docs/cluster.md"
bash -n -c "$ssh" || fail "the ssh example does not parse"
export hosts="$scratch/hosts"
printf '1/node-a\n1/node-b\n' > "$hosts"
# The example as written, with parallel only printing the commands it would run; they are
# then read by the shell with a stand-in veilcut that prints which file goes where.
planned=$(bash -c "parallel() { command parallel --dryrun \"\$@\"; }; $ssh" 2>/dev/null)
mapped=$(bash -c "veilcut() { printf '%s -> %s\n' \"\$2\" \"\$4\"; }; $planned" | sort)
expected=$(archive_files "$archive" | while read -r file; do
    printf '%s -> %s/%s/\n' "$file" "$out" "$(dirname "$file")"
done | sort)
[ "$mapped" = "$expected" ] || fail "the ssh example plans
$mapped
instead of
$expected"
echo "PASS"
