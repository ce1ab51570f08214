#!/usr/bin/env python3
"""Checks the shipped language files in lang/.

Each file is parsed the way GetPrivateProfileStringA reads a profile file:
section and key names match without regard to case, blanks around keys and
values are dropped, and one pair of enclosing double or single quotes is
removed from a value.  For a key that occurs twice the first one counts.

Checks:
  * English.lng holds every window text and message key the program uses,
    and every text of the Explorer extension ([Tessivar]); its messages and
    extension texts translate to themselves;
  * every other language file has exactly the key set of English.lng in
    each section (no key missing, none extra);
  * no value is longer than 2047 characters (the reader cuts the rest);
  * every file but English names its code page ([Encoding] CodePage=, a
    Windows code-page number), one that is known and that the file decodes
    in, and not another than its byte-order mark says; a file in a code page
    of single bytes is not UTF-8; English without a name is ASCII;
  * the texts use only their language's letters (a file saved in another
    code page than it names does not);
  * English.lng holds no key that the program does not use;
  * lines end in CR LF; no key contains '=' or starts with '[';
  * messages with numbers (%1, %2...) keep each of them;
  * values that keep blanks at either end (group box captions, the input
    count prefix) keep them in every language; "*.*" and font names stay;
  * a rough width guess flags texts that may not fit their controls.

Usage: tools/check_lang.py [LANGDIR]   (default: lang/ next to tools/)
Exit status 0 when no error was found, 1 otherwise.
"""
import os
import sys

MAX_VALUE = 2047

# The Windows code pages a file may name, and their Python codecs.
CODE_PAGES = {n: "cp%d" % n for n in (874, 932, 936, 949, 950, *range(1250, 1259))}
CODE_PAGES[65001] = "utf-8"

BOMS = ((b"\xef\xbb\xbf", "utf-8"), (b"\xff\xfe", "utf-16-le"), (b"\xfe\xff", "utf-16-be"))

BLANKS = " \t\v\f\x1a"

# The letters and signs beyond ASCII that each language's texts may use. A
# file saved in another code page decodes to other characters (DOS or ISO
# Cyrillic in place of Windows-1251, say), so a stray one marks the fault.
ALPHABETS = {
    "english": "",
    "german": "\u00c4\u00d6\u00dc\u00e4\u00f6\u00fc\u00df\u201e\u201c\u2013",
    "russian": "".join(map(chr, range(0x410, 0x450))) + "\u0401\u0451\u00ab\u00bb\u2013\u2014\u2116",
}

SECTIONS = ("translations", "messages", "tessivar")

# Window texts the form descriptions set, and the font names.
REQUIRED_TRANSLATIONS = """
MainForm.Caption MainForm.Label1.Caption MainForm.OutputGroupBox.Caption
MainForm.CreateHardLinkLabel.Caption MainForm.CreateButton.Caption
MainForm.InputGroupBox.Caption MainForm.OutputFileEditBox.Text
MainForm.ExitButton.Caption MainForm.NewFolderButon.Caption
MainForm.AboutButton.Caption MainForm.HelpButton.Caption
MainForm.MultiHardLinkButton.Caption MainForm.OptionsButton.Caption
MainForm.DuplicatesButton.Caption
MultiHardLinkForm.Caption MultiHardLinkForm.InputGroupBox.Caption
MultiHardLinkForm.AddButton.Caption MultiHardLinkForm.AddDirButton.Caption
MultiHardLinkForm.RemoveButton.Caption MultiHardLinkForm.RemoveAllButton.Caption
MultiHardLinkForm.OutputGroupBox.Caption MultiHardLinkForm.DirLabel.Caption
MultiHardLinkForm.HLExists.Caption MultiHardLinkForm.SupressErr.Caption
MultiHardLinkForm.GoButton.Caption MultiHardLinkForm.CancelButton.Caption
MultiHardLinkForm.OpenDialog.Title MultiHardLinkForm.OpenDialog.DlgItemsCaptions.OK
DuplicatesForm.Caption DuplicatesForm.FolderLabel.Caption DuplicatesForm.FindButton.Caption
DuplicatesForm.LeftAloneLabel.Caption DuplicatesForm.TickButton.Caption
DuplicatesForm.KeepButton.Caption DuplicatesForm.LinkButton.Caption
DuplicatesForm.CloseButton.Caption DuplicatesForm.CancelButton.Caption
NewFolderForm.Caption NewFolderForm.NameLabel.Caption
NewFolderForm.OkButton.Caption NewFolderForm.CancelButton.Caption
OptionsForm.Caption OptionsForm.Label1.Caption OptionsForm.OkButton.Caption
OptionsForm.CheckIntegrate.Caption
MainForm.LinksButton.Caption HardLinksForm.Caption HardLinksForm.ExplorerButton.Caption
HardLinksForm.CancelButton.Caption HardLinksForm.CloseButton.Caption
""".split()

