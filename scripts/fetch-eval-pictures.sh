#!/usr/bin/env bash
# Unpacks the photographs of people that the detection evaluation is built from (Debian
# packages; see docs/detection-evaluation.md for each one's licence) into DIR, default
# ${XDG_CACHE_HOME:-~/.cache}/veilcut/eval, and checks each against its pinned SHA-256.
# Idempotent; never committed.
# usage: fetch-eval-pictures.sh [DIR]
set -euo pipefail
dir=${1:-${XDG_CACHE_HOME:-$HOME/.cache}/veilcut/eval}
mkdir -p "$dir"

# picture | Debian package | path inside the package | sha256
PICTURES=(
  "bar55.jpg|kphotoalbum|usr/share/kphotoalbum/demo/bar55.jpg|dd57f8a93ea84b46d817d3b10d496360b81588da9ea887887d057803cc39c52d"
  "bar55_2.jpg|kphotoalbum|usr/share/kphotoalbum/demo/bar55_2.jpg|e2a3ebc63306abf0a3ae898edd69fbc0a5cef16f28450ceb1d32c67c6f7b662a"
  "jesper.jpg|kphotoalbum|usr/share/kphotoalbum/demo/jesper.jpg|5b3b5a6cdf040c238c137fd50d3f4e3aa3f6877b6f031c93ad9b06c45225b7e6"
  "jesper_2.jpg|kphotoalbum|usr/share/kphotoalbum/demo/jesper_2.jpg|e7c5112cad4076c0b16f7a822b0bf559859ad84077705442769afb91c81bcb1b"
  "qt-logo.jpg|kphotoalbum|usr/share/kphotoalbum/demo/qt-logo.jpg|12f4d580dff54dab5a4b0c81f4f208cdb1d134782c7b23d2f8c8bab09a80d458"
  "new_wave_2.jpg|kphotoalbum|usr/share/kphotoalbum/demo/new_wave_2.jpg|a262d1ec436c0f41495963cbaaf69cb618da0b56a27fa03c0c1e3206e841a261"
  "cold_water.jpg|kphotoalbum|usr/share/kphotoalbum/demo/cold_water.jpg|1c92d774263012891803360080a03999ffdb4fb643f320d9c106b5a3cbb21306"
  "pool.jpg|kphotoalbum|usr/share/kphotoalbum/demo/pool.jpg|c6b1c79236388d3a7608ce1b8702a613f3d62105e36dfebc1fce4efe16e42560"
  "grand_canyon_2.jpg|kphotoalbum|usr/share/kphotoalbum/demo/grand_canyon_2.jpg|7814adbefb9665f506acf5123981c83bb5b22dde12b10ef57083d328a86cbdb6"
  "anne_helene.jpg|kphotoalbum|usr/share/kphotoalbum/demo/anne_helene.jpg|75dea938bf86530e95c6b74dbcc7fb447947fd17d523121634e08f03e0e7304f"
  "2011_000003.jpg|labelme-examples|usr/share/doc/labelme-examples/examples/instance_segmentation/data_annotated/2011_000003.jpg|94bc550055447e1fab3982571d7114eb4a02a868054f34cb15f95cadf3e48c9a"
  "2011_000006.jpg|labelme-examples|usr/share/doc/labelme-examples/examples/instance_segmentation/data_annotated/2011_000006.jpg|a0d04eb84ed3cd07282d61833d219c11fd6d98f53dc0135d4b3c720b26cfb244"
  "astronaut.png|python3-imageio|usr/lib/python3/dist-packages/imageio/resources/images/astronaut.png|b6d8f15b9103f9f9368608886d396d9ce92b10989aee1539a1e37dd1a415b9dd"
  "grace_hopper.jpg|python-matplotlib-data|usr/share/matplotlib/mpl-data/sample_data/grace_hopper.jpg|a8ca6d734765703b09728ab47fe59f473d93ae3967fc24c7c0288c3c7adb7130"
)

# shellcheck source=lib/setup-helpers.sh
. "$(dirname "$0")/lib/setup-helpers.sh"

for entry in "${PICTURES[@]}"; do
    IFS='|' read -r name package inner sum <<<"$entry"
    has_sum "$dir/$name" "$sum" && continue
    make_work_dir
    # apt-get download runs as the _apt user when it can, which must be able to write here.
    chmod 755 "$work"
    if [ ! -d "$work/$package" ]; then
        echo "veilcut: fetching $package from the Debian archive"
        (cd "$work" && apt-get download "$package" >/dev/null 2>&1) || {
            apt-get update >/dev/null 2>&1
            (cd "$work" && apt-get download "$package" >/dev/null)
        }
        dpkg-deb -x "$work/${package}"_*.deb "$work/$package"
    fi
    if [ ! -f "$work/$package/$inner" ]; then
        echo "veilcut: error: $package has no $inner any more" >&2
        exit 1
    fi
    install_pinned "$work/$package/$inner" "$dir/$name" "$sum" "$package"
done
echo "veilcut: evaluation pictures ready in $dir"
