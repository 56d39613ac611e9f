#!/usr/bin/env bash
# Installs the built program under a temporary prefix and checks the layout:
# the program in bin/, the supplied data in share/quorvel (with the user sets
# as empty folders, whatever a run in the build folder left there), the desktop
# entry, the icon and the software-centre data; no temp/, no settings.
# Usage: check_install_tree.sh BUILD_DIR APP_DIR
set -euo pipefail
build=$1
app=$2
work=$(mktemp -d)
planted="$app/Tools/WizDates/User/Basic/zz-install-check.dat"
cleanup() { rm -rf "$work"; rm -f "$planted" "$app/SizeDate.install-check"; }
trap cleanup EXIT

# What a run of the program from the build folder leaves behind.
printf 'users own\r\n' >"$planted"
printf 'settings\r\n' >"$app/SizeDate.install-check"

cmake --install "$build" --prefix "$work/usr" >/dev/null

fail=0
need() { if [ ! -e "$work/usr/$1" ]; then echo "missing: $1"; fail=1; fi; }
need_dir() { if [ ! -d "$work/usr/$1" ]; then echo "missing folder: $1"; fail=1; fi; }
absent() { if [ -e "$work/usr/$1" ]; then echo "must not be installed: $1"; fail=1; fi; }

need bin/quorvel
[ -x "$work/usr/bin/quorvel" ] || { echo "bin/quorvel is not executable"; fail=1; }
need share/applications/org.quorvel.Quorvel.desktop
need share/icons/hicolor/scalable/apps/org.quorvel.Quorvel.svg
need share/metainfo/org.quorvel.Quorvel.metainfo.xml
need share/quorvel/Help/Index.htm
for set in Basic Wizs Fonts; do need "share/quorvel/Tools/WizDates/Olz/$set/WizList.dat"; done
for d in Tools/WizDates/User/Basic Tools/WizDates/User/Font Tools/HTMLTemp/Olz Tools/HTMLTemp/User \
         Tools/PrjectTemp/Olz Tools/PrjectTemp/User; do
    need_dir "share/quorvel/$d"
done
absent share/quorvel/temp
absent share/quorvel/Tools/WizDates/User/Basic/zz-install-check.dat
absent bin/Tools
absent bin/temp
if find "$work/usr" -name 'SizeDate*' -o -name 'FontDate.dat' -o -name 'WrBackUp.dat' | grep -q .; then
    echo "settings or backup files were installed"; fail=1
fi
# Every supplied file of the build folder is installed unchanged.
while IFS= read -r -d '' f; do
    rel=${f#"$app"/}
    case "$rel" in Tools/*/User/*|*/User/*) continue ;; esac
    cmp -s "$f" "$work/usr/share/quorvel/$rel" || { echo "differs or missing: $rel"; fail=1; }
done < <(find "$app/Tools" "$app/Help" -type f -print0)
exit $fail
