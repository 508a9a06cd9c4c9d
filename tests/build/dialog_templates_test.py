#!/usr/bin/env python3
"""Reads the dialog templates and the manifest back from a built executable
(through windres) and checks what a screen reader and a keyboard user meet:
every edit, list and drop-down right after its label, an access key on every label
and button with none repeated in a dialog, the tab order, and the texts the
member reads, which differ from the program's texts by an ampersand at most.
Usage: dialog_templates_test.py WINDRES EXE PROJECT_VERSION"""
import re
import subprocess
import sys
import xml.etree.ElementTree as ET

WS_TABSTOP = 0x00010000

# Every control's text with its access key's ampersand taken out; None for
# the edits, which have no text of their own.
TEXTS = {
    101: {207: "1. Choose Contacts...", 209: "Contacts", 208: "", 210: "Add New...", 212: "Delete",
          206: "2. Compose Message and Send!...", 214: "Enter your message here (160 chars left)...",
          213: None, 215: "When done, click 'Send...'", 216: "Send...", 1: "Logout", 2: "Exit",
          221: "Refresh", 227: "You have: (num) credits. Buy more here...", 217: "Buy..."},
    102: {202: "Email:", 204: None, 203: "Password:", 205: None, 1: "OK", 2: "Cancel",
          201: "Account Details:", 228: "Register For Free..."},
    104: {1: "Send Now...", 2: "Cancel",
          217: "Thank you. You have entered all the details for this message.",
          218: "To send this message to the (num) contacts selected, click the 'Send Now...' button below:",
          219: "", 220: "Connecting to server..."},
    105: {222: "Progress...", 223: ""},
    106: {224: "Please specify the new contact information below:", 225: "First Name:", 226: None,
          227: "Last Name (Optional):", 228: None, 233: "Mobile Number:", 234: None,
          -1: "Please ensure you enter the number in the international format. "
              "For example, UK numbers will begin '0044'",
          2: "Cancel", 1: "Add"},
    107: {249: "Columns of the file", 250: "First name:", 251: "", 252: "Last name:", 253: "", 254: "Number:",
          255: "", 245: "Country code for national numbers:", 246: None, 256: "Will be added:", 257: "",
          258: "Skipped:", 259: "", 244: "", 1: "Add", 2: "Cancel"},
    108: {247: "Connecting to Server...", 248: "", 2: "Stop"},
}
# The label that names each edit and list, by id.
LABELS = {101: {208: 209, 213: 214}, 102: {204: 202, 205: 203}, 106: {226: 225, 228: 227, 234: 233},
          107: {251: 250, 253: 252, 255: 254, 246: 245, 257: 256, 259: 258}}
TAB_ORDER = {101: [208, 210, 212, 213, 216, 1, 2, 221, 217], 102: [204, 205, 1, 2, 228], 104: [1, 2],
             105: [], 106: [226, 228, 234, 2, 1], 107: [251, 253, 255, 246, 257, 259, 1, 2], 108: [2]}
# Buttons whose key is Escape alone, so that their letter is free for a label.
ESCAPE_ONLY = {107: {2}}
# Access keys the program had before any were added; they stay.
KEPT_KEYS = {101: {210: "n", 212: "d", 216: "s", 1: "l", 2: "x", 221: "r", 217: "b"}, 104: {1: "n", 2: "c"}}
KEYWORD_CLASS = {"EDITTEXT": "EDIT", "PUSHBUTTON": "BUTTON", "DEFPUSHBUTTON": "BUTTON", "GROUPBOX": "BUTTON",
                 "LTEXT": "STATIC", "RTEXT": "STATIC", "CTEXT": "STATIC", "LISTBOX": "LISTBOX"}


def split_fields(text):
    fields, current, quoted = [], "", False
    for ch in text:
        if ch == '"':
            quoted = not quoted
        if ch == "," and not quoted:
            fields.append(current.strip())
            current = ""
        else:
            current += ch
    fields.append(current.strip())
    return fields


def unquote(field):
    return field[1:-1].replace('""', '"')


def parse_control(line):
    keyword, rest = line.split(None, 1)
    fields = split_fields(rest)
    if keyword == "EDITTEXT":
        return {"id": int(fields[0]), "class": "EDIT", "text": None, "style": int(fields[5], 0)}
    if keyword == "CONTROL":
        return {"id": int(fields[1]), "class": unquote(fields[2]).upper(), "text": unquote(fields[0]),
                "style": int(fields[3], 0)}
    return {"id": int(fields[1]), "class": KEYWORD_CLASS[keyword], "text": unquote(fields[0]),
            "style": int(fields[6], 0)}


