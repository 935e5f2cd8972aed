#!/usr/bin/env bash
# A Slurm array job: task i anonymises line i of a list of files (paths relative to the
# archive) with a `veilcut anonymize` of its own, keeping the file's folder under the output
# folder. Submitting the same array again resumes it: files whose audit report shows them
# complete are skipped. See docs/cluster.md.
#
#   cd ARCHIVE && find . -type f ! -name '.*' | sort > LIST
#   sbatch --array=1-$(wc -l < LIST)%50 scripts/slurm-anonymize.sh ARCHIVE LIST OUTDIR [OPTIONS...]
#
# OPTIONS go to `veilcut anonymize`. FIRST_LINE (1 by default) is the list's line of task 1, for
# lists longer than the cluster's array limit; VEILCUT names the program when it is not on PATH.
#SBATCH --job-name=veilcut-anonymize
#SBATCH --cpus-per-task=2
#SBATCH --mem=2G
#SBATCH --output=veilcut-anonymize-%A_%a.log
set -euo pipefail
usage="usage: sbatch --array=1-N slurm-anonymize.sh ARCHIVE LIST OUTDIR [OPTIONS...]"
archive=${1:?$usage}
list=$(realpath -m "${2:?$usage}")
out=$(realpath -m "${3:?$usage}")
shift 3
task=${SLURM_ARRAY_TASK_ID:?not an array task: $usage}
line=$((task + ${FIRST_LINE:-1} - 1))
file=$(sed -n "${line}p" "$list")
if [ -z "$file" ]; then
    echo "veilcut: error: $list has no line $line" >&2
    exit 2
fi
cd "$archive"
# The trailing slash makes -o the folder the movie and its report go to.
exec "${VEILCUT:-veilcut}" anonymize "$file" -o "$out/$(dirname "$file")/" "$@"
