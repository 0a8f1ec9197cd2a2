#!/usr/bin/env python3
"""Writes the seed corpora of the fuzz targets: one input per road an image
can take (and a few of the ways an application goes wrong), so that the
fuzzer starts from inputs that reach every transfer.

The byte layouts are those the targets read (fuzz_triplets.cpp,
fuzz_containers.cpp, fuzz_scan_file.cpp, and fuzz_scan_module.cpp for the
scan module's answers); this file is their reference. Run it from anywhere:

    python3 fuzz/make_seeds.py

It rewrites fuzz/corpus/<target>/seed-*; inputs the fuzzer found stay.
"""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))


def u16(v):
    return struct.pack('<H', v & 0xFFFF)


def u32(v):
    return struct.pack('<I', v & 0xFFFFFFFF)


# ---- fuzz_triplets: the application's script

# Indexes into kTriplets of fuzz_triplets.cpp.
(IDENTITY_GET, OPENDS, CLOSEDS, ENABLEDS, DISABLEDS, CAP_GET, CAP_GETCURRENT, CAP_GETDEFAULT, CAP_SET,
 CAP_RESET, STATUS_GET, PENDING_GET, ENDXFER, PENDING_RESET, SETUPMEM_GET, SETUPFILE_GET, SETUPFILE_GETDEFAULT,
 SETUPFILE_SET, SETUPFILE_RESET, XFERGROUP_GET, PROCESSEVENT, IMAGEINFO_GET, LAYOUT_GET, LAYOUT_GETDEFAULT,
 LAYOUT_SET, LAYOUT_RESET, MEMXFER, NATIVEXFER, FILEXFER) = range(29)

# Positions in kCapabilities of fuzz_records.cpp.
CAPS = ['CAP_XFERCOUNT', 'ICAP_COMPRESSION', 'ICAP_PIXELTYPE', 'ICAP_UNITS', 'ICAP_XFERMECH', 'CAP_AUTHOR',
        'CAP_CAPTION', 'CAP_FEEDERENABLED', 'CAP_FEEDERLOADED', 'CAP_TIMEDATE', 'CAP_SUPPORTEDCAPS',
        'CAP_EXTENDEDCAPS', 'CAP_AUTOFEED', 'CAP_INDICATORS', 'ICAP_AUTOBRIGHT', 'ICAP_BRIGHTNESS',
        'ICAP_CONTRAST', 'ICAP_HALFTONES', 'ICAP_IMAGEFILEFORMAT', 'ICAP_PHYSICALWIDTH', 'ICAP_PHYSICALHEIGHT',
        'ICAP_FRAMES', 'ICAP_XRESOLUTION', 'ICAP_YRESOLUTION', 'ICAP_MAXFRAMES', 'ICAP_BITORDER',
        'ICAP_LIGHTPATH', 'ICAP_PIXELFLAVOR', 'ICAP_PLANARCHUNKY', 'ICAP_SUPPORTEDSIZES', 'ICAP_XSCALING',
        'ICAP_YSCALING', 'ICAP_JPEGPIXELTYPE', 'ICAP_BITDEPTH', 'CAP_CUSTOMBASE']

TWON_ARRAY, TWON_ENUMERATION, TWON_ONEVALUE, TWON_RANGE, TWON_DONTCARE16 = 3, 4, 5, 6, 0xFFFF
TWTY_INT16, TWTY_UINT16, TWTY_BOOL, TWTY_FIX32, TWTY_FRAME, TWTY_STR32 = 1, 4, 6, 7, 8, 9
TWFF_TIFF, TWFF_BMP = 0, 2


def triplet(which, record=b'', flags=0):
    return bytes([0, which, flags]) + record


def raw_triplet(group, dat, msg, flags=0, record=bytes(64)):
    # past the table: DG (a byte: 0 control, 1 image, 2 audio, 3 a 32-bit
    # value follows), DAT, MSG, then the flags and 64 bytes of record
    return bytes([0, 0xFF, group]) + u16(dat) + u16(msg) + bytes([flags]) + record


def identity_get():
    return triplet(IDENTITY_GET)


def open_ds():
    return triplet(OPENDS, b'\x00')  # our identity as assigned


def close_ds():
    return triplet(CLOSEDS, b'\x00')


def enable(show_ui=0):
    return triplet(ENABLEDS, bytes([show_ui, 1]))


