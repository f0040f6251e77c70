#!/usr/bin/env python3
"""Stops the build when the certificate that will sign the sparse package does not name its
publisher: Windows refuses a package whose manifest's Publisher breaks the manifest schema's
grammar or is not the signing certificate's subject, so such a package could never be installed.

Usage: check_publisher.py PUBLISHER
Reads the certificate named by VLPD_SIGN_CERT (PEM); does nothing unless VLPD_SIGN_CERT and
VLPD_SIGN_KEY are both set (packaging/release/sign.sh refuses half of them).

The publisher follows the schema's grammar for a distinguished name: relative names of one value
each, separated by a comma and one blank; each an upper-case short name of the schema's list or
OID.<digits>, "=", then a value that is either quoted ("" in quotes is one quote) or holds none of
, + = " < > # ;. An attribute with no short name is written as Windows writes it, OID.2.5.4.15=...
The certificate's subject comes from openssl in RFC 2253 form with every type as an OID, where a
backslash escapes and #hex is a value's DER encoding. The two are compared as Windows compares
them: relative name by relative name, in order, each type as an OID and each value as its text.
"""
import os
import re
import subprocess
import sys

# The schema's short names, as object identifiers.
SHORT_NAMES = {
    "CN": "2.5.4.3", "L": "2.5.4.7", "O": "2.5.4.10", "OU": "2.5.4.11", "E": "1.2.840.113549.1.9.1",
    "C": "2.5.4.6", "S": "2.5.4.8", "STREET": "2.5.4.9", "T": "2.5.4.12", "G": "2.5.4.42", "I": "2.5.4.43",
    "SN": "2.5.4.4", "DC": "0.9.2342.19200300.100.1.25", "SERIALNUMBER": "2.5.4.5", "Description": "2.5.4.13",
    "PostalCode": "2.5.4.17", "POBox": "2.5.4.18", "Phone": "2.5.4.20", "X21Address": "2.5.4.24",
    "dnQualifier": "2.5.4.46",
}
OID = r"(?:0|[1-9][0-9]*)(?:\.(?:0|[1-9][0-9]*))+"
PUBLISHER_TYPE = re.compile("(%s|OID\\.(%s))=" % ("|".join(SHORT_NAMES), OID))
UNQUOTED = re.compile(r'[^,+="<>#;]+')
SEPARATOR = ", "
# The DER string types a certificate's name may use, with the encoding of their bytes.
DER_STRINGS = {0x0C: "utf-8", 0x13: "ascii", 0x16: "ascii", 0x14: "latin-1", 0x1E: "utf-16-be", 0x1C: "utf-32-be"}


class UnreadableName(ValueError):
    pass


def parse_publisher(name):
    """The relative names of `name` by the manifest schema's grammar: a list of (OID, value)."""
    rdns, at = [], 0
    while True:
        kind = PUBLISHER_TYPE.match(name, at)
        if not kind:
            raise UnreadableName("no type of the schema's list, OID.n.n or '=' at %r" % name[at:])
        oid, at = kind.group(2) or SHORT_NAMES[kind.group(1)], kind.end()
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
        else:
            unquoted = UNQUOTED.match(name, at)
            if not unquoted:
                raise UnreadableName("a value holding , + = \" < > # or ; must be quoted: %r" % name[at:])
            # Windows reads an unquoted value without the blanks around it.
            value, at = unquoted.group().strip(" "), unquoted.end()
        rdns.append((oid, value))
        if at == len(name):
            return rdns
        if not name.startswith(SEPARATOR, at):
            raise UnreadableName("relative names are separated by %r alone: %r" % (SEPARATOR, name[at:]))
        at += len(SEPARATOR)


def der_string(hex_text):
    """The text of a DER-encoded string value (openssl's #hex form)."""
    der = bytes.fromhex(hex_text)
    if len(der) < 2 or der[0] not in DER_STRINGS:
        raise UnreadableName("not a string value: #%s" % hex_text)
    length, at = der[1], 2
    if length & 0x80:
        count = length & 0x7F
        length, at = int.from_bytes(der[2:2 + count], "big"), 2 + count
    if at + length != len(der):
        raise UnreadableName("a value's length does not match: #%s" % hex_text)
    return der[at:].decode(DER_STRINGS[der[0]])


def parse_rfc2253(name):
    """The relative names of `name` in RFC 2253 form with OIDs: a list of (OID, value), one value
    a relative name; a relative name of several values (joined by "+") has no publisher's form."""
    rdns, at = [], 0
    while True:
        kind = re.compile(OID + "=").match(name, at)
        if not kind:
            raise UnreadableName("no OID= at %r" % name[at:])
        at = kind.end()
        if name.startswith("#", at):
            end = re.compile("[0-9A-Fa-f]*").match(name, at + 1).end()
            value, at = der_string(name[at + 1:end]), end
        else:
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
            value = raw.decode("utf-8")
        rdns.append((kind.group()[:-1], value))
        if at == len(name):
            return rdns
        if name[at] == "+":
            raise UnreadableName("a relative name of several values, which no publisher can name")
        at += 1


def subject_of(certificate):
    out = subprocess.run(["openssl", "x509", "-noout", "-subject", "-nameopt", "RFC2253,oid", "-in", certificate],
                         check=True, capture_output=True, text=True).stdout.strip()
    return out.split("=", 1)[1] if out.startswith("subject=") else out


def mismatch(publisher, subject):
    """Why a package of `publisher` signed by a certificate of `subject` (RFC 2253 with OIDs) would
    be refused, or None when Windows reads the two as one name."""
    try:
        wanted = parse_publisher(publisher)
    except UnreadableName as error:
        return "the manifest schema refuses the publisher %s: %s" % (publisher, error)
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
