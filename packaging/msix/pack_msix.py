#!/usr/bin/env python3
"""Packs an MSIX package the way Windows' own packer lays it out, for a machine without it.

Usage: pack_msix.py OUTPUT.msix APPXMANIFEST.xml [NAME=PATH ...]

NAME is a file's name inside the package, with "/" between folders; PATH the file to store there.
The package is a ZIP archive in Zip64 form: every local header leaves its sizes to a Zip64 data
descriptor, every central directory entry keeps them in a Zip64 extra field, and a Zip64 end of
central directory record and locator precede the ordinary end record. Payload files come first,
then AppxManifest.xml, AppxBlockMap.xml (the SHA-256 of every 64 KiB block of the files before it)
and [Content_Types].xml. Deflated files are compressed block by block, each block ending on a full
flush so that its compressed size can be given. Timestamps are SOURCE_DATE_EPOCH when set, else
the first moment DOS dates can hold, so equal inputs give equal packages.
"""
import base64
import hashlib
import os
import struct
import sys
import time
import zlib

BLOCK_SIZE = 64 * 1024
MANIFEST = "AppxManifest.xml"
BLOCK_MAP = "AppxBlockMap.xml"
CONTENT_TYPES = "[Content_Types].xml"
# Names Windows' packer makes itself; a payload file may not take one (compared case-blind).
FOOTPRINT = {name.lower() for name in (MANIFEST, BLOCK_MAP, CONTENT_TYPES, "AppxSignature.p7x")}
MAX_NAME = 260
# Not allowed in a Windows file name, or would need escaping in the block map or the part name.
NOT_IN_NAMES = set('\\<>:"|?*&\'%')

ZIP64_VERSION = 45
DATA_DESCRIPTOR_FLAG = 0x0008
STORED, DEFLATED = 0, 8
# Per payload file extension: content type, and whether the packer compresses such files (already
# compressed images are stored as they are).
CONTENT_TYPE_BY_EXTENSION = {
    "png": ("image/png", False),
    "xml": ("text/xml", True),
}
MANIFEST_TYPE = "application/vnd.ms-appx.manifest+xml"
BLOCK_MAP_TYPE = "application/vnd.ms-appx.blockmap+xml"
XML_DECLARATION = '<?xml version="1.0" encoding="UTF-8" standalone="%s"?>'
BLOCK_MAP_NAMESPACE = "http://schemas.microsoft.com/appx/2010/blockmap"
HASH_METHOD = "http://www.w3.org/2001/04/xmlenc#sha256"
TYPES_NAMESPACE = "http://schemas.openxmlformats.org/package/2006/content-types"


class PackError(Exception):
    pass


def dos_timestamp(epoch):
    """(time, date) in DOS form for seconds since 1970 in UTC; clamped to 1980-2107."""
    year, month, day, hour, minute, second = time.gmtime(epoch)[:6]
    if year < 1980:
        return 0, 1 << 5 | 1
    year = min(year, 2107)
    return hour << 11 | minute << 5 | second // 2, (year - 1980) << 9 | month << 5 | day


def package_timestamp():
    epoch = os.environ.get("SOURCE_DATE_EPOCH")
    return dos_timestamp(int(epoch) if epoch else 0)


def compress_blocks(data, compressed):
    """The file's stored bytes and, per 64 KiB block, its SHA-256 and stored size."""
    blocks = [data[i:i + BLOCK_SIZE] for i in range(0, len(data), BLOCK_SIZE)]
    if not compressed:
        return data, [(hashlib.sha256(b).digest(), len(b)) for b in blocks]
    deflate = zlib.compressobj(9, zlib.DEFLATED, -zlib.MAX_WBITS, 9)
    stored, entries = bytearray(), []
    for block in blocks:
        out = deflate.compress(block) + deflate.flush(zlib.Z_FULL_FLUSH)
        stored += out
        entries.append((hashlib.sha256(block).digest(), len(out)))
    return bytes(stored + deflate.flush(zlib.Z_FINISH)), entries


