#!/usr/bin/env python3
"""Checks the shipped catalogue sources under data/ before they are built into QIVData.mdb.

Usage:
    python3 data/check_catalogue.py [data folder]   check the files, print counts per tab
    python3 data/check_catalogue.py --self-test     show that every rule catches its fault

Catalogue records are read the way the catalogue writer reads them: a line feed or ";" ends a
record; a record is "category ~ item ~ price 1 ~ price 2 ~ price 3 ~ price 4"; blanks at the
start of a record and after every "~" are skipped, every other blank belongs to the field;
price 4 runs to the record end. Lines starting with "#" and blank lines are skipped.

Exit status 0 when every rule holds, 1 otherwise (each fault is printed).
"""

import os
import re
import sys
import tempfile

# Tab key, caption (Long_Inventory_Name) and sub-inventory number, in page order.
TABS = [
    ("Art", "Art/Decoration", 2),
    ("Bathroom", "Bathroom", 3),
    ("Clothing", "Clothing", 4),
    ("Electronics", "Electronics", 5),
    ("Furniture", "Furniture", 6),
    ("Hobbies", "Hobbies/Collections", 7),
    ("Office", "Home Office", 13),
    ("Jewelry", "Jewelry", 8),
    ("Kitchen", "Kitchen/Dining", 1),
    ("Laundry", "Laundry", 9),
    ("Libraries", "Libraries", 10),
    ("Linens", "Linens", 11),
    ("Misc", "Miscellaneous", 12),
    ("Music", "Music", 15),
    ("Outdoors", "Outdoor Living", 14),
    ("Sports", "Sports Equipment", 16),
    ("Tools", "Tools", 17),
]
HELP_TOPICS = [-1, 0, 1, 2, 3, 4]
MIN_CATEGORIES, MAX_CATEGORIES = 8, 20
MIN_ITEMS, MAX_ITEMS = 8, 40
MIN_TOTAL_ITEMS = 2500
# The item index shows an item in columns 1-36 and a category in columns 38-66 and reads them
# back from there to find the entry again; longer names cannot be followed from the index.
MAX_ITEM_LEN, MAX_CATEGORY_LEN = 36, 29
PRICE = re.compile(r"^[0-9]+(\.[0-9]+)?$")
OTHER = "Other"


def parse_record(text):
    """Split one record as the catalogue writer does.

    Returns (category, item, [price 1..4]) or None when the record does not reach the "~"
    after the item (the writer ignores such a record).
    """
    pos = 0
    n = len(text)

    def skip_blanks(p):
        while p < n and text[p] == " ":
            p += 1
        return p

    fields = []
    pos = skip_blanks(pos)
    for _ in range(5):  # category, item, prices 1 to 3 end at a "~"
        end = text.find("~", pos)
        if end < 0:
            if len(fields) < 2:
                return None
            fields.append(text[pos:])
            pos = n
            break
        fields.append(text[pos:end])
        pos = skip_blanks(end + 1)
    else:
        fields.append(text[pos:])  # price 4 runs to the record end
    while len(fields) < 6:
        fields.append("")
    return fields[0], fields[1], fields[2:6]


def read_text(path, errors):
    try:
        with open(path, "rb") as fh:
            raw = fh.read()
    except OSError as exc:
        errors.append(f"{path}: cannot read ({exc.strerror})")
        return None
    if b"\r" in raw:
        errors.append(f"{path}: carriage return found (line ends must be LF only)")
    try:
        return raw.decode("utf-8")
    except UnicodeDecodeError as exc:
        errors.append(f"{path}: not UTF-8 ({exc})")
        return None


def check_name(where, kind, name, limit, errors):
    if name != name.strip(" "):
        errors.append(f"{where}: {kind} {name!r} has a blank at its end")
    if "  " in name:
        errors.append(f"{where}: {kind} {name!r} holds two blanks in a row")
    if any(ord(c) < 32 or c in "`" for c in name):
        errors.append(f"{where}: {kind} {name!r} holds a control character or grave accent")
    if len(name) > limit:
        errors.append(f"{where}: {kind} {name!r} is longer than {limit} characters")