def parse_dialogs(script):
    dialogs, current, inside = {}, None, False
    for line in script.splitlines():
        header = re.match(r"^(\d+) DIALOGEX", line)
        if header:
            current = dialogs.setdefault(int(header.group(1)), [])
        elif current is not None and line.strip() == "BEGIN":
            inside = True
        elif inside and line.strip() == "END":
            inside, current = False, None
        elif inside and line.strip():
            current.append(parse_control(line.strip()))
    return dialogs


def manifest_text(script):
    block = re.search(r"^1 24 .*?\nBEGIN\n(.*?)\nEND", script, re.S | re.M).group(1)
    parts = re.findall(r'"((?:[^"]|"")*)"', block)
    return "".join(part.replace('""', '"').replace("\\n", "\n") for part in parts)


def access_key(text):
    match = re.search(r"&([^&])", text or "")
    return match.group(1).lower() if match else None


def check_dialog(dialog_id, controls, fail):
    by_id = {c["id"]: c for c in controls}
    if set(by_id) != set(TEXTS[dialog_id]):
        fail(f"{dialog_id}: controls {sorted(by_id)}, expected {sorted(TEXTS[dialog_id])}")
    keys = {}
    for c in controls:
        expected = TEXTS[dialog_id].get(c["id"])
        text = c["text"]
        if text is not None and (text.count("&") > 1 or text.replace("&", "") != expected):
            fail(f"{dialog_id}/{c['id']}: {text!r} is not {expected!r} with an access key")
        key = access_key(text)
        if key and key in keys:
            fail(f"{dialog_id}: access key {key!r} on both {keys[key]} and {c['id']}")
        keys[key] = c["id"]
        is_button = c["class"] == "BUTTON" and (c["style"] & 0xF) in (0, 1)
        if is_button and not key and c["id"] not in ESCAPE_ONLY.get(dialog_id, set()):
            fail(f"{dialog_id}/{c['id']}: button without an access key")
        kept = KEPT_KEYS.get(dialog_id, {}).get(c["id"])
        if kept and key != kept:
            fail(f"{dialog_id}/{c['id']}: access key {key!r} instead of {kept!r}")
    for index, c in enumerate(controls):
        label_id = LABELS.get(dialog_id, {}).get(c["id"])
        if c["class"] in ("EDIT", "LISTBOX", "COMBOBOX", "SYSLISTVIEW32"):
            before = controls[index - 1] if index else None
            if not before or before["id"] != label_id or before["class"] != "STATIC":
                fail(f"{dialog_id}/{c['id']}: not right after its label {label_id}")
            elif not access_key(before["text"]):
                fail(f"{dialog_id}/{label_id}: label without an access key")
    tab_order = [c["id"] for c in controls if c["style"] & WS_TABSTOP]
    if tab_order != TAB_ORDER[dialog_id]:
        fail(f"{dialog_id}: tab order {tab_order}, expected {TAB_ORDER[dialog_id]}")


def check_manifest(text, version, fail):
    asm = "{urn:schemas-microsoft-com:asm.v1}"
    root = ET.fromstring(text.encode("utf-8"))
    identity = root.find(asm + "assemblyIdentity")
    if identity is None or identity.get("version") != version:
        fail(f"manifest version is not the project's {version}")
    awareness = root.find(".//{http://schemas.microsoft.com/SMI/2016/WindowsSettings}dpiAwareness")
    kinds = [kind.strip().lower() for kind in (awareness.text if awareness is not None else "").split(",")]
    if kinds[:1] != ["permonitorv2"] or "system" not in kinds:
        fail(f"manifest asks for {kinds}, not per monitor (v2) with the system's scale after it")
    if len(root.findall(".//{urn:schemas-microsoft-com:compatibility.v1}supportedOS")) != 5:
        fail("manifest does not name Vista, 7, 8, 8.1 and 10/11")


def main(windres, exe, version):
    script = subprocess.run([windres, "-i", exe, "-O", "rc"], check=True, capture_output=True, text=True,
                            encoding="latin-1").stdout
    failures = []
    dialogs = parse_dialogs(script)
    if set(dialogs) != set(TEXTS):
        failures.append(f"dialogs {sorted(dialogs)}, expected {sorted(TEXTS)}")
    for dialog_id, controls in sorted(dialogs.items()):
        if dialog_id in TEXTS:
            check_dialog(dialog_id, controls, failures.append)
    check_manifest(manifest_text(script), version, failures.append)
    for failure in failures:
        print("FAIL:", failure)
    print(f"{len(dialogs)} dialogs, {sum(map(len, dialogs.values()))} controls, {len(failures)} failures")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:4]))
