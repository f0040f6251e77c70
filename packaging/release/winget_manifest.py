#!/usr/bin/env python3
"""Writes the release's winget manifest, in the multi-file form of manifest version 1.12.0, from the
release's own facts: the built Windows Installer packages (their ProductCode, UpgradeCode,
ProductVersion, ProductName and Manufacturer, read with msiinfo, and the SHA-256 of each file) and
the product's other facts, given by the build (packaging/release/product.cmake).

Usage: winget_manifest.py FOLDER IDENTIFIER RELEASE_URL LICENSE DESCRIPTION_EN DESCRIPTION_JA
                          MACHINE_MSI USER_MSI
Writes IDENTIFIER.yaml (version), IDENTIFIER.installer.yaml and IDENTIFIER.locale.en-US.yaml and
.ja-JP.yaml into FOLDER. Each package installs on x64 and arm64 Windows alike (it carries both
64-bit DLLs), so each scope has one entry per architecture, with the same file.
"""
import hashlib
import json
import os
import subprocess
import sys

MANIFEST_VERSION = "1.12.0"
SCHEMA = "https://aka.ms/winget-manifest.%s.1.12.0.schema.json"
ARCHITECTURES = ["x64", "arm64"]
DEFAULT_LOCALE = "en-US"


def msi_properties(package):
    out = subprocess.run(["msiinfo", "export", package, "Property"], check=True, capture_output=True).stdout
    rows = [line.split("\t") for line in out.decode("utf-8").split("\r\n")[3:] if "\t" in line]
    return {row[0]: row[1] for row in rows}


def sha256(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest().upper()


def scalar(value):
    """A YAML scalar: JSON's quoted string is YAML's double-quoted one."""
    return json.dumps(value, ensure_ascii=False) if isinstance(value, str) else str(value)


def yaml_lines(value, indent=""):
    lines = []
    for key, item in value.items():
        if isinstance(item, list):
            lines.append("%s%s:" % (indent, key))
            for element in item:
                nested = yaml_lines(element, indent + "  ") if isinstance(element, dict) else [
                    indent + "  " + scalar(element)]
                lines.append(indent + "- " + nested[0][len(indent) + 2:])
                lines.extend(nested[1:])
        else:
            lines.append("%s%s: %s" % (indent, key, scalar(item)))
    return lines


def write(folder, name, kind, manifest):
    with open(os.path.join(folder, name), "w", encoding="utf-8", newline="\n") as f:
        f.write("# yaml-language-server: $schema=%s\n\n" % (SCHEMA % kind.lower()))
        f.write("\n".join(yaml_lines(dict(manifest, ManifestType=kind, ManifestVersion=MANIFEST_VERSION))) + "\n")


def manifests(identifier, release_url, license_name, descriptions, packages):
    """The four manifests, by file name: (manifest type, content)."""
    facts = {scope: msi_properties(path) for scope, path in packages.items()}
    machine = facts["machine"]
    head = {"PackageIdentifier": identifier, "PackageVersion": machine["ProductVersion"]}
    installers = []
    for scope, path in packages.items():
        if facts[scope]["ProductVersion"] != head["PackageVersion"]:
            raise SystemExit("winget_manifest.py: %s is not version %s" % (path, head["PackageVersion"]))
        for architecture in ARCHITECTURES:
            installers.append({
                "Architecture": architecture, "Scope": scope,
                "InstallerUrl": "%s/%s" % (release_url.rstrip("/"), os.path.basename(path)),
                "InstallerSha256": sha256(path), "ProductCode": facts[scope]["ProductCode"],
                "AppsAndFeaturesEntries": [{
                    "DisplayName": facts[scope]["ProductName"], "Publisher": facts[scope]["Manufacturer"],
                    "ProductCode": facts[scope]["ProductCode"], "UpgradeCode": facts[scope]["UpgradeCode"]}]})
    locale = {"Publisher": machine["Manufacturer"], "PackageName": machine["ProductName"], "License": license_name}
    return {
        identifier + ".yaml": ("version", dict(head, DefaultLocale=DEFAULT_LOCALE)),
        identifier + ".installer.yaml": ("installer", dict(
            head, InstallerType="msi", InstallModes=["interactive", "silent", "silentWithProgress"],
            UpgradeBehavior="install", Installers=installers)),
        identifier + ".locale.en-US.yaml": ("defaultLocale", dict(
            head, PackageLocale=DEFAULT_LOCALE, **locale, ShortDescription=descriptions["en-US"])),
        identifier + ".locale.ja-JP.yaml": ("locale", dict(
            head, PackageLocale="ja-JP", **locale, ShortDescription=descriptions["ja-JP"])),
    }


def main(argv):
    if len(argv) != 9:
        sys.exit(__doc__)
    folder, identifier, release_url, license_name, english, japanese, machine_msi, user_msi = argv[1:]
    os.makedirs(folder, exist_ok=True)
    written = manifests(identifier, release_url, license_name, {"en-US": english, "ja-JP": japanese},
                        {"machine": machine_msi, "user": user_msi})
    for name, (kind, manifest) in written.items():
        write(folder, name, kind, manifest)


if __name__ == "__main__":
    main(sys.argv)