def check_tab(key, path, errors):
    """Checks one tab file; returns {category: [(item, prices)]} in file order, or None."""
    text = read_text(path, errors)
    if text is None:
        return None
    categories = {}  # folded name -> (name, items)
    order = []
    seen_items = {}  # folded item -> category, over the whole tab
    for number, line in enumerate(text.split("\n"), 1):
        where = f"{key}.txt:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        if ";" in line:
            errors.append(f"{where}: ';' ends a record in the middle of the line")
            continue
        record = parse_record(line)
        if record is None:
            errors.append(f"{where}: record ends before the '~' after the item")
            continue
        category, item, prices = record
        if not category:
            errors.append(f"{where}: empty category")
            continue
        check_name(where, "category", category, MAX_CATEGORY_LEN, errors)
        fold = category.casefold()
        if fold not in categories:
            categories[fold] = (category, [])
            order.append(fold)
        elif categories[fold][0] != category:
            errors.append(f"{where}: category {category!r} also written "
                          f"{categories[fold][0]!r}")
        items = categories[fold][1]
        texts = [p for p in prices if p]
        if prices[len(texts):] != [""] * (4 - len(texts)):
            errors.append(f"{where}: a blank price stands before a filled one")
        for p in texts:
            if not PRICE.match(p):
                errors.append(f"{where}: price {p!r} is not a plain decimal")
        values = [float(p) for p in texts if PRICE.match(p)]
        if any(b <= a for a, b in zip(values, values[1:])):
            errors.append(f"{where}: prices {texts} do not rise from cheap to dear")
        if not item:
            if texts:
                errors.append(f"{where}: prices given without an item")
            continue
        check_name(where, "item", item, MAX_ITEM_LEN, errors)
        if item == OTHER:
            errors.append(f"{where}: an item named {OTHER!r} is never shown in the index")
        ifold = item.casefold()
        if ifold in seen_items:
            if seen_items[ifold] == fold:
                errors.append(f"{where}: item {item!r} repeats in category {category!r}")
            else:
                errors.append(f"{where}: item {item!r} is also in category "
                              f"{categories[seen_items[ifold]][0]!r} (a tab finds its "
                              "items again by name alone)")
        else:
            seen_items[ifold] = fold
        items.append((item, texts))

    result = {categories[f][0]: categories[f][1] for f in order}
    if OTHER not in result:
        errors.append(f"{key}.txt: no category {OTHER!r}")
    elif result[OTHER]:
        errors.append(f"{key}.txt: category {OTHER!r} must have no items")
    listed = [c for c in result if c != OTHER]
    if not MIN_CATEGORIES <= len(listed) <= MAX_CATEGORIES:
        errors.append(f"{key}.txt: {len(listed)} categories besides {OTHER!r} "
                      f"(allowed {MIN_CATEGORIES} to {MAX_CATEGORIES})")
    for c in listed:
        if not MIN_ITEMS <= len(result[c]) <= MAX_ITEMS:
            errors.append(f"{key}.txt: category {c!r} has {len(result[c])} items "
                          f"(allowed {MIN_ITEMS} to {MAX_ITEMS})")
    return result


def check_edit_use(path, catalogue, errors):
    """Returns {(key, category): value} of the well-formed lines."""
    text = read_text(path, errors)
    values = {}
    if text is None:
        return values
    for number, line in enumerate(text.split("\n"), 1):
        where = f"edit_use.txt:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        parts = [p.strip() for p in line.split("~")]
        if len(parts) != 3:
            errors.append(f"{where}: expected 'key ~ category ~ 1 or 2'")
            continue
        key, category, value = parts
        if key not in catalogue:
            errors.append(f"{where}: unknown tab key {key!r}")
            continue
        if catalogue[key] is not None and category not in catalogue[key]:
            errors.append(f"{where}: tab {key} has no category {category!r}")
            continue
        if category == OTHER:
            errors.append(f"{where}: {OTHER!r} asks for no extra fields")
        if value not in ("1", "2"):
            errors.append(f"{where}: Edit_Use must be 1 or 2, not {value!r}")
            continue
        if (key, category) in values:
            errors.append(f"{where}: {key} ~ {category} listed twice")
        values[(key, category)] = int(value)
    return values


def check_inventories(path, errors):
    text = read_text(path, errors)
    if text is None:
        return
    expected = {number: caption for _, caption, number in TABS}
    found = {}
    for number, line in enumerate(text.split("\n"), 1):
        where = f"inventories.txt:{number}"
        if not line.strip() or line.startswith("#"):
            continue
        parts = [p.strip() for p in line.split("~")]
        if len(parts) != 2 or not parts[0].isdigit():
            errors.append(f"{where}: expected 'number ~ caption'")
            continue
        n, caption = int(parts[0]), parts[1]
        if n in found:
            errors.append(f"{where}: number {n} given twice")
        found[n] = caption
        if expected.get(n) != caption:
            errors.append(f"{where}: {n} ~ {caption} does not match the tab "
                          f"{expected.get(n)!r}")
    if sorted(found) != sorted(expected):
        errors.append(f"inventories.txt: {len(found)} rows, expected the numbers 1 to 17")


