"""The sparse package as built and signed, packages of the packer's own, and the installer's package
actions. Reads every ZIP record itself and recomputes every block hash. Paths and expected values
come from the build through the environment (tests/packaging/CMakeLists.txt)."""
import base64, hashlib, io, os, pathlib, re, shutil, struct, subprocess, sys, tempfile, unittest  # noqa: E401
import contextlib, http.server, threading, zipfile, zlib  # noqa: E401
import xml.etree.ElementTree as ET

ENV = os.environ
sys.path[:0] = [os.path.join(ENV["VLPD_SOURCE_DIR"], "packaging", "msix"), os.path.dirname(__file__)]
import pack_msix  # noqa: E402
import time_stamp_server  # noqa: E402

FOOTPRINT = ["AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"]
TYPES = {"AppxManifest.xml": "application/vnd.ms-appx.manifest+xml", "png": "image/png", "xml": "text/xml",
         "AppxSignature.p7x": "application/vnd.ms-appx.signature",
         "AppxBlockMap.xml": "application/vnd.ms-appx.blockmap+xml"}
# How Windows' packer keeps each kind of file: images stored as they are, text deflated.
METHODS = {"png": 0, "xml": 8}


def read_records(package):
    """The entries, each record checked against the Zip64 layout (a signer's may differ: see below)."""
    def at(fmt, offset):
        return struct.unpack_from(fmt, package, offset)
    sig, d1, d2, *rest = at("<IHHHHIIH", len(package) - 22)  # a signer may write disk numbers 0
    assert [sig] + rest == [0x06054B50, 0xFFFF, 0xFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0]
    assert d1 == d2 in (0, 0xFFFF)
    sig, disk, end64, disks = at("<IIQI", len(package) - 42)
    assert (sig, disk, disks, end64 + 56) == (0x07064B50, 0, 1, len(package) - 42)
    sig, size, made, needed, d1, d2, count, total, cd_size, cd_start = at("<IQHHIIQQQQ", end64)
    assert (sig, size, made, needed, d1, d2, count) == (0x06064B50, 44, 45, 45, 0, 0, total)
    assert cd_start + cd_size == end64
    entries, cd, next_local = [], cd_start, 0
    for _ in range(total):
        head = at("<IHHHHHHIIIHHHHHII", cd)
        name = package[cd + 46:cd + 46 + head[10]].decode("ascii")
        if name == "AppxSignature.p7x":  # the signer's record gives its sizes in the local header
            entries.append({"name": name, "data": zipfile.ZipFile(io.BytesIO(package)).read(name)})
            next_local = head[16] + 30 + head[10] + at("<H", head[16] + 28)[0] + head[8]
            cd += 46 + head[10] + head[11] + head[12]
            continue
        tag, length, size, stored_size, offset = at("<HHQQQ", cd + 46 + head[10])
        assert head[:4] + head[8:10] + head[11:] + (tag, length, offset) == (
            0x02014B50, 45, 45, 8, 0xFFFFFFFF, 0xFFFFFFFF, 28, 0, 0, 0, 0, 0xFFFFFFFF, 1, 24,
            next_local), name
        local = (0x04034B50, 45, 8) + head[4:7] + (0, 0, 0, len(name), 0)
        assert at("<IHHHHHIIIHH", offset) == local, name
        data_at = offset + 30 + len(name)
        stored = package[data_at:data_at + stored_size]
        assert package[offset + 30:data_at] == name.encode() and head[4] in (0, 8), name
        assert at("<IIQQ", data_at + stored_size) == (0x08074B50, head[7], stored_size, size), name
        data = zlib.decompress(stored, -15) if head[4] == 8 else stored
        assert len(data) == size and zlib.crc32(data) == head[7], name
        entries.append({"name": name, "method": head[4], "stored": stored, "data": data,
                        "lfh": 30 + len(name)})
        next_local, cd = data_at + stored_size + 24, cd + 46 + head[10] + 28
    assert next_local == cd_start and cd == end64
    return entries


