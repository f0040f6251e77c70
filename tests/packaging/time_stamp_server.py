#!/usr/bin/env python3
"""A throwaway RFC 3161 time-stamping authority for the signing tests, listening on 127.0.0.1 alone.

Usage: time_stamp_server.py FOLDER
Makes in FOLDER a root certificate (tsa-root.pem, for osslsigncode's -TSA-CAfile) and a
time-stamping certificate it issues, answers each POSTed request with `openssl ts -reply`, and
prints its URL on the first line of its output once it listens. It runs until it is ended.
"""
import http.server
import os
import subprocess
import sys
import tempfile

CONFIG = """[ tsa ]
default_tsa = throwaway
[ throwaway ]
serial = {folder}/serial
signer_cert = {folder}/tsa.pem
signer_key = {folder}/tsa-key.pem
certs = {folder}/tsa.pem
signer_digest = sha256
default_policy = 1.2.3.4.1
digests = sha256, sha384, sha512
accuracy = secs:1
ess_cert_id_alg = sha256
"""


def openssl(*arguments):
    subprocess.run(["openssl"] + list(arguments), check=True, capture_output=True)


def make_authority(folder):
    root, root_key = os.path.join(folder, "tsa-root.pem"), os.path.join(folder, "tsa-root-key.pem")
    openssl("req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=Throwaway time root",
            "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=critical,keyCertSign",
            "-keyout", root_key, "-out", root)
    request = os.path.join(folder, "tsa.csr")
    openssl("req", "-new", "-newkey", "rsa:2048", "-nodes", "-subj", "/CN=Throwaway time stamps",
            "-keyout", os.path.join(folder, "tsa-key.pem"), "-out", request)
    extensions = os.path.join(folder, "tsa.ext")
    with open(extensions, "w") as f:
        f.write("extendedKeyUsage=critical,timeStamping\nkeyUsage=critical,digitalSignature\n")
    openssl("x509", "-req", "-in", request, "-CA", root, "-CAkey", root_key, "-CAcreateserial", "-days", "2",
            "-extfile", extensions, "-out", os.path.join(folder, "tsa.pem"))
    with open(os.path.join(folder, "serial"), "w") as f:
        f.write("01\n")
    config = os.path.join(folder, "tsa.cnf")
    with open(config, "w") as f:
        f.write(CONFIG.format(folder=folder))
    return config


class Authority(http.server.BaseHTTPRequestHandler):
    config = None

    def do_POST(self):
        query = self.rfile.read(int(self.headers.get("Content-Length", 0)))
        with tempfile.TemporaryDirectory() as work:
            request, reply = os.path.join(work, "request.tsq"), os.path.join(work, "reply.tsr")
            with open(request, "wb") as f:
                f.write(query)
            answered = subprocess.run(["openssl", "ts", "-reply", "-config", self.config, "-queryfile", request,
                                       "-out", reply], capture_output=True)
            if answered.returncode != 0:
                self.send_error(400, answered.stderr.decode(errors="replace")[:200])
                return
            with open(reply, "rb") as f:
                body = f.read()
        self.send_response(200)
        self.send_header("Content-Type", "application/timestamp-reply")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *_):
        pass


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    Authority.config = make_authority(os.path.abspath(argv[1]))
    server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
    print("http://127.0.0.1:%d/" % server.server_port, flush=True)
    server.serve_forever()


if __name__ == "__main__":
    main(sys.argv)