def check_help(folder, errors):
    troubleshooting = False
    for topic in HELP_TOPICS:
        path = os.path.join(folder, f"{topic}.txt")
        text = read_text(path, errors)
        if text is None:
            continue
        caption, _, body = text.partition("\n")
        if not caption.strip():
            errors.append(f"help/{topic}.txt: the first line (the caption) is empty")
        if not body.strip():
            errors.append(f"help/{topic}.txt: no text after the caption")
        if re.search(r"^\s*Troubleshooting\s*$", body, re.MULTILINE):
            troubleshooting = True
    if not troubleshooting:
        errors.append("help: no topic has a 'Troubleshooting' section, which the backup "
                      "dialog's warning refers to")


def check_all(data):
    """Checks the whole data folder; returns (errors, rows of counts)."""
    errors = []
    catalogue = {}
    for key, _, _ in TABS:
        catalogue[key] = check_tab(key, os.path.join(data, "catalogue", f"{key}.txt"), errors)
    edit_use = check_edit_use(os.path.join(data, "catalogue", "edit_use.txt"), catalogue,
                              errors)
    check_inventories(os.path.join(data, "inventories.txt"), errors)
    check_help(os.path.join(data, "help"), errors)
    eula = read_text(os.path.join(data, "Eula.txt"), errors)
    if eula is not None and not eula.strip():
        errors.append("Eula.txt is empty")

    rows = []
    for key, caption, _ in TABS:
        cats = catalogue[key] or {}
        listed = [c for c in cats if c != OTHER]
        items = sum(len(cats[c]) for c in listed)
        prices = sum(len(p) for c in listed for _, p in cats[c])
        kinds = sorted({edit_use.get((key, c), 0) for c in listed})
        rows.append((key, caption, len(listed), items, prices, kinds))
    total = sum(r[3] for r in rows)
    if total < MIN_TOTAL_ITEMS:
        errors.append(f"only {total} items in all (at least {MIN_TOTAL_ITEMS} needed)")
    used = set(edit_use.values())
    for value in (1, 2):
        if value not in used:
            errors.append(f"no category has Edit_Use {value}")
    return errors, rows


def print_counts(rows):
    print(f"{'Tab':<12}{'Caption':<21}{'Categories':>11}{'Items':>7}{'Prices':>8}  Edit_Use")
    for key, caption, cats, items, prices, kinds in rows:
        print(f"{key:<12}{caption:<21}{cats:>11}{items:>7}{prices:>8}  "
              f"{','.join(map(str, kinds))}")
    print(f"{'Total':<33}{sum(r[2] for r in rows):>11}{sum(r[3] for r in rows):>7}"
          f"{sum(r[4] for r in rows):>8}")