# Keys that must never be in a shipped file: the language list is built from
# the files present, and names are not texts.
FORBIDDEN_TRANSLATION_SUFFIXES = (".name", ".languagefile", ".items")
ALLOWED_NAME_SUFFIX = ".font.name"

# Every text the program passes to TranslateText.
REQUIRED_MESSAGES = [
    " Input (files: ",
    "Add",
    "Choose input folder",
    "Choose files",
    "Choose output folder",
    "Hard Link Created",
    "The replaced file could not be deleted. It was kept as:",
    "The existing file could not be put back. It is kept under the first name below instead of the second:",
    "These files were left out: the system's code page cannot carry their names:",
    "May be you are trying to create Hard Link on non NTFS volume (1)",
    "The system cannot find the file specified (2)",
    "The system cannot find the path specified (3)",
    " The system cannot open the file (4)",
    "Access is denied. File might be read-only (5)",
    "The system cannot find the drive specified (15)",
    "The system cannot move the file to a different disk drive (17)",
    "There are no more files (18)",
    "The media is write protected (19)",
    "The system cannot find the device specified (20)",
    " The device is not ready (21)",
    "Data error (cyclic redundancy check) (23)",
    "The specified disk or diskette cannot be accessed (26)",
    "The system cannot write to the specified device (29)",
    "The system cannot read from the specified device (30)",
    "The process cannot access the file because it is being used by another process (32)",
    "The disk is full (39)",
    "The file exists (80)",
    "The directory or file cannot be created (82)",
    "The parameter is incorrect (87)",
    "The file name is too long (111)",
    "There is not enough space on the disk (112)",
    "This function is not supported on this system (120)",
    "The filename or directory name syntax is incorrect (123)",
    "The file pointer cannot be set on the specified device or file (132)",
    "Cannot create a file when that file already exists (183)",
    "The filename or extension is too long (206)",
    "The directory name is invalid (267)",
    "An attempt was made to create more links on a file than the file system supports (1142)",
    "Not enough memory resources are available to process this command (8)",
    "Select a file in the list first",
    "1 name",
    "%1 names",
    "1 folder could not be read",
    "%1 folders could not be read",
    "1 name is missing",
    "%1 names are missing",
    "Searching",
    "The search was cancelled",
    "This folder does not exist:",
    "Choose the folders to search",
    "This folder cannot be read:",
    "Hard links cannot join two volumes. Choose folders on one volume.",
    "The system's code page cannot carry this name",
    "The kept file changed since the search: this file was left alone",
    "This file changed since the search and was left alone",
    "This file differs from the kept file and was left alone",
    "Listing (%1 files): %2",
    "Reading:",
    "%1 files of %2 bytes",
    "kept",
    "left alone: attributes differ",
    "%1 groups, %2 duplicates, %3 bytes can be freed",
    "Its read-only, hidden or system attribute differs from the kept file's",
    "Cancelled",
    "Replace %1 duplicates with hard links?",
    "%1 duplicates linked, %2 bytes freed",
]

