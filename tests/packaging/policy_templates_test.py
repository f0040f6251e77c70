#!/usr/bin/env python3
"""Checks the policy templates against the DLL's settings.

The ADMX and both ADMLs must be well-formed; every policy writes the DLL's policies' key and one of
its value names, each value has exactly one policy, a number stays in the value's range, and every
string and presentation the ADMX names is present in both languages, which hold the same ids.

Usage: policy_templates_test.py SETTINGS_ROWS_OUTPUT TEMPLATES_FOLDER
       (the output of the settings_rows program: the key, then "name default maximum" lines)
"""
import re
import sys
import xml.etree.ElementTree as ET

NS = {"p": "http://schemas.microsoft.com/GroupPolicy/2006/07/PolicyDefinitions"}
LANGUAGES = ("en-US", "ja-JP")
REFERENCE = re.compile(r"\$\((string|presentation)\.([A-Za-z0-9_]+)\)")


def contract(path):
    with open(path, encoding="ascii") as f:
        lines = f.read().split("\n")
    key = lines[0].strip()
    values = {}
    for line in lines[1:]:
        if line.strip():
            name, default, maximum = line.split()
            values[name] = (int(default), int(maximum))
    return key, values


def check(rows_path, folder):
    errors = []
    key, values = contract(rows_path)
    admx = ET.parse(f"{folder}/VLPDMenu.admx").getroot()
    written = {}
    for policy in admx.iterfind("p:policies/p:policy", NS):
        name = policy.get("name")
        if policy.get("key") != key:
            errors.append(f"{name}: key {policy.get('key')}, the DLL reads {key}")
        if policy.get("class") != "Machine":
            errors.append(f"{name}: policies live in HKEY_LOCAL_MACHINE")
        numbers = []
        if policy.get("valueName"):
            written.setdefault(policy.get("valueName"), []).append(name)
            numbers = [int(d.get("value")) for d in policy.iterfind(".//p:decimal", NS)]
            numbers = [(n, n) for n in numbers]
        for element in policy.iterfind("p:elements/p:decimal", NS):
            written.setdefault(element.get("valueName"), []).append(name)
            if element.get("key") not in (None, key):
                errors.append(f"{name}: an element writes under {element.get('key')}")
            numbers.append((int(element.get("minValue")), int(element.get("maxValue"))))
            policy_value = element.get("valueName")
        value = policy.get("valueName") or policy_value
        if value in values:
            _, maximum = values[value]
            for low, high in numbers:
                if low < 0 or high > maximum:
                    errors.append(f"{name}: writes {low}..{high}, the DLL takes 0..{maximum}")
            if not numbers:
                errors.append(f"{name}: writes no number")
    for value, policies in written.items():
        if value not in values:
            errors.append(f"{policies}: value {value} is none the DLL reads")
        elif len(policies) > 1:
            errors.append(f"value {value} is written by {policies}")
    for value in values:
        if value not in written:
            errors.append(f"value {value}: no policy")

    admx_text = open(f"{folder}/VLPDMenu.admx", encoding="utf-8").read()
    wanted = {(kind, ident) for kind, ident in REFERENCE.findall(admx_text)}
    held = {}
    for language in LANGUAGES:
        adml = ET.parse(f"{folder}/{language}/VLPDMenu.adml").getroot()
        ids = {("string", s.get("id")) for s in adml.iterfind("p:resources/p:stringTable/p:string", NS)
               if (s.text or "").strip()}
        ids |= {("presentation", p.get("id"))
                for p in adml.iterfind("p:resources/p:presentationTable/p:presentation", NS)}
        held[language] = ids
        for kind, ident in sorted(wanted - ids):
            errors.append(f"{language}: no {kind} {ident}")
    if held[LANGUAGES[0]] != held[LANGUAGES[1]]:
        errors.append(f"the languages differ: {sorted(held[LANGUAGES[0]] ^ held[LANGUAGES[1]])}")
    return errors


def main():
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    try:
        errors = check(sys.argv[1], sys.argv[2])
    except ET.ParseError as error:
        errors = [f"not well-formed: {error}"]
    for error in errors:
        print(error)
    print("policy templates:", "ok" if not errors else f"{len(errors)} faults")
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main())