def self_test():
    """Runs a copy of a small valid data folder with one fault at a time through check_all."""
    def write(root, rel, text):
        path = os.path.join(root, rel)
        os.makedirs(os.path.dirname(path), exist_ok=True)
        with open(path, "w", encoding="utf-8", newline="\n") as fh:
            fh.write(text)

    def tab_text(key, categories=8, items=8, prefix=""):
        lines = [f"# {key}"]
        for c in range(categories):
            for i in range(items):
                lines.append(f"Cat {c}~ {key} thing's {c}-{i}~ 1~ 2.5~ 10~")
        lines.append("Other~ ~ ~ ~ ~")
        return prefix + "\n".join(lines) + "\n"

    def build(root, **faults):
        per_tab = faults.get("items", 19)
        for key, _, _ in TABS:
            write(root, f"catalogue/{key}.txt", tab_text(key, items=per_tab))
        write(root, "catalogue/edit_use.txt", "Art ~ Cat 0 ~ 1\nArt ~ Cat 1 ~ 2\n")
        write(root, "inventories.txt",
              "".join(f"{n} ~ {c}\n" for _, c, n in TABS))
        for t in HELP_TOPICS:
            write(root, f"help/{t}.txt", f"Caption {t}\nText.\n\nTroubleshooting\n\nMore.\n")
        write(root, "Eula.txt", "Licence.\n")

    def append(root, rel, text):
        with open(os.path.join(root, rel), "a", encoding="utf-8") as fh:
            fh.write(text)

    def replace(root, rel, old, new):
        path = os.path.join(root, rel)
        with open(path, encoding="utf-8") as fh:
            text = fh.read()
        assert old in text, (rel, old)
        with open(path, "w", encoding="utf-8", newline="\n") as fh:
            fh.write(text.replace(old, new, 1))

    art = "catalogue/Art.txt"
    cases = [
        ("valid folder", None, None),
        ("price with a dollar sign", lambda r: replace(r, art, "~ 2.5~", "~ $2.5~"), "plain decimal"),
        ("price with a thousands comma", lambda r: replace(r, art, "~ 10~", "~ 1,000~"), "plain decimal"),
        ("price with a decimal comma", lambda r: replace(r, art, "~ 2.5~", "~ 2,5~"), "plain decimal"),
        ("prices falling", lambda r: replace(r, art, "~ 1~ 2.5~", "~ 3~ 2.5~"), "do not rise"),
        ("repeated item, other case", lambda r: append(r, art, "Cat 0~ ART THING'S 0-0~ ~ ~ ~\n"), "repeats"),
        ("item in two categories", lambda r: append(r, art, "Cat 1~ Art thing's 0-0~ ~ ~ ~\n"), "also in category"),
        ("blank before '~'", lambda r: append(r, art, "Cat 0~ Spare ~ 1~ ~ ~\n"), "blank at its end"),
        ("';' inside a record", lambda r: append(r, art, "Cat 0~ A; B~ 1~ ~ ~\n"), "';'"),
        ("record without item end", lambda r: append(r, art, "Cat 0~ Lonely\n"), "before the '~'"),
        ("item name too long", lambda r: append(r, art, "Cat 0~ " + "x" * 37 + "~ ~ ~ ~\n"), "longer than 36"),
        ("category name too long", lambda r: append(r, art, "C" * 30 + "~ x~ ~ ~ ~\n"), "longer than 29"),
        ("item named Other", lambda r: append(r, art, "Cat 0~ Other~ ~ ~ ~\n"), "never shown"),
        ("Other missing", lambda r: replace(r, art, "Other~ ~ ~ ~ ~\n", ""), "no category 'Other'"),
        ("Other with an item", lambda r: append(r, art, "Other~ Thing~ ~ ~ ~\n"), "must have no items"),
        ("too few items in a category", lambda r: write(r, art, tab_text("Art", items=7)), "has 7 items"),
        ("too many items in a category", lambda r: write(r, art, tab_text("Art", items=41)), "has 41 items"),
        ("too few categories", lambda r: write(r, art, tab_text("Art", categories=7, items=40)), "7 categories"),
        ("too many categories", lambda r: write(r, art, tab_text("Art", categories=21)), "21 categories"),
        ("edit_use names unknown category", lambda r: append(r, "catalogue/edit_use.txt", "Art ~ Nope ~ 1\n"), "no category 'Nope'"),
        ("edit_use names unknown tab", lambda r: append(r, "catalogue/edit_use.txt", "Den ~ Cat 0 ~ 1\n"), "unknown tab key"),
        ("edit_use value 3", lambda r: append(r, "catalogue/edit_use.txt", "Music ~ Cat 0 ~ 3\n"), "must be 1 or 2"),
        ("too few items in all", lambda r: build(r, items=18), "items in all"),
        ("inventories row missing", lambda r: replace(r, "inventories.txt", "1 ~ Kitchen/Dining\n", ""), "expected the numbers"),
        ("inventories caption wrong", lambda r: replace(r, "inventories.txt", "1 ~ Kitchen/Dining", "1 ~ Kitchen"), "does not match"),
        ("help topic missing", lambda r: os.remove(os.path.join(r, "help/3.txt")), "help/3.txt"),
        ("help caption empty", lambda r: write(r, "help/0.txt", "\nText.\n"), "caption) is empty"),
        ("no troubleshooting section", lambda r: [write(r, f"help/{t}.txt", f"C\nText.\n") for t in HELP_TOPICS], "Troubleshooting"),
        ("CR line ends", lambda r: append(r, art, "Cat 0~ Crlf~ ~ ~ ~\r\n"), "carriage return"),
    ]
    failures = 0
    for name, fault, expect in cases:
        with tempfile.TemporaryDirectory() as root:
            build(root)
            if fault:
                fault(root)
            errors, _ = check_all(root)
        if expect is None:
            ok = not errors
        else:
            ok = any(expect in e for e in errors)
        if not ok:
            failures += 1
            print(f"FAIL {name}: {errors[:3] if errors else 'no fault reported'}")
    # The record splitter itself, on the writer's rules.
    split_cases = [
        ("Cookware~ Dutch oven~ 30~ 75~ 250~", ("Cookware", "Dutch oven", ["30", "75", "250", ""])),
        ("  A~   B~ ~ ~ ~", ("A", "B", ["", "", "", ""])),
        ("A ~ B~ 1~ 2~ 3~ 4", ("A ", "B", ["1", "2", "3", "4"])),
        ("A~ B~ 5", ("A", "B", ["5", "", "", ""])),
        ("A~ B", None),
        ("A", None),
    ]
    for text, expect in split_cases:
        got = parse_record(text)
        if got != expect:
            failures += 1
            print(f"FAIL split {text!r}: {got!r}, expected {expect!r}")
    total = len(cases) + len(split_cases)
    print(f"self-test: {total - failures} of {total} passed")
    return 1 if failures else 0


def main(argv):
    if len(argv) > 1 and argv[1] == "--self-test":
        return self_test()
    data = argv[1] if len(argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    errors, rows = check_all(data)
    print_counts(rows)
    for e in errors:
        print("ERROR:", e)
    return 1 if errors else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