def check_package(test, package):
    """Records, block map and content types of one package; returns its entries by name."""
    entries = read_records(package)
    by_name, names = {e["name"]: e for e in entries}, [e["name"] for e in entries]
    test.assertEqual(names[names.index("AppxManifest.xml"):][:3], FOOTPRINT)
    files = ET.fromstring(by_name["AppxBlockMap.xml"]["data"]).findall("{*}File")
    mapped = [f.get("Name").replace("\\", "/") for f in files]
    test.assertEqual(mapped, names[:names.index("AppxManifest.xml") + 1])
    for entry in entries:
        if "method" in entry:
            test.assertEqual(entry["method"], METHODS[entry["name"].rsplit(".", 1)[-1]], entry["name"])
    for file in files:
        entry, stored_at = by_name[file.get("Name").replace("\\", "/")], 0
        test.assertEqual((int(file.get("Size")), int(file.get("LfhSize"))),
                         (len(entry["data"]), entry["lfh"]))
        blocks = file.findall("{*}Block")
        test.assertEqual(len(blocks), -(-len(entry["data"]) // 65536))
        for i, block in enumerate(blocks):
            data = entry["data"][i * 65536:(i + 1) * 65536]
            test.assertEqual(base64.b64decode(block.get("Hash")), hashlib.sha256(data).digest())
            if entry["method"] == 8:  # each block's bytes end on a full flush and inflate on their own
                segment = entry["stored"][stored_at:stored_at + int(block.get("Size"))]
                inflated = zlib.decompressobj(-15).decompress(segment)
                test.assertEqual((segment[-4:], inflated), (b"\0\0\xff\xff", data))
                stored_at += len(segment)
            else:
                test.assertIsNone(block.get("Size"))
        if entry["method"] == 8:  # then only the end of the stream, an empty last block
            test.assertEqual(entry["stored"][stored_at:], b"\x03\x00")
    types = ET.fromstring(by_name["[Content_Types].xml"]["data"])
    defaults = {d.get("Extension"): d.get("ContentType") for d in types.findall("{*}Default")}
    overrides = {o.get("PartName"): o.get("ContentType") for o in types.findall("{*}Override")}
    for name in (n for n in names if n != "[Content_Types].xml"):
        found = overrides.get("/" + name, defaults.get(name.rsplit(".", 1)[-1]))
        test.assertEqual(found, TYPES.get(name) or TYPES[name.rsplit(".", 1)[-1]], name)
    test.assertIsNone(zipfile.ZipFile(io.BytesIO(package)).testzip())
    return by_name


class BuiltPackage(unittest.TestCase):
    def setUp(self):
        self.package = pathlib.Path(ENV["VLPD_MSIX"]).read_bytes()
        self.by_name = check_package(self, self.package)
        # The manifest and its records alone: Windows reads content from the external location.
        self.assertEqual(list(self.by_name), FOOTPRINT)

    def test_unzip_agrees_and_the_manifest_declares_the_build_and_the_explorer_command(self):
        if shutil.which("unzip"):
            subprocess.run(["unzip", "-tq", ENV["VLPD_MSIX"]], check=True, stdout=subprocess.DEVNULL)
        manifest = ET.fromstring(self.by_name["AppxManifest.xml"]["data"])
        build = [ENV["VLPD_PACKAGE_NAME"], ENV["VLPD_PACKAGE_PUBLISHER"], ENV["VLPD_VERSION"] + ".0", "neutral"]
        self.assertEqual(list(map(manifest.find("{*}Identity").get,
                                  ("Name", "Publisher", "Version", "ProcessorArchitecture"))), build)
        self.assertEqual(manifest.find("{*}Properties/{*}AllowExternalContent").text, "true")
        clsid = ENV["VLPD_EXPLORER_COMMAND_CLSID"]
        verbs = {t.get("Type"): [v.get("Clsid") for v in t] for t in manifest.iterfind(".//{*}ItemType")}
        self.assertEqual(verbs, {"*": [clsid], "Directory": [clsid], "Directory\\Background": [clsid], "Drive": [clsid]})
        classes = [(c.get("Id"), c.get("Path")) for c in manifest.iterfind(".//{*}Class")]
        self.assertEqual(classes, [(clsid, "VLPDMenu.dll")])
        self.assertEqual(sorted(logos(manifest)), sorted(ENV["VLPD_LOGOS"].split(",")))

    def test_signing_adds_a_signature_windows_can_check_and_keeps_the_block_map(self):
        # A subject of the kind code-signing certificates have, and the publisher as Windows writes it.
        subject = ["CN=kastel", "O=Kastel, Inc.", "ST=Tokyo", "C=JP"]
        with tempfile.TemporaryDirectory() as work:
            cert, key = certificate(work, subject, "rsa:2048")
            signed = os.path.join(work, "VLPDMenu.msix")
            shutil.copy(ENV["VLPD_MSIX"], signed)
            self.assertEqual(check_publisher('CN=kastel, O="Kastel, Inc.", S=Tokyo, C=JP', cert, key).returncode, 0)
            # Half a signing setup stops with word of what is missing, and signs nothing.
            for given, missing in [({"VLPD_SIGN_CERT": cert}, "VLPD_SIGN_KEY"), ({"VLPD_SIGN_KEY": key}, "VLPD_SIGN_CERT")]:
                half = sign(signed, given)
                self.assertEqual((half.returncode, missing + " is not set" in half.stderr), (1, True), half.stderr)
            self.assertEqual(pathlib.Path(signed).read_bytes(), self.package)
            identity = {"VLPD_SIGN_CERT": cert, "VLPD_SIGN_KEY": key, "SOURCE_DATE_EPOCH": "1700000000"}
            sign(signed, identity).check_returncode()
            verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", signed],
                                    capture_output=True, text=True)
            self.assertEqual((verify.returncode, "Subject: /C=JP/ST=Tokyo/O=Kastel, Inc./CN=kastel" in verify.stdout),
                             (0, True), verify.stdout)
            # Signed at the release time, so a signed release is the same bytes from every build; no
            # timestamp unless a time-stamping server is named.
            self.assertEqual(re.findall(r"Signing time: (.*)", verify.stdout), ["Nov 14 22:13:20 2023 GMT"])
            self.assertIn("Timestamp is not available", verify.stdout)
            # With one, the signature carries its timestamp, which Windows trusts past the certificate.
            stamped = os.path.join(work, "stamped.msix")
            shutil.copy(ENV["VLPD_MSIX"], stamped)
            with time_stamp_authority(work) as (url, root):
                sign(stamped, dict(identity, VLPD_SIGN_TIMESTAMP_URL=url)).check_returncode()
            stamp = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-TSA-CAfile", root, "-in", stamped],
                                   capture_output=True, text=True)
            self.assertEqual((stamp.returncode, "Timestamp Server Signature verification: ok" in stamp.stdout),
                             (0, True), stamp.stdout)
            # Every digest, the signature's too, is the block map's hash (Windows refuses it otherwise).
            block_map = ET.fromstring(self.by_name["AppxBlockMap.xml"]["data"])
            self.assertTrue(block_map.get("HashMethod").endswith("#sha256"))
            digests = re.findall(r"^Message digest algorithm *: (\S+)$", verify.stdout, re.MULTILINE)
            self.assertEqual(set(digests), {"SHA256"}, verify.stdout)
            signed_by_name = check_package(self, pathlib.Path(signed).read_bytes())
        # Every file is kept as it was but the content types, which gain the signature's.
        self.assertEqual(sorted(signed_by_name), sorted(list(self.by_name) + ["AppxSignature.p7x"]))
        for name, entry in self.by_name.items():
            kept = signed_by_name[name]["data"] == entry["data"]
            self.assertEqual(kept, name != "[Content_Types].xml", name)


    def test_publishers_are_compared_as_windows_reads_them(self):
        # (certificate subject, most specific name first; publisher; accepted): the manifest schema's
        # grammar, and the subject as Windows writes it.
        tokyo = ["CN=kastel", "O=Kastel, Inc.", "ST=Tokyo", "C=JP"]
        extended = ["CN=kastel", "businessCategory=Private Organization", "jurisdictionC=JP", "serialNumber=42"]
        cases = [
            (tokyo, 'CN=kastel, O="Kastel, Inc.", S=Tokyo, C=JP', True),
            (tokyo, 'CN = kastel ; O = "Kastel, Inc." ; ST = Tokyo ; C = JP', False),
            (tokyo, 'CN=kastel,O="Kastel, Inc.",S=Tokyo,C=JP', False),  # no blank after a comma
            (tokyo, 'cn=kastel, o="Kastel, Inc.", s=Tokyo, c=JP', False),  # lower-case types
            (tokyo, 'CN=kastel, O="Kastel, Inc.", ST=Tokyo, C=JP', False),  # openssl's name of S
            (tokyo, "CN=kastel, O=Kastel\\, Inc., S=Tokyo, C=JP", False),  # openssl's escapes
            (tokyo, "CN=kastel", False),
            (tokyo, 'C=JP, S=Tokyo, O="Kastel, Inc.", CN=kastel', False),
            (tokyo, 'CN=kastel, O="Kastel, Inc.", S=Osaka, C=JP', False),
            (["CN=kastel"], "CN=kastel, O=kastel", False),
            (["CN=a=b"], 'CN="a=b"', True),
            (["CN=a=b"], "CN=a=b", False),  # a value holding "=" is quoted
            (['CN=say "hi"', "C=JP"], 'CN="say ""hi""", C=JP', True),
            (['CN=say "hi"+OU=Tools', "C=JP"], 'OU=Tools + CN="say ""hi""", C=JP', False),
            (['CN=say "hi"+OU=Tools', "C=JP"], 'OU=Tools; CN="say ""hi""", C=JP', False),
            (["CN=東京 Kastel", "serialNumber=42"], "CN=東京 Kastel, SERIALNUMBER=42", True),
            (extended, "CN=kastel, OID.2.5.4.15=Private Organization, OID.1.3.6.1.4.1.311.60.2.1.3=JP, "
                       "SERIALNUMBER=42", True),
            (extended, "CN=kastel, businessCategory=Private Organization, OID.1.3.6.1.4.1.311.60.2.1.3=JP, "
                       "SERIALNUMBER=42", False),
        ]
        with tempfile.TemporaryDirectory() as work:
            for subject, publisher, accepted in cases:
                with self.subTest(subject=subject, publisher=publisher):
                    checked = check_publisher(publisher, *certificate(work, subject))
                    self.assertEqual(checked.returncode, 0 if accepted else 1, checked.stderr)


