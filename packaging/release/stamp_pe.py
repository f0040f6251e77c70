#!/usr/bin/env python3
"""stamp_pe.py DLL PDB EPOCH: makes a DLL linked by Zig reproducible.

Zig's linker writes the link time into the PE header and the debug directory, and names the PDB by
a GUID hashed from the PDB, which holds the build folder. Both become functions of the release:
every time stamp is EPOCH, and the GUID is taken from the DLL's own bytes (with its time stamps
set and its GUID zeroed). The PDB gets the same GUID and time, so debuggers still pair the two.
"""
import hashlib
import struct
import sys

CODEVIEW = 2
MSF_MAGIC = b"Microsoft C/C++ MSF 7.00\r\n\x1aDS\0\0\0"


def codeview_records(image):
    """Offsets of the debug directory entries and of their CodeView (RSDS) records."""
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    if image[pe:pe + 4] != b"PE\0\0":
        raise SystemExit("not a PE file")
    sections, optional_size = struct.unpack_from("<H12xH", image, pe + 6)
    optional = pe + 24
    magic = struct.unpack_from("<H", image, optional)[0]
    directories = optional + (112 if magic == 0x20B else 96)
    debug_rva, debug_size = struct.unpack_from("<II", image, directories + 6 * 8)
    table = optional + optional_size

    def file_offset(rva):
        for index in range(sections):
            size, address, raw_size, raw = struct.unpack_from("<IIII", image, table + 40 * index + 8)
            if address <= rva < address + max(size, raw_size):
                return raw + rva - address
        raise SystemExit("RVA %#x lies in no section" % rva)

    entries = []
    if debug_rva:
        start = file_offset(debug_rva)
        for entry in range(start, start + debug_size, 28):
            kind, _, _, raw = struct.unpack_from("<IIII", image, entry + 12)
            record = raw if kind == CODEVIEW and image[raw:raw + 4] == b"RSDS" else None
            entries.append((entry, record))
    return pe, optional, entries


def pe_checksum(image):
    """The PE checksum of an image whose checksum field is zero."""
    total = 0
    for (word,) in struct.iter_unpack("<H", bytes(image) + b"\0" * (len(image) % 2)):
        total += word
        total = (total & 0xFFFF) + (total >> 16)
    return (total + len(image)) & 0xFFFFFFFF


def stamp_dll(path, epoch):
    image = bytearray(open(path, "rb").read())
    pe, optional, entries = codeview_records(image)
    struct.pack_into("<I", image, pe + 8, epoch)
    records = []
    for entry, record in entries:
        struct.pack_into("<I", image, entry + 4, epoch)
        if record is not None:
            image[record + 4:record + 20] = bytes(16)
            records.append(record)
    checksum_at = optional + 64
    had_checksum = struct.unpack_from("<I", image, checksum_at)[0] != 0
    struct.pack_into("<I", image, checksum_at, 0)
    guid = hashlib.sha256(image).digest()[:16]
    for record in records:
        image[record + 4:record + 20] = guid
    if had_checksum:
        struct.pack_into("<I", image, checksum_at, pe_checksum(image))
    open(path, "wb").write(image)
    return guid if records else None


def stamp_pdb(path, epoch, guid):
    """Writes the time and the GUID into the PDB's information stream (stream 1)."""
    pdb = bytearray(open(path, "rb").read())
    if pdb[:32] != MSF_MAGIC:
        raise SystemExit("%s: not a PDB" % path)
    block_size, _, _, directory_bytes, _, block_map = struct.unpack_from("<6I", pdb, 32)
    directory_blocks = (directory_bytes + block_size - 1) // block_size
    directory = b"".join(
        pdb[block * block_size:(block + 1) * block_size]
        for block in struct.unpack_from("<%dI" % directory_blocks, pdb, block_map * block_size))
    streams = struct.unpack_from("<I", directory)[0]
    sizes = struct.unpack_from("<%dI" % streams, directory, 4)
    blocks_of_stream0 = (sizes[0] + block_size - 1) // block_size if sizes[0] != 0xFFFFFFFF else 0
    first_block_of_info = struct.unpack_from("<I", directory, 4 + 4 * streams + 4 * blocks_of_stream0)[0]
    info = first_block_of_info * block_size
    struct.pack_into("<I", pdb, info + 4, epoch)  # version, signature (a time), age, GUID
    pdb[info + 12:info + 28] = guid
    open(path, "wb").write(pdb)


def main():
    if len(sys.argv) != 4:
        raise SystemExit(__doc__)
    dll, pdb, epoch = sys.argv[1], sys.argv[2], int(sys.argv[3])
    guid = stamp_dll(dll, epoch)
    if guid is not None:
        stamp_pdb(pdb, epoch, guid)


if __name__ == "__main__":
    main()
