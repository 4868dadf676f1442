#!/usr/bin/env python3
"""Writes the seed inputs of the entry-point fuzz targets (corpus/<name>/, the target's name
without "_fuzz"), among them the inputs that once reproduced a fault (corpus/README.md), in
the input layout the targets and entry_fuzz_support.h describe. Run from anywhere; it rewrites the files it names and
leaves every other file alone."""
import os
import struct

HERE = os.path.dirname(os.path.abspath(__file__))

# Bases of a device-mode (entry_fuzz_support.h).
OWN, PUBLIC, PUBLIC_320, RAW = 0, 1, 2, 3
# Offsets in a device-mode.
DM_SPEC_VERSION, DM_SIZE, DM_DRIVER_EXTRA, DM_FIELDS = 64, 68, 70, 72
DM_PAPER_SIZE, DM_PAPER_LENGTH, DM_PAPER_WIDTH = 94, 96, 98
DM_FORM_NAME = 102
# The version word of the private block, 137 bytes into it.
PRIVATE_VERSION = 220 + 137
# dmFields bits.
DM_PAPERSIZE, DM_PAPERLENGTH, DM_PAPERWIDTH, DM_FORMNAME = 0x2, 0x4, 0x8, 0x10000


def devmode(base=OWN, patches=(), raw=b"", size=None, extra=None):
    """A device-mode: its base, its sizes when given, then {offset, 16-bit value} patches."""
    kind = base | (4 if size is not None else 0) | (8 if extra is not None else 0)
    out = bytes([kind, len(patches)])
    if base == RAW:
        out += struct.pack("<H", len(raw)) + raw
    if size is not None:
        out += struct.pack("<H", size)
    if extra is not None:
        out += struct.pack("<H", extra)
    for offset, value in patches:
        out += struct.pack("<HH", offset, value & 0xFFFF)
    return out


def fields(bits):
    """Patches that set dmFields."""
    return [(DM_FIELDS, bits & 0xFFFF), (DM_FIELDS + 2, bits >> 16)]


def form_name(text):
    """Patches that write dmFormName, one character each, with its terminator."""
    data = (text + "\0").encode("utf-16-le")
    return [(DM_FORM_NAME + i, int.from_bytes(data[i:i + 2], "little")) for i in range(0, len(data), 2)]


def write(folder, target, name, data):
    path = os.path.join(HERE, folder, target)
    os.makedirs(path, exist_ok=True)
    with open(os.path.join(path, name), "wb") as f:
        f.write(data)


# ---- DrvConvertDevMode --------------------------------------------------------------------
CDM_CONVERT, CDM_CONVERT351, CDM_DRIVER_DEFAULT, CDM_UNKNOWN = 0, 1, 2, 3
LOCAL, FRESH, KNOWN, SHARED, RENAMED, MISSING = 0, 1, 2, 3, 4, 5
WITH_INPUT, WITH_OUTPUT, WITHOUT_SETTINGS_INI = 1, 2, 4
WIN10, VISTA, XP, WIN2000_SP4 = 0, 1, 2, 3


def convert(mode, printer, flags, size, inp=devmode(), out=devmode(), machine=WIN10):
    return bytes([mode, printer, flags, machine]) + struct.pack("<H", size) + inp + out