def pe_machine(path):
    """The machine a PE file is made for (its file header's Machine)."""
    data = pathlib.Path(path).read_bytes()
    header = struct.unpack_from("<I", data, 0x3C)[0]
    return struct.unpack_from("<H", data, header + 4)[0]


def logos(manifest):
    """The content files a manifest names: its logos."""
    return [e.text for e in manifest.iterfind(".//{*}Logo")] + [
        v for e in manifest.iter() for k, v in e.attrib.items() if k.endswith("Logo")]


def certificate(work, subject, key_type="ec"):
    """A self-signed code-signing certificate of `subject` (relative names, most specific first) and
    its key, as PEM files in `work`."""
    cert, key = os.path.join(work, "cert.pem"), os.path.join(work, "key.pem")
    names = "/" + "/".join(name.replace("/", "\\/") for name in reversed(subject))
    options = ["-newkey", key_type] + (["-pkeyopt", "ec_paramgen_curve:prime256v1"] if key_type == "ec" else [])
    subprocess.run(["openssl", "req", "-x509", "-utf8", "-multivalue-rdn", "-nodes", "-days", "2", "-subj", names,
                    "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", cert] + options,
                   check=True, capture_output=True)
    return cert, key


def check_publisher(publisher, cert, key):
    script = os.path.join(ENV["VLPD_SOURCE_DIR"], "packaging", "release", "check_publisher.py")
    return subprocess.run([sys.executable, script, publisher], env=dict(ENV, VLPD_SIGN_CERT=cert, VLPD_SIGN_KEY=key),
                          capture_output=True, text=True)


