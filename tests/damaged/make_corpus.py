#!/usr/bin/env python3
"""Writes the corpus of damaged data files into corpus/, beside this script.

Each *.mdb file stands for PTcomptes.mdb, each *.ini (or *.ini.qz, compressed
as Qt's qUncompress reads it) for ptconte.ini. The files are committed, so a
build needs no Python; run this again after changing it. Pages of 512 bytes
keep the databases small.
"""
import os
import random
import sqlite3
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
OUT = os.path.join(HERE, "corpus")

SCHEMA = """
CREATE TABLE En_cour ("Date" TEXT, Montant INTEGER, Payement TEXT
  CHECK (Payement IS NULL OR length(Payement) BETWEEN 1 AND 5));
CREATE TABLE Soldes ("Réel" INTEGER, Bancaire INTEGER);
"""
MAX = 2**63 - 1
EUR = 10000  # stored units per euro
TWELVE_FIFTY = ("2003-12-05", 125000, "CB")  # every working book holds it, for the commands


def path(name):
    return os.path.join(OUT, name)


def database(name, sql=SCHEMA, rows=(TWELVE_FIFTY,), soldes=((-125000, 0),), version=1,
             columns='"Date", Montant, Payement', more=""):
    """A book made as the program makes it, then changed by the given SQL."""
    db = sqlite3.connect(path(name))
    db.execute("PRAGMA page_size = 512")
    db.executescript(sql)
    if rows:
        db.executemany(f"INSERT INTO En_cour ({columns}) VALUES (?, ?, ?)", rows)
    db.executemany('INSERT INTO Soldes ("Réel", Bancaire) VALUES (?, ?)', soldes)
    db.executescript(more + f"PRAGMA user_version = {version};")
    db.commit()
    db.execute("VACUUM")
    db.close()


def write(name, data):
    with open(path(name), "wb") as f:
        f.write(data)


def ini_text(totals="0"):
    """A ptconte.ini as the program writes it on 5 December 2003."""
    names = ["gas - oil", "Conserves", "Viande", "Huile", "fromage", "dessert", "vêtements",
             "hygiene", "Surgelés", "Manu"]
    lines = ["[venti]"] + [f"texo({i})={n}" for i, n in enumerate(names)]
    lines += ["[date_de_debut]"] + [f"datdebu({i})=05/12/2003" for i in range(10)]
    lines += ["[montant_par_ventil]"] + [f"montant({i})={totals}" for i in range(10)]
    return "\r\n".join(lines) + "\r\n"


def ini(name, text, encoding="cp1252"):
    write(name, text.encode(encoding))


