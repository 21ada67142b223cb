#!/usr/bin/python3
# Tables written by other programs, sorted by tabulo, read back by them.
#   peers.py <tabulo executable> <scratch dir>
# Exit status 0: all good; 77: a peer program is missing; anything else: failure.
import os
import shutil
import subprocess
import sys

tabulo, scratch = sys.argv[1], sys.argv[2]
try:
    import dbf
except ImportError:
    sys.exit(77)
if not shutil.which("dbfcreate") or not shutil.which("dbfadd") or not shutil.which("dbfdump"):
    sys.exit(77)

# The accent-folding weights of code page 852, written out independently of
# the library: accented vowels weigh as their plain letter of the same case.
FOLD = {}
for plain, accented in {"a": "áäâă", "e": "éëě", "i": "őíî", "o": "óöô", "u": "üůúű",
                        "A": "ÄÁĂ", "E": "É", "I": "Í", "O": "ŐÖÓ", "U": "ÜÚŰ"}.items():
    for ch in accented:
        FOLD[ch.encode("cp852")[0]] = ord(plain)


def folded(text):
    return bytes(FOLD.get(b, b) for b in text.encode("cp852"))


def run(path, key):
    out = subprocess.run([tabulo, path, key], capture_output=True, text=True, encoding="latin-1")
    if not out.stdout.endswith("O.K.\n") or out.returncode != 0:
        sys.exit("tabulo failed on %s: %r" % (path, out.stdout))


failures = []

# 1. A table written by python3-dbf, code page 852, a single terminator byte.
names = ["Zala Ágnes", "Ábrahám Ödön", "Abai Éva", "ábel", "Őri Ubul", "Orbán Ákos",
         "Éles Béla", "Elek Ilona", "Úr Ödön", "Ur Aladár", "Kiss Üdvöske", "Kis Ernő",
         "Abai Éva", "zeta", "Zeta"]
path = os.path.join(scratch, "peer1.dbf")
t = dbf.Table(path, "NAME C(20); N N(6,0); BORN D; OK L", dbf_type="db3", codepage="cp852")
t.open(dbf.READ_WRITE)
for i, n in enumerate(names):
    t.append((n, i, None, i % 2 == 0))
dbf.delete(t[3])
t.close()
run(path, "name")
t = dbf.Table(path)
t.open(dbf.READ_ONLY)
got = [(r.name.rstrip(), int(r.n), dbf.is_deleted(r)) for r in t]
t.close()
expected = sorted([(n, i, i == 3) for i, n in enumerate(names)],
                  key=lambda x: folded(x[0].ljust(20)))  # stable: equal keys keep order
if got != expected:
    failures.append("python3-dbf table: %r\n  expected %r" % (got, expected))

# 2. A table written by shapelib's dbfcreate and dbfadd.
path = os.path.join(scratch, "peer2")
subprocess.run(["dbfcreate", path, "-s", "CODE", "6", "-n", "QTY", "8", "2"], check=True)
rows = [("delta", "4.5"), ("alpha", "10"), ("charly", "-2.25"), ("bravo", "0"), ("alpha", "1")]
for code, qty in rows:
    subprocess.run(["dbfadd", path + ".dbf", code, qty], check=True)
run(path + ".dbf", "code+qty")
dump = subprocess.run(["dbfdump", path + ".dbf"], capture_output=True, text=True).stdout.split("\n")
got = [line.split()[0] for line in dump[1:] if line.strip()]
if got != ["alpha", "alpha", "bravo", "charly", "delta"]:
    failures.append("shapelib table: %r" % got)

if failures:
    sys.exit("\n".join(failures))
