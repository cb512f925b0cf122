#!/usr/bin/env python3
# Checks the winget manifests of a release: three that parse and agree on
# the package and versions, each field within RULES; and that the release's
# check refuses an installer under the other word size or not of an MSI's type.
#   winget_manifests.py RELEASE
import pathlib
import re
import subprocess
import sys

import yaml

PART = r'[^.\s\\/:*?"<>|\x01-\x1f]{1,32}'
LOCALE = r"(?=.{1,20}$)([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*"
NUMBER = r"(0|[1-9][0-9]{0,3}|[1-5][0-9]{4}|6[0-4][0-9]{3}|65[0-4][0-9]{2}|655[0-2][0-9]|6553[0-5])"
RULES = {  # winget's 1.10.0 schemas: a value's whole pattern, with lengths; where required; most items
    "PackageIdentifier": (rf"(?=.{{1,128}}$){PART}(\.{PART}){{1,7}}", "version installer defaultLocale", 1),
    "PackageVersion": (r'(?=.{1,128}$)[^\\/:*?"<>|\x01-\x1f]+', "version installer defaultLocale", 1),
    "ManifestVersion": (rf"{NUMBER}(\.{NUMBER}){{2}}", "version installer defaultLocale", 1),
    "DefaultLocale": (LOCALE, "version", 1),
    "PackageLocale": (LOCALE, "defaultLocale", 1),
    "Publisher PackageName": (r"(?s).{2,256}", "defaultLocale", 1),  # an installed entry's publisher takes 1
    "License": (r"(?s).{3,512}", "defaultLocale", 1),
    "ShortDescription": (r"(?s).{3,256}", "defaultLocale", 1),
    "Moniker": (r"(?s).{1,40}", "", 1),
    "Tags": (r"(?s).{1,40}", "", 16),
    "ReleaseNotes": (r"(?s).{1,10000}", "", 1),
    "Installers": ("", "installer", 1024),
    "ManifestType Architecture InstallerType": (".+", "", 1),  # held below, and by make_release to the packages
    "Scope": ("user|machine", "", 1),
    "InstallModes": ("interactive|silent|silentWithProgress", "", 3),
    "UpgradeBehavior": ("install|uninstallPrevious|deny", "", 1),
    "ElevationRequirement": ("elevationRequired|elevationProhibited|elevatesSelf", "", 1),
    "InstallerUrl": ("(?=.{1,2048}$)[Hh][Tt][Tt][Pp][Ss]?://.+", "Installers", 1),
    "InstallerSha256": ("[A-Fa-f0-9]{64}", "Installers", 1),
    "ProductCode UpgradeCode": (r"(?s).{1,255}", "", 1),
    "AppsAndFeaturesEntries": ("", "", 128),
    "DisplayName": (r"(?s).{1,256}", "", 1),
}
RULE = {field: rule for fields, rule in RULES.items() for field in fields.split()}


def broken(where, fields):
    """Lines on whatever in FIELDS, a mapping in WHERE, breaks the rules."""
    wrong = [f"{where} lacks {field}" for field, (_, required, _) in RULE.items()
             if where in required.split() and field not in fields]
    for field, value in fields.items():
        pattern, _, most = RULE.get(field, ("$^", "", 1))  # none: winget has no such field
        items = value if isinstance(value, list) and most > 1 else [value]
        if not 0 < len(items) <= most or len(set(map(repr, items))) < len(items):
            wrong.append(f"{where}: {field} holds no item, too many or one twice")
        for item in items:
            if isinstance(item, dict) and not pattern:
                wrong += broken(field, item)
            elif not isinstance(item, str) or not re.fullmatch(pattern, item):
                wrong.append(f"{where}: {field} breaks its rule: {item!r}")
    return wrong


release = pathlib.Path(sys.argv[1])
manifests = [yaml.safe_load(path.read_text(encoding="utf-8")) for path in release.glob("manifests/**/*.yaml")]
kinds = {manifest.get("ManifestType"): manifest for manifest in manifests}
same = {tuple(map(each.get, ["PackageIdentifier", "PackageVersion", "ManifestVersion"])) for each in manifests}
if len(manifests) != 3 or sorted(kinds) != ["defaultLocale", "installer", "version"] or len(same) != 1:
    sys.exit(f"not three manifests, version, installer and default locale, of one package and version: {same}")
wrong = [line for manifest in manifests for line in broken(manifest["ManifestType"], manifest)]
installer = next(release.glob("manifests/**/*.installer.yaml")).read_text(encoding="utf-8")
for changed, reason in [  # a package under the other word size; a type for all, or one, not an MSI's
    (installer.replace("Architecture: x64", "Architecture: x86"), "not its package's word size"),
    (installer.replace("InstallerType: wix", "InstallerType: exe"), "does not install an MSI"),
    (installer.replace("- Architecture:", "- InstallerType: inno\n  Architecture:", 1), "does not install an MSI"),
]:
    check = subprocess.run([pathlib.Path(__file__).parents[1] / "script/winget-manifests", "--check", "/dev/stdin",
                            *release.glob("*.msi")], input=changed, capture_output=True, text=True)
    if not check.returncode or reason not in check.stderr:
        wrong.append(f"the release's check took, without '{reason}':\n{changed}")
sys.exit("\n".join(wrong) or None)
