#!/usr/bin/env python3
"""Stops the build when the certificate that will sign the sparse package does not name its
publisher: Windows refuses a package whose manifest's Publisher is not the signing certificate's
subject, so such a package could never be installed.

Usage: check_publisher.py PUBLISHER
Reads the certificate named by VLPD_SIGN_CERT (PEM); does nothing unless VLPD_SIGN_CERT and
VLPD_SIGN_KEY are both set, as packaging/release/sign.sh signs nothing then.
"""
import os
import subprocess
import sys


def names(distinguished_name):
    """The relative names of a distinguished name written as "CN=a, O=b" or "CN=a,O=b"."""
    return [part.strip() for part in distinguished_name.split(",")]


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    certificate = os.environ.get("VLPD_SIGN_CERT")
    if not certificate or not os.environ.get("VLPD_SIGN_KEY"):
        return
    # RFC 2253 writes the most specific name first, as the manifest's Publisher does.
    subject = subprocess.run(["openssl", "x509", "-noout", "-subject", "-nameopt", "RFC2253", "-in",
                              certificate], check=True, capture_output=True, text=True).stdout.strip()
    subject = subject.split("=", 1)[1] if subject.startswith("subject=") else subject
    if names(subject) != names(argv[1]):
        sys.exit("check_publisher.py: %s is issued to %s, not to the package's publisher %s"
                 % (certificate, subject, argv[1]))


if __name__ == "__main__":
    main(sys.argv)