# Messages whose numbers a translation must keep, each placeholder once.
PLACEHOLDER_MESSAGES = [m for m in REQUIRED_MESSAGES if "%1" in m]

# The Explorer extension's own texts: menu items, their help, the progress
# dialog and the failure box.
REQUIRED_TESSIVAR = [
    "Create hard links here",
    "Create hard link clone here",
    "Create hard links with Quenmoor...",
    "Links the dragged files into this folder",
    "Recreates the dragged folders here and links every file in them",
    "Opens Quenmoor with the selected files",
    "Creating hard links",
    "Cancelling...",
    "These items could not be linked:",
    "Further items not shown:",
    "The target folder is this folder itself",
    "Hard Links",
]

# Messages whose blanks at either end are part of what the user sees.
BLANK_SHAPED_MESSAGES = (" Input (files: ",)

# Control widths in pixels (client area available to the text) and the extra
# room the control needs besides its text: button frame, check box square.
WIDTHS = {
    "mainform.label1.caption": (79, 0),          # up to the drive combo
    "mainform.createhardlinklabel.caption": (108, 0),
    "mainform.createbutton.caption": (89, 6),
    "mainform.exitbutton.caption": (81, 6),
    "mainform.newfolderbuton.caption": (81, 6),
    "mainform.aboutbutton.caption": (81, 6),
    "mainform.helpbutton.caption": (81, 6),
    "mainform.multihardlinkbutton.caption": (81, 6),
    "mainform.optionsbutton.caption": (81, 6),
    "mainform.duplicatesbutton.caption": (81, 6),
    "mainform.outputgroupbox.caption": (225, 16),
    "mainform.inputgroupbox.caption": (209, 16),
    "multihardlinkform.addbutton.caption": (105, 6),
    "multihardlinkform.adddirbutton.caption": (105, 6),
    "multihardlinkform.removebutton.caption": (105, 6),
    "multihardlinkform.removeallbutton.caption": (105, 6),
    "multihardlinkform.dirlabel.caption": (62, 0),   # up to the folder field
    "multihardlinkform.hlexists.caption": (401, 18),
    "multihardlinkform.supresserr.caption": (249, 18),
    "multihardlinkform.gobutton.caption": (73, 6),
    "multihardlinkform.cancelbutton.caption": (73, 6),
    "multihardlinkform.opendialog.dlgitemscaptions.ok": (75, 6),
    "duplicatesform.folderlabel.caption": (54, 0),   # up to the folder field
    "duplicatesform.findbutton.caption": (81, 6),
    "duplicatesform.tickbutton.caption": (97, 6),
    "duplicatesform.keepbutton.caption": (97, 6),
    "duplicatesform.linkbutton.caption": (81, 6),
    "duplicatesform.closebutton.caption": (81, 6),
    "duplicatesform.cancelbutton.caption": (81, 6),
    "newfolderform.namelabel.caption": (38, 0),      # up to the name field
    "newfolderform.okbutton.caption": (73, 6),
    "newfolderform.cancelbutton.caption": (73, 6),
    "optionsform.label1.caption": (70, 0),           # up to the combo box
    "optionsform.okbutton.caption": (75, 6),
    "optionsform.checkintegrate.caption": (233, 18),
    "mainform.linksbutton.caption": (81, 6),
    "hardlinksform.explorerbutton.caption": (129, 6),
    "hardlinksform.cancelbutton.caption": (75, 6),
    "hardlinksform.closebutton.caption": (75, 6),
}


def char_width(ch):
    """Rough advance of one character in MS Sans Serif 8 pt, in pixels.

    Calibrated on the English labels, whose widths are their measured text:
    "Volume Name:" 69, "Enter Hard Link Name:" 108, "Language:" 51, "Name:" 31.
    """
    if ch == " ":
        return 3
    if ch in "il.,:;!|'":
        return 2
    if ch in "ftI()[]-*\"":
        return 3
    if ch in "r":
        return 4
    if ch in "MW\u041c\u0428\u0429\u0416\u042b\u042e":
        return 9
    if ch in "mw\u043c\u0448\u0449\u0436\u044b\u044e":
        return 8
    if ch.isupper():
        return 7
    return 6