@contextlib.contextmanager
def time_stamp_authority(work):
    """A time-stamping server of its own on 127.0.0.1 (time_stamp_server.py): its URL and root certificate."""
    folder = os.path.join(work, "tsa")
    os.mkdir(folder)
    time_stamp_server.Authority.config = time_stamp_server.make_authority(folder)
    server = http.server.HTTPServer(("127.0.0.1", 0), time_stamp_server.Authority)
    thread = threading.Thread(target=server.serve_forever)
    thread.start()
    try:
        yield "http://127.0.0.1:%d/" % server.server_port, os.path.join(folder, "tsa-root.pem")
    finally:
        server.shutdown()
        thread.join()
        server.server_close()


def sign(package, identity):
    env = {k: v for k, v in ENV.items() if k not in ("VLPD_SIGN_CERT", "VLPD_SIGN_KEY", "VLPD_SIGN_TIMESTAMP_URL")}
    script = os.path.join(ENV["VLPD_SOURCE_DIR"], "packaging", "release", "sign.sh")
    return subprocess.run(["bash", script, package], env=dict(env, **identity), capture_output=True, text=True)


class InstallerPackage(unittest.TestCase):
    PACKAGES = {"machine": ENV["VLPD_MSI"], "user": ENV["VLPD_USER_MSI"]}

    def table(self, scope, name):
        out = subprocess.run(["msiinfo", "export", self.PACKAGES[scope], name], check=True, capture_output=True)
        return [line.split("\t") for line in out.stdout.decode().split("\r\n")[3:-1]]  # a field may hold LF

    def test_windows_11_actions_register_for_every_user_and_roll_back(self):
        windows_11 = "VLPD_WINDOWS_BUILD >= 22000"
        name = ENV["VLPD_PACKAGE_NAME"]
        folder = ("$folder = Split-Path (Get-Item 'Registry::HKEY_CLASSES_ROOT\\CLSID\\{%s}\\InProcServer32')"
                  ".GetValue(''); " % ENV["VLPD_EXPLORER_COMMAND_CLSID"])
        # Windows 11 is decided where the command runs (at each user's logon too); before it, the
        # user's Active Setup version goes after the logon, so the next logon runs the command again.
        active_setup_key = "HKCU\\Software\\Microsoft\\Active Setup\\Installed Components\\{%s}" % ENV[
            "VLPD_ACTIVE_SETUP_ID"]
        register = folder + (
            "if ([int](Get-ItemProperty 'Registry::HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\"
            "CurrentVersion').CurrentBuildNumber -ge 22000) { Add-AppxPackage -Path (Join-Path $folder "
            "'VLPDMenu.msix') -ExternalLocation $folder } else { Set-ItemProperty 'Registry::HKEY_CURRENT_USER\\"
            "Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce' 'VLPDMenu' 'reg.exe delete \\\"%s\\\" /v Version "
            "/f' }\"" % active_setup_key)
        # Only the package this scope registered, in its own folder.
        for_the_user = folder + ("Get-AppxPackage -Name '%s' | Where-Object InstallLocation -eq $folder | "
                                 "Remove-AppxPackage\"" % name)
        for_every_user = folder + ("Get-AppxPackage -AllUsers -Name '%s' | Where-Object InstallLocation -eq "
                                   "$folder | Remove-AppxPackage -AllUsers\"" % name)
        # Types: 51 sets a property, 37 runs inline JScript; 50 runs the executable a property
        # names, 64 ignores its result, 1024 runs it in the script, 256 at rollback alone, 2048 with
        # the installer's own rights rather than the user's. No removal runs at commit (512): a
        # commit action never runs when rollback is disabled.
        both = [("FindPowerShell", "51", "", ["CostFinalize"], ["InstallInitialize"], None),
                ("RollbackRegisterSparsePackage", "1394", "NOT Installed AND NOT REMOVE AND " + windows_11,
                 ["WriteRegistryValues"], ["RegisterSparsePackage"], for_the_user),
                ("RegisterSparsePackage", "1138", "NOT REMOVE AND " + windows_11,
                 ["InstallFiles", "WriteRegistryValues", "RemoveExistingProducts"], ["InstallFinalize"], register),
                ("RollbackRemoveSparsePackage", "1394", 'REMOVE="ALL" AND ' + windows_11, ["InstallInitialize"],
                 ["RemoveSparsePackage"], register)]
        def removal(kind, command):
            return ("RemoveSparsePackage", kind, 'REMOVE="ALL" AND ' + windows_11, ["RollbackRemoveSparsePackage"],
                    ["RemoveRegistryValues", "RemoveFiles"], command)
        for scope, rows in [
                ("machine", both + [("StampActiveSetupVersion", "101", "NOT REMOVE", ["FindPowerShell"],
                                     ["InstallInitialize"], None), removal("3186", for_every_user)]),
                ("user", both + [removal("1138", for_the_user)])]:
            actions = {row[0]: row[1:] for row in self.table(scope, "CustomAction")}
            sequence = {row[0]: (row[1], int(row[2])) for row in self.table(scope, "InstallExecuteSequence")}
            properties = dict(self.table(scope, "Property"))
            self.assertEqual(sorted(a for a in actions if not a.startswith("WIX")), sorted(r[0] for r in rows), scope)
            for action, kind, condition, after, before, command in rows:
                with self.subTest(scope=scope, action=action):
                    self.assertEqual(actions[action][0], kind)
                    if command:
                        target = actions[action][2]
                        self.assertEqual(target[0] + target[-1], "[]")
                        self.assertIn(" -Command \"$ErrorActionPreference = 'Stop'; " + command,
                                      properties[target[1:-1]])
                    self.assertEqual(sequence[action][0], condition)
                    self.assertLess(max(sequence[a][1] for a in after), sequence[action][1])
                    self.assertLess(sequence[action][1], min(sequence[b][1] for b in before))
            # A replaced version is gone, package and all, before this one installs.
            self.assertLess(sequence["RemoveExistingProducts"][1], sequence["InstallInitialize"][1])
            self.assertIn(["VLPD_WINDOWS_BUILD", "WindowsBuildNumber"], self.table(scope, "AppSearch"))
            # Every user's logon runs the registration through Active Setup, per machine, on every
            # Windows (the command decides), whenever the installation is later than the one the
            # user last ran.
            active_setup = {row[3]: row[4] for row in self.table(scope, "Registry") if "Active Setup" in row[2]}
            self.assertEqual(active_setup, {} if scope == "user" else {
                "": "[ProductName]", "StubPath": '"[VLPD_POWERSHELL]" [VLPD_REGISTER]',
                "Version": "[VLPD_ACTIVE_SETUP_VERSION]", "IsInstalled": "#1"})

    def test_each_64_bit_dll_installs_on_the_machine_of_its_own_architecture(self):
        # (component, condition, the machine of its DLL): wixl drops the conditions (after_wixl.sql).
        expected = [("Server64", 'NOT (VLPD_NATIVE_ARCHITECTURE ~= "ARM64")', 0x8664),
                    ("ServerArm64", 'VLPD_NATIVE_ARCHITECTURE ~= "ARM64"', 0xAA64), ("Server32", "", 0x14C)]
        for scope, package in self.PACKAGES.items():
            conditions = {row[0]: row[4] for row in self.table(scope, "Component")}
            files = {row[1]: row[0] for row in self.table(scope, "File")}
            with tempfile.TemporaryDirectory() as work:
                cabinet = os.path.join(work, "VLPDMenu.cab")
                with open(cabinet, "wb") as out:
                    subprocess.run(["msiinfo", "extract", package, "VLPDMenu.cab"], check=True, stdout=out)
                subprocess.run(["gcab", "-x", "-C", work, cabinet], check=True)
                found = [(component, conditions[component], pe_machine(os.path.join(work, files[component])))
                         for component, _, _ in expected]
            self.assertEqual(found, expected, scope)

    def test_both_packages_install_the_content_the_manifest_names_where_it_names_it(self):
        manifest = ET.fromstring(check_package(self, pathlib.Path(ENV["VLPD_MSIX"]).read_bytes())
                                 ["AppxManifest.xml"]["data"])
        for scope in self.PACKAGES:
            folders = {row[0]: (row[1], row[2].split(":")[0].split("|")[-1]) for row in self.table(scope, "Directory")}
            # The components a feature installs, each with its folder.
            installed = {row[1] for row in self.table(scope, "FeatureComponents")}
            components = {row[0]: row[2] for row in self.table(scope, "Component") if row[0] in installed}

            def path(folder):
                parent, name = folders[folder]
                return path(parent) + [name] if parent else []
            files = ["\\".join(path(components[row[1]]) + [row[2].split("|")[-1]])
                     for row in self.table(scope, "File") if row[1] in components]
            location = [f for f in files if f.endswith("\\VLPDMenu.msix")][0][:-len("VLPDMenu.msix")]
            content = sorted(f[len(location):] for f in files if f.startswith(location + "Assets\\"))
            self.assertEqual(content, sorted(logos(manifest)), scope)


