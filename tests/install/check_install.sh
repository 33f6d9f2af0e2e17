#!/usr/bin/env bash
# A workstation's installation, checked as a records office would use it:
# installed into a scratch root, the installed programs create a demo store,
# generate a month's deaths and export its report through the link in bin/
# (the program finds its report files beside itself, behind the link).
# Usage: check_install.sh BUILD_DIR SOURCE_DIR
set -euo pipefail
build=$1 source=$2
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }

DESTDIR="$root" cmake --install "$build" --prefix /usr >/dev/null
bin="$root/usr/bin" lib="$root/usr/lib/velmora"

for program in velmora velmora-report velmora-store; do
  [ -L "$bin/$program" ] || fail "$program is not linked in bin/"
  [ "$(readlink -f "$bin/$program")" = "$(readlink -f "$lib/$program")" ] || fail "$program links elsewhere"
done
# Every DOH report file, and not the format's sample.
for report in "$source"/reports/*.rpt; do
  name=$(basename "$report")
  if [ "$name" = rptSample.rpt ]; then
    [ ! -e "$lib/$name" ] || fail "the sample report is installed"
  else
    cmp -s "$report" "$lib/$name" || fail "$name is missing or differs"
  fi
done
for file in share/applications/velmora.desktop share/icons/hicolor/scalable/apps/velmora.svg \
            share/icons/hicolor/256x256/apps/velmora.png share/doc/velmora/README.md; do
  [ -s "$root/usr/$file" ] || fail "$file is missing"
done
grep -qx 'Exec=velmora' "$root/usr/share/applications/velmora.desktop" || fail "the menu entry does not start velmora"

store="$root/store"
"$bin/velmora-store" create "$store" --demo >/dev/null
# The report setup a records officer saves once in the Setup dialog.
python3 - "$store/Patient_Data.sqlite" <<'PY'
import sqlite3, sys
db = sqlite3.connect(sys.argv[1])
db.execute("INSERT INTO tbMedNewDOHReportSetup VALUES (1, 19, '13', '23', '2026-01-01 00:00:00')")
db.commit()
PY
export VELMORA_PASSWORD=velmora-demo QT_QPA_PLATFORM=offscreen
common=(--store "$store" --user demo --year 2026 --period March --section "II. C. Deaths")
"$bin/velmora-report" generate "${common[@]}" >/dev/null || fail "generate failed"
( cd / && "$bin/velmora-report" export "${common[@]}" --format pdf --output "$root/deaths.pdf" ) >/dev/null ||
  fail "export through the link failed"
text=$(pdftotext "$root/deaths.pdf" -)
grep -q 'II. C. Deaths' <<<"$text" || fail "the exported report has not its title"
grep -q 'March 1, 2026 to March 31, 2026' <<<"$text" || fail "the exported report has not its period"
echo "installed layout: ok"