def text_width(text):
    return sum(char_width(c) for c in text)


def short(value, limit=70):
    """repr() of a value, cut for the report."""
    if len(value) > limit:
        value = value[:limit] + "..."
    return repr(value)


def strip_quotes(value):
    if len(value) >= 2 and value[0] in "\"'" and value[-1] == value[0]:
        return value[1:-1]
    return value


def declared_code_page(raw):
    """The CodePage value of the first [Encoding] section, or None.

    Section and key are ASCII, so they are found before the file is decoded,
    as the program finds them.
    """
    section = None
    for line in raw.decode("latin-1").replace("\r", "\n").split("\n"):
        line = line.strip(BLANKS)
        if line.startswith("[") and "]" in line:
            if section == "encoding":
                return None
            section = line[1:line.rfind("]")].strip(BLANKS).lower()
        elif section == "encoding" and "=" in line:
            key, value = line.split("=", 1)
            if key.strip(BLANKS).lower() == "codepage":
                return strip_quotes(value.strip(BLANKS))
    return None


class LangFile:
    def __init__(self, path, lang):
        self.path = path
        self.name = os.path.basename(path)
        self.errors = []
        self.warnings = []
        self.sections = {}   # lower section -> {lower key: (key, value, lineno)}
        raw = open(path, "rb").read()
        self.raw = raw
        self.encoding, body = self._encoding(raw, lang)
        try:
            text = body.decode(self.encoding)
        except UnicodeDecodeError as exc:
            self.errors.append("does not decode as %s: %s" % (self.encoding, exc))
            text = body.decode(self.encoding, "replace")
        self._check_lines(text)
        self._parse(text)

    def check_alphabet(self, lang):
        allowed = ALPHABETS.get(lang)
        if allowed is None:
            return
        for sec in self.sections.values():
            for key, value, no in sec.values():
                stray = sorted({c for c in value if ord(c) > 127 and c not in allowed})
                if stray:
                    self.errors.append("line %d: %s holds %s, not of this language's code page"
                                       % (no, key, "".join(stray)))
                # KOI8-R read as Windows-1251 swaps the case of each letter.
                for word in value.split():
                    if any(a.islower() and b.isupper() and ord(b) >= 0x400 for a, b in zip(word, word[1:])):
                        self.errors.append("line %d: %s has capitals inside the word %r" % (no, key, word))

    def _encoding(self, raw, lang):
        """The codec the program reads the file in, and the bytes after the mark."""
        bom = next(((mark, codec) for mark, codec in BOMS if raw.startswith(mark)), None)
        body = raw[len(bom[0]):] if bom else raw
        declared = None if bom and bom[1] != "utf-8" else declared_code_page(raw)
        if declared is None:
            if lang != "english":
                self.errors.append("names no code page ([Encoding] CodePage=...)")
            if bom:
                return bom[1], body
            if any(b >= 0x80 for b in raw):
                self.errors.append("is not ASCII and names no code page")
            return "cp1252", body
        if not declared.isdigit() or int(declared) not in CODE_PAGES:
            self.errors.append("[Encoding] CodePage=%s is no known Windows code page" % declared)
            return (bom[1] if bom else "cp1252"), body
        codec = CODE_PAGES[int(declared)]
        if bom and codec != bom[1]:
            self.errors.append("starts with a UTF-8 byte order mark but names code page %s" % declared)
            return bom[1], body
        if codec != "utf-8" and any(b >= 0x80 for b in raw):
            try:
                raw.decode("utf-8")
                self.errors.append("non-ASCII bytes form valid UTF-8; the file names %s" % codec)
            except UnicodeDecodeError:
                pass
        return codec, body

    def _check_lines(self, text):
        lines = text.split("\n")
        if lines and lines[-1] == "":
            lines = lines[:-1]
        else:
            self.errors.append("last line has no line end")
        for no, line in enumerate(lines, 1):
            if not line.endswith("\r"):
                self.errors.append("line %d ends in LF without CR" % no)
            elif "\r" in line[:-1]:
                self.errors.append("line %d holds a stray CR" % no)

    def _parse(self, text):
        section = None
        for no, line in enumerate(text.split("\n"), 1):
            line = line.rstrip("\r").strip(" \t")
            if not line:
                continue
            if line.startswith("["):
                end = line.find("]")
                section = line[1:end if end >= 0 else len(line)].strip(" \t").lower()
                self.sections.setdefault(section, {})
                continue
            if line.startswith(";"):
                if "=" in line:
                    self.warnings.append("line %d: comment holds '=' and reads as a key" % no)
                continue
            if section is None:
                self.warnings.append("line %d: text before the first section" % no)
                continue
            if "=" not in line:
                self.warnings.append("line %d: line without '=' in [%s]" % (no, section))
                continue
            key, value = line.split("=", 1)
            key = key.strip(" \t")
            value = strip_quotes(value.strip(" \t"))
            if not key:
                self.errors.append("line %d: empty key" % no)
                continue
            entries = self.sections[section]
            if key.lower() in entries:
                self.errors.append("line %d: duplicate key %r in [%s] (first one counts)"
                                   % (no, key, section))
                continue
            if len(value) > MAX_VALUE:
                self.errors.append("line %d: value of %r is %d characters, more than %d"
                                   % (no, key, len(value), MAX_VALUE))
            entries[key.lower()] = (key, value, no)

    def get(self, section, key):
        """Lookup as the program does it (the key is trimmed)."""
        entry = self.sections.get(section, {}).get(key.strip(" \t").lower())
        return None if entry is None else entry[1]

    def keys(self, section):
        return set(self.sections.get(section, {}))


