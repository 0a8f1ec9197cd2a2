#!/usr/bin/env python3
"""Mends, in a copy, the one fault that keeps the TWAIN Working Group's
certification tool (twaincscert 2.4.11) from hearing any data source on Linux.

    twaincscert-linux-fix.py COPY_OF_twaincscert.exe

The tool hears a source's DAT_NULL messages (MSG_XFERREADY, MSG_CLOSEDSREQ,
MSG_CLOSEDSOK) in Terminal.ScanCallbackTrigger, which hands them to its main
window with m_formmain.BeginInvoke(...) so that Terminal.ScanCallback records
them for the scripts' "wait". Program.Main makes that window only on Windows;
on Linux m_formmain is null, so the first MSG_XFERREADY of any source ends
the run with a NullReferenceException, and "wait" can never see one. In the
copy, ScanCallbackTrigger calls Terminal.ScanCallback itself, as the window
would have (ScanCallback only records the message under a lock and signals
"wait"). Nothing else changes.

The file must be exactly the 2.4.11 release (its SHA-256 is checked) and the
method must hold exactly the code this fix replaces; anything else is refused.
"""
import hashlib
import struct
import sys

RELEASE_SHA256 = "8f8420399a2acadee25d3dacad2af86522834607788c64ffb623276117597799"
TRIGGER_RVA = 0x46FC  # Terminal::ScanCallbackTrigger(bool)
# Tiny header (26 bytes of code), then: ldarg.0; ldfld m_formmain; ldarg.0;
# ldftn <ScanCallbackTrigger>b__13_0; newobj MethodInvoker; callvirt
# Control::BeginInvoke; pop; ldc.i4.0; ret
ORIGINAL = bytes.fromhex("6a027b0400000402fe065000000673d500000a6fd600000a26162a")
# Same header; 16 nops; ldarg.0; ldarg.1; call Terminal::ScanCallback(bool)
# (MethodDef row 22); pop; ldc.i4.0; ret
MENDED = bytes.fromhex("6a" + "00" * 16 + "0203" + "2816000006" + "26162a")


def file_offset(image, rva):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    table = pe + 24 + struct.unpack_from("<H", image, pe + 20)[0]
    for i in range(sections):
        _, size, address, _, raw = struct.unpack_from("<8sIIII", image, table + 40 * i)
        if address <= rva < address + size:
            return raw + rva - address
    raise SystemExit("twaincscert-linux-fix: the method lies in no section")


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    with open(argv[1], "rb") as f:
        image = bytearray(f.read())
    if hashlib.sha256(image).hexdigest() != RELEASE_SHA256:
        print("twaincscert-linux-fix: not the twaincscert 2.4.11 this fix was written for; left alone", file=sys.stderr)
        return 1
    at = file_offset(image, TRIGGER_RVA)
    if bytes(image[at:at + len(ORIGINAL)]) != ORIGINAL:
        print("twaincscert-linux-fix: ScanCallbackTrigger is not the code this fix replaces; left alone", file=sys.stderr)
        return 1
    image[at:at + len(MENDED)] = MENDED
    with open(argv[1], "wb") as f:
        f.write(image)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