class Packer(unittest.TestCase):
    def pack(self, payload, epoch=0):
        out = io.BytesIO()
        pack_msix.pack(out, b"<Package/>", payload, pack_msix.dos_timestamp(epoch))
        return out.getvalue()

    def test_packages_of_many_blocks_hold_and_equal_inputs_give_equal_bytes(self):
        # Several blocks compressed and stored, an empty file, a name in a folder.
        payload = [("Assets/Logo.png", os.urandom(150000)), ("a.xml", b"<a/>" * 60000), ("b.xml", b"")]
        check_package(self, self.pack(payload))
        self.assertEqual(self.pack(payload, 1700000000), self.pack(payload, 1700000000))
        self.assertNotEqual(self.pack(payload, 1700000000), self.pack(payload))

    def test_a_publisher_is_written_into_the_manifest_as_xml_text(self):
        publisher, script = 'CN=Smith & Sons, O="<Kastel>, Inc."', ENV["VLPD_SOURCE_DIR"] + "/packaging/msix/"
        with tempfile.TemporaryDirectory() as work:
            subprocess.run([ENV["VLPD_CMAKE"], "-DVLPD_PACKAGE_PUBLISHER=" + publisher, "-DOUTPUT=%s/m.xml" % work,
                            "-DTEMPLATE=%sAppxManifest.xml.in" % script, "-P", script + "fill_manifest.cmake"])
            self.assertEqual(ET.parse(work + "/m.xml").find("{*}Identity").get("Publisher"), publisher)

    def test_names_a_package_cannot_hold_are_refused(self):
        for names in [[""], ["/abs.png"], ["a//b.png"], ["../up.png"], ["a\\b.png"], ["AppxManifest.xml"],
                      ["x.exe"], ["appxblockmap.XML"], ["AppxMetadata/x.xml"], ["a&b.png"], ["é.png"],
                      ["x" * 257 + ".png"], ["a.png", "A.PNG"]]:
            with self.subTest(names=names), self.assertRaises(pack_msix.PackError):
                self.pack([(name, b"1") for name in names])


if __name__ == "__main__":
    unittest.main()
