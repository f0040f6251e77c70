"""The sparse package as built and signed, packages of the packer's own, and the installer's package
actions. Reads every ZIP record itself and recomputes every block hash. Paths and expected values
come from the build through the environment (tests/installer/CMakeLists.txt)."""
import base64, hashlib, io, os, pathlib, shutil, struct, subprocess, sys, tempfile, unittest, zipfile, zlib  # noqa: E401
import xml.etree.ElementTree as ET

ENV = os.environ
sys.path.insert(0, os.path.join(ENV["VLPD_SOURCE_DIR"], "installer"))
import pack_msix  # noqa: E402

FOOTPRINT = ["AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"]


def read_records(package):
    """The archive's entries as dicts, checked record by record against the Zip64 layout. A signer
    adds its signature in a plain record and may write 0 for the disk numbers of the end record."""
    (sig, d1, d2, *fields, comment) = struct.unpack("<IHHHHIIH", package[-22:])
    assert (sig, fields, comment) == (0x06054B50, [0xFFFF] * 2 + [0xFFFFFFFF] * 2, 0) and d1 == d2 in (0, 0xFFFF)
    sig, disk, end64, disks = struct.unpack("<IIQI", package[-42:-22])
    assert (sig, disk, disks, end64 + 56) == (0x07064B50, 0, 1, len(package) - 42)
    sig, size, made, needed, d1, d2, count, total, cd_size, cd_start = struct.unpack_from("<IQHHIIQQQQ", package, end64)
    assert (sig, size, made, needed, d1, d2, count) == (0x06064B50, 44, 45, 45, 0, 0, total)
    assert cd_start + cd_size == end64
    entries, at, next_local = [], cd_start, 0
    for _ in range(total):
        head = struct.unpack_from("<IHHHHHHIIIHHHHHII", package, at)
        name = package[at + 46:at + 46 + head[10]].decode("ascii")
        if name == "AppxSignature.p7x":  # the signer's own record, local sizes given
            entries.append({"name": name, "data": zipfile.ZipFile(io.BytesIO(package)).read(name)})
            next_local = head[16] + 30 + head[10] + struct.unpack_from("<H", package, head[16] + 28)[0] + head[8]
            at += 46 + head[10] + head[11] + head[12]
            continue
        tag, length, size, stored_size, offset = struct.unpack_from("<HHQQQ", package, at + 46 + head[10])
        assert head[:4] + head[8:10] + head[11:] == (0x02014B50, 45, 45, 8, 0xFFFFFFFF, 0xFFFFFFFF,
                                                      28, 0, 0, 0, 0, 0xFFFFFFFF), name
        assert (tag, length, offset) == (1, 24, next_local), name
        local = struct.unpack_from("<IHHHHHIIIHH", package, offset)
        assert local == (0x04034B50, 45, 8) + head[4:7] + (0, 0, 0, len(name), 0), name
        data_at = offset + 30 + len(name)
        assert package[offset + 30:data_at] == name.encode()
        stored = package[data_at:data_at + stored_size]
        descriptor = struct.unpack_from("<IIQQ", package, data_at + stored_size)
        assert descriptor == (0x08074B50, head[7], stored_size, size), name
        data = zlib.decompress(stored, -15) if head[4] == 8 else stored
        assert head[4] in (0, 8) and len(data) == size and zlib.crc32(data) == head[7], name
        entries.append({"name": name, "method": head[4], "stored": stored, "data": data, "lfh": 30 + len(name)})
        next_local, at = data_at + stored_size + 24, at + 46 + head[10] + 28
    assert next_local == cd_start and at == end64
    return entries


