#!/usr/bin/env python3
"""Mends, in a copy, the three faults that keep the TWAIN Working Group's
certification suite (twaincscert 2.4.11) from certifying any data source on
Linux, so that every one of its checks runs as it was meant to.

    mend-certification-suite.py COPY_OF_THE_twaincscert_FOLDER

1. The tool hears a source's DAT_NULL messages (MSG_XFERREADY,
   MSG_CLOSEDSREQ, MSG_CLOSEDSOK) in Terminal.ScanCallbackTrigger, which hands
   them to its main window (m_formmain.BeginInvoke) so that
   Terminal.ScanCallback records them for the scripts' "wait". Program.Main
   makes that window only on Windows; on Linux m_formmain is null, so the
   first MSG_XFERREADY of any source ends the run with a
   NullReferenceException (groups 050, 060, 070), and a MSG_CLOSEDSOK turns
   the call that carried it into TWRC_BUMMER (030). Mended:
   ScanCallbackTrigger calls Terminal.ScanCallback itself, as the window
   would have (ScanCallback records the message under a lock and signals
   "wait"; nothing else).
2. Closeds.tc closes the source with an identity whose Id is 0; the Source
   Manager then answers MSG_CLOSEDS without passing it on, the source stays
   open, and the next open of the same run fails (groups 040 and 090).
   Mended: the identity carries the Id the Source Manager assigned.
3. 030's "Status Return Tests.tc" keeps its result in a variable named by an
   argument its caller never passes, so no failure is ever recorded. Mended:
   it records into the group's own result.

The tool must be exactly the 2.4.11 release (its SHA-256 is checked) and
every mended place must read exactly as expected; anything else is refused.
"""
import hashlib
import os
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

SCRIPT_MENDS = [
    ("data/Certification/Closeds.tc",
     "dsmentry src null dg_control dat_identity msg_closeds '0,0,0,ENGLISH_USA,",
     "dsmentry src null dg_control dat_identity msg_closeds '${ds:${get:TW_IDENTITY.Id}},0,0,ENGLISH_USA,"),
    ("data/Certification/030 - Status Return Tests/Status Return Tests.tc",
     "setlocal certifyresult '${arg:2}'",
     "setlocal certifyresult 'g_localcertifyresult'"),
]


def refuse(why):
    print(f"mend-certification-suite: {why}; the suite is left as it was", file=sys.stderr)
    return 1


def file_offset(image, rva):
    pe = struct.unpack_from("<I", image, 0x3C)[0]
    sections = struct.unpack_from("<H", image, pe + 6)[0]
    table = pe + 24 + struct.unpack_from("<H", image, pe + 20)[0]
    for i in range(sections):
        _, size, address, _, raw = struct.unpack_from("<8sIIII", image, table + 40 * i)
        if address <= rva < address + size:
            return raw + rva - address
    return None


def main(argv):
    if len(argv) != 2:
        sys.stderr.write(__doc__)
        return 2
    exe = os.path.join(argv[1], "twaincscert.exe")
    with open(exe, "rb") as f:
        image = bytearray(f.read())
    if hashlib.sha256(image).hexdigest() != RELEASE_SHA256:
        return refuse("twaincscert.exe is not the 2.4.11 release")
    at = file_offset(image, TRIGGER_RVA)
    if at is None or bytes(image[at:at + len(ORIGINAL)]) != ORIGINAL:
        return refuse("ScanCallbackTrigger is not the code this mend replaces")
    texts = {}
    for name, old, new in SCRIPT_MENDS:
        path = os.path.join(argv[1], name)
        with open(path, encoding="utf-8", newline="") as f:
            text = texts.get(path, f.read())
        if text.count(old) != 1:
            return refuse(f"{name} does not read as expected")
        texts[path] = text.replace(old, new)
    image[at:at + len(MENDED)] = MENDED
    with open(exe, "wb") as f:
        f.write(image)
    for path, text in texts.items():
        with open(path, "w", encoding="utf-8", newline="") as f:
            f.write(text)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