def convert_seeds():
    t = "convert_devmode"
    both = WITH_INPUT | WITH_OUTPUT
    older = devmode(OWN, [(PRIVATE_VERSION, 321)])
    newer = devmode(OWN, [(PRIVATE_VERSION, 999)])
    seeds = {
        "default_local": convert(CDM_DRIVER_DEFAULT, LOCAL, WITH_OUTPUT, 1236),
        "default_fresh": convert(CDM_DRIVER_DEFAULT, FRESH, WITH_OUTPUT, 1236),
        "default_known": convert(CDM_DRIVER_DEFAULT, KNOWN, WITH_OUTPUT, 1236),
        "default_shared_vista": convert(CDM_DRIVER_DEFAULT, SHARED, WITH_OUTPUT, 1236, machine=VISTA),
        "default_short_output": convert(CDM_DRIVER_DEFAULT, LOCAL, WITH_OUTPUT, 100),
        "default_missing_printer": convert(CDM_DRIVER_DEFAULT, MISSING, WITH_OUTPUT, 1236),
        "convert_same_version": convert(CDM_CONVERT, LOCAL, both, 1236),
        "convert_older_version": convert(CDM_CONVERT, LOCAL, both, 1236, older),
        "convert_newer_version_xp": convert(CDM_CONVERT, LOCAL, both, 1236, newer, machine=XP),
        "convert_never_set_up": convert(CDM_CONVERT, FRESH, both | WITHOUT_SETTINGS_INI, 1236),
        "convert_renamed": convert(CDM_CONVERT, RENAMED, both, 1236, older),
        "convert_connection": convert(CDM_CONVERT, SHARED, both, 1236),
        "convert_tiny_raw_input": convert(CDM_CONVERT, LOCAL, both, 1236, devmode(RAW, raw=b"KOVA" * 10)),
        "convert_negative_size": convert(CDM_CONVERT, LOCAL, both, 0x8000 | 1236),
        "convert351": convert(CDM_CONVERT351, LOCAL, both, 1236),
        "convert351_short": convert(CDM_CONVERT351, LOCAL, both, 1203),
        "convert_into_larger_private_output": convert(CDM_CONVERT, LOCAL, both, 2236, out=devmode(extra=2016)),
        "convert_into_version_400_output": convert(CDM_CONVERT, LOCAL, both, 1228, out=devmode(size=212)),
        "unknown_mode": convert(CDM_UNKNOWN, LOCAL, both, 1236),
    }
    for name, data in seeds.items():
        write("corpus", t, name, data)
    findings = {
        # An upgrade writes the whole device-mode into an output of the public size only.
        "upgrade_into_public_output": convert(CDM_CONVERT, LOCAL, both, 220, older, devmode(PUBLIC)),
        # The version of an input without a private block is read past its end.
        "version_of_public_input": convert(CDM_CONVERT, LOCAL, both, 1236, devmode(PUBLIC)),
        "version_of_version_320_input": convert(CDM_CONVERT, KNOWN, both, 1236, devmode(PUBLIC_320)),
        # The output's sizes are read from a buffer whose stated size does not reach them.
        "output_sizes_past_short_output": convert(CDM_CONVERT, LOCAL, both, 10),
    }
    for name, data in findings.items():
        write("corpus", t, name, data)


# ---- DevQueryPrintEx ----------------------------------------------------------------------
WITH_DEVMODE, WITH_ERROR_TEXT, WITHOUT_INFO, OWN_FORMS, WITHOUT_PRINTER = 1, 2, 4, 8, 16
FORM_BUILTIN, FORM_USER = 1, 0


def devquery(printer, flags, job=devmode(), error_chars=256, forms=(), machine=WIN10):
    out = bytes([printer, flags, machine]) + struct.pack("<H", error_chars) + bytes([len(forms)])
    for form_flags, name_length, cx, cy in forms:
        out += bytes([form_flags, name_length]) + struct.pack("<II", cx, cy)
    return out + job