def databases():
    write("empty.mdb", b"")
    write("text.mdb", "Relevé de compte n° 12\r\nSolde au 05/12/2003 : 1 234,56 €\r\n"
          .encode("cp1252") * 20)
    # A real book of many operations, cut in the middle of its pages.
    many = [(f"2003-{1 + i % 12:02d}-{1 + i % 28:02d}", (i + 1) * EUR, "CB") for i in range(400)]
    database("truncated.mdb", rows=many)
    with open(path("truncated.mdb"), "r+b") as f:
        f.truncate(os.path.getsize(path("truncated.mdb")) // 2 + 100)
    # The same book, whole, but a page of its operations overwritten with noise.
    database("corrupt-page.mdb", rows=many)
    with open(path("corrupt-page.mdb"), "r+b") as f:
        f.seek(512 * 4)
        f.write(random.Random(4).randbytes(512))
    database("other-tables.mdb", sql="CREATE TABLE clients (nom TEXT, ville TEXT);"
             "CREATE TABLE En_cours (a, b, c); CREATE TABLE Soldes (\"Réel\" INTEGER, Bancaire "
             "INTEGER);", rows=[], more="INSERT INTO clients VALUES ('Durand', 'Lyon');")
    database("view.mdb", sql=SCHEMA.replace("En_cour (", "Ops (") +
             "CREATE VIEW En_cour AS SELECT * FROM Ops;", rows=[],
             more="INSERT INTO Ops VALUES ('2003-12-05', 125000, 'CB');")
    database("without-rowid.mdb", sql=SCHEMA.replace(
        "BETWEEN 1 AND 5))", "BETWEEN 1 AND 5), PRIMARY KEY (\"Date\", Montant)) WITHOUT ROWID"))
    database("rowid-column.mdb", sql=SCHEMA.replace('("Date" TEXT', '(rowid INTEGER, "Date" TEXT'))
    database("missing-column.mdb",
             sql=SCHEMA.replace(', Payement TEXT\n  CHECK (Payement IS NULL OR length(Payement) '
                                'BETWEEN 1 AND 5)', ', Note TEXT'),
             columns='"Date", Montant, Note')
    database("newer-version.mdb", version=2)
    # Values of the wrong type in the right columns.
    database("montant-words.mdb", sql=SCHEMA.replace("Montant INTEGER", "Montant TEXT"),
             rows=[TWELVE_FIFTY, ("2003-12-05", "douze euros", "CB")])
    database("montant-real.mdb", rows=[TWELVE_FIFTY, ("2003-12-04", 12.5, "CB")])
    database("montant-blob.mdb", rows=[TWELVE_FIFTY, ("2003-12-04", b"\x00\xff\x01", "CB")])
    database("soldes-words.mdb", soldes=[("beaucoup", 0)])
    # Books that work, however odd.
    database("sound.mdb")
    database("soldes-empty.mdb", soldes=[])
    database("soldes-several.mdb", soldes=[(-125000, 0), (999 * EUR, 0), (None, 5 * EUR)])
    database("extreme.mdb", rows=[TWELVE_FIFTY, ("2003-12-01", MAX, "RENT"),
                                  ("2003-12-02", -MAX, "RENT"), ("2003-12-03", -MAX - 1, "CB")],
             soldes=[(MAX - 125000, -1)])  # agrees: Réel - Bancaire = 2^63 - 12.5 €
    database("reel-overflow.mdb", soldes=[(-MAX, -MAX + 125000)])  # an entry would overflow
    odd_dates = ["9999-12-31", "0001-01-01", "0000-00-00", "99999-12-31", "2003-02-30", "hier",
                 None, 20031205,
                 "2003-12-05T10:00", "", "x" * 300, b"\xff\xfe\x00"]
    database("dates.mdb", rows=[(d, EUR, "CB") for d in odd_dates] + [("demain", 125000, "CB")],
             soldes=[(-125000 - len(odd_dates) * EUR, 0)])
    long_payments = [TWELVE_FIFTY, ("2003-12-01", EUR, "VIREMENT PERMANENT"),
                     ("2003-12-02", EUR, ""), ("2003-12-03", EUR, None), ("2003-12-04", EUR,
                                                                          "RENT ")]
    database("payments.mdb", sql=SCHEMA.replace(
        "\n  CHECK (Payement IS NULL OR length(Payement) BETWEEN 1 AND 5)", ""),
        rows=long_payments, soldes=[(-125000 - 4 * EUR, 0)])
    database("nulls.mdb", rows=[TWELVE_FIFTY, (None, None, None), ("2003-12-05", None, "RENT")],
             soldes=[(None, 125000)])
    database("wal.mdb", more="PRAGMA journal_mode = WAL;")
    # The statement lines applied so far: as the program keeps them, or a table of another shape.
    releve = ('CREATE TABLE Releve (Identite TEXT PRIMARY KEY, "Date" TEXT, Montant INTEGER, '
              'Libelle TEXT, Pointe_le TEXT);')
    database("releve.mdb", more=releve + "INSERT INTO Releve VALUES "
             "('2003-12-01|-1|X|0', '2003-12-01', -10000, 'X', '2003-12-05');")
    database("releve-other.mdb", more="CREATE TABLE Releve (Identite TEXT, Montant INTEGER);")
    database("releve-reordered.mdb", more=releve.replace(
        'Identite TEXT PRIMARY KEY, "Date" TEXT', '"Date" TEXT, Identite TEXT PRIMARY KEY'))
    # A trigger that would wipe the book behind the next entry's back.
    database("trigger.mdb", more="CREATE TRIGGER wipe AFTER INSERT ON En_cour BEGIN "
             "DELETE FROM En_cour WHERE rowid <> new.rowid; UPDATE Soldes SET Bancaire = 0; END;")


def configurations():
    ini("sound.ini", ini_text())
    write("empty.ini", b"")
    write("binary.ini", random.Random(1).randbytes(2048))
    write("nul-bytes.ini", ini_text().encode("cp1252")
          .replace(b"[venti]\r\n", b"[venti]\r\n\x00\x00\x00\r\n")
          .replace(b"=Conserves", b"=Con\x00serves")
          .replace(b"montant(5)=0", b"montant(5)=\x00"))
    ini("no-equals.ini", ini_text().replace("texo(0)=", "texo(0)\r\nrien à voir ici\r\ntexo(0)=")
        .replace("montant(1)=0", "montant(1) 5\r\nmontant(1)=0"))
    ini("unclosed-section.ini", ini_text().replace("[venti]", "[venti"))
    ini("duplicates.ini", ini_text().replace("texo(0)=gas - oil", "texo(0)=Premier\r\ntexo(0)=x")
        + "[venti]\r\ntexo(0)=Second\r\n[montant_par_ventil]\r\nmontant(0)=7\r\n")
    ini("bad-utf8.ini", ini_text().replace("Conserves", "Con\x81\x8d\x8f\x90\x9dserves")
        .replace("Viande", "Vi\xc0\xafnde\x80"), encoding="latin-1")
    ini("utf16.ini", "\ufeff" + ini_text(), encoding="utf-16-le")
    ini("utf8-bom.ini", "\ufeff" + ini_text(), encoding="utf-8")
    ini("utf16-unmarked.ini", ini_text(), encoding="utf-16-le")
    write("utf16-odd.ini", ("\ufeff" + ini_text()).encode("utf-16-le") + b"\x00")
    write("utf16-lone-surrogate.ini", ("\ufeff" + ini_text()).encode("utf-16-le")
          .replace("Viande".encode("utf-16-le"), b"\x00\xd8" + "iande".encode("utf-16-le")))
    ini("cr-lines.ini", ini_text().replace("\r\n", "\r"))
    ini("totals-words.ini", ini_text(totals="douze euros"))
    ini("totals-out-of-range.ini", ini_text().replace("montant(0)=0", "montant(0)=1e400")
        .replace("montant(1)=0", "montant(1)=-1e308").replace("montant(2)=0", "montant(2)=nan"))
    ini("total-at-the-limit.ini", ini_text(totals="999999999999999"))
    ini("dates-not-dates.ini", ini_text().replace("datdebu(0)=05/12/2003", "datdebu(0)=31/02/2003")
        .replace("datdebu(1)=05/12/2003", "datdebu(1)=hier")
        .replace("datdebu(2)=05/12/2003", "datdebu(2)=99/99/99999999999")
        .replace("datdebu(3)=05/12/2003", "datdebu(3)="))
    ini("long-values.ini", ini_text().replace("texo(0)=gas - oil", "texo(0)=" + "A" * 5000)
        .replace("[date_de_debut]", "[" + "d" * 3000 + "]\r\n[date_de_debut]"))
    # Two megabytes of sections and comments before the real keys, stored compressed.
    junk = "[autre]\r\n; commentaire\r\ncle=valeur\r\n" * 50000
    huge = (junk + ini_text()).encode("cp1252")
    write("huge.ini.qz", struct.pack(">I", len(huge)) + zlib.compress(huge, 9))


def main():
    os.makedirs(OUT, exist_ok=True)
    for name in os.listdir(OUT):
        os.remove(path(name))
    databases()
    configurations()


if __name__ == "__main__":
    main()