def disable():
    return triplet(DISABLEDS, b'\x00\x00')


def no_container():
    return b'\x00'


def container(data):
    return b'\x03' + u16(len(data)) + data


def capability(which, cap, con_type=TWON_DONTCARE16, box=None):
    return triplet(which, bytes([CAPS.index(cap)]) + u16(con_type) + (box if box is not None else no_container()))


def one_value(item_type, item):
    return u16(item_type) + u32(item)


def enumeration(item_type, items, current, default=0):
    size = {TWTY_UINT16: 2, TWTY_FIX32: 4}[item_type]
    body = b''.join(u16(i) if size == 2 else u32(i) for i in items)
    return u16(item_type) + u32(len(items)) + u32(current) + u32(default) + body + b'\x00\x00'


def file_setup(name_choice, fmt):
    # name: FuzzHost::FileName; format: 0 TIFF, 1 BMP, 2 JFIF; VRefNum
    return triplet(SETUPFILE_SET, bytes([name_choice, fmt]) + u16(0))


def strip(form=0):
    # 26 bytes of the record the source only writes; the buffer's form.
    return triplet(MEMXFER, bytes(26) + bytes([form]))


def strips(count, form=0):
    return b''.join(strip(form) for _ in range(count))


def end_xfer():
    return triplet(ENDXFER)


def event(message_choice=1, to_dialog=1):
    return triplet(PROCESSEVENT, bytes([to_dialog, message_choice]) + u16(9) + u16(0) + b'\x00' + u16(0))


# ---- fuzz_scan_module: its answers, in the order the source asks


def connect():
    return b'\x00'  # ConnectScanner(0): connected


def defaults():
    return b'\x00'  # GetDefValue: the default settings


def announce(*infos):
    # NoUItoXferImage: announcements, their flags, the images, its result.
    out = bytes([len(infos)])
    for info in infos:
        out += b'\x00' + info
    return out + b'\x00'


def info(width, length, bits, scanned=300, requested=0):
    """UpdateImageInfo, structured; length None is an open length."""
    depth = {8: 0, 1: 1, 24: 2, 4: 3}[bits]
    mode = 1 if length is None else 0
    return bytes([mode]) + u16(width) + u16(length or 0) + bytes([depth]) + u16(scanned) + u16(requested)


KB = {32: 0, 1: 1, 2: 2, 64: 3, 300: 4, 600: 5}


def block_size(kb, buffers=True):
    return bytes([KB[kb], 0 if buffers else 3])


def block(rows, status):
    # shape 0: rows in a byte, BytesWritten = rows * BytesPerRow
    return b'\x00' + bytes([rows]) + bytes([{'done': 0, 'more': 1, 'cancel': 2, 'fail': 3}[status]])


def blocks(rows_list):
    out = b''
    for i, rows in enumerate(rows_list):
        out += block(rows, 'done' if i == len(rows_list) - 1 else 'more')
    return out


def full_strips(count):
    # shape 2: as many rows as the buffer holds; the last one done
    return b''.join(b'\x02' + (b'\x00' if i == count - 1 else b'\x01') for i in range(count))


def after_xfer():
    return b'\x00\x00'  # GetDefValue, CheckScanJob: no images left


GLOBAL_ALLOC, HEAP_ALLOC, FILE_WRITE, FILE_READ = range(4)


def fail(kind, n):
    # the n-th call of that kind from now fails
    return bytes([0xF0 | kind, n - 1])


def triplets_input(script, answers):
    return u16(len(script)) + script + answers


def acquisition(image, transfer, enable_answers=b'', transfer_answers=b'', fault=b''):
    script = identity_get() + open_ds() + fault + enable() + transfer + end_xfer() + disable() + close_ds()
    answers = connect() + defaults() + announce(image + enable_answers) + transfer_answers + after_xfer()
    return triplets_input(script, answers)


