#!/usr/bin/python3
# Writes samples/customers.dbf with another program's .dbf writer (the Debian
# package python3-dbf), so that the sample is a table tabulo did not write.
# Text is stored in code page 852, as the tables tabulo is made for keep it.
import os
import sys
import datetime
import dbf

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
    os.path.dirname(__file__), "..", "samples", "customers.dbf")
rows = [
    ("Kovács Éva", "Pécs", 1250.50, datetime.date(1971, 3, 14), True),
    ("Szabó Ödön", "Győr", 99.00, datetime.date(1985, 11, 2), False),
    ("Áron Béla", "Eger", 15000.00, datetime.date(1964, 7, 30), True),
    ("Nagy Ilona", "Budapest", 0.75, datetime.date(1990, 1, 1), True),
    ("Tóth Ürmös", "Szeged", 320.10, datetime.date(1958, 12, 24), False),
    ("Adorján Péter", "Budapest", 42.00, datetime.date(2001, 5, 5), True),
    ("Őri Zsófia", "Debrecen", 7.25, datetime.date(1979, 8, 19), False),
    ("Ujvári Ákos", "Pécs", 560.00, datetime.date(1968, 2, 29), True),
    ("Életes Gábor", "Szolnok", 18.40, datetime.date(1995, 6, 15), True),
    ("Oláh Ünige", "Győr", 2750.00, datetime.date(1983, 10, 10), False),
    ("Balogh Írisz", "Eger", 11.11, datetime.date(1999, 9, 9), True),
    ("Zala Ágnes", "Budapest", 640.00, datetime.date(1977, 4, 1), False),
]
table = dbf.Table(out, "NAME C(20); CITY C(15); AMOUNT N(12,2); BORN D; ACTIVE L",
                  dbf_type="db3", codepage="cp852")
table.open(dbf.READ_WRITE)
for row in rows:
    table.append(row)
table.close()