def check_english(eng):
    for sec in SECTIONS:
        if sec not in eng.sections:
            eng.errors.append("section [%s] missing" % sec)
    for key in REQUIRED_TRANSLATIONS:
        if eng.get("translations", key) is None:
            eng.errors.append("[Translations] lacks %s" % key)
    for key, _, _ in eng.sections.get("translations", {}).values():
        low = key.lower()
        if low.endswith(FORBIDDEN_TRANSLATION_SUFFIXES) and not low.endswith(ALLOWED_NAME_SUFFIX):
            eng.errors.append("[Translations] must not hold %s" % key)
    for sec, texts in (("messages", REQUIRED_MESSAGES), ("tessivar", REQUIRED_TESSIVAR)):
        for text in texts:
            value = eng.get(sec, text)
            if value is None:
                eng.errors.append("[%s] lacks %r" % (sec.capitalize(), text))
            elif value != text:
                eng.errors.append("[%s] %r translates to %r, not to itself" % (sec.capitalize(), text, value))
    wanted = {m.strip(" ").lower() for m in REQUIRED_MESSAGES}
    for low in eng.keys("messages") - wanted:
        eng.errors.append("[Messages] key %r is no text the program passes"
                          % eng.sections["messages"][low][0])
    for low in eng.keys("tessivar") - {t.lower() for t in REQUIRED_TESSIVAR}:
        eng.errors.append("[Tessivar] key %r is no text the extension uses"
                          % eng.sections["tessivar"][low][0])
    known = {k.lower() for k in REQUIRED_TRANSLATIONS}
    for key, _, _ in eng.sections.get("translations", {}).values():
        low = key.lower()
        if low not in known and not (low.endswith(ALLOWED_NAME_SUFFIX) and low.count(".") == 2):
            eng.errors.append("[Translations] key %s is no window text" % key)