def triplet_seeds():
    queued8 = info(37, None, 8)
    seeds = {
        'native-direct': acquisition(info(37, 20, 8), triplet(NATIVEXFER), transfer_answers=b'\x00\x00'),
        'native-queued-24bit': acquisition(info(33, None, 24), triplet(NATIVEXFER),
                                           block_size(1) + blocks([7, 7, 3])),
        'native-enlarged-1bit': acquisition(info(37, None, 1, 300, 600), triplet(NATIVEXFER),
                                            block_size(1) + blocks([10, 10])),
        'native-spooled': acquisition(info(2000, None, 24), triplet(NATIVEXFER),
                                      block_size(300) + blocks([50, 4, 4])),
        'memory-queued': acquisition(queued8, triplet(SETUPMEM_GET) + strips(4),
                                     block_size(1) + blocks([7, 7, 7]), block_size(1)),
        'memory-enlarged': acquisition(info(37, None, 24, 300, 400), triplet(SETUPMEM_GET) + strips(8),
                                       block_size(1) + blocks([5, 5, 5]), block_size(1)),
        'memory-direct': acquisition(info(37, 20, 24), triplet(SETUPMEM_GET) + strips(4),
                                     transfer_answers=block_size(1) + full_strips(3)),
        'memory-scan-file': acquisition(info(37, 20, 1), triplet(SETUPMEM_GET) + strips(3),
                                        transfer_answers=block_size(1, buffers=False) + b'\x00' + b'\x00'),
        'file-bmp-queued': acquisition(queued8, file_setup(1, 1) + triplet(FILEXFER),
                                       block_size(1) + blocks([7, 7, 2])),
        'file-tiff-enlarged': acquisition(info(20, None, 8, 300, 450), file_setup(0, 0) + triplet(FILEXFER),
                                          block_size(1) + blocks([4, 4])),
        'file-direct': acquisition(info(37, 20, 8), file_setup(0, 0) + triplet(FILEXFER),
                                   transfer_answers=b'\x00'),
        'file-missing-folder': acquisition(queued8, file_setup(2, 0) + triplet(FILEXFER),
                                           block_size(1) + blocks([7])),
    }
    # Acquisitions with a call of the platform failing on the way.
    seeds['native-spooled-allocation-fails'] = acquisition(
        info(2000, None, 24), triplet(NATIVEXFER), block_size(300) + blocks([50, 4, 4]),
        fault=fail(GLOBAL_ALLOC, 5))
    seeds['memory-spooled-read-fails'] = acquisition(
        info(2000, None, 24), triplet(SETUPMEM_GET) + strips(3), block_size(300) + blocks([50, 4, 4]),
        block_size(300), fault=fail(FILE_READ, 2))
    seeds['tiff-enlarged-write-fails'] = acquisition(
        info(20, None, 8, 300, 450), file_setup(0, 0) + triplet(FILEXFER), block_size(1) + blocks([4, 4]),
        fault=fail(FILE_WRITE, 7))
    seeds['queued-heap-fails'] = acquisition(queued8, triplet(NATIVEXFER), block_size(1) + blocks([7, 7, 2]),
                                             fault=fail(HEAP_ALLOC, 3))
    # Negotiation in state 4, then a transfer with the negotiated values.
    negotiate = (identity_get() + open_ds() + capability(CAP_GET, 'ICAP_XFERMECH') +
                 capability(CAP_SET, 'ICAP_XFERMECH', TWON_ONEVALUE, container(one_value(TWTY_UINT16, 2))) +
                 capability(CAP_GETCURRENT, 'ICAP_XRESOLUTION') +
                 capability(CAP_SET, 'ICAP_PIXELTYPE', TWON_ENUMERATION,
                            container(enumeration(TWTY_UINT16, [0, 1, 2], 2))) +
                 capability(CAP_GET, 'CAP_AUTHOR') + capability(CAP_RESET, 'ICAP_PIXELTYPE') +
                 triplet(LAYOUT_GET) + triplet(LAYOUT_SET, bytes(64)) + triplet(STATUS_GET) + close_ds())
    seeds['negotiation'] = triplets_input(negotiate, connect() + defaults())
    # The scan module's dialog: enable with it, events, Scan pressed, close.
    with_ui = (identity_get() + open_ds() + enable(show_ui=1) + event() + b'\x05\x00' + triplet(IMAGEINFO_GET) +
               triplet(NATIVEXFER) + end_xfer() + b'\x06' + b'\x07\x03' + disable() + close_ds())
    seeds['dialog'] = triplets_input(with_ui, connect() + defaults() + b'\x00' + info(20, 10, 8) + b'\x00\x00' +
                                     after_xfer())
    # An application that goes wrong: transfers before any image, a null
    # pData, an unknown triplet, and quitting with the image untaken.
    wrong = (triplet(NATIVEXFER) + identity_get() + open_ds() + triplet(MEMXFER, bytes(27)) +
             triplet(STATUS_GET, flags=3) + raw_triplet(0, 0x0104, 0x0001) + enable() +
             triplet(PENDING_GET))
    seeds['misuse-then-quit'] = triplets_input(wrong, connect() + defaults() +
                                               announce(queued8 + block_size(1) + blocks([7, 7])))
    return seeds


