#!/usr/bin/env bash
# The test bundle of the build folder given, run by "cmd /c run-tests.cmd"
# in its unpacked folder in a bare session, as its read-me tells a Windows
# user. It passes when the bundle holds every file, nothing failed, the exit
# status agrees with the closing line and the reports, and only tests that
# need what a bare X screen lacks skip, each with its reason.
set -euo pipefail
source "$(dirname "$0")/../script/lib.sh"
build=$1
bundle=$build/Cadrel-tests-$(built_version "$build")-${build##*/}.zip
work=$(mktemp -d "${TMPDIR:-/tmp}/bundle-XXXXXX")
on_exit rm -rf "$work"

files="Cadrel.scr README.txt cadrel_host_tests.exe cadrel_unit_tests.exe packages/newer-x64.msi packages/x64.msi"
files+=" packages/x64.scr packages/x86.msi packages/x86.scr planted.dll run-tests.cmd"
[ "$(unzip -Z1 "$bundle" | sort | xargs)" = "$files" ] || { echo "$bundle does not hold: $files" >&2; exit 1; }
unzip -q "$bundle" -d "$work/bundle"
SESSION_DIR=$work MONITORS=bare start_wine_session
status=0
(cd "$work/bundle" && wine_in_prefix cmd /c run-tests.cmd) </dev/null >"$work/run.log" 2>&1 || status=$?
tr -d '\r' <"$work/run.log"
closing=$(tr -d '\r' <"$work/run.log" | tail -n 1)
[[ $closing =~ ^[0-9]+\ passed,\ ([0-9]+)\ failed,\ [0-9]+\ skipped$ ]] || { echo "It closed with '$closing'." >&2; exit 1; }
[ "$status" = "$((BASH_REMATCH[1] > 0))" ] || { echo "'$closing', yet exit status $status." >&2; exit 1; }
python3 - "$work/bundle" "$closing" <<'PY'
import sys, xml.etree.ElementTree as tree
MAY_SKIP = ("TwoMonitors.", "Package.", "FullScreen.FollowsChanges", "FullScreen.DrawsTheStoredSettingsScaled",
            "Preview.ScrollsTheBannerThroughThePaneAtItsScale", "OptionsDialog.ShowsItsLayout")
folder, closing = sys.argv[1:]
counts = {"passed": 0, "failed": 0, "skipped": 0}
for program in "cadrel_unit_tests", "cadrel_host_tests":
    for case in tree.parse(f"{folder}/{program}.xml").iter("testcase"):
        name = f"{case.get('classname')}.{case.get('name')}"
        skip = case.find("skipped")
        outcome = "failed" if case.find("failure") is not None else "skipped" if skip is not None else "passed"
        counts[outcome] += 1
        # A bare X screen has one monitor, one display mode and no Wine desktop to set a DPI in.
        if skip is not None and not name.startswith(MAY_SKIP):
            sys.exit(f"{name} was skipped: only those that need what a bare X screen lacks may be")
        if skip is not None and len(skip.text.strip().splitlines()) < 2:  # the check's place, then the reason
            sys.exit(f"{name} was skipped without a reason")
reported = ", ".join(f"{count} {outcome}" for outcome, count in counts.items())
if reported != closing or counts["failed"]:
    sys.exit(f"The reports say '{reported}', the run '{closing}': they must agree, with none failed.")
PY
