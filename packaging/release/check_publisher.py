#!/usr/bin/env python3
"""Stops the build when the certificate that will sign the sparse package does not name its
publisher: Windows refuses a package whose manifest's Publisher is not the signing certificate's
subject, so such a package could never be installed.

Usage: check_publisher.py PUBLISHER
Reads the certificate named by VLPD_SIGN_CERT (PEM); does nothing unless VLPD_SIGN_CERT and
VLPD_SIGN_KEY are both set (packaging/release/sign.sh refuses half of them).

The two names are compared as parsed distinguished names, relative name by relative name, in
order. The publisher is read as Windows reads it (CertStrToName): relative names separated by ","
or ";", values joined by "+", a value in quotes may hold those separators, "" in quotes is one
quote, and a backslash is an ordinary character. The certificate's subject comes from openssl in
RFC 2253 form, where a backslash escapes. Windows' S and openssl's ST are the same type, as are
other names of one attribute.
"""
import os
import re
import subprocess
import sys

# Attribute types by every name Windows or openssl gives them (lower case), as object identifiers.
TYPES = {
    "cn": "2.5.4.3", "sn": "2.5.4.4", "surname": "2.5.4.4", "serialnumber": "2.5.4.5",
    "c": "2.5.4.6", "l": "2.5.4.7", "s": "2.5.4.8", "st": "2.5.4.8", "street": "2.5.4.9",
    "o": "2.5.4.10", "ou": "2.5.4.11", "t": "2.5.4.12", "title": "2.5.4.12",
    "description": "2.5.4.13", "postalcode": "2.5.4.17", "pobox": "2.5.4.18",
    "postofficebox": "2.5.4.18", "phone": "2.5.4.20", "telephonenumber": "2.5.4.20",
    "g": "2.5.4.42", "gn": "2.5.4.42", "givenname": "2.5.4.42", "i": "2.5.4.43", "initials": "2.5.4.43",
    "dnqualifier": "2.5.4.46", "e": "1.2.840.113549.1.9.1", "email": "1.2.840.113549.1.9.1",
    "emailaddress": "1.2.840.113549.1.9.1", "dc": "0.9.2342.19200300.100.1.25",
    "uid": "0.9.2342.19200300.100.1.1",
}
OID = re.compile(r"(?:oid\.)?([0-2](?:\.[0-9]+)+)$", re.IGNORECASE)
# Characters Windows wants quoted in a value.
NEEDS_QUOTES = set(',+="\n<>#;')


class UnreadableName(ValueError):
    pass


def attribute_type(text):
    text = text.strip()
    oid = OID.match(text)
    if oid:
        return oid.group(1)
    if text.lower() not in TYPES:
        raise UnreadableName("unknown attribute type %r" % text)
    return TYPES[text.lower()]


def type_before_equals(name, at, separators):
    """The attribute type that starts at `at`, and where its value starts."""
    end = at
    while end < len(name) and name[end] != "=":
        if name[end] in separators:
            break
        end += 1
    if end == len(name) or name[end] != "=":
        raise UnreadableName("no '=' in %r" % name[at:end])
    return attribute_type(name[at:end]), end + 1


def parse_windows(name):
    """The relative names of `name` as CertStrToName reads it: a list of sorted (type, value) lists."""
    rdns, values, at = [], [], 0
    while True:
        kind, at = type_before_equals(name, at, ",;+")
        while at < len(name) and name[at] == " ":
            at += 1
        if name.startswith('"', at):
            value, at = "", at + 1
            while True:
                close = name.find('"', at)
                if close < 0:
                    raise UnreadableName("unclosed quote in %r" % name)
                value += name[at:close]
                if not name.startswith('""', close):
                    at = close + 1
                    break
                value, at = value + '"', close + 2
            end = at
            while end < len(name) and name[end] not in ",;+":
                end += 1
            if name[at:end].strip():
                raise UnreadableName("text after a quoted value: %r" % name[at:end])
        else:
            end = at
            while end < len(name) and name[end] not in ",;+":
                end += 1
            value = name[at:end].strip()
            if NEEDS_QUOTES & set(value):
                raise UnreadableName("%r must be quoted" % value)
        values.append((kind, value))
        if end == len(name) or name[end] != "+":
            rdns.append(sorted(values))
            values = []
        if end == len(name):
            return rdns
        at = end + 1


def parse_rfc2253(name):
    """The relative names of `name` in RFC 2253 form (openssl's -nameopt RFC2253)."""
    rdns, values, at = [], [], 0
    while True:
        kind, at = type_before_equals(name, at, ",+")
        raw = bytearray()
        while at < len(name) and name[at] not in ",+":
            if name[at] == "\\":
                pair = name[at + 1:at + 3]
                if re.fullmatch("[0-9A-Fa-f]{2}", pair):
                    raw.append(int(pair, 16))
                    at += 3
                    continue
                if at + 1 == len(name):
                    raise UnreadableName("a backslash ends %r" % name)
                at += 1
            raw += name[at].encode("utf-8")
            at += 1
        values.append((kind, raw.decode("utf-8")))
        if at == len(name) or name[at] == ",":
            rdns.append(sorted(values))
            values = []
        if at == len(name):
            return rdns
        at += 1


def subject_of(certificate):
    out = subprocess.run(["openssl", "x509", "-noout", "-subject", "-nameopt", "RFC2253", "-in", certificate],
                         check=True, capture_output=True, text=True).stdout.strip()
    return out.split("=", 1)[1] if out.startswith("subject=") else out


def mismatch(publisher, subject):
    """Why a package of `publisher` signed by a certificate of `subject` (RFC 2253) would be refused,
    or None when Windows reads the two as one name."""
    try:
        wanted = parse_windows(publisher)
    except UnreadableName as error:
        return "Windows cannot read the publisher %s: %s" % (publisher, error)
    try:
        issued = parse_rfc2253(subject)
    except UnreadableName as error:
        return "cannot read the certificate's subject %s: %s" % (subject, error)
    if wanted != issued:
        return "the certificate is issued to %s, not to the package's publisher %s" % (subject, publisher)
    return None


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    certificate = os.environ.get("VLPD_SIGN_CERT")
    if not certificate or not os.environ.get("VLPD_SIGN_KEY"):
        return
    problem = mismatch(argv[1], subject_of(certificate))
    if problem:
        sys.exit("check_publisher.py: %s: %s" % (certificate, problem))


if __name__ == "__main__":
    main(sys.argv)