# ---- fuzz_containers


def container_request(msg_choice, cap, con_type, data):
    return bytes([msg_choice, CAPS.index(cap)]) + u16(con_type) + container(data)


def container_seeds():
    return {
        'onevalue': container_request(0, 'ICAP_PIXELTYPE', TWON_ONEVALUE, one_value(TWTY_UINT16, 2)),
        'enumeration': container_request(0, 'ICAP_XRESOLUTION', TWON_ENUMERATION,
                                         enumeration(TWTY_FIX32, [100, 200, 300], 1)),
        'range': container_request(0, 'ICAP_BRIGHTNESS', TWON_RANGE,
                                   u16(TWTY_FIX32) + u32(-1000) + u32(1000) + u32(1) + u32(0) + u32(50)),
        'array': container_request(0, 'ICAP_UNITS', TWON_ARRAY, u16(TWTY_UINT16) + u32(2) + u16(1) + u16(0) + b'\0'),
        'string': container_request(0, 'CAP_AUTHOR', TWON_ONEVALUE, u16(TWTY_STR32) + b'x' * 34),
        'short-enumeration': container_request(0, 'ICAP_PIXELTYPE', TWON_ENUMERATION,
                                               u16(TWTY_UINT16) + u32(1000) + u32(999)),
        'many': b''.join(container_request(m, c, TWON_ONEVALUE, one_value(TWTY_UINT16, 1))
                         for m, c in [(0, 'ICAP_XFERMECH'), (5, 'ICAP_XFERMECH'), (7, 'ICAP_XFERMECH'),
                                      (0, 'CAP_XFERCOUNT'), (6, 'CAP_FEEDERENABLED'), (0, 'ICAP_LIGHTPATH')]),
    }


# ---- fuzz_scan_file


def scan_file(width, rows, samples, data_bytes, offset=None, extra_entries=()):
    entries = [(256, width), (257, rows), (277, samples)] + list(extra_entries)
    count = len(entries) + 1
    offset = 12 + 12 * count if offset is None else offset
    entries.append((273, offset))
    out = b'II' + u16(42) + u32(8) + u16(count) + u16(0)
    for tag, value in entries:
        out += u16(tag) + u16(4) + u32(1) + u32(value)
    return out + bytes((i * 7 + 3) & 0xFF for i in range(data_bytes))


def scan_file_seeds():
    # pixel type choice, the buffer's form (three bytes), the file
    grey = scan_file(100, 10, 1, 1000)
    return {
        'grey-preferred': b'\x01\x00\x00\x00' + grey,
        'bilevel': b'\x00\x00\x00\x00' + scan_file(20, 9, 1, 27),
        'colour': b'\x02\x00\x00\x00' + scan_file(10, 10, 3, 300),
        'one-byte-buffer': b'\x01\x04\x00\x00' + grey,
        'buffer-of-2k-1': b'\x01\x08\x0a\x00' + grey,
        'one-row-buffer': b'\x01\x10\x64\x00' + grey,
        'handle-buffer': b'\x01\x01\x00\x00' + grey,
        'short-data': b'\x01\x00\x00\x00' + scan_file(100, 10, 1, 250),
        'no-offsets': b'\x01\x00\x00\x00' + scan_file(100, 10, 1, 1000)[:12 + 36],
        'not-a-tiff': b'\x01\x00\x00\x00' + b'This is not a TIFF file at all.\n',
    }


def write(target, seeds):
    folder = os.path.join(HERE, 'corpus', target)
    os.makedirs(folder, exist_ok=True)
    for name in os.listdir(folder):
        if name.startswith('seed-'):
            os.remove(os.path.join(folder, name))
    for name, data in seeds.items():
        with open(os.path.join(folder, 'seed-' + name), 'wb') as out:
            out.write(data)


if __name__ == '__main__':
    write('fuzz_triplets', triplet_seeds())
    write('fuzz_containers', container_seeds())
    write('fuzz_scan_file', scan_file_seeds())