def check_package(test, package):
    """Records, block map and content types of one package; returns its entries by name."""
    entries = read_records(package)
    by_name = {e["name"]: e for e in entries}
    names = [e["name"] for e in entries]
    test.assertEqual(names[names.index("AppxManifest.xml"):][:3], FOOTPRINT)
    block_map = ET.fromstring(by_name["AppxBlockMap.xml"]["data"])
    mapped = [f.get("Name").replace("\\", "/") for f in block_map.findall("{*}File")]
    test.assertEqual(mapped, names[:names.index("AppxManifest.xml") + 1])
    for file in block_map.findall("{*}File"):
        entry = by_name[file.get("Name").replace("\\", "/")]
        test.assertEqual((int(file.get("Size")), int(file.get("LfhSize"))), (len(entry["data"]), entry["lfh"]))
        blocks = file.findall("{*}Block")
        test.assertEqual(len(blocks), -(-len(entry["data"]) // 65536))
        at = 0
        for i, block in enumerate(blocks):
            data = entry["data"][i * 65536:(i + 1) * 65536]
            test.assertEqual(base64.b64decode(block.get("Hash")), hashlib.sha256(data).digest())
            if entry["method"] == 8:  # each block's bytes end on a full flush and inflate on their own
                segment = entry["stored"][at:at + int(block.get("Size"))]
                test.assertEqual((segment[-4:], zlib.decompressobj(-15).decompress(segment)), (b"\0\0\xff\xff", data))
                at += len(segment)
            else:
                test.assertIsNone(block.get("Size"))
        if entry["method"] == 8:  # then only the end of the stream
            inflate = zlib.decompressobj(-15)
            test.assertEqual((inflate.decompress(entry["stored"][at:]), inflate.eof), (b"", True))
    types = ET.fromstring(by_name["[Content_Types].xml"]["data"])
    defaults = {d.get("Extension"): d.get("ContentType") for d in types.findall("{*}Default")}
    overrides = {o.get("PartName"): o.get("ContentType") for o in types.findall("{*}Override")}
    expected = {"AppxManifest.xml": "application/vnd.ms-appx.manifest+xml", "AppxSignature.p7x":
                "application/vnd.ms-appx.signature", "AppxBlockMap.xml": "application/vnd.ms-appx.blockmap+xml"}
    for name in (n for n in names if n != "[Content_Types].xml"):
        extension = name.rsplit(".", 1)[-1]
        found = overrides.get("/" + name, defaults.get(extension))
        test.assertEqual(found, expected.get(name) or {"png": "image/png", "xml": "text/xml"}[extension], name)
    test.assertIsNone(zipfile.ZipFile(io.BytesIO(package)).testzip())
    return by_name


class BuiltPackage(unittest.TestCase):
    def setUp(self):
        self.package = pathlib.Path(ENV["VLPD_MSIX"]).read_bytes()

    def test_records_block_map_and_types_hold_and_unzip_agrees(self):
        check_package(self, self.package)
        if shutil.which("unzip"):
            subprocess.run(["unzip", "-tq", ENV["VLPD_MSIX"]], check=True, stdout=subprocess.DEVNULL)

    def test_manifest_declares_the_build_identity_and_the_explorer_command(self):
        by_name = check_package(self, self.package)
        manifest = ET.fromstring(by_name["AppxManifest.xml"]["data"])
        identity = manifest.find("{*}Identity")
        self.assertEqual((identity.get("Name"), identity.get("Publisher"), identity.get("Version")),
                         (ENV["VLPD_PACKAGE_NAME"], ENV["VLPD_PACKAGE_PUBLISHER"], ENV["VLPD_VERSION"] + ".0"))
        self.assertEqual(manifest.find("{*}Properties/{*}AllowExternalContent").text, "true")
        clsid = ENV["VLPD_EXPLORER_COMMAND_CLSID"]
        verbs = {t.get("Type"): [v.get("Clsid") for v in t] for t in manifest.iterfind(".//{*}ItemType")}
        self.assertEqual(verbs, {"*": [clsid], "Directory": [clsid]})
        classes = [(c.get("Id"), c.get("Path")) for c in manifest.iterfind(".//{*}Class")]
        self.assertEqual(classes, [(clsid, "VLPDMenu.dll")])
        logos = [e.text for e in manifest.iterfind(".//{*}Logo")] + [
            v for e in manifest.iter() for k, v in e.attrib.items() if k.endswith("Logo")]
        self.assertEqual(len(logos), 3)
        for logo in logos:
            self.assertTrue(by_name[logo.replace("\\", "/")]["data"].startswith(b"\x89PNG"), logo)

    def test_signing_adds_a_signature_windows_can_check_and_keeps_the_block_map(self):
        publisher = ENV["VLPD_PACKAGE_PUBLISHER"]
        with tempfile.TemporaryDirectory() as work:
            cert, key, signed = (os.path.join(work, n) for n in ("cert.pem", "key.pem", "VLPDMenu.msix"))
            subject = "/" + "/".join(part.strip() for part in publisher.split(","))
            subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj",
                            subject, "-addext", "extendedKeyUsage=codeSigning", "-keyout", key, "-out", cert],
                           check=True, capture_output=True)
            shutil.copy(ENV["VLPD_MSIX"], signed)
            subprocess.run(["bash", os.path.join(ENV["VLPD_SOURCE_DIR"], "tools", "sign.sh"), signed], check=True,
                           capture_output=True, env=dict(ENV, VLPD_SIGN_CERT=cert, VLPD_SIGN_KEY=key))
            verify = subprocess.run(["osslsigncode", "verify", "-CAfile", cert, "-in", signed],
                                    capture_output=True, text=True)
            self.assertEqual(verify.returncode, 0, verify.stdout + verify.stderr)
            self.assertIn("Subject: " + subject, verify.stdout)
            by_name = check_package(self, pathlib.Path(signed).read_bytes())
        self.assertIn("AppxSignature.p7x", by_name)
        # Every file but the content types (which gain the signature's) is kept as it was.
        for name, entry in check_package(self, self.package).items():
            self.assertEqual(by_name[name]["data"] == entry["data"], name != "[Content_Types].xml", name)