def devquery_seeds():
    t = "devquery_print"
    both = WITH_DEVMODE | WITH_ERROR_TEXT
    a4_size = devmode(OWN, fields(DM_PAPERLENGTH | DM_PAPERWIDTH) + [(DM_PAPER_WIDTH, 2100), (DM_PAPER_LENGTH, 2970)])
    custom = devmode(OWN, fields(DM_PAPERLENGTH | DM_PAPERWIDTH) + [(DM_PAPER_WIDTH, 1234), (DM_PAPER_LENGTH, 2345)])
    by_index = devmode(OWN, fields(DM_PAPERSIZE) + [(DM_PAPER_SIZE, 2)])
    by_name = devmode(OWN, fields(DM_FORMNAME) + form_name("FFFFF1"))
    forms = [(FORM_BUILTIN, 3, 210000, 297000), (FORM_USER, 5, 100000, 150000), (FORM_BUILTIN, 40, 5000, 5000)]
    seeds = {
        "local_own_devmode": devquery(LOCAL, both),
        "fresh_printer": devquery(FRESH, both),
        "known_printer": devquery(KNOWN, both),
        "connection_vista": devquery(SHARED, both, machine=VISTA),
        "renamed_printer": devquery(RENAMED, both),
        "missing_printer": devquery(MISSING, both),
        "no_printer_handle": devquery(LOCAL, both | WITHOUT_PRINTER),
        "no_info": devquery(LOCAL, WITHOUT_INFO),
        "no_devmode": devquery(LOCAL, WITH_ERROR_TEXT),
        "a4_by_size": devquery(LOCAL, both, a4_size),
        "custom_size_short_error_text": devquery(LOCAL, both, custom, error_chars=3),
        "custom_size_no_error_text": devquery(LOCAL, WITH_DEVMODE, custom, error_chars=0),
        "by_index_own_forms": devquery(LOCAL, both | OWN_FORMS, by_index, forms=forms),
        "by_name_own_forms": devquery(LOCAL, both | OWN_FORMS, by_name, forms=forms),
        "no_forms": devquery(LOCAL, both | OWN_FORMS, a4_size, forms=()),
        "public_job_devmode": devquery(LOCAL, both, devmode(PUBLIC)),
        "job_with_larger_private": devquery(LOCAL, both, devmode(extra=2016)),
        "job_of_version_400_size": devquery(LOCAL, both, devmode(size=212)),
        "version_320_job_devmode_2000": devquery(LOCAL, both, devmode(PUBLIC_320), machine=WIN2000_SP4),
    }
    for name, data in seeds.items():
        write("corpus", t, name, data)
    findings = {
        # The form's name is written into a job device-mode too short to hold dmFormName.
        "form_name_past_short_job": devquery(LOCAL, both, devmode(PUBLIC, fields(DM_PAPERSIZE) + [(DM_PAPER_SIZE, 9)], size=120)),
        # The paper fields of a job device-mode shorter than its header are read.
        "fields_of_tiny_job": devquery(LOCAL, both, devmode(RAW, raw=b"\x01" * 30)),
    }
    for name, data in findings.items():
        write("corpus", t, name, data)


# ---- DrvDocumentPropertySheets without a sheet --------------------------------------------
DM_UPDATE, DM_COPY, DM_PROMPT, DM_MODIFY, DM_NOPERMISSION, DM_USER_DEFAULT = 1, 2, 4, 8, 0x20, 0x40
WITHOUT_HEADER, WITHOUT_HANDLE = 4, 8
WHOLE_SIZE, SHAPED_LIKE_INPUT, INPUT_BUFFER = 0x00, 0x10, 0x20


def properties(printer, mode, flags, inp=devmode(), out=devmode(), cb_out=1236, machine=WIN10):
    return bytes([printer, mode, flags, machine]) + struct.pack("<I", cb_out) + inp + out


