"""The release's winget manifest as built: the shape manifest version 1.12.0 gives each of its four
files (the parts of its schemas the manifest uses), and every fact the same as the release's own
files hold. Paths come from the build through the environment (tests/packaging/CMakeLists.txt)."""
import hashlib, os, subprocess, unittest  # noqa: E401

import jsonschema
import yaml

ENV = os.environ
IDENTIFIER = r"^[^\.\s\\/:\*\?\"<>\|\x01-\x1f]{1,32}(\.[^\.\s\\/:\*\?\"<>\|\x01-\x1f]{1,32}){1,7}$"
VERSION = r"^[^\\/:\*\?\"<>\|\x01-\x1f]+$"
LOCALE = r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"
GUID = r"^\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\}$"


def text(low, high, pattern=None):
    return dict({"type": "string", "minLength": low, "maxLength": high}, **({"pattern": pattern} if pattern else {}))


HEAD = {"PackageIdentifier": text(1, 128, IDENTIFIER), "PackageVersion": text(1, 128, VERSION),
        "ManifestVersion": {"const": "1.12.0"}}
LOCALE_FIELDS = {"PackageLocale": text(2, 20, LOCALE), "Publisher": text(2, 256), "PackageName": text(2, 256),
                 "License": text(3, 512), "ShortDescription": text(3, 256)}


def schema(kind, required, **properties):
    return {"type": "object", "additionalProperties": False, "required": list(HEAD) + ["ManifestType"] + required,
            "properties": dict(HEAD, ManifestType={"const": kind}, **properties)}


INSTALLER = {"type": "object", "additionalProperties": False,
             "required": ["Architecture", "Scope", "InstallerUrl", "InstallerSha256", "ProductCode",
                          "AppsAndFeaturesEntries"],
             "properties": {
                 "Architecture": {"enum": ["x86", "x64", "arm", "arm64", "neutral"]},
                 "Scope": {"enum": ["user", "machine"]},
                 "InstallerUrl": text(8, 2048, "^([Hh][Tt][Tt][Pp][Ss]?)://.+$"),
                 "InstallerSha256": text(64, 64, "^[A-Fa-f0-9]{64}$"),
                 "ProductCode": text(1, 255, GUID),
                 "AppsAndFeaturesEntries": {"type": "array", "minItems": 1, "maxItems": 128, "items": {
                     "type": "object", "additionalProperties": False,
                     "properties": {"DisplayName": text(1, 256), "Publisher": text(1, 256),
                                    "ProductCode": text(1, 255, GUID), "UpgradeCode": text(1, 255, GUID)}}}}}
SCHEMAS = {
    "": schema("version", ["DefaultLocale"], DefaultLocale=text(2, 20, LOCALE)),
    ".installer": schema("installer", ["Installers"], InstallerType={"enum": ["msi", "wix"]},
                         InstallModes={"type": "array", "uniqueItems": True,
                                       "items": {"enum": ["interactive", "silent", "silentWithProgress"]}},
                         UpgradeBehavior={"enum": ["install", "uninstallPrevious", "deny"]},
                         Installers={"type": "array", "minItems": 1, "maxItems": 1024, "items": INSTALLER}),
    ".locale.en-US": schema("defaultLocale", list(LOCALE_FIELDS), **LOCALE_FIELDS),
    ".locale.ja-JP": schema("locale", ["PackageLocale"], **LOCALE_FIELDS),
}


def msi_properties(package):
    out = subprocess.run(["msiinfo", "export", package, "Property"], check=True, capture_output=True).stdout
    return dict(line.split("\t", 1) for line in out.decode().split("\r\n")[3:] if "\t" in line)


class WingetManifest(unittest.TestCase):
    def setUp(self):
        self.manifests = {}
        for kind in SCHEMAS:
            path = os.path.join(ENV["VLPD_WINGET_DIR"], ENV["VLPD_PACKAGE_NAME"] + kind + ".yaml")
            with open(path, encoding="utf-8") as f:
                self.manifests[kind] = yaml.safe_load(f)

    def test_each_file_has_the_shape_of_its_manifest_type(self):
        for kind, manifest in self.manifests.items():
            with self.subTest(kind=kind):
                jsonschema.validate(manifest, SCHEMAS[kind])
                self.assertEqual((manifest["PackageIdentifier"], manifest["PackageVersion"]),
                                 (ENV["VLPD_PACKAGE_NAME"], ENV["VLPD_VERSION"]))
        self.assertEqual(self.manifests[""]["DefaultLocale"], self.manifests[".locale.en-US"]["PackageLocale"])

    def test_one_installer_per_scope_and_architecture_with_the_facts_of_its_package(self):
        packages = {"machine": ENV["VLPD_MSI"], "user": ENV["VLPD_USER_MSI"]}
        found = {}
        for entry in self.manifests[".installer"]["Installers"]:
            package = packages[entry["Scope"]]
            properties = msi_properties(package)
            with open(package, "rb") as f:
                digest = hashlib.sha256(f.read()).hexdigest()
            self.assertEqual((entry["InstallerUrl"], entry["InstallerSha256"].lower(), entry["ProductCode"]),
                             (ENV["VLPD_RELEASE_URL"] + "/" + os.path.basename(package), digest,
                              properties["ProductCode"]))
            self.assertEqual(entry["AppsAndFeaturesEntries"], [{
                "DisplayName": ENV["VLPD_PRODUCT_NAME"], "Publisher": ENV["VLPD_MAKER"],
                "ProductCode": properties["ProductCode"], "UpgradeCode": "{%s}" % ENV["VLPD_UPGRADE_CODE"]}])
            found.setdefault(entry["Scope"], []).append(entry["Architecture"])
        self.assertEqual(found, {"machine": ["x64", "arm64"], "user": ["x64", "arm64"]})
        # The scopes are two products of one upgrade code.
        self.assertNotEqual(msi_properties(packages["machine"])["ProductCode"],
                            msi_properties(packages["user"])["ProductCode"])


if __name__ == "__main__":
    unittest.main()