def check_against_english(lf, eng):
    for sec in SECTIONS:
        mine, theirs = lf.keys(sec), eng.keys(sec)
        for low in sorted(theirs - mine):
            lf.errors.append("[%s] lacks %s" % (sec, eng.sections[sec][low][0]))
        for low in sorted(mine - theirs):
            lf.errors.append("[%s] has extra key %s" % (sec, lf.sections[sec][low][0]))


def check_values(lf, eng):
    for low, (key, value, no) in lf.sections.get("translations", {}).items():
        eng_value = eng.get("translations", key)
        if eng_value is None:
            continue
        if low == "mainform.outputfileeditbox.text" and value != "*.*":
            lf.errors.append("%s must stay *.*, is %s" % (key, short(value)))
        if low.endswith(".font.name") and value != eng_value:
            lf.errors.append("%s must stay %r, is %s" % (key, eng_value, short(value)))
        for end, test in (("leading", str.startswith), ("trailing", str.endswith)):
            if test(eng_value, " ") != test(value, " "):
                lf.errors.append("line %d: %s blank of %s differs from English (%r)"
                                 % (no, end, key, value))
        if "&" in value and "&" not in eng_value:
            lf.warnings.append("line %d: %s holds '&' (underlines the next letter)" % (no, key))
        if value == "" and eng_value != "":
            lf.warnings.append("line %d: %s is empty" % (no, key))
        limit = WIDTHS.get(low)
        if limit:
            width, extra = limit
            guess = text_width(value) + extra
            if guess > width:
                lf.warnings.append("%s %r may not fit: about %d px, control %d px"
                                   % (key, value, guess, width))
    for msg in BLANK_SHAPED_MESSAGES:
        value = lf.get("messages", msg)
        if value is not None and (value[:1] != " " or value[-1:] != " "):
            lf.errors.append("[Messages] %r lost its blank ends: %r" % (msg.strip(), value))
    for msg in PLACEHOLDER_MESSAGES:
        value = lf.get("messages", msg)
        for mark in ("%1", "%2", "%3"):
            if value is not None and msg.count(mark) != value.count(mark):
                lf.errors.append("[Messages] %r must hold %s as often as English" % (msg, mark))
    for key, value, no in lf.sections.get("messages", {}).values():
        code = key[key.rfind("("):] if key.endswith(")") and key[:-1].rstrip("0123456789").endswith("(") else None
        if code and not value.rstrip().endswith(code):
            lf.errors.append("line %d: message %s should end with %s" % (no, short(value), code))


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    langdir = argv[1] if len(argv) > 1 else os.path.join(here, os.pardir, "lang")
    langdir = os.path.normpath(langdir)
    names = sorted(n for n in os.listdir(langdir) if n.lower().endswith(".lng"))
    if "English.lng" not in names:
        print("error: %s has no English.lng" % langdir)
        return 1
    files = {}
    for name in names:
        lang = name[:-4].split(".")[0].lower()
        files[name] = LangFile(os.path.join(langdir, name), lang)
        files[name].check_alphabet(lang)
    eng = files["English.lng"]
    check_english(eng)
    for name, lf in files.items():
        if lf is not eng:
            check_against_english(lf, eng)
        check_values(lf, eng)
    for want in ("German.lng", "Russian.lng"):
        if want not in files:
            eng.errors.append("%s missing from %s" % (want, langdir))

    total_errors = 0
    for name in names:
        lf = files[name]
        counts = ", ".join("[%s] %d keys" % (sec.capitalize(), len(lf.keys(sec)))
                           for sec in SECTIONS)
        enc = lf.encoding
        status = "ok" if not lf.errors else "%d error(s)" % len(lf.errors)
        print("%-12s %s, %d bytes, %s: %s" % (name, enc, len(lf.raw), counts, status))
        for err in lf.errors:
            print("  error: %s" % err)
        for warn in lf.warnings:
            print("  warning: %s" % warn)
        total_errors += len(lf.errors)
    print("%d file(s) checked, %d error(s)" % (len(names), total_errors))
    return 1 if total_errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