def properties_seeds():
    t = "document_properties"
    both = WITH_INPUT | WITH_OUTPUT
    modify_copy = DM_MODIFY | DM_COPY
    seeds = {
        "size_query": properties(LOCAL, 0, both),
        "copy_own_devmode": properties(LOCAL, modify_copy, both),
        "update_only": properties(LOCAL, DM_UPDATE | DM_MODIFY, both),
        "copy_without_input": properties(LOCAL, DM_COPY, WITH_OUTPUT),
        "copy_shaped_like_input": properties(LOCAL, modify_copy, both | SHAPED_LIKE_INPUT),
        "copy_into_input_buffer": properties(LOCAL, modify_copy | DM_UPDATE, both | INPUT_BUFFER),
        "public_input_shaped": properties(LOCAL, modify_copy, both | SHAPED_LIKE_INPUT, devmode(PUBLIC)),
        "version_320_input_shaped": properties(LOCAL, modify_copy, both | SHAPED_LIKE_INPUT, devmode(PUBLIC_320)),
        "version_400_input_shaped": properties(LOCAL, modify_copy, both | SHAPED_LIKE_INPUT, devmode(size=212)),
        "larger_private_input_shaped": properties(LOCAL, modify_copy, both | SHAPED_LIKE_INPUT, devmode(extra=2016)),
        "older_input": properties(LOCAL, modify_copy, both, devmode(OWN, [(PRIVATE_VERSION, 321)])),
        "renamed_printer": properties(RENAMED, modify_copy, both),
        "fresh_printer_no_permission": properties(FRESH, modify_copy | DM_NOPERMISSION, both),
        "known_printer_user_default_2000": properties(KNOWN, modify_copy | DM_USER_DEFAULT, both, machine=WIN2000_SP4),
        "connection_vista": properties(SHARED, modify_copy, both, machine=VISTA),
        "missing_printer": properties(MISSING, modify_copy, both),
        "no_printer_handle": properties(LOCAL, modify_copy, both | WITHOUT_HANDLE),
        "no_header": properties(LOCAL, modify_copy, both | WITHOUT_HEADER),
        "prompt_bit": properties(LOCAL, modify_copy | DM_PROMPT, both),
        "tiny_raw_input": properties(LOCAL, modify_copy, both, devmode(RAW, raw=b"\x02" * 20)),
    }
    for name, data in seeds.items():
        write("corpus", t, name, data)
    findings = {}
    # The output shaped like an input whose dmSize is below the public size is written
    # outside the application's buffer.
    for size, extra in ((0, 100), (10, 0), (60, 0), (71, 0)):
        inp = devmode(PUBLIC, size=size, extra=extra)
        findings["output_shaped_like_dmsize_%d" % size] = properties(LOCAL, modify_copy, both | SHAPED_LIKE_INPUT, inp)
    # With the private block after such a public part, the block is copied over the output's
    # header and the area offsets are then written at an offset read from the copied bytes.
    findings["private_block_over_output_header"] = properties(
        SHARED, modify_copy, both | SHAPED_LIKE_INPUT, devmode(OWN, size=10))
    for name, data in findings.items():
        write("corpus", t, name, data)


# ---- KOVADrvGetDevmodeEx, mode 8 ----------------------------------------------------------
WITHOUT_API_HANDLE = 4


def get_devmode_ex(bits, flags, inp=devmode(), machine=WIN10):
    return bytes([bits, flags, machine]) + inp


def get_devmode_ex_seeds():
    t = "get_devmode_ex"
    both = WITH_INPUT | WITH_OUTPUT
    seeds = {
        "own_devmode": get_devmode_ex(0, both),
        "own_devmode_size_only": get_devmode_ex(0, WITH_INPUT),
        "extra_bits": get_devmode_ex(0x70, both),
        "no_input": get_devmode_ex(0, WITH_OUTPUT),
        "no_handle": get_devmode_ex(0, both | WITHOUT_API_HANDLE),
        "public_input": get_devmode_ex(0, both, devmode(PUBLIC)),
        "larger_private_input": get_devmode_ex(0, both, devmode(extra=2016)),
        "version_400_input": get_devmode_ex(0, both, devmode(size=212)),
        "version_320_input_xp": get_devmode_ex(0, both, devmode(PUBLIC_320), machine=XP),
        "older_input": get_devmode_ex(0, both, devmode(OWN, [(PRIVATE_VERSION, 321)])),
        "paper_size_by_width": get_devmode_ex(0, both, devmode(OWN, fields(DM_PAPERLENGTH | DM_PAPERWIDTH) + [(DM_PAPER_WIDTH, 1500), (DM_PAPER_LENGTH, 2000)])),
    }
    for name, data in seeds.items():
        write("corpus", t, name, data)
    findings = {
        # The paper fields of an input shorter than its header are read.
        "fields_of_tiny_input": get_devmode_ex(0, both, devmode(RAW, raw=b"\x03" * 50)),
    }
    for name, data in findings.items():
        write("corpus", t, name, data)


if __name__ == "__main__":
    convert_seeds()
    devquery_seeds()
    properties_seeds()
    get_devmode_ex_seeds()