class InstallerPackage(unittest.TestCase):
    def table(self, name):
        out = subprocess.run(["msiinfo", "export", ENV["VLPD_MSI"], name], check=True, capture_output=True, text=True)
        return [line.split("\t") for line in out.stdout.splitlines()[3:]]

    def test_windows_11_alone_registers_the_package_for_the_installing_user(self):
        actions = {row[0]: row[1:] for row in self.table("CustomAction")}
        sequence = {row[0]: (row[1], int(row[2])) for row in self.table("InstallExecuteSequence")}
        windows_11 = "VLPD_WINDOWS_BUILD >= 22000"
        # 1138: an executable named by a property (50), its result ignored (64), deferred (1024), run
        # as the installing user (no 2048).
        for action, kind, condition, after, before, command in [
                ("FindPowerShell", "51", windows_11, ["CostFinalize"], "InstallInitialize",
                 "[System64Folder]WindowsPowerShell\\v1.0\\powershell.exe"),
                ("RemoveSparsePackage", "1138", 'REMOVE="ALL" AND ' + windows_11, ["InstallInitialize"], "RemoveFiles",
                 "Get-AppxPackage -Name '%s' | Remove-AppxPackage" % ENV["VLPD_PACKAGE_NAME"]),
                ("RegisterSparsePackage", "1138", "NOT REMOVE AND " + windows_11,
                 ["InstallFiles", "RemoveExistingProducts"], "InstallFinalize",
                 "Add-AppxPackage -Path '[#Msix]' -ExternalLocation '[INSTALLDIR]'")]:
            with self.subTest(action=action):
                self.assertEqual(actions[action][0], kind)
                self.assertIn(command, actions[action][2])
                self.assertEqual(sequence[action][0], condition)
                self.assertLess(max(sequence[a][1] for a in after), sequence[action][1])
                self.assertLess(sequence[action][1], sequence[before][1])
        # A replaced version is gone, package and all, before this one installs.
        self.assertLess(sequence["RemoveExistingProducts"][1], sequence["InstallInitialize"][1])
        self.assertIn(["VLPD_WINDOWS_BUILD", "WindowsBuildNumber"], self.table("AppSearch"))
        self.assertIn(["WindowsBuildNumber", "2", "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                       "CurrentBuildNumber", "18"], self.table("RegLocator"))  # 18: raw value, 64-bit view
        msix = {row[0]: row for row in self.table("File")}["Msix"]
        self.assertEqual((msix[1], msix[2].split("|")[-1], int(msix[3])),
                         ("Package64", "VLPDMenu.msix", os.path.getsize(ENV["VLPD_MSIX"])))


class Packer(unittest.TestCase):
    MANIFEST = b"<Package/>"
    # Several blocks compressed and stored, an empty file, a name in a folder.
    PAYLOADS = [[], [("Assets/Logo.png", os.urandom(150000)), ("text.xml", b"<a/>" * 60000), ("empty.xml", b"")]]

    def pack(self, payload, epoch=None):
        out = io.BytesIO()
        pack_msix.pack(out, self.MANIFEST, payload, pack_msix.dos_timestamp(epoch or 0))
        return out.getvalue()

    def test_every_package_holds_and_equal_inputs_give_equal_bytes(self):
        for payload in self.PAYLOADS:
            with self.subTest(files=[n for n, _ in payload]):
                check_package(self, self.pack(payload))
                self.assertEqual(self.pack(payload, 1700000000), self.pack(payload, 1700000000))
                self.assertNotEqual(self.pack(payload, 1700000000), self.pack(payload))

    def test_names_a_package_cannot_hold_are_refused(self):
        for name in ["", "/abs.png", "a//b.png", "../up.png", "a\\b.png", "AppxManifest.xml", "appxblockmap.XML",
                     "AppxMetadata/x.xml", "x.exe", "a&b.png", "é.png", "x" * 257 + ".png"]:
            with self.subTest(name=name), self.assertRaises(pack_msix.PackError):
                self.pack([(name, b"1")])
        with self.assertRaises(pack_msix.PackError):
            self.pack([("a.png", b"1"), ("A.PNG", b"2")])


if __name__ == "__main__":
    unittest.main()