class Writer:
    """Writes the archive's entries one after another, then its central directory."""

    def __init__(self, out, timestamp):
        self.out = out
        self.time, self.date = timestamp
        self.central = bytearray()
        self.count = 0

    def add(self, name, stored, method, crc, size):
        """Writes one entry; returns the size of its local file header."""
        encoded = name.encode("ascii")
        offset = self.out.tell()
        header = struct.pack("<IHHHHHIIIHH", 0x04034B50, ZIP64_VERSION, DATA_DESCRIPTOR_FLAG, method,
                             self.time, self.date, 0, 0, 0, len(encoded), 0) + encoded
        self.out.write(header)
        self.out.write(stored)
        self.out.write(struct.pack("<IIQQ", 0x08074B50, crc, len(stored), size))
        extra = struct.pack("<HHQQQ", 0x0001, 24, size, len(stored), offset)
        self.central += struct.pack("<IHHHHHHIIIHHHHHII", 0x02014B50, ZIP64_VERSION, ZIP64_VERSION,
                                    DATA_DESCRIPTOR_FLAG, method, self.time, self.date, crc,
                                    0xFFFFFFFF, 0xFFFFFFFF, len(encoded), len(extra), 0, 0, 0, 0,
                                    0xFFFFFFFF) + encoded + extra
        self.count += 1
        return len(header)

    def close(self):
        start = self.out.tell()
        self.out.write(self.central)
        end_record = self.out.tell()
        self.out.write(struct.pack("<IQHHIIQQQQ", 0x06064B50, 44, ZIP64_VERSION, ZIP64_VERSION, 0, 0,
                                   self.count, self.count, len(self.central), start))
        self.out.write(struct.pack("<IIQI", 0x07064B50, 0, end_record, 1))
        self.out.write(struct.pack("<IHHHHIIH", 0x06054B50, 0xFFFF, 0xFFFF, 0xFFFF, 0xFFFF,
                                   0xFFFFFFFF, 0xFFFFFFFF, 0))


def payload_type(name):
    extension = name.rsplit(".", 1)[-1].lower()
    if extension not in CONTENT_TYPE_BY_EXTENSION:
        raise PackError("no content type is known for " + name)
    return CONTENT_TYPE_BY_EXTENSION[extension]


class ContentTypes:
    """[Content_Types].xml: the first type met for an extension is its default; a file of the same
    extension but another type gets an override of its own."""

    def __init__(self):
        self.defaults = {}
        self.entries = []

    def add(self, name, type_name, override=False):
        extension = name.rsplit(".", 1)[-1].lower()
        if override or self.defaults.get(extension, type_name) != type_name:
            self.entries.append('<Override ContentType="%s" PartName="/%s"/>' % (type_name, name))
        elif extension not in self.defaults:
            self.defaults[extension] = type_name
            self.entries.append('<Default ContentType="%s" Extension="%s"/>' % (type_name, extension))

    def xml(self):
        return [XML_DECLARATION % "yes", '<Types xmlns="%s">' % TYPES_NAMESPACE] + self.entries + ["</Types>"]


def check_names(names):
    seen = set()
    for name in names:
        folded = name.lower()
        if (not name or len(name) > MAX_NAME or not name.isascii() or any(c in NOT_IN_NAMES for c in name)
                or name.startswith("/") or any(part in ("", ".", "..") for part in name.split("/"))):
            raise PackError("not a package file name: %r" % name)
        if folded in seen or folded in FOOTPRINT or folded.startswith("appxmetadata/"):
            raise PackError("a second file is named " + name)
        seen.add(folded)


def pack(out, manifest, payload, timestamp):
    """Writes the package of the manifest's bytes and the payload's (name, bytes) pairs to out."""
    check_names([name for name, _ in payload])
    writer = Writer(out, timestamp)
    block_map = [XML_DECLARATION % "no",
                 '<BlockMap xmlns="%s" HashMethod="%s">' % (BLOCK_MAP_NAMESPACE, HASH_METHOD)]
    types = ContentTypes()
    for name, data in payload + [(MANIFEST, manifest)]:
        type_name, compressed = (MANIFEST_TYPE, True) if name == MANIFEST else payload_type(name)
        types.add(name, type_name)
        stored, blocks = compress_blocks(data, compressed)
        lfh_size = writer.add(name, stored, DEFLATED if compressed else STORED, zlib.crc32(data), len(data))
        block_map.append('<File Name="%s" Size="%d" LfhSize="%d">'
                         % (name.replace("/", "\\"), len(data), lfh_size))
        for digest, size in blocks:
            size_attribute = ' Size="%d"' % size if compressed else ""
            block_map.append('<Block Hash="%s"%s/>' % (base64.b64encode(digest).decode(), size_attribute))
        block_map.append("</File>")
    block_map.append("</BlockMap>")
    types.add(BLOCK_MAP, BLOCK_MAP_TYPE, override=True)
    for name, text in ((BLOCK_MAP, block_map), (CONTENT_TYPES, types.xml())):
        data = "".join(text).encode("utf-8")
        stored, _ = compress_blocks(data, True)
        writer.add(name, stored, DEFLATED, zlib.crc32(data), len(data))
    writer.close()


def main(argv):
    if len(argv) < 3 or not all("=" in arg for arg in argv[3:]):
        sys.exit(__doc__)
    payload = []
    for arg in argv[3:]:
        name, path = arg.split("=", 1)
        with open(path, "rb") as f:
            payload.append((name, f.read()))
    with open(argv[2], "rb") as f:
        manifest = f.read()
    temporary = argv[1] + ".part"
    try:
        with open(temporary, "wb") as out:
            pack(out, manifest, payload, package_timestamp())
    except PackError as error:
        os.remove(temporary)
        sys.exit("pack_msix.py: %s" % error)
    os.replace(temporary, argv[1])


if __name__ == "__main__":
    main(sys.argv)
